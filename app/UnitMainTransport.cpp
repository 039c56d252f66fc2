// The main window's transport under the details: whether the preview plays,
// where it is (a bar to seek with, elapsed and total time), the loop switch,
// and playing a file again when it is opened in the browser.

#include "app/FormHelpers.h"
#include "app/SeekSlider.h"
#include "app/TransportIcons.h"
#include "app/UnitMain.h"
#include "platform/SaturatingCast.h"
#include "preview/PreviewWorker.h"
#include "scaling/AnchorLayout.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

// The bar counts milliseconds: fine enough for a drag across a long file.
constexpr int kBarUnitsPerSecond = 1000;
// How often the bar and the times follow playback: smooth enough for the
// eye, and each reading is one cheap request to the preview's worker.
constexpr int kProgressIntervalMs = 100;
// Shift+Left and Shift+Right: the bar's own page step.
constexpr double kKeySeekSeconds = 5;

// "1:05.3": minutes, seconds and tenths; samples are often short.
QString FormatTime(double seconds)
{
    const auto tenths = platform::SaturatingCast<long long>(std::floor(std::max(0.0, seconds) * 10));
    const long long minutes = tenths / 600;
    const long long rest = tenths % 600;
    return QStringLiteral("%1:%2.%3").arg(minutes).arg(rest / 10, 2, 10, QLatin1Char('0')).arg(rest % 10);
}

