#include "platform/KeyStore.h"

#include "platform/IniDocument.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

using platform::KeyStore;

namespace {

const QString kKey
    = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\App settings\\{14041EA1-43B5-474A-B7BA-CAE3B9460048}");

TEST(KeyStoreTest, KeyExistsOnceItsSectionExistsEvenWithoutValues)
{
    TempDir dir;
    KeyStore store(dir.filePath(QStringLiteral("Tarvex/registry.ini")));
    EXPECT_FALSE(store.keyExists(kKey));
    ASSERT_TRUE(store.createKey(kKey));
    EXPECT_TRUE(store.keyExists(kKey));
    EXPECT_TRUE(store.keyExists(kKey.toLower()));
    EXPECT_FALSE(store.readString(kKey, QStringLiteral("Folder")).has_value());
    EXPECT_EQ(TempDir::readAll(store.path()),
        platform::IniDocument::encode(QLatin1Char('[') + kKey + QStringLiteral("]\r\n")));
}

TEST(KeyStoreTest, StoresTextAndDwordValues)
{
    TempDir dir;
    KeyStore store(dir.filePath(QStringLiteral("registry.ini")));
    ASSERT_TRUE(store.writeString(kKey, QStringLiteral("Folder"), QStringLiteral("/home/u/Music/")));
    ASSERT_TRUE(store.writeDword(kKey, QStringLiteral("Filter index"), quint32(-1)));
    EXPECT_EQ(store.readString(kKey, QStringLiteral("folder")).value_or(QString()), QStringLiteral("/home/u/Music/"));
    EXPECT_EQ(store.readDword(kKey, QStringLiteral("Filter index")).value_or(0), 4294967295u);
    EXPECT_EQ(store.readString(kKey, QStringLiteral("Filter index")).value_or(QString()), QStringLiteral("4294967295"));

    ASSERT_TRUE(store.deleteValue(kKey, QStringLiteral("Folder")));
    EXPECT_FALSE(store.readString(kKey, QStringLiteral("Folder")).has_value());
    EXPECT_TRUE(store.keyExists(kKey));
}

TEST(KeyStoreTest, MalformedDwordIsAbsent)
{
    TempDir dir;
    KeyStore store(dir.filePath(QStringLiteral("registry.ini")));
    ASSERT_TRUE(store.writeString(kKey, QStringLiteral("Filter index"), QStringLiteral("-3")));
    EXPECT_FALSE(store.readDword(kKey, QStringLiteral("Filter index")).has_value());
}

TEST(KeyStoreTest, WritesThatCannotBeStoredFailWithTheReasonAndLeaveTheStore)
{
    TempDir dir;
    const QByteArray before = platform::IniDocument::encode(QLatin1Char('[') + kKey + QStringLiteral("]\r\nA=1\r\n"));
    QByteArray oversized = before + "; ";
    oversized.append(QByteArray(platform::IniDocument::kMaxFileSize, 'x'));
    struct Case
    {
        const char *what;
        QByteArray stored;
        std::function<platform::Result<>(KeyStore &)> write;
        QString reason;
    };
    const QString refused = QStringLiteral("cannot be stored in the key store");
    const QString tooLarge = QStringLiteral("larger than 1024 KiB");
    const Case cases[] = {
        { "key name with a bracket", before, [](KeyStore &s) { return s.createKey(QStringLiteral("a]b")); }, refused },
        { "value name with '='", before,
            [](KeyStore &s) { return s.writeString(kKey, QStringLiteral("a=b"), QStringLiteral("v")); }, refused },
        { "number under a refused name", before,
            [](KeyStore &s) { return s.writeDword(kKey, QStringLiteral("[x"), 1); }, refused },
        { "store over the size cap", oversized,
            [](KeyStore &s) { return s.writeString(kKey, QStringLiteral("A"), QStringLiteral("2")); }, tooLarge },
        { "delete in a store over the size cap", oversized,
            [](KeyStore &s) { return s.deleteValue(kKey, QStringLiteral("A")); }, tooLarge },
        { "edit of a store over the size cap", oversized,
            [](KeyStore &s) { return s.edit([](platform::IniDocument &doc) { doc.removeSection(kKey); }); }, tooLarge },
    };
    for (const Case &c : cases) {
        const QString path = dir.write(QStringLiteral("registry.ini"), c.stored);
        KeyStore store(path);
        const platform::Result<> written = c.write(store);
        ASSERT_FALSE(written) << c.what;
        EXPECT_TRUE(written.error().contains(c.reason)) << c.what << ": " << written.error().toStdString();
        EXPECT_EQ(TempDir::readAll(path), c.stored) << c.what;
    }
}

TEST(KeyStoreTest, DefaultPathIsInTheConfigFolder)
{
    EXPECT_TRUE(KeyStore::defaultPath().endsWith(QStringLiteral("/Tarvex/registry.ini")));
}

} // namespace

