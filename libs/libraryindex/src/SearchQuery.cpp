#include "libraryindex/SearchQuery.h"

#include "libraryindex/Words.h"

#include <QRegularExpression>

#include <cmath>

namespace libraryindex {
namespace {

using Failure = platform::Result<SearchQuery>;

// One number with what follows it ("1.5", "s"), and how many decimals it was
// written with, for the rounding of a single value.
struct Number
{
    double value = 0;
    int decimals = 0;
    QString unit;
};

std::optional<Number> parseNumber(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)(?:\\.(\\d+))?([a-z]*)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    Number number;
    bool ok = false;
    number.value = match.captured(1).append(QLatin1Char('.')).append(match.captured(2)).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    number.decimals = int(match.capturedLength(2));
    number.unit = match.captured(3);
    return number;
}

// Scales a number written with a unit to the filter's own unit; nullopt for
// a unit the filter does not know.
using UnitScale = std::optional<double> (*)(const QString &unit);

std::optional<double> durationScale(const QString &unit)
{
    if (unit.isEmpty() || unit == u"s" || unit == u"sec")
        return 1000.0;
    if (unit == u"ms")
        return 1.0;
    if (unit == u"m" || unit == u"min")
        return 60000.0;
    return std::nullopt;
}

std::optional<double> rateScale(const QString &unit)
{
    if (unit.isEmpty() || unit == u"hz")
        return 1.0;
    if (unit == u"k" || unit == u"khz")
        return 1000.0;
    return std::nullopt;
}

std::optional<double> bitsScale(const QString &unit)
{
    if (unit.isEmpty() || unit == u"bit" || unit == u"bits")
        return 1.0;
    return std::nullopt;
}

std::optional<double> plainScale(const QString &unit)
{
    if (unit.isEmpty())
        return 1.0;
    return std::nullopt;
}

struct NumericFilter
{
    std::optional<NumberRange> SearchQuery::*field;
    UnitScale scale;
    // Whether a single value means "rounds to this" (a duration) or "is
    // exactly this" (a sample rate, a bit depth, a channel count).
    bool roundsSingleValue;
    const char *example;
};

std::optional<double> scaled(const Number &number, UnitScale scale, const QString &fallbackUnit = {})
{
    const auto factor = scale(number.unit.isEmpty() ? fallbackUnit : number.unit);
    if (!factor)
        return std::nullopt;
    return number.value * *factor;
}

std::optional<NumberRange> parseRange(QString value, const NumericFilter &filter)
{
    NumberRange range;
    static const QRegularExpression comparison(QStringLiteral("^(<=|>=|<|>|=)?(.*)$"));
    const QRegularExpressionMatch parts = comparison.match(value);
    const QString op = parts.captured(1);
    const QString rest = parts.captured(2);
    if (op.isEmpty() || op == u"=") {
        const qsizetype dash = rest.indexOf(QLatin1Char('-'), 1);
        if (dash > 0) {
            const auto low = parseNumber(rest.left(dash));
            const auto high = parseNumber(rest.mid(dash + 1));
            if (!low || !high)
                return std::nullopt;
            // "1-3s": a bare first number takes the unit of the second.
            const auto lowValue = scaled(*low, filter.scale, high->unit);
            const auto highValue = scaled(*high, filter.scale);
            if (!lowValue || !highValue || *lowValue > *highValue)
                return std::nullopt;
            range.low = *lowValue;
            range.high = *highValue;
            return range;
        }
        const auto number = parseNumber(rest);
        if (!number)
            return std::nullopt;
        const auto exact = scaled(*number, filter.scale);
        if (!exact)
            return std::nullopt;
        if (!filter.roundsSingleValue) {
            range.low = range.high = *exact;
            return range;
        }
        // "2s" is what a column showing whole seconds shows as 2 s.
        const double half = 0.5 * std::pow(10.0, -number->decimals) * (*exact / number->value);
        const double step = std::isfinite(half) ? half : 0.5;
        range.low = *exact - step;
        range.high = *exact + step;
        range.highInclusive = false;
        return range;
    }
    const auto number = parseNumber(rest);
    if (!number)
        return std::nullopt;
    const auto bound = scaled(*number, filter.scale);
    if (!bound)
        return std::nullopt;
    if (op.startsWith(QLatin1Char('<'))) {
        range.high = *bound;
        range.highInclusive = op.size() == 2;
    } else {
        range.low = *bound;
        range.lowInclusive = op.size() == 2;
    }
    return range;
}

const NumericFilter *numericFilter(const QString &key)
{
    static const NumericFilter duration { &SearchQuery::durationMs, durationScale, true,
        "dur:<2s, dur:>1.5s or dur:1s-3s" };
    static const NumericFilter rate { &SearchQuery::sampleRate, rateScale, false, "rate:48k or rate:44100" };
    static const NumericFilter bits { &SearchQuery::bitDepth, bitsScale, false, "bits:24" };
    static const NumericFilter channels { &SearchQuery::channels, plainScale, false,
        "ch:1, ch:2, ch:mono or ch:stereo" };
    if (key == u"dur" || key == u"duration" || key == u"length")
        return &duration;
    if (key == u"rate" || key == u"sr")
        return &rate;
    if (key == u"bits" || key == u"bitdepth")
        return &bits;
    if (key == u"ch" || key == u"channels")
        return &channels;
    return nullptr;
}

QString invalidValue(const QString &key, const QString &value, const char *example)
{
    return QStringLiteral("\u201c%1:%2\u201d is not understood: write for example %3.")
        .arg(key, value, QLatin1String(example));
}

// Applies "key:value"; an error sentence, or an empty string.
QString applyFilter(SearchQuery &query, const QString &key, QString value)
{
    if (key == u"ext" || key == u"format" || key == u"type") {
        bool any = false;
        for (QString format : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (format.startsWith(QLatin1Char('.')))
                format.remove(0, 1);
            if (!format.isEmpty() && !query.formats.contains(format))
                query.formats.append(format);
            any = any || !format.isEmpty();
        }
        return any ? QString() : invalidValue(key, value, "ext:flac or ext:wav,flac");
    }
    const NumericFilter *filter = numericFilter(key);
    if (!filter)
        return QStringLiteral("\u201c%1:\u201d is not a filter: use dur:, rate:, bits:, ch: or ext:.").arg(key);
    if (filter->field == &SearchQuery::channels) {
        if (value == u"mono")
            value = QStringLiteral("1");
        else if (value == u"stereo")
            value = QStringLiteral("2");
    }
    const auto range = parseRange(value, *filter);
    if (!range)
        return invalidValue(key, value, filter->example);
    query.*(filter->field) = *range;
    return {};
}

void addTerm(SearchQuery &query, const QString &text)
{
    // Without the whole runs: "BigKick" is the two words in a row, which
    // is how a name's words stand.
    QStringList words = searchWords(text, WholeRuns::Leave);
    if (!words.isEmpty())
        query.terms.push_back(words);
}

} // namespace