QString StateText(PreviewPlayer::Progress::State state)
{
    switch (state) {
    case PreviewPlayer::Progress::State::Playing:
        return QStringLiteral("Playing");
    case PreviewPlayer::Progress::State::Paused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

} // namespace

void TFormMain::CreateTransportControls(AnchorLayout *layout)
{
    QWidget *box = layout->parentWidget();
    const QFont font = DesignFont(false);

    ButtonPlayPause = Named(new QToolButton(box), QStringLiteral("ButtonPlayPause"), QStringLiteral("Play/pause"));
    ButtonPlayPause->setCheckable(true);
    ButtonPlayPause->setAutoRaise(true);
    SetHint(ButtonPlayPause, QStringLiteral("Pauses or resumes the preview, or plays it again once it ended."));
    // Sized here, not by the style, which goes by the screen's DPI; the
    // main window's scaling multiplies it.
    ButtonPlayPause->setIconSize(QSize(16, 16));
    layout->addWidget(ButtonPlayPause, QRect(12, 62, 24, 24));

    LabelElapsed
        = Named(new QLabel(FormatTime(0), box), QStringLiteral("LabelElapsed"), QStringLiteral("Elapsed time"));
    LabelElapsed->setFont(font);
    LabelElapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(LabelElapsed, QRect(38, 66, 46, 16));

    TrackBarPosition = Named(new SeekSlider(box), QStringLiteral("TrackBarPosition"), QStringLiteral("Position"));
    TrackBarPosition->setRange(0, 0);
    TrackBarPosition->setSingleStep(kBarUnitsPerSecond);
    TrackBarPosition->setPageStep(5 * kBarUnitsPerSecond);
    SetHint(TrackBarPosition, QStringLiteral("Where the preview is. Click or drag to play from another place."));
    layout->addWidget(
        TrackBarPosition, QRect(90, 62, 300, 24), AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right);

    LabelTotal = Named(new QLabel(FormatTime(0), box), QStringLiteral("LabelTotal"), QStringLiteral("Total time"));
    LabelTotal->setFont(font);
    layout->addWidget(LabelTotal, QRect(396, 66, 46, 16), AnchorLayout::Top | AnchorLayout::Right);

    CheckBoxLoop
        = Named(new QCheckBox(QStringLiteral("Loop"), box), QStringLiteral("CheckBoxLoop"), QStringLiteral("Loop"));
    CheckBoxLoop->setFont(font);
    SetHint(CheckBoxLoop, QStringLiteral("Play the preview over and over."));
    // The style draws the box at the screen's DPI, which can need more room.
    layout->addWidget(CheckBoxLoop, QRect(QPoint(466, 66), QSize(70, 17).expandedTo(CheckBoxLoop->sizeHint())),
        AnchorLayout::Top | AnchorLayout::Right);

    TimerTransport = new QTimer(this);
    TimerTransport->setObjectName(QStringLiteral("TimerTransport"));
    TimerTransport->setInterval(kProgressIntervalMs);
    ShowTransportProgress({});
}

void TFormMain::InitializeTransport()
{
    connect(TimerTransport, &QTimer::timeout, this, [this] { TimerTransportTimer(); });
    connect(TrackBarPosition, &SeekSlider::seekRequested, this, [this](int value) { TrackBarPositionSeek(value); });
    connect(TrackBarPosition, &QSlider::sliderMoved, this,
        [this](int value) { LabelElapsed->setText(FormatTime(double(value) / kBarUnitsPerSecond)); });
    connect(ButtonPlayPause, &QToolButton::clicked, this, [this] { ButtonPlayPauseClick(); });
    connect(ActionSeekBack, &QAction::triggered, this, [this] { SeekPreviewBy(-kKeySeekSeconds); });
    connect(ActionSeekForward, &QAction::triggered, this, [this] { SeekPreviewBy(kKeySeekSeconds); });
    // Also runs when the settings set the box.
    connect(CheckBoxLoop, &QCheckBox::toggled, this, [this](bool loop) {
        if (Preview)
            Preview->setLoop(loop);
    });
    TimerTransport->start();
}

void TFormMain::TimerTransportTimer()
{
    if (!Preview)
        return;
    // The reading asked for now arrives by the next tick; this shows the last one.
    ShowTransportProgress(Preview->progress());
    Preview->refreshProgress();
}

void TFormMain::ShowTransportProgress(const PreviewPlayer::Progress &progress)
{
    using State = PreviewPlayer::Progress::State;
    const bool playing = progress.state == State::Playing;
    ButtonPlayPause->setChecked(playing);
    // The timer shows the progress many times a second; the face changes
    // only with the state. Compared with the face shown, not with the
    // checked state: a click toggles that before the state follows.
    const QIcon face = transportIcon(playing ? TransportIcon::Pause : TransportIcon::Play);
    if (ButtonPlayPause->icon().cacheKey() != face.cacheKey())
        ButtonPlayPause->setIcon(face);
    const QString state = StateText(progress.state);
    if (ButtonPlayPause->accessibleDescription() != state)
        ButtonPlayPause->setAccessibleDescription(state);
    // A header can claim any length: the bar stops at the longest it counts.
    const int length = platform::SaturatingCast<int>(std::round(progress.length * kBarUnitsPerSecond));
    if (TrackBarPosition->maximum() != length)
        TrackBarPosition->setRange(0, length);
    if (!TrackBarPosition->isSliderDown()) {
        TrackBarPosition->showPosition(
            platform::SaturatingCast<int>(std::round(progress.position * kBarUnitsPerSecond)));
        LabelElapsed->setText(FormatTime(progress.position));
    }
    LabelTotal->setText(FormatTime(progress.length));
}

void TFormMain::AdoptThemedTransportFaces()
{
    const bool showsPause = ButtonPlayPause->icon().cacheKey() == transportIcon(TransportIcon::Pause).cacheKey();
    if (adoptThemedTransportIcons())
        ButtonPlayPause->setIcon(transportIcon(showsPause ? TransportIcon::Pause : TransportIcon::Play));
}

void TFormMain::TrackBarPositionSeek(int value)
{
    if (!Preview)
        return;
    LabelElapsed->setText(FormatTime(double(value) / kBarUnitsPerSecond));
    // The very end would be past the last sample: play its last moment instead.
    const int last = std::max(0, TrackBarPosition->maximum() - 1);
    Preview->seek(double(std::min(value, last)) / kBarUnitsPerSecond);
}

void TFormMain::SeekPreviewBy(double seconds)
{
    if (!Preview)
        return;
    const PreviewPlayer::Progress progress = Preview->progress();
    // An ended preview stays ended: a seek would start it again.
    if (progress.state == PreviewPlayer::Progress::State::Stopped || progress.length <= 0)
        return;
    const double last = std::max(0.0, progress.length - 1.0 / kBarUnitsPerSecond);
    Preview->seek(std::clamp(progress.position + seconds, 0.0, last));
}

void TFormMain::ButtonPlayPauseClick()
{
    if (!Preview)
        return;
    // An ended preview plays again from its start; else as the space bar.
    if (Preview->progress().state == PreviewPlayer::Progress::State::Stopped)
        Preview->seek(0);
    else
        Preview->togglePause();
}

void TFormMain::ReplayFile(const QString &FileName)
{
    // Opening a file always plays it from its start, whether or not focus
    // changes play.
    if (!FileName.isEmpty())
        PlayPreviewFile(FileName);
}
