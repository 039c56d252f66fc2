#pragma once

#include "support/AsNobody.h"
#include "util/FileOperation.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <vector>

// An observer that answers from a script and records what it was asked.
struct ScriptedObserver : FileOperationObserver
{
    std::vector<ConflictDecision> answers;
    std::vector<FileConflict> conflicts;
    ErrorResolution onError = ErrorResolution::Skip;
    QStringList errors;
    std::function<void(const FileOperationProgress &)> onProgress;
    FileOperationProgress last;

    ConflictDecision resolveConflict(const FileConflict &conflict) override
    {
        conflicts.push_back(conflict);
        if (answers.empty())
            return { ConflictResolution::Cancel, false };
        const ConflictDecision answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    ErrorResolution resolveError(const QString &source, const QString &message) override
    {
        errors.append(source + QStringLiteral(": ") + message);
        return onError;
    }
    void progress(const FileOperationProgress &progress) override
    {
        last = progress;
        if (onProgress)
            onProgress(progress);
    }
};

// Bytes that differ at every offset, so a torn or shifted copy shows.
QByteArray patternBytes(qint64 size, quint32 seed);
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);
// Every name in a folder, hidden ones included.
QStringList entriesOf(const QString &folder);
quint64 inodeOf(const QString &path);

// A tmpfs mounted for the life of the object, so a test has a second file
// system. Needs root; mounted() says whether it worked.
class TmpfsMount
{
public:
    explicit TmpfsMount(const QString &path);
    ~TmpfsMount();
    bool mounted() const { return m_mounted; }
    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_mounted = false;
};
