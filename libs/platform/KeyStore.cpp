#include "platform/KeyStore.h"

#include "platform/IniDocument.h"
#include "platform/IniEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

// The store's folder is made on the first write, as the hive would exist.
Result<> editStore(const QString &path, const std::function<void(IniDocument &)> &edit)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return editIniFile(path, edit);
}

// A write whose name the document refused (a line break, a bracket in a key
// name) fails even though the file itself was fine.
Result<> storedOrRefused(Result<> saved, bool stored)
{
    if (saved && !stored)
        return Result<>::failure(QStringLiteral("The name cannot be stored in the key store."));
    return saved;
}

// A 32-bit number as stored: unsigned decimal text.
std::optional<quint32> dwordOf(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qulonglong value = text->toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(value);
}

} // namespace

QString GuidKeyName(quint32 data1, quint16 data2, quint16 data3, const quint8 (&data4)[8])
{
    QString text = QStringLiteral("{%1-%2-%3-")
                       .arg(data1, 8, 16, QLatin1Char('0'))
                       .arg(data2, 4, 16, QLatin1Char('0'))
                       .arg(data3, 4, 16, QLatin1Char('0'));
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            text += QLatin1Char('-');
        text += QStringLiteral("%1").arg(data4[i], 2, 16, QLatin1Char('0'));
    }
    return text.toUpper() + QLatin1Char('}');
}

QString KeyStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tarvex/registry.ini");
}

KeyStore::KeyStore(QString path)
    : m_path(std::move(path))
{ }

bool KeyStore::keyExists(const QString &key) const
{
    return IniDocument::load(m_path).hasSection(key);
}

Result<> KeyStore::createKey(const QString &key)
{
    bool stored = true;
    Result<> saved = editStore(m_path, [&](IniDocument &doc) { stored = doc.addSection(key); });
    return storedOrRefused(std::move(saved), stored);
}

std::optional<QString> KeyStore::readString(const QString &key, const QString &name) const
{
    return IniDocument::load(m_path).value(key, name);
}

std::optional<quint32> KeyStore::readDword(const QString &key, const QString &name) const
{
    return dwordOf(readString(key, name));
}

Result<> KeyStore::writeString(const QString &key, const QString &name, const QString &value)
{
    bool stored = true;
    Result<> saved = editStore(m_path, [&](IniDocument &doc) { stored = doc.setValue(key, name, value); });
    return storedOrRefused(std::move(saved), stored);
}

Result<> KeyStore::writeDword(const QString &key, const QString &name, quint32 value)
{
    return writeString(key, name, QString::number(value));
}

Result<> KeyStore::deleteValue(const QString &key, const QString &name)
{
    return editStore(m_path, [&](IniDocument &doc) { doc.removeKey(key, name); });
}

Result<> KeyStore::edit(const std::function<void(IniDocument &)> &change)
{
    return editStore(m_path, change);
}

KeyStoreReader::KeyStoreReader(const QString &path)
    : m_keys(IniDocument::load(path).sectionIndex())
{ }

bool KeyStoreReader::keyExists(const QString &key) const
{
    return m_keys.contains(iniLookupName(key));
}

std::optional<QString> KeyStoreReader::readString(const QString &key, const QString &name) const
{
    const auto found = m_keys.constFind(iniLookupName(key));
    if (found == m_keys.cend())
        return std::nullopt;
    return found->value(name);
}

std::optional<quint32> KeyStoreReader::readDword(const QString &key, const QString &name) const
{
    return dwordOf(readString(key, name));
}

qsizetype KeyStoreReader::valueCount(const QString &key) const
{
    return m_keys.value(iniLookupName(key)).size();
}

} // namespace platform
