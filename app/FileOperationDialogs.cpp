#include "app/FileOperationDialogs.h"

#include "app/FormHelpers.h"
#include "app/Globals.h"
#include "scaling/ScaleFunctions.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kProgressSteps = 1000;

QString verb(FileOperationKind kind)
{
    return kind == FileOperationKind::Move ? QStringLiteral("Moving") : QStringLiteral("Copying");
}

// A label's text is also what a screen reader says for it.
void showText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleName(text);
}

QString describe(qint64 size, const QDateTime &modified)
{
    return FormatByteSize(size) + QStringLiteral(", modified ") + QLocale().toString(modified, QLocale::ShortFormat);
}

} // namespace

QString FormatByteSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

TFormFileOperationProgress::TFormFileOperationProgress(
    QWidget *owner, FileOperationKind kind, int fileCount, const QString &folder)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormFileOperationProgress"));
    const QString title = verb(kind) + QStringLiteral(" files");
    setWindowTitle(title);
    setAccessibleName(title);
    setFont(DesignFont());
    setWindowModality(Qt::WindowModal);

    auto *layout = new QVBoxLayout(this);
    LabelOperation = Named(new QLabel(this), QStringLiteral("LabelOperation"), QString());
    LabelOperation->setTextFormat(Qt::PlainText);
    showText(LabelOperation,
        verb(kind) + QLatin1Char(' ')
            + (fileCount == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(fileCount))
            + QStringLiteral(" to ") + QDir::toNativeSeparators(folder));
    LabelOperation->setWordWrap(true);
    layout->addWidget(LabelOperation);
    LabelCurrentFile = Named(new QLabel(this), QStringLiteral("LabelCurrentFile"), QString());
    LabelCurrentFile->setTextFormat(Qt::PlainText);
    layout->addWidget(LabelCurrentFile);
    ProgressBarTransfer
        = Named(new QProgressBar(this), QStringLiteral("ProgressBarTransfer"), QStringLiteral("Progress"));
    ProgressBarTransfer->setRange(0, kProgressSteps);
    ProgressBarTransfer->setValue(0);
    layout->addWidget(ProgressBarTransfer);
    LabelAmount = Named(new QLabel(this), QStringLiteral("LabelAmount"), QString());
    layout->addWidget(LabelAmount);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonCancel = Named(
        new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("ButtonCancel"), QStringLiteral("Cancel"));
    buttons->addWidget(ButtonCancel);
    layout->addLayout(buttons);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormFileOperationProgress::reject);

    setMinimumWidth(420);
    ScaleForm(this, DisplayScale);
}

void TFormFileOperationProgress::SetProgress(const FileOperationProgress &progress)
{
    // Once the user cancelled, that is what the window says until it goes.
    if (!m_cancelling)
        showText(LabelCurrentFile, QFileInfo(progress.currentFile).fileName());
    const int value = progress.totalBytes > 0
        ? int(progress.doneBytes * kProgressSteps / progress.totalBytes)
        : (progress.totalFiles > 0 ? progress.doneFiles * kProgressSteps / progress.totalFiles : 0);
    ProgressBarTransfer->setValue(std::clamp(value, 0, kProgressSteps));
    showText(
        LabelAmount, FormatByteSize(progress.doneBytes) + QStringLiteral(" of ") + FormatByteSize(progress.totalBytes));
}

void TFormFileOperationProgress::reject()
{
    // The window closes when the operation has stopped, not before: the
    // file in transfer is still being cleaned up.
    m_cancelling = true;
    ButtonCancel->setEnabled(false);
    showText(LabelCurrentFile, QStringLiteral("Cancelling..."));
    Q_EMIT CancelRequested();
}

