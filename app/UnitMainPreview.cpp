// The main window's preview: add-ons at creation, the audio output, playing
// the focused file, volume, the preview switch and the space bar.

#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "preview/PreviewPlayer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

namespace {

// The settings window's selected device row: its number is the library's
// device number, -1 (no row) the library's default. Before that window
// exists, row 1, the first real output.
int SelectedAudioDevice()
{
    constexpr int kDefaultRow = 1;
    return FormSettings ? FormSettings->ComboBoxAudioDevice->currentIndex() : kDefaultRow;
}

} // namespace

void TFormMain::InitializePreview()
{
    connect(TrackBarVolume, &QSlider::valueChanged, this, [this] { TrackBarVolumeChange(); });
    // Also runs when the settings set the box, as a click would.
    connect(CheckBoxPreview, &QCheckBox::toggled, this, [this] { CheckBoxPreviewClick(); });
    connect(ActionSpaceBar, &QAction::triggered, this, [this] { ActionSpaceBarExecute(); });
    PreviewPlayer::LoadAddOns();
}

void TFormMain::InitializeBASS()
{
    // The window handle is the main window itself.
    PreviewPlayer::OpenOutput(SelectedAudioDevice(), static_cast<QWidget *>(this));
}

void TFormMain::PlayPreviewFile(const QString &FileName)
{
    PreviewStream = PreviewPlayer::Play(PreviewStream, FileName, TrackBarVolume->value());
}

void TFormMain::TrackBarVolumeChange()
{
    // The Fusion style fills the track from its start to the thumb, which is
    // the selection this slider shows.
    const int position = TrackBarVolume->value();
    LabelVolumeValue->setText(QString::number(position) + QLatin1Char('%'));
    PreviewPlayer::SetVolume(PreviewStream, position);
}

void TFormMain::CheckBoxPreviewClick()
{
    // Ticking plays nothing: the next focus change does.
    if (!CheckBoxPreview->isChecked())
        PreviewPlayer::Stop(PreviewStream);
}

void TFormMain::ActionSpaceBarExecute()
{
    PreviewPlayer::TogglePause(PreviewStream);
}

void TFormMain::ReleaseBASS()
{
    PreviewPlayer::CloseOutput();
}
