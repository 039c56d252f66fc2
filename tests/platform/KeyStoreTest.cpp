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

} // namespace
