// Splitting, cover-data removal and the line rule, on reports written by hand,
// and the library's wide text taken in.
#include "QtPrinting.h"
#include "details/DetailsTextForm.h"
#include "details/MediaInfoDll.h"
#include "details/MediaInfoLibraryFunctions.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    const char *label;
    QString report;
    QStringList lines; // after splitting and removing the first cover line
};

QString u16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

class SplitTest : public testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitTest, SplitsAndDropsFirstCoverLine)
{
    const SplitCase &c = GetParam();
    TDetailsLines lines = SplitDetailsReport(c.report);
    RemoveFirstCoverDataLine(lines);
    EXPECT_EQ(lines, c.lines) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Reports, SplitTest,
    testing::Values(SplitCase { "crlf with trailing break", QStringLiteral("General\r\nFormat : MP3\r\n"),
                        { QStringLiteral("General"), QStringLiteral("Format : MP3") } },
        SplitCase { "cr only", QStringLiteral("General\rFormat : MP3\r\rAudio\r"),
            { QStringLiteral("General"), QStringLiteral("Format : MP3"), QString(), QStringLiteral("Audio") } },
        SplitCase { "lf only", QStringLiteral("General\nFormat : MP3\n\nAudio\n"),
            { QStringLiteral("General"), QStringLiteral("Format : MP3"), QString(), QStringLiteral("Audio") } },
        SplitCase { "no trailing break", QStringLiteral("a\r\nb"), { QStringLiteral("a"), QStringLiteral("b") } },
        SplitCase { "two breaks make one empty line", QStringLiteral("a\r\n\r\nb\r\n"),
            { QStringLiteral("a"), QString(), QStringLiteral("b") } },
        SplitCase {
            "lf cr is two breaks", QStringLiteral("a\n\rb"), { QStringLiteral("a"), QString(), QStringLiteral("b") } },
        SplitCase { "only a break", QStringLiteral("\n"), { QString() } }, SplitCase { "empty report", QString(), {} },
        SplitCase { "no cover line passes unchanged", QStringLiteral("Cover : Yes\nCover MIME : image/png\n"),
            { QStringLiteral("Cover : Yes"), QStringLiteral("Cover MIME : image/png") } },
        SplitCase { "two cover lines, only the first goes",
            QStringLiteral("General\nCover_Data : AAA\nTitle : x\nCover_Data : BBB\n"),
            { QStringLiteral("General"), QStringLiteral("Title : x"), QStringLiteral("Cover_Data : BBB") } },
        SplitCase { "cover match is a case-sensitive substring",
            QStringLiteral("cover_data : a\nXCover_DataY\nCover_Data : b\n"),
            { QStringLiteral("cover_data : a"), QStringLiteral("Cover_Data : b") } }),
    [](const testing::TestParamInfo<SplitCase> &info) { return "case" + std::to_string(info.index); });

struct ClassifyCase
{
    QString line;
    DetailsLine::Kind kind;
    QString name;
    QString value;
};

TEST(ClassifyDetailsLine, FollowsTheLineRule)
{
    using K = DetailsLine::Kind;
    const ClassifyCase cases[] = {
        { QStringLiteral("General"), K::Heading, {}, QStringLiteral("General") },
        { QStringLiteral("  Audio #1 \t"), K::Heading, {}, QStringLiteral("Audio #1") },
        { QStringLiteral("Format                  : FLAC"), K::Row, QStringLiteral("Format"), QStringLiteral("FLAC") },
        // A time of day keeps every colon in the value.
        { QStringLiteral("Recorded date   : 2024-01-02 12:34:56"), K::Row, QStringLiteral("Recorded date"),
            QStringLiteral("2024-01-02 12:34:56") },
        { QStringLiteral(":heading with colon: x"), K::Heading, {}, QStringLiteral(":heading with colon: x") },
        { QStringLiteral("   : value of nameless row"), K::Row, QString(), QStringLiteral("value of nameless row") },
        { QStringLiteral("Empty value :"), K::Row, QStringLiteral("Empty value"), QString() },
        { QStringLiteral("     "), K::Blank, {}, {} },
        { QString(), K::Blank, {}, {} },
        { QStringLiteral("\t\x01\x1f "), K::Blank, {}, {} },
        // Control characters trim like spaces; a no-break space is kept.
        { u16(u"\x01Name\x1f:\x7f value\x00a0"), K::Row, QStringLiteral("Name"), u16(u"\x7f value\x00a0") },
        { u16(u"\x00a0"), K::Heading, {}, u16(u"\x00a0") },
        { u16(u"Titel : Ünïcödé: Tïtle"), K::Row, QStringLiteral("Titel"), u16(u"Ünïcödé: Tïtle") },
        // Colons in the name: MediaInfo's chapter rows and custom tags split
        // at its own " : " separator, not at the first colon.
        { QStringLiteral("00:00:00.000                             : Intro: part one"), K::Row,
            QStringLiteral("00:00:00.000"), QStringLiteral("Intro: part one") },
        { QStringLiteral("MY:KEY                                   : value"), K::Row, QStringLiteral("MY:KEY"),
            QStringLiteral("value") },
        { QStringLiteral("00:01:30.500                             :"), K::Row, QStringLiteral("00:01:30.500"),
            QString() },
        { QStringLiteral("00:02:00.000  : en:Chapter 2"), K::Row, QStringLiteral("00:02:00.000"),
            QStringLiteral("en:Chapter 2") },
        { QStringLiteral("Key:value : more"), K::Row, QStringLiteral("Key:value"), QStringLiteral("more") },
        // Without a blank on both sides the first colon still splits.
        { QStringLiteral("Key:value:more"), K::Row, QStringLiteral("Key"), QStringLiteral("value:more") },
        { QStringLiteral("Name\t: tabbed"), K::Row, QStringLiteral("Name"), QStringLiteral("tabbed") },
    };
    for (const ClassifyCase &c : cases) {
        const DetailsLine line = ClassifyDetailsLine(c.line);
        EXPECT_EQ(line.kind, c.kind) << c.line.toStdString();
        EXPECT_EQ(line.name, c.name) << c.line.toStdString();
        EXPECT_EQ(line.value, c.value) << c.line.toStdString();
    }
}

