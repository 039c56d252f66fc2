#include "platform/IniDocument.h"

#include <gtest/gtest.h>

using platform::IniDocument;

namespace {

// A file as a person might have edited it by hand.
const QString kHandEdited = QStringLiteral(
    "; settings written by hand\r\n"
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

INSTANTIATE_TEST_SUITE_P(
    HandEdited, IniReadTest,
    ::testing::Values(ReadCase{"Settings", "Folder 1", "/music/in"},      // blanks around names and values
                      ReadCase{"SETTINGS", "folder 1", "/music/in"},      // case-insensitive names
                      ReadCase{"Settings", "Quoted", "  keep blanks  "},  // quotes removed, blanks inside kept
                      ReadCase{"Settings", "Single", "x"},
                      ReadCase{"Settings", "HalfQuote", "\"open"},        // unmatched quote stays
                      ReadCase{"Settings", "NoEquals", ""},               // a line without "=" is an empty key
                      ReadCase{"Settings", "; Commented", std::nullopt},  // comments are no keys
                      ReadCase{"Settings", "Commented", std::nullopt},
                      ReadCase{"Settings", "Dup", "first"},               // first duplicate wins
                      ReadCase{"Settings", "Colon", "a=b=c"},             // only the first "=" splits
                      ReadCase{"Settings", "Later", std::nullopt},        // the first of two sections wins
                      ReadCase{"Display", "Scaling", "0x78"},
                      ReadCase{"Missing", "Scaling", std::nullopt}));

TEST(IniDocumentTest, WritesKeepLayoutAndPlaceNewEntriesAtTheEnd)
{
    IniDocument doc = IniDocument::fromText(QStringLiteral("[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n"));
    doc.setValue(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("10"));     // replaced in place
    doc.setValue(QStringLiteral("A"), QStringLiteral("new"), QStringLiteral("n"));    // end of its section
    doc.setValue(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("v"));      // new section at the end
    EXPECT_EQ(doc.toText(), QStringLiteral("[A]\r\nx=10\r\ny=2\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n\r\n[C]\r\nk=v\r\n"));
}

TEST(IniDocumentTest, RemovesKeysAndSections)
{
    IniDocument doc = IniDocument::fromText(QStringLiteral("[A]\nx=1\ny=2\n[B]\nz=3\n"));
    EXPECT_TRUE(doc.removeKey(QStringLiteral("A"), QStringLiteral("X")));
    EXPECT_FALSE(doc.removeKey(QStringLiteral("A"), QStringLiteral("X")));
    EXPECT_TRUE(doc.removeSection(QStringLiteral("b")));
    EXPECT_EQ(doc.toText(), QStringLiteral("[A]\r\ny=2\r\n"));
    EXPECT_EQ(doc.sections(), QStringList{QStringLiteral("A")});
}

TEST(IniDocumentTest, EncodesUtf16LittleEndianWithByteOrderMark)
{
    const QByteArray bytes = IniDocument::encode(QStringLiteral("[\u00C9]"));
    EXPECT_EQ(bytes, QByteArray("\xFF\xFE[\x00\xC9\x00]\x00", 8));
}

} // namespace
