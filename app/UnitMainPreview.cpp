// The main window's preview: add-ons at creation, the audio output, playing
// the focused file, volume, the preview switch and the space bar.

#include "app/Globals.h"
#include "app/UnitMain.h"
#include "preview/PreviewPlayer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

namespace {

// The settings window's device row; its number is the library's device
// number. Looked up by name so the preview does not depend on that window's
// class; before it exists, row 1, the first real output.
int SelectedAudioDevice()
{
    constexpr int kDefaultRow = 1;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() != QLatin1String("FormSettings"))
            continue;
        if (const auto *devices = window->findChild<QComboBox *>(QStringLiteral("ComboBoxAudioDevice")))
            return devices->currentIndex(); // -1 with no row: the library's default
    }
    return kDefaultRow;
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
