#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// An INI file held as its lines, with the lookup rules of the Windows
// private-profile functions: names compared without regard to case and with
// surrounding blanks ignored, the first of duplicate sections or keys wins,
// lines starting with ";" are comments, a line without "=" is a key with an
// empty value, and a value enclosed in matching quotes loses them.
// Edits keep every other line as it was.
class IniDocument
{
public:
    enum class LoadStatus { Ok, Missing, Unreadable };

    IniDocument() = default;
    static IniDocument fromText(const QString &text);
    // A file with a UTF-16LE byte-order mark is UTF-16; anything else is UTF-8.
    static IniDocument load(const QString &path, LoadStatus *status = nullptr);

    // Writes UTF-16LE with a byte-order mark and CR LF line ends into a
    // temporary file that then replaces the target, so the old content stays
    // whole when anything fails. On failure returns false with the reason.
    bool save(const QString &path, QString *error = nullptr) const;

    QString toText() const;
    static QByteArray encode(const QString &text);

    std::optional<QString> value(const QString &section, const QString &key) const;
    bool hasSection(const QString &section) const;
    QStringList sections() const;
    QStringList keys(const QString &section) const;

    void setValue(const QString &section, const QString &key, const QString &value);
    void addSection(const QString &section);
    bool removeKey(const QString &section, const QString &key);
    bool removeSection(const QString &section);

private:
    int findSection(const QString &section) const;
    int sectionEnd(int header) const;
    int findKey(int header, const QString &key) const;
    void appendSectionHeader(const QString &section);

    QStringList m_lines;
};

// Value text as the private-profile read hands it back: blanks trimmed and one
// pair of enclosing quotes removed.
QString unquoteIniValue(const QString &raw);

} // namespace platform