bool isKnownFormatWord(const QString &word)
{
    static const QStringList formats { QStringLiteral("wav"), QStringLiteral("flac"), QStringLiteral("mp3"),
        QStringLiteral("ogg"), QStringLiteral("oga"), QStringLiteral("opus"), QStringLiteral("m4a"),
        QStringLiteral("aac"), QStringLiteral("aif"), QStringLiteral("aiff"), QStringLiteral("aifc"),
        QStringLiteral("wma"), QStringLiteral("ape"), QStringLiteral("wv"), QStringLiteral("mpc"),
        QStringLiteral("mp2"), QStringLiteral("ac3"), QStringLiteral("caf"), QStringLiteral("w64") };
    return formats.contains(word.toLower());
}

platform::Result<SearchQuery> parseSearchQuery(const QString &text)
{
    SearchQuery query;
    static const QRegularExpression filterPattern(QStringLiteral("^([A-Za-z]+):(.*)$"));
    qsizetype at = 0;
    while (at < text.size()) {
        if (text[at].isSpace()) {
            ++at;
            continue;
        }
        if (text[at] == QLatin1Char('"')) {
            // An unclosed quote runs to the end: the user is still typing.
            qsizetype end = text.indexOf(QLatin1Char('"'), at + 1);
            if (end < 0)
                end = text.size();
            addTerm(query, text.mid(at + 1, end - at - 1));
            at = end + 1;
            continue;
        }
        qsizetype end = at;
        while (end < text.size() && !text[end].isSpace())
            ++end;
        const QString chunk = text.mid(at, end - at);
        at = end;
        const QRegularExpressionMatch filter = filterPattern.match(chunk);
        if (filter.hasMatch()) {
            const QString error = applyFilter(query, filter.captured(1).toLower(), filter.captured(2).toLower());
            if (!error.isEmpty())
                return Failure::failure(error);
        } else if (isKnownFormatWord(chunk)) {
            if (!query.formats.contains(chunk.toLower()))
                query.formats.append(chunk.toLower());
        } else {
            addTerm(query, chunk);
        }
    }
    return query;
}

} // namespace libraryindex
