#pragma once

#include "details/MediaInfoLibraryFunctions.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The details view's contents without the widget: groups in creation order
// and rows in view order, each row pointing at its group or at none.
struct DetailsRow
{
    QString name;
    QString value;
    int group = -1; // -1: the row came before the first heading
};

struct DetailsContents
{
    QStringList groups; // header texts; a group's index is its position here
    QList<DetailsRow> rows;
};

// Applies the line rule to every line: a heading opens a new current group,
// a row joins the current group, a blank line is skipped.
DetailsContents BuildDetailsContents(const TDetailsLines &lines);

// Appends the text form: per group its header, one "name: value" line per
// row of that group in row order, then an empty line. Rows without a group
// are left out.
void AppendDetailsTextForm(QStringList &list, const DetailsContents &contents);

// The lines as one text with CR LF after every line, the last one too.
QString JoinDetailsLines(const QStringList &lines);

// Text in the locale's 8-bit encoding, no byte-order mark; a character the
// encoding cannot hold becomes "?".
QByteArray EncodeDetailsText(const QString &text);

// Creates or replaces Path with the lines, encoded and CR LF terminated.
// The file is replaced only once it is complete, so a failure leaves any
// earlier file as it was. A failure names the path and the system's reason
// when the file cannot be written.
platform::Result<> SaveDetailsTextFile(const QString &path, const QStringList &lines);
