#pragma once

#include "platform/IniDocument.h"
#include "platform/Result.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace platform {

// A GUID in the registry's key-name form: braces, upper-case hexadecimal,
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". Dialog keys are named by it on
// both sides of the dialog library's interface.
QString GuidKeyName(quint32 data1, quint16 data2, quint16 data3, const quint8 (&data4)[8]);

// The per-user key store that stands in for the registry's current-user hive.
// One INI file; a key is a section named by its full path below the hive and
// exists when its section header exists, even without values. Text values
// are stored as they are, 32-bit numbers as unsigned decimal text.
class KeyStore
{
public:
    // $XDG_CONFIG_HOME/Tarvex/registry.ini
    static QString defaultPath();

    explicit KeyStore(QString path = defaultPath());

    const QString &path() const { return m_path; }

    bool keyExists(const QString &key) const;
    // Writes fail with the reason: the store unreadable, over its size cap or
    // refused by the disk, or a name it cannot hold.
    Result<> createKey(const QString &key);

    std::optional<QString> readString(const QString &key, const QString &name) const;
    std::optional<quint32> readDword(const QString &key, const QString &name) const;

    Result<> writeString(const QString &key, const QString &name, const QString &value);
    Result<> writeDword(const QString &key, const QString &name, quint32 value);
    Result<> deleteValue(const QString &key, const QString &name);

    // Several changes in one load and one atomic rewrite of the store.
    Result<> edit(const std::function<void(IniDocument &)> &change);

private:
    QString m_path;
};

// The key store read once for a batch of reads (a dialog's remembered state,
// its places, the recent folders): one load and one pass over the file,
// where each of KeyStore's reads loads and searches the whole file again.
// The answers are the ones those reads give.
class KeyStoreReader
{
public:
    explicit KeyStoreReader(const QString &path = KeyStore::defaultPath());

    bool keyExists(const QString &key) const;
    std::optional<QString> readString(const QString &key, const QString &name) const;
    std::optional<quint32> readDword(const QString &key, const QString &name) const;
    // How many values the key holds; 0 for a key that does not exist.
    qsizetype valueCount(const QString &key) const;

private:
    QHash<QString, IniSectionValues> m_keys;
};

} // namespace platform
