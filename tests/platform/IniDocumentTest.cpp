#include "platform/IniDocument.h"

#include <gtest/gtest.h>

using platform::IniDocument;

namespace {

// A file as a person might have edited it by hand.
const QString kHandEdited = QStringLiteral("; settings written by hand\r\n"
                                           "  [ Settings ]  \r\n"
                                           "  Folder 1 =  /music/in  \r\n"
                                           "Quoted=\"  keep blanks  \"\r\n"
                                           "Single='x'\r\n"
                                           "HalfQuote=\"open\r\n"
                                           "NoEquals\r\n"
                                           "; Commented=1\r\n"
                                           "Dup=first\r\n"
                                           "dup=second\r\n"
                                           "Colon=a=b=c\r\n"
                                           "\r\n"
                                           "[settings]\r\n"
                                           "Later=ignored\r\n"
                                           "[Display]\r\n"
                                           "Scaling=0x78\r\n");

struct ReadCase
{
    const char *section;
    const char *key;
    std::optional<const char *> expected;
};

class IniReadTest : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(IniReadTest, ReadsLikeThePrivateProfileFunctions)
{
    const IniDocument doc = IniDocument::fromText(kHandEdited);
    const ReadCase c = GetParam();
    const auto value = doc.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
    if (!c.expected) {
        EXPECT_FALSE(value.has_value()) << c.section << "/" << c.key << " = " << value->toStdString();
    } else {
        ASSERT_TRUE(value.has_value()) << c.section << "/" << c.key;
        EXPECT_EQ(value->toStdString(), *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(HandEdited, IniReadTest,
    ::testing::Values(ReadCase { "Settings", "Folder 1", "/music/in" }, // blanks around names and values
        ReadCase { "SETTINGS", "folder 1", "/music/in" }, // case-insensitive names
        ReadCase { "Settings", "Quoted", "  keep blanks  " }, // quotes removed, blanks inside kept
        ReadCase { "Settings", "Single", "x" }, ReadCase { "Settings", "HalfQuote", "\"open" }, // unmatched quote stays
        ReadCase { "Settings", "NoEquals", "" }, // a line without "=" is an empty key
        ReadCase { "Settings", "; Commented", std::nullopt }, // comments are no keys
        ReadCase { "Settings", "Commented", std::nullopt },
        ReadCase { "Settings", "Dup", "first" }, // first duplicate wins
        ReadCase { "Settings", "Colon", "a=b=c" }, // only the first "=" splits
        ReadCase { "Settings", "Later", std::nullopt }, // the first of two sections wins
        ReadCase { "Display", "Scaling", "0x78" }, ReadCase { "Missing", "Scaling", std::nullopt }));

TEST(IniDocumentTest, WritesKeepLayoutAndPlaceNewEntriesAtTheEnd)
{
    IniDocument doc = IniDocument::fromText(QStringLiteral("[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n"));
    doc.setValue(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("10")); // replaced in place
    doc.setValue(QStringLiteral("A"), QStringLiteral("new"), QStringLiteral("n")); // end of its section
    doc.setValue(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("v")); // new section at the end
    EXPECT_EQ(doc.toText(), QStringLiteral("[A]\r\nx=10\r\ny=2\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n\r\n[C]\r\nk=v\r\n"));
}

TEST(IniDocumentTest, RemovesKeysAndSections)
{
    IniDocument doc = IniDocument::fromText(QStringLiteral("[A]\nx=1\ny=2\n[B]\nz=3\n"));
    EXPECT_TRUE(doc.removeKey(QStringLiteral("A"), QStringLiteral("X")));
    EXPECT_FALSE(doc.removeKey(QStringLiteral("A"), QStringLiteral("X")));
    EXPECT_TRUE(doc.removeSection(QStringLiteral("b")));
    EXPECT_EQ(doc.toText(), QStringLiteral("[A]\r\ny=2\r\n"));
    EXPECT_EQ(doc.sections(), QStringList { QStringLiteral("A") });
}

TEST(IniDocumentTest, EncodesUtf16LittleEndianWithByteOrderMark)
{
    const QByteArray bytes = IniDocument::encode(QStringLiteral("[\u00C9]"));
    EXPECT_EQ(bytes, QByteArray("\xFF\xFE[\x00\xC9\x00]\x00", 8));
}

} // namespace

namespace {

using platform::flattenIniText;

// Names and values that try to add lines, sections or keys of their own.
struct InjectionCase
{
    const char *name;
    QString section;
    QString key;
    QString value;
    bool stored;
};

class IniInjectionTest : public ::testing::TestWithParam<InjectionCase>
{
};

TEST_P(IniInjectionTest, NoCallerCanAddLinesOrSections)
{
    const InjectionCase c = GetParam();
    IniDocument doc = IniDocument::fromText(QStringLiteral("[Keep]\r\nk=v\r\n"));
    EXPECT_EQ(doc.setValue(c.section, c.key, c.value), c.stored);
    // Whatever happened, the text reads back as the same lines it was written as.
    const IniDocument reread = IniDocument::fromText(IniDocument::decode(IniDocument::encode(doc.toText())));
    EXPECT_EQ(reread.toText(), doc.toText());
    EXPECT_FALSE(reread.hasSection(QStringLiteral("Injected")));
    EXPECT_FALSE(reread.value(QStringLiteral("Keep"), QStringLiteral("injected")).has_value());
    EXPECT_EQ(reread.value(QStringLiteral("Keep"), QStringLiteral("k")), QStringLiteral("v"));
    if (c.stored) {
        EXPECT_EQ(reread.value(c.section, c.key), flattenIniText(c.value));
        EXPECT_LE(reread.sections().size(), 2);
    } else {
        EXPECT_FALSE(doc.isModified());
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, IniInjectionTest,
    ::testing::Values(InjectionCase { "ValueCrLf", QStringLiteral("Keep"), QStringLiteral("a"),
                          QStringLiteral("x\r\n[Injected]\r\ninjected=1"), true },
        InjectionCase { "ValueLf", QStringLiteral("Keep"), QStringLiteral("a"), QStringLiteral("x\n[Injected]"), true },
        InjectionCase { "ValueCr", QStringLiteral("Keep"), QStringLiteral("a"), QStringLiteral("x\rinjected=1"), true },
        InjectionCase { "ValueOtherBreaks", QStringLiteral("Keep"), QStringLiteral("a"),
            QStringLiteral("x\u2028[Injected]\u2029injected=1\u0085\v\f"), true },
        InjectionCase { "ValueNul", QStringLiteral("Keep"), QStringLiteral("a"),
            QStringLiteral("x") + QChar(u'\0') + QStringLiteral("\n[Injected]"), true },
        InjectionCase {
            "SectionCrLf", QStringLiteral("Keep]\r\n[Injected"), QStringLiteral("a"), QStringLiteral("1"), false },
        InjectionCase {
            "SectionLf", QStringLiteral("New\n[Injected]"), QStringLiteral("a"), QStringLiteral("1"), false },
        InjectionCase {
            "SectionBreakOnly", QStringLiteral("New\r\nInjected"), QStringLiteral("a"), QStringLiteral("1"), true },
        InjectionCase { "KeyCrLf", QStringLiteral("Keep"), QStringLiteral("a\r\ninjected"), QStringLiteral("1"), true },
        InjectionCase {
            "KeyHeader", QStringLiteral("Keep"), QStringLiteral("\n[Injected]"), QStringLiteral("1"), false },
        InjectionCase {
            "KeyEquals", QStringLiteral("Keep"), QStringLiteral("injected=1\nx"), QStringLiteral("1"), false },
        InjectionCase {
            "KeyComment", QStringLiteral("Keep"), QStringLiteral("; injected"), QStringLiteral("1"), false }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IniDocumentTest, ValuesThatWouldLoseBlanksOrQuotesGetOneExtraPair)
{
    struct Case
    {
        QString value;
        QString line;
    };
    const Case cases[] = {
        { QStringLiteral("\"--title=My Mix\" {filename} \"--loop\""),
            QStringLiteral("k=\"\"--title=My Mix\" {filename} \"--loop\"\"") },
        { QStringLiteral(" lead"), QStringLiteral("k=\" lead\"") },
        { QStringLiteral("trail "), QStringLiteral("k=\"trail \"") },
        { QStringLiteral("'x'"), QStringLiteral("k=\"'x'\"") },
        { QStringLiteral("\""), QStringLiteral("k=\"\"\"") },
        { QStringLiteral("plain value"), QStringLiteral("k=plain value") },
        { QStringLiteral("mid \"quote\" ok"), QStringLiteral("k=mid \"quote\" ok") },
        { QString(), QStringLiteral("k=") },
    };
    for (const Case &c : cases) {
        IniDocument doc;
        doc.setValue(QStringLiteral("S"), QStringLiteral("k"), c.value);
        EXPECT_EQ(doc.toText(), QStringLiteral("[S]\r\n") + c.line + QStringLiteral("\r\n")) << c.value.toStdString();
        EXPECT_EQ(doc.value(QStringLiteral("S"), QStringLiteral("k")), c.value) << c.value.toStdString();
    }
}

TEST(IniDocumentTest, DecodesWhatHandEditedFilesHold)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        { "Latin-1 without mark", QByteArray("; caf\xE9\nname=Gr\xFCn\n"),
            QStringLiteral("; caf\u00E9\nname=Gr\u00FCn\n") },
        { "UTF-8 without mark", QByteArray("name=Gr\xC3\xBCn"), QStringLiteral("name=Gr\u00FCn") },
        { "UTF-8 with mark", QByteArray("\xEF\xBB\xBFname=Gr\xC3\xBCn"), QStringLiteral("name=Gr\u00FCn") },
        { "UTF-16LE", QByteArray("\xFF\xFEk\0=\0\xFC\0", 8), QStringLiteral("k=\u00FC") },
        { "UTF-16BE", QByteArray("\xFE\xFF\0k\0=\0\xFC", 8), QStringLiteral("k=\u00FC") },
        { "odd last byte", QByteArray("\xFF\xFEk\0=\0v\0x", 9), QStringLiteral("k=v\uFFFD") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(IniDocument::decode(c.bytes), c.text) << c.name;
}

TEST(IniDocumentTest, NulEndsALineAndNeverTravelsInsideAValue)
{
    const QString text = QStringLiteral("[S]\nk=va") + QChar(u'\0') + QStringLiteral("lue\nnext=2\n");
    const IniDocument doc = IniDocument::fromText(text);
    EXPECT_EQ(doc.value(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("va"));
    EXPECT_EQ(doc.value(QStringLiteral("S"), QStringLiteral("next")), QStringLiteral("2"));
    EXPECT_FALSE(doc.toText().contains(QChar(u'\0')));
}

} // namespace
