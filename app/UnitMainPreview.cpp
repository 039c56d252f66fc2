// The main window's preview: add-ons at creation, the audio output, playing
// the focused file, volume, the preview switch and the space bar.

#include "app/DeferredStartup.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "browser/BrivaneDialogsDefs.h"
#include "platform/WindowMessage.h"
#include "preview/PreviewPlayer.h"
#include "preview/PreviewWorker.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>

void TFormMain::InitializePreview()
{
    Preview = new PreviewWorker(this);
    Preview->setVolume(TrackBarVolume->value());
    connect(Preview, &PreviewWorker::played, this, [this](std::uint32_t stream) { PreviewStream = stream; });
    connect(Preview, &PreviewWorker::ended, this,
        [this](std::uint32_t stream, const QString &FileName) { PreviewEnded(stream, FileName); });
    connect(TrackBarVolume, &QSlider::valueChanged, this, [this] { TrackBarVolumeChange(); });
    // Also runs when the settings set the box, as a click would.
    connect(CheckBoxPreview, &QCheckBox::toggled, this, [this] { CheckBoxPreviewClick(); });
    connect(ActionSpaceBar, &QAction::triggered, this, [this] { ActionSpaceBarExecute(); });
    InitializeTransport();
}

void TFormMain::PreviewEnded(std::uint32_t stream, const QString &FileName)
{
    // Only the preview of the file still focused goes on: the user may have
    // moved on just as it ended. Never behind a dialog, which must be
    // answered first.
    if (!CheckBoxAutoAdvance->isChecked() || stream != PreviewStream || FileName != FocusedFileName
        || BrivaneDialogsWindow == 0 || QApplication::activeModalWidget())
        return;
    if (platform::sendWindowMessage(BrivaneDialogsWindow, bdMsgFocusNextFile) != 1)
        return; // the end of the list
    // The focus report has played it already when focus changes play.
    if (!CheckBoxPreview->isChecked())
        PlayPreviewFile(FocusedFileName);
}

void TFormMain::EnsureAudioOutput()
{
    // Ignored when the output was opened already, or is being opened.
    DeferredLoading->setAudioOutput(
        FormSettings ? FormSettings->StoredAudioDevice() : QString(), static_cast<QWidget *>(this));
    DeferredLoading->openAudioOutput();
}

void TFormMain::PlayPreviewFile(const QString &FileName)
{
    // A file focused before the start-up worker got to the output still
    // plays: the output opens here then (or this waits for the worker to
    // finish opening it); afterwards this is a check of a flag.
    EnsureAudioOutput();
    // Opening the file waits on its content: the worker does it, and the
    // newest file asked for replaces any still waiting.
    if (Preview)
        Preview->play(FileName);
}

void TFormMain::TrackBarVolumeChange()
{
    // The Fusion style fills the track from its start to the thumb, which is
    // the selection this slider shows.
    const int position = TrackBarVolume->value();
    LabelVolumeValue->setText(QString::number(position) + QLatin1Char('%'));
    if (Preview)
        Preview->setVolume(position);
}

void TFormMain::CheckBoxPreviewClick()
{
    // Ticking plays nothing: the next focus change does.
    if (!CheckBoxPreview->isChecked() && Preview)
        Preview->stop();
}

void TFormMain::ActionSpaceBarExecute()
{
    // After the play asked for last, so it reaches that file's stream. With
    // nothing playing the focused file plays, whether or not focus plays.
    if (!Preview)
        return;
    EnsureAudioOutput();
    Preview->playOrTogglePause(FocusedFileName);
}

void TFormMain::ReleaseBASS()
{
    // The worker ends first: no call of its may follow the release.
    delete Preview;
    Preview = nullptr;
    PreviewPlayer::CloseOutput();
}
