#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Details lines: one file's MediaInfo report as text lines without line
// breaks, owned by the caller.
using TDetailsLines = QStringList;

// The library name the program binds at start-up.
inline QString mediaInfoLibraryName()
{
    return QStringLiteral("libmediainfo.so.0");
}

// Binds the library once per run, from any thread; later calls do nothing
// (a call made while another thread binds waits for it). The program binds
// on a worker right after its first paint, and again, as a no-op or the
// first binding, before each details read. The flag it sets stays for the
// rest of the run.
void InitializeMediaInfoLibraryFunctions(const QString &libraryFileName = mediaInfoLibraryName());

// Whether details can be read: the library loaded and every entry point a
// read calls is there.
bool MediaInfoLibraryAvailable();

// Replaces Lines with FileName's report, split into lines, without the first
// "Cover_Data" line. Leaves Lines untouched when the library is unavailable.
// Reports nothing: an unreadable file just gives a short or empty report.
void ReadFileDetails(const QString &FileName, TDetailsLines &Lines);

// Splits at CR LF, lone CR and lone LF; a break at the very end makes no
// extra empty line.
TDetailsLines SplitDetailsReport(QStringView report);

// Removes the first line containing "Cover_Data" (case-sensitive), only it.
void RemoveFirstCoverDataLine(TDetailsLines &lines);

// What one details line is to the view.
struct DetailsLine
{
    enum class Kind { Row, Heading, Blank };
    Kind kind = Kind::Blank;
    QString name; // Row: the trimmed text before the separator
    QString value; // Row: the trimmed text after it; Heading: the trimmed line
};

// Where a line splits into name and value: MediaInfo's own separator (blanks,
// a colon, then a blank or the line's end) where the line has one, else the
// first colon; -1 without any colon.
qsizetype DetailsSeparator(QStringView line);

// The line rule: a non-empty text before the separator makes a row, split
// there only, so colons in the name and in the value both stay; otherwise a
// non-blank line is a heading; otherwise it is blank. Trimming drops
// characters up to U+0020 at both ends.
DetailsLine ClassifyDetailsLine(QStringView line);

// Trims every leading and trailing character whose code is at most U+0020.
QStringView TrimDetailsText(QStringView text);
