#pragma once

#include "util/FileOperation.h"

#include <QDialog>
#include <QMessageBox>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

// Progress of a copy or move; shown only when the transfer takes a while.
// Cancel (the button, Escape or the title-bar button) asks the operation to
// stop; the window stays until the operation has stopped.
class TFormFileOperationProgress : public QDialog
{
    Q_OBJECT

public:
    TFormFileOperationProgress(QWidget *owner, FileOperationKind kind, int fileCount, const QString &folder);

    void SetProgress(const FileOperationProgress &progress);

    QLabel *LabelOperation = nullptr;
    QLabel *LabelCurrentFile = nullptr;
    QProgressBar *ProgressBarTransfer = nullptr;
    QLabel *LabelAmount = nullptr;
    QPushButton *ButtonCancel = nullptr;

Q_SIGNALS:
    void CancelRequested();

public:
    void reject() override;

private:
    bool m_cancelling = false;
};

// Asks what to do with a file whose name is taken in the target folder.
class TFormFileConflict : public QDialog
{
    Q_OBJECT

public:
    TFormFileConflict(QWidget *owner, FileOperationKind kind, const FileConflict &conflict);

    ConflictDecision Decision() const;

    QLabel *LabelQuestion = nullptr;
    QLabel *LabelExisting = nullptr;
    QLabel *LabelIncoming = nullptr;
    QCheckBox *CheckBoxApplyToAll = nullptr;
    QPushButton *ButtonReplace = nullptr;
    QPushButton *ButtonSkip = nullptr;
    QPushButton *ButtonKeepBoth = nullptr;
    QPushButton *ButtonCancel = nullptr;

private:
    ConflictResolution m_resolution = ConflictResolution::Cancel;
};

// Asks whether to go on after a file failed: skip it, or stop.
class TFormFileError : public QMessageBox
{
    Q_OBJECT

public:
    TFormFileError(QWidget *owner, FileOperationKind kind, const QString &source, const QString &message);

    bool SkipChosen() const;

    QPushButton *ButtonSkip = nullptr;
    QPushButton *ButtonCancel = nullptr;
};

// "1.5 MB" and the like.
QString FormatByteSize(qint64 bytes);
