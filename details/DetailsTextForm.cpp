#include "details/DetailsTextForm.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>

DetailsContents BuildDetailsContents(const TDetailsLines &lines)
{
    DetailsContents contents;
    contents.rows.reserve(lines.size());
    int currentGroup = -1;
    for (const QString &line : lines) {
        DetailsLine item = ClassifyDetailsLine(line);
        switch (item.kind) {
        case DetailsLine::Kind::Row:
            contents.rows.append(DetailsRow { std::move(item.name), std::move(item.value), currentGroup });
            break;
        case DetailsLine::Kind::Heading:
            contents.groups.append(std::move(item.value));
            currentGroup = static_cast<int>(contents.groups.size() - 1);
            break;
        case DetailsLine::Kind::Blank:
            break;
        }
    }
    return contents;
}

void AppendDetailsTextForm(QStringList &list, const DetailsContents &contents)
{
    // One pass to bucket the rows keeps this linear in the report's length.
    QList<QList<qsizetype>> rowsOfGroup(contents.groups.size());
    for (qsizetype i = 0; i < contents.rows.size(); ++i) {
        const int group = contents.rows.at(i).group;
        if (group >= 0 && group < rowsOfGroup.size())
            rowsOfGroup[group].append(i);
    }
    for (qsizetype g = 0; g < contents.groups.size(); ++g) {
        list.append(contents.groups.at(g));
        for (const qsizetype i : std::as_const(rowsOfGroup.at(g))) {
            const DetailsRow &row = contents.rows.at(i);
            list.append(row.name % u": " % row.value);
        }
        list.append(QString());
    }
}

QString JoinDetailsLines(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text.append(line);
        text.append(u"\r\n");
    }
    return text;
}

QByteArray EncodeDetailsText(const QString &text)
{
    // A lone surrogate has no encoding in any 8-bit code page; mark it the
    // same way as any other character the encoding lacks.
    QString mappable = text;
    for (qsizetype i = 0; i < mappable.size(); ++i) {
        const QChar c = mappable.at(i);
        if (c.isHighSurrogate() && i + 1 < mappable.size() && mappable.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            mappable[i] = u'?';
    }
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(mappable);
    if (encoder.hasError()) {
        // Encode one character at a time so only what fails becomes "?".
        bytes.clear();
        for (qsizetype i = 0; i < mappable.size(); ++i) {
            const qsizetype length = (mappable.at(i).isHighSurrogate() && i + 1 < mappable.size()) ? 2 : 1;
            QStringEncoder single(QStringConverter::System, QStringConverter::Flag::Stateless);
            const QByteArray part = single.encode(QStringView(mappable).sliced(i, length));
            bytes.append(single.hasError() ? QByteArray("?") : part);
            i += length - 1;
        }
    }
    return bytes;
}

platform::Result<> SaveDetailsTextFile(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = EncodeDetailsText(JoinDetailsLines(lines));
    const auto fail = [&path](const QString &reason) {
        return platform::Result<>::failure(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    };
    // Writing through a temporary file would quietly replace a file the user
    // protected against writing; refuse as a direct write would.
    const QFileInfo target(path);
    if (target.exists() && target.isFile() && !target.isWritable())
        return fail(QString::fromLocal8Bit(std::strerror(EACCES)));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return {};
}
