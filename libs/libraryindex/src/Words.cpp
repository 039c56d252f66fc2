#include "libraryindex/Words.h"

namespace libraryindex {
namespace {

enum class Kind { Separator, Lower, Upper, OtherLetter, Digit, Mark };

Kind kindOf(char32_t c)
{
    if (c < 0x80) {
        if (c >= 'a' && c <= 'z')
            return Kind::Lower;
        if (c >= 'A' && c <= 'Z')
            return Kind::Upper;
        if (c >= '0' && c <= '9')
            return Kind::Digit;
        return Kind::Separator;
    }
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return Kind::Mark;
    case QChar::Letter_Lowercase:
        return Kind::Lower;
    case QChar::Letter_Uppercase:
    case QChar::Letter_Titlecase:
        return Kind::Upper;
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
        return Kind::OtherLetter;
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return Kind::Digit;
    default:
        return Kind::Separator;
    }
}

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// A word starts at a capital after a small letter and where letters and
// digits meet: names are often written "BigKick808" with no separators.
bool startsWord(Kind previous, Kind current)
{
    const bool previousDigit = previous == Kind::Digit;
    const bool currentDigit = current == Kind::Digit;
    if (previousDigit != currentDigit)
        return true;
    return previous == Kind::Lower && current == Kind::Upper;
}

} // namespace

QStringList searchWords(const QString &text, WholeRuns wholeRuns)
{
    // Compatibility decomposition splits "ü" into "u" and a mark, and "ﬁ"
    // into "fi"; the marks are then dropped. Plain ASCII needs neither.
    const QString decomposed = isAscii(text) ? text : text.normalized(QString::NormalizationForm_KD);
    QStringList words;
    QStringList runs;
    QString word;
    QString run;
    bool runSplit = false;
    Kind previous = Kind::Separator;
    const auto endWord = [&] {
        if (!word.isEmpty())
            words.append(word.toCaseFolded());
        word.clear();
    };
    const auto endRun = [&] {
        endWord();
        if (runSplit && wholeRuns == WholeRuns::Append && !run.isEmpty())
            runs.append(run.toCaseFolded());
        run.clear();
        runSplit = false;
        previous = Kind::Separator;
    };
    for (const char32_t c : decomposed.toUcs4()) {
        const Kind kind = kindOf(c);
        if (kind == Kind::Mark)
            continue;
        if (kind == Kind::Separator) {
            endRun();
            continue;
        }
        if (previous != Kind::Separator && startsWord(previous, kind)) {
            endWord();
            runSplit = true;
        }
        const QString piece = QString::fromUcs4(&c, 1);
        word += piece;
        run += piece;
        previous = kind;
    }
    endRun();
    return words + runs;
}

QString searchWordText(const QString &text)
{
    return searchWords(text).join(QLatin1Char(' '));
}

bool containsTerm(const QStringList &words, const QStringList &term)
{
    if (term.isEmpty())
        return true;
    const qsizetype last = term.size() - 1;
    for (qsizetype start = 0; start + last < words.size(); ++start) {
        bool match = true;
        for (qsizetype i = 0; i < last && match; ++i)
            match = words[start + i] == term[i];
        if (match && words[start + last].startsWith(term[last]))
            return true;
    }
    return false;
}

} // namespace libraryindex
