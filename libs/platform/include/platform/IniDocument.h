#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QHash>
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
//
// Whatever a caller hands to the setters reads back as it was given, with two
// exceptions a line-based file cannot hold: a line break becomes a blank and
// a NUL ends the text. A name that would read back as something else (a
// section name with "]", a key name with "=" or starting like a comment or a
// header) is refused, so no caller can add lines or sections it did not ask for.
class IniDocument;

// The values of one section, looked up by name in constant time with the
// rules of IniDocument::value: for a batch of reads from a large file, where
// every value() walks the lines from the top.
class IniSectionValues
{
public:
    std::optional<QString> value(const QString &key) const;
    qsizetype size() const { return m_values.size(); }

private:
    friend class IniDocument;
    QHash<QString, QString> m_values; // unquoted values by lookup name
};

class IniDocument
{
public:
    enum class LoadStatus { Ok, Missing, Unreadable, TooLarge };

    // A settings file a person could have written is far below this; anything
    // larger is damage or a mistake, and reading it would stall every start.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    IniDocument() = default;
    static IniDocument fromText(const QString &text);
    // A UTF-16 byte-order mark (either order) or a UTF-8 one says the
    // encoding; text without one is UTF-8 when it is valid UTF-8, else the
    // 8-bit Latin-1 a Windows program would read. A last odd byte of UTF-16
    // text shows as U+FFFD instead of vanishing.
    static QString decode(const QByteArray &bytes);
    static IniDocument load(const QString &path, LoadStatus *status = nullptr);
    // A sentence saying why a file with this status is not replaced; empty for Ok and Missing.
    static QString describe(LoadStatus status);

    // Writes UTF-16LE with a byte-order mark and CR LF line ends into a
    // temporary file that then replaces the target, so the old content stays
    // whole when anything fails. A failure carries the reason.
    Result<> save(const QString &path) const;

    QString toText() const;
    static QByteArray encode(const QString &text);

    std::optional<QString> value(const QString &section, const QString &key) const;
    bool hasSection(const QString &section) const;
    QStringList sections() const;
    QStringList keys(const QString &section) const;
    // Every section with its values, in one pass over the lines, keyed by
    // iniLookupName of the section's name.
    QHash<QString, IniSectionValues> sectionIndex() const;

    // False, and the document unchanged, when a name cannot be stored.
    bool setValue(const QString &section, const QString &key, const QString &value);
    bool addSection(const QString &section);
    bool removeKey(const QString &section, const QString &key);
    bool removeSection(const QString &section);

    // True once an edit has changed the lines since loading.
    bool isModified() const { return m_modified; }

private:
    int findSection(const QString &section) const;
    int sectionEnd(int header) const;
    int findKey(int header, const QString &key) const;
    void appendSectionHeader(const QString &section);

    QStringList m_lines;
    bool m_modified = false;
};

// A section or key name in the form under which the lookup rules find it:
// without surrounding blanks, case-folded, flattened as a write would store it.
QString iniLookupName(const QString &name);

// Value text as the private-profile read hands it back: blanks trimmed and one
// pair of enclosing quotes removed.
QString unquoteIniValue(const QString &raw);

// The text a value is stored as so that unquoteIniValue gives it back: a
// value that begins or ends with a blank or a quote gets one extra pair of
// double quotes. Line breaks must be gone already (see flattenIniText).
QString quoteIniValue(const QString &value);

// Text as one line of the file can hold it: cut at the first NUL, every line
// break (CR, LF, VT, FF, NEL, U+2028, U+2029) turned into a blank.
QString flattenIniText(const QString &text);

// Whether flattenIniText would change the text: callers that would rather
// not store a changed value (a folder name) ask this first.
bool holdsLineBreak(const QString &text);

} // namespace platform