TFormFileConflict::TFormFileConflict(QWidget *owner, FileOperationKind kind, const FileConflict &conflict)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormFileConflict"));
    setWindowTitle(QStringLiteral("File already exists"));
    setAccessibleName(windowTitle());
    setFont(DesignFont());
    setWindowModality(Qt::ApplicationModal);

    const QFileInfo target(conflict.target);
    auto *layout = new QVBoxLayout(this);
    LabelQuestion = Named(new QLabel(this), QStringLiteral("LabelQuestion"), QString());
    LabelQuestion->setTextFormat(Qt::PlainText);
    LabelQuestion->setWordWrap(true);
    showText(LabelQuestion,
        QStringLiteral("The folder \"%1\" already has a file named \"%2\". What should happen to the "
                       "file you are %3?")
            .arg(QDir::toNativeSeparators(target.path()), target.fileName(),
                kind == FileOperationKind::Move ? QStringLiteral("moving") : QStringLiteral("copying")));
    layout->addWidget(LabelQuestion);
    LabelExisting = Named(new QLabel(this), QStringLiteral("LabelExisting"), QString());
    LabelExisting->setTextFormat(Qt::PlainText);
    showText(LabelExisting, QStringLiteral("Existing file: ") + describe(conflict.targetSize, conflict.targetModified));
    layout->addWidget(LabelExisting);
    LabelIncoming = Named(new QLabel(this), QStringLiteral("LabelIncoming"), QString());
    LabelIncoming->setTextFormat(Qt::PlainText);
    showText(LabelIncoming, QStringLiteral("Incoming file: ") + describe(conflict.sourceSize, conflict.sourceModified));
    layout->addWidget(LabelIncoming);
    CheckBoxApplyToAll = Named(new QCheckBox(QStringLiteral("Do the same for all remaining conflicts"), this),
        QStringLiteral("CheckBoxApplyToAll"), QStringLiteral("Do the same for all remaining conflicts"));
    layout->addWidget(CheckBoxApplyToAll);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const auto addButton = [&](const QString &name, const QString &text, ConflictResolution resolution) {
        auto *button = Named(new QPushButton(text, this), name, text);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, resolution] {
            m_resolution = resolution;
            if (resolution == ConflictResolution::Cancel)
                reject();
            else
                accept();
        });
        return button;
    };
    ButtonReplace = addButton(QStringLiteral("ButtonReplace"), QStringLiteral("Replace"), ConflictResolution::Replace);
    ButtonSkip = addButton(QStringLiteral("ButtonSkip"), QStringLiteral("Skip"), ConflictResolution::Skip);
    ButtonKeepBoth
        = addButton(QStringLiteral("ButtonKeepBoth"), QStringLiteral("Keep both"), ConflictResolution::KeepBoth);
    ButtonCancel = addButton(QStringLiteral("ButtonCancel"), QStringLiteral("Cancel"), ConflictResolution::Cancel);
    // Enter never replaces a file by accident.
    ButtonSkip->setDefault(true);
    layout->addLayout(buttons);
    ScaleForm(this, DisplayScale);
}

ConflictDecision TFormFileConflict::Decision() const
{
    // Escape and the title-bar button leave the resolution at Cancel.
    ConflictDecision decision;
    decision.resolution = result() == QDialog::Accepted ? m_resolution : ConflictResolution::Cancel;
    decision.applyToAll = CheckBoxApplyToAll->isChecked();
    return decision;
}

TFormFileError::TFormFileError(QWidget *owner, FileOperationKind kind, const QString &source, const QString &message)
    : QMessageBox(QMessageBox::Warning, QStringLiteral("Error"),
        QStringLiteral("\"%1\" could not be %2.\n%3")
            .arg(QFileInfo(source).fileName(),
                kind == FileOperationKind::Move ? QStringLiteral("moved") : QStringLiteral("copied"), message),
        QMessageBox::NoButton, owner)
{
    setObjectName(QStringLiteral("FileOperationErrorBox"));
    setAccessibleName(windowTitle());
    setAccessibleDescription(text());
    setTextFormat(Qt::PlainText);
    if (auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setAccessibleName(text());
    ButtonSkip = addButton(QStringLiteral("Skip"), QMessageBox::AcceptRole);
    ButtonSkip->setObjectName(QStringLiteral("ButtonSkip"));
    ButtonSkip->setAccessibleName(ButtonSkip->text());
    ButtonCancel = addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAccessibleName(ButtonCancel->text());
    setDefaultButton(ButtonSkip);
    setEscapeButton(ButtonCancel);
}

bool TFormFileError::SkipChosen() const
{
    // Closed from outside (the operation was cancelled): not a skip.
    return clickedButton() == ButtonSkip;
}
