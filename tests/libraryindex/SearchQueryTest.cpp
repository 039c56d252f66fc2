#include "libraryindex/SearchQuery.h"

#include "details/QtPrinting.h"
#include "libraryindex/Words.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace libraryindex;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

NumberRange range(double low, double high, bool lowInclusive = true, bool highInclusive = true)
{
    return NumberRange { low, high, lowInclusive, highInclusive };
}

QStringList words(std::initializer_list<const char16_t *> list)
{
    QStringList result;
    for (const char16_t *word : list)
        result.append(QString::fromUtf16(word));
    return result;
}

struct ParseCase
{
    const char16_t *text;
    SearchQuery expected;
};

SearchQuery withTerms(std::vector<QStringList> terms)
{
    SearchQuery query;
    query.terms = std::move(terms);
    return query;
}

SearchQuery with(std::optional<NumberRange> SearchQuery::*field, NumberRange value, std::vector<QStringList> terms = {})
{
    SearchQuery query = withTerms(std::move(terms));
    query.*field = value;
    return query;
}

SearchQuery withFormats(QStringList formats, std::vector<QStringList> terms = {})
{
    SearchQuery query = withTerms(std::move(terms));
    query.formats = std::move(formats);
    return query;
}

} // namespace

TEST(SearchQuery, ParsesWordsFiltersAndPhrases)
{
    const ParseCase cases[] = {
        { u"", {} },
        { u"   ", {} },
        { u"Kick", withTerms({ words({ u"kick" }) }) },
        { u"kick  SNARE", withTerms({ words({ u"kick" }), words({ u"snare" }) }) },
        { u"BigKick", withTerms({ words({ u"big", u"kick" }) }) },
        { u"\"dry kick\" room", withTerms({ words({ u"dry", u"kick" }), words({ u"room" }) }) },
        { u"\"dry kick", withTerms({ words({ u"dry", u"kick" }) }) },
        { u"Ünïcödé", withTerms({ words({ u"unicode" }) }) },
        { u"---", {} },
        { u"dur:<2s", with(&SearchQuery::durationMs, range(-kInf, 2000, true, false)) },
        { u"dur:<=2s", with(&SearchQuery::durationMs, range(-kInf, 2000)) },
        { u"dur:>1.5s", with(&SearchQuery::durationMs, range(1500, kInf, false, true)) },
        { u"dur:>=250ms", with(&SearchQuery::durationMs, range(250, kInf)) },
        { u"dur:1s-3s", with(&SearchQuery::durationMs, range(1000, 3000)) },
        { u"dur:1-3s", with(&SearchQuery::durationMs, range(1000, 3000)) },
        { u"dur:500ms-2m", with(&SearchQuery::durationMs, range(500, 120000)) },
        { u"dur:2", with(&SearchQuery::durationMs, range(1500, 2500, true, false)) },
        { u"DUR:1.5S", with(&SearchQuery::durationMs, range(1450, 1550, true, false)) },
        { u"rate:48k", with(&SearchQuery::sampleRate, range(48000, 48000)) },
        { u"rate:44.1k", with(&SearchQuery::sampleRate, range(44100, 44100)) },
        { u"rate:44100", with(&SearchQuery::sampleRate, range(44100, 44100)) },
        { u"rate:>=96khz", with(&SearchQuery::sampleRate, range(96000, kInf)) },
        { u"bits:24", with(&SearchQuery::bitDepth, range(24, 24)) },
        { u"ch:1", with(&SearchQuery::channels, range(1, 1)) },
        { u"ch:mono", with(&SearchQuery::channels, range(1, 1)) },
        { u"ch:Stereo", with(&SearchQuery::channels, range(2, 2)) },
        { u"ext:flac", withFormats({ QStringLiteral("flac") }) },
        { u"ext:.WAV,flac", withFormats({ QStringLiteral("wav"), QStringLiteral("flac") }) },
        { u"flac kick", withFormats({ QStringLiteral("flac") }, { words({ u"kick" }) }) },
        { u"\"flac\"", withTerms({ words({ u"flac" }) }) },
        { u"ch:2 kick", with(&SearchQuery::channels, range(2, 2), { words({ u"kick" }) }) },
    };
    for (const ParseCase &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const auto parsed = parseSearchQuery(text);
        ASSERT_TRUE(parsed.ok()) << text.toStdString() << ": " << parsed.error().toStdString();
        EXPECT_EQ(parsed.value(), c.expected) << text.toStdString();
    }
}

TEST(SearchQuery, CombinesEveryFilterOfOneQuery)
{
    const auto parsed = parseSearchQuery(QStringLiteral("dur:<2s rate:48k ch:1 flac kick"));
    ASSERT_TRUE(parsed.ok());
    const SearchQuery &query = parsed.value();
    EXPECT_EQ(query.durationMs, range(-kInf, 2000, true, false));
    EXPECT_EQ(query.sampleRate, range(48000, 48000));
    EXPECT_EQ(query.channels, range(1, 1));
    EXPECT_EQ(query.formats, QStringList { QStringLiteral("flac") });
    EXPECT_EQ(query.terms, std::vector<QStringList> { words({ u"kick" }) });
    EXPECT_TRUE(query.hasPropertyFilter());
}

TEST(SearchQuery, RefusesFiltersItCannotRead)
{
    const struct
    {
        const char16_t *text;
        const char16_t *mentions; // what the sentence must name so the user can fix it
    } cases[] = {
        { u"dur:abc", u"dur:abc" },
        { u"dur:", u"dur:<2s" },
        { u"dur:3s-1s", u"dur:3s-1s" },
        { u"dur:2h", u"dur:2h" },
        { u"rate:fast", u"rate:48k" },
        { u"bits:24.5.1", u"bits:24" },
        { u"ch:quad", u"ch:mono" },
        { u"ext:", u"ext:flac" },
        { u"kick foo:bar", u"foo:" },
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const auto parsed = parseSearchQuery(text);
        ASSERT_FALSE(parsed.ok()) << text.toStdString();
        EXPECT_TRUE(parsed.error().contains(QString::fromUtf16(c.mentions)))
            << text.toStdString() << ": " << parsed.error().toStdString();
    }
}

TEST(SearchWords, SplitsFoldsAndMatchesPrefixes)
{
    const struct
    {
        const char16_t *text;
        QStringList expected;
    } cases[] = {
        { u"BigKick_01.wav", words({ u"big", u"kick", u"01", u"wav", u"bigkick" }) },
        { u"808Kick", words({ u"808", u"kick", u"808kick" }) },
        // Simple case folding, as the full-text index does: "ß" stays.
        { u"Mu\u0308ller Straße", words({ u"muller", u"straße" }) },
        { u"Müller", words({ u"muller" }) },
        { u"it's  \"odd\"", words({ u"it", u"s", u"odd" }) },
        { u"", {} },
    };
    for (const auto &c : cases)
        EXPECT_EQ(searchWords(QString::fromUtf16(c.text)), c.expected) << QString::fromUtf16(c.text).toStdString();

    const QStringList name = searchWords(QStringLiteral("Dry Kick Room 2.wav"));
    EXPECT_TRUE(containsTerm(name, words({ u"kic" })));
    EXPECT_TRUE(containsTerm(name, words({ u"dry", u"ki" })));
    EXPECT_FALSE(containsTerm(name, words({ u"dr", u"kick" })));
    EXPECT_FALSE(containsTerm(name, words({ u"kick", u"dry" })));
    EXPECT_FALSE(containsTerm(name, words({ u"ick" })));
}