TEST(DetailsTextForm, GroupsRowsAndLeavesOutRowsBeforeFirstHeading)
{
    const TDetailsLines lines = {
        QStringLiteral("Orphan : before any heading"),
        QString(),
        QStringLiteral("General"),
        QStringLiteral("Format    : MPEG Audio"),
        QStringLiteral("Comment   : at 12:34:56"),
        QStringLiteral("   "),
        QStringLiteral("Menu"),
        QString(),
        QStringLiteral("Audio"),
        QStringLiteral("   : nameless"),
    };
    const DetailsContents contents = BuildDetailsContents(lines);
    ASSERT_EQ(
        contents.groups, QStringList({ QStringLiteral("General"), QStringLiteral("Menu"), QStringLiteral("Audio") }));
    ASSERT_EQ(contents.rows.size(), 4);
    EXPECT_EQ(contents.rows.at(0).group, -1);
    EXPECT_EQ(contents.rows.at(1).group, 0);
    EXPECT_EQ(contents.rows.at(3).group, 2);

    QStringList text = { QStringLiteral("kept") };
    AppendDetailsTextForm(text, contents);
    const QStringList expected = {
        QStringLiteral("kept"),
        QStringLiteral("General"),
        QStringLiteral("Format: MPEG Audio"),
        QStringLiteral("Comment: at 12:34:56"),
        QString(),
        QStringLiteral("Menu"),
        QString(),
        QStringLiteral("Audio"),
        QStringLiteral(": nameless"),
        QString(),
    };
    EXPECT_EQ(text, expected);
}

TEST(DetailsTextForm, RowsAreListedUnderTheirGroupInRowOrder)
{
    // The view's row order need not follow the groups (a view may be sorted);
    // the text form still lists each group's rows together.
    DetailsContents contents;
    contents.groups = { QStringLiteral("A"), QStringLiteral("B") };
    contents.rows = { { QStringLiteral("b1"), QStringLiteral("1"), 1 },
        { QStringLiteral("a1"), QStringLiteral("2"), 0 }, { QStringLiteral("b2"), QStringLiteral("3"), 1 } };
    QStringList text;
    AppendDetailsTextForm(text, contents);
    EXPECT_EQ(text,
        QStringList({ QStringLiteral("A"), QStringLiteral("a1: 2"), QString(), QStringLiteral("B"),
            QStringLiteral("b1: 1"), QStringLiteral("b2: 3"), QString() }));
}

struct WideCase
{
    const char *label;
    std::wstring wide;
    QString text;
};

// The library's text as Qt's own UTF-32 decoder reads it, whichever way
// the binding takes it in; what that decoder makes of values that are no
// character is its own affair, only the agreement counts there.
TEST(FromWide, ReadsAsQtsDecoderDoes)
{
    const WideCase cases[] = {
        { "ascii", L"Format : FLAC\r\n", QStringLiteral("Format : FLAC\r\n") },
        { "latin and cjk", L"Titel : \u00dcn\u00efc\u00f6d\u00e9 \u6771\u4eac", u16(u"Titel : Ünïcödé 東京") },
        { "pair needed", L"a \U0001F3B5 b", u16(u"a \U0001F3B5 b") },
        { "last of the plane", L"\uFFFD\uFFFE\uFFFF", u16(u"\uFFFD\uFFFE\uFFFF") },
        { "mark inside is kept", L"a\uFEFFb", u16(u"a\uFEFFb") },
        { "leading mark", L"\uFEFFGeneral", QString() },
        { "lone surrogate value", std::wstring { L'a', wchar_t(0xD800), L'b' }, QString() },
        { "beyond unicode", std::wstring { L'a', wchar_t(0x110000), L'b' }, QString() },
        { "empty", L"", QString() },
    };
    for (const WideCase &c : cases) {
        const QString read = MediaInfoDll::fromWide(c.wide.c_str());
        EXPECT_EQ(read, QString::fromWCharArray(c.wide.c_str(), qsizetype(c.wide.size()))) << c.label;
        if (!c.text.isNull()) {
            EXPECT_EQ(read, c.text) << c.label;
        }
    }
    EXPECT_TRUE(MediaInfoDll::fromWide(nullptr).isNull());
}

TEST(DetailsTextForm, JoinEndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinDetailsLines({}), QString());
    EXPECT_EQ(JoinDetailsLines({ QString() }), QStringLiteral("\r\n"));
    EXPECT_EQ(JoinDetailsLines({ QStringLiteral("a"), QString(), QStringLiteral("b: c") }),
        QStringLiteral("a\r\n\r\nb: c\r\n"));
}

} // namespace