namespace {

TEST(KeyStoreTest, GuidKeyNameIsUpperCaseInBraces)
{
    const quint8 tail[8] = { 0xB7, 0xBA, 0xCA, 0xE3, 0xB9, 0x46, 0x00, 0x48 };
    EXPECT_EQ(platform::GuidKeyName(0x14041EA1, 0x43B5, 0x474A, tail),
        QStringLiteral("{14041EA1-43B5-474A-B7BA-CAE3B9460048}"));
    const quint8 zeros[8] = {};
    EXPECT_EQ(platform::GuidKeyName(0xA, 0xB, 0xC, zeros), QStringLiteral("{0000000A-000B-000C-0000-000000000000}"));
}

// A store as people and other programs leave it: names in other cases and
// with blanks around them, duplicates, quotes, comments, a key without
// values, a repeated key whose later values are never read.
const char kHandWritten[] = "; written by hand\r\n"
                            "[Software\\Tarvex\\Brivane Dialogs\\Places]\r\n"
                            "Name1=Drums\r\n"
                            "Folder1=/music/drums\r\n"
                            "  folder2  =  \"  padded  \"  \r\n"
                            "Folder2=second of two\r\n"
                            "Name2\r\n"
                            "; Folder3=commented out\r\n"
                            "Grüße=Ärger\r\n"
                            "Count=4294967295\r\n"
                            "Big=4294967296\r\n"
                            "Negative=-1\r\n"
                            "Hex=0x10\r\n"
                            "[  software\\tarvex\\brivane dialogs\\EMPTY  ]\r\n"
                            "[Software\\Tarvex\\Brivane Dialogs\\Places]\r\n"
                            "Folder9=in the repeated key\r\n"
                            "Name1=repeated\r\n"
                            "[Unclosed\r\n"
                            "Value=in the unclosed header\r\n";

TEST(KeyStoreReaderTest, AnswersAsTheSingleReadsDo)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("registry.ini"), QByteArray(kHandWritten));
    const KeyStore store(path);
    const platform::KeyStoreReader reader(path);
    const QString places = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Places");
    const QString empty = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Empty");
    const struct
    {
        QString key;
        QString name;
    } reads[] = {
        { places, QStringLiteral("Name1") },
        { places.toUpper(), QStringLiteral(" folder1 ") },
        { places, QStringLiteral("Folder2") },
        { places, QStringLiteral("Name2") },
        { places, QStringLiteral("Folder3") },
        { places, QStringLiteral("GRÜSSE") },
        { places, QStringLiteral("grüße") },
        { places, QStringLiteral("Count") },
        { places, QStringLiteral("Big") },
        { places, QStringLiteral("Negative") },
        { places, QStringLiteral("Hex") },
        { places, QStringLiteral("Folder9") },
        { empty, QStringLiteral("Name1") },
        { QStringLiteral("Unclosed"), QStringLiteral("Value") },
        { QStringLiteral("Missing"), QStringLiteral("Name1") },
        { places + QStringLiteral("\n"), QStringLiteral("Name1\r") },
    };
    for (const auto &read : reads) {
        const std::string what = QString(read.key + QStringLiteral(" / ") + read.name).toStdString();
        EXPECT_EQ(reader.keyExists(read.key), store.keyExists(read.key)) << what;
        EXPECT_EQ(reader.readString(read.key, read.name), store.readString(read.key, read.name)) << what;
        EXPECT_EQ(reader.readDword(read.key, read.name), store.readDword(read.key, read.name)) << what;
    }
    // The table reaches every kind of answer, so agreeing is not agreeing on nothing.
    EXPECT_EQ(reader.readString(places, QStringLiteral("Folder2")), QStringLiteral("  padded  "));
    EXPECT_EQ(reader.readString(places, QStringLiteral("Name2")), QString());
    EXPECT_EQ(reader.readDword(places, QStringLiteral("Count")), 4294967295u);
    EXPECT_FALSE(reader.readString(places, QStringLiteral("Folder9")).has_value());
    EXPECT_TRUE(reader.keyExists(empty));
    EXPECT_EQ(reader.valueCount(empty), 0);
    EXPECT_EQ(reader.valueCount(places), 9);
    EXPECT_FALSE(platform::KeyStoreReader(dir.filePath(QStringLiteral("none.ini"))).keyExists(places));
}

} // namespace
