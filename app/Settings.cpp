#include "app/Settings.h"

#include "app/ErrorBoundary.h"
#include "app/FormHelpers.h"
#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "imaging/IconFile.h"
#include "preview/AudioDevices.h"
#include "scaling/AnchorLayout.h"
#include "scaling/ScaleFunctions.h"
#include "util/AppIconLookup.h"
#include "util/HelperTarvex.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStatusTipEvent>

#include <algorithm>
#include <array>

namespace {

constexpr int kClientWidth = 522;
constexpr int kClientHeight = 578;
constexpr int kThumbMinimum = 32;
constexpr int kThumbMaximum = 10000;
constexpr int kImageSize = 48;

QStringList names(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

// ExtractIconW hands out the system's large icon, 32 pixels at 96 DPI.
constexpr int kExtractedIconSize = 32;

const QString kSettings = QStringLiteral("Settings");
const QString kDisplay = QStringLiteral("Display");
const QString kAudio = QStringLiteral("Audio");

// Entries of ComboBoxDisplayScaling and the "Scaling" values they stand for.
constexpr auto kScalingValues = kDisplayScalingValues;

// Every control here carries its own font (NamedWithFont): captions of group
// boxes and the "..." buttons bold, everything else regular.

QLabel *label(QWidget *parent, const QString &text)
{
    return NamedWithFont(new QLabel(text, parent), QString(), text);
}

// Captions size themselves to their text, so a wider substitute for Tahoma
// does not cut them off. Returns where the caption ends.
int addCaption(AnchorLayout *layout, QWidget *parent, const QString &text, int left, int top)
{
    QLabel *caption = label(parent, text);
    layout->addWidget(caption, QRect(QPoint(left, top), caption->sizeHint()));
    return left + caption->sizeHint().width();
}

// A field beside a caption starts after it: where the font is wider than the
// designed one, the field gives up some of its width rather than cover it.
void keepClearOf(AnchorLayout *layout, QWidget *field, int captionRight)
{
    constexpr int gap = 3;
    QRect rect = layout->designRect(field);
    if (rect.left() < captionRight + gap) {
        rect.setLeft(captionRight + gap);
        layout->setDesignRect(field, rect);
    }
}

// Text does not grow in step with the scale (font sizes are whole pixels):
// after scaling, a caption gets the width its text now needs.
void fitCaptionsToText(QWidget *window)
{
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QLabel *caption : labels) {
        auto *layout
            = caption->parentWidget() ? qobject_cast<AnchorLayout *>(caption->parentWidget()->layout()) : nullptr;
        if (!layout || caption->wordWrap() || caption->text().isEmpty())
            continue;
        QRect rect = layout->designRect(caption);
        const QSize needed = caption->sizeHint();
        if (rect.width() < needed.width() || rect.height() < needed.height()) {
            rect.setSize(rect.size().expandedTo(needed));
            layout->setDesignRect(caption, rect);
        }
    }
}

QPushButton *button(
    QWidget *parent, const QString &objectName, const QString &text, const QString &accessibleName, bool bold)
{
    auto *b = NamedWithFont(new QPushButton(text, parent), objectName, accessibleName, bold);
    // The designed height, not the style's.
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // Enter and Escape mean nothing special in this window.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// The file dialog lists folders, executables and .desktop files, the two
// things that can be started as an application.
class ApplicationFilesFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.suffix() == QStringLiteral("desktop") || info.isExecutable();
    }
};

QPixmap applicationPixmap(const QString &path)
{
    const QIcon icon = ApplicationIcon(path);
    if (icon.isNull())
        return {};
    const int side = MulDiv(kExtractedIconSize, DisplayScale, 96);
    return icon.pixmap(QSize(side, side));
}

} // namespace

TSpinEdit::TSpinEdit(QWidget *parent)
    : QSpinBox(parent)
{
    setRange(kThumbMinimum, kThumbMaximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State TSpinEdit::validate(QString &input, int &) const
{
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QStringLiteral("-") || text == QStringLiteral("+"))
        return QValidator::Intermediate;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok)
        return QValidator::Invalid;
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString &input) const
{
    bool ok = false;
    qlonglong value = input.trimmed().toLongLong(&ok);
    if (!ok)
        value = minimum();
    input = QString::number(std::clamp<qlonglong>(value, minimum(), maximum()));
}

TFormSettings::TFormSettings(QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
{
    CreateControls();
    FormCreate();
}

void TFormSettings::CreateControls()
{
    setObjectName(QStringLiteral("FormSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setAccessibleName(QStringLiteral("Settings"));
    setFont(DesignFont(true));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    auto *layout = new AnchorLayout(this, QSize(kClientWidth, kClientHeight));
    GroupBoxSettings = NamedWithFont(new QGroupBox(QStringLiteral(" Settings: "), this),
        QStringLiteral("GroupBoxSettings"), QStringLiteral(" Settings: "), true);
    layout->addWidget(GroupBoxSettings, QRect(0, 0, 522, 535),
        AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right | AnchorLayout::Bottom);

    CreateAppsGroup();
    CreateThumbnailsGroup();
    CreateDeviceAndScalingGroups();

    ButtonOK = button(this, QStringLiteral("ButtonOK"), QStringLiteral("OK"), QStringLiteral("OK"), false);
    layout->addWidget(ButtonOK, QRect(358, 545, 75, 25), AnchorLayout::Right | AnchorLayout::Bottom);
    ButtonCancel
        = button(this, QStringLiteral("ButtonCancel"), QStringLiteral("Cancel"), QStringLiteral("Cancel"), false);
    layout->addWidget(ButtonCancel, QRect(439, 545, 75, 25), AnchorLayout::Right | AnchorLayout::Bottom);
    connect(ButtonOK, &QPushButton::clicked, this, Guarded(this, &TFormSettings::ButtonOKClick));
    connect(ButtonCancel, &QPushButton::clicked, this, Guarded(this, &TFormSettings::ButtonCancelClick));
}

std::unique_ptr<QFileDialog> TFormSettings::ApplicationDialog()
{
    // Made for each pick and gone after it. A dialog kept hidden for the
    // program's life keeps its file-system model watching every folder it
    // visited; a change there later re-sorts the model under the proxy while
    // cells a screen reader asked for still hold indexes into it, and Qt's
    // model then walks indexes of a view nobody shows (a crash). The dialog
    // costs a few milliseconds to make, and a pick is a rare, explicit act.
    auto dialog = std::make_unique<QFileDialog>(this);
    dialog->setObjectName(QStringLiteral("OpenDialog1"));
    dialog->setAccessibleName(QStringLiteral("Select an application"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The proxy model only works in Qt's own dialog.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setNameFilter(QStringLiteral("Applications (*)"));
    dialog->setProxyModel(new ApplicationFilesFilter(dialog.get()));
    return dialog;
}

void TFormSettings::CreateAppsGroup()
{
    auto *settingsLayout = new AnchorLayout(GroupBoxSettings, QSize(522, 535));
    GroupBoxApps = NamedWithFont(new QGroupBox(QStringLiteral(" Open with applications: "), GroupBoxSettings),
        QStringLiteral("GroupBoxApps"), QStringLiteral(" Open with applications: "), true);
    settingsLayout->addWidget(
        GroupBoxApps, QRect(8, 20, 505, 274), AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right);
    GroupBoxThumbnails = NamedWithFont(new QGroupBox(QStringLiteral(" Audio thumbnails: "), GroupBoxSettings),
        QStringLiteral("GroupBoxThumbnails"), QStringLiteral(" Audio thumbnails: "), true);
    settingsLayout->addWidget(
        GroupBoxThumbnails, QRect(8, 300, 505, 98), AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right);
    GroupBox1 = NamedWithFont(new QGroupBox(QStringLiteral(" Audio device: "), GroupBoxSettings),
        QStringLiteral("GroupBox1"), QStringLiteral(" Audio device: "), true);
    settingsLayout->addWidget(GroupBox1, QRect(8, 404, 504, 58));
    GroupBox2 = NamedWithFont(new QGroupBox(QStringLiteral(" User interface: "), GroupBoxSettings),
        QStringLiteral("GroupBox2"), QStringLiteral(" User interface: "), true);
    settingsLayout->addWidget(GroupBox2, QRect(8, 468, 504, 58));

    auto *apps = new AnchorLayout(GroupBoxApps, QSize(505, 274));
    const int stretch = AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right;
    const int rowTops[] = { 24, 105, 186 };
    QLabel **images[] = { &ImageApp1, &ImageApp2, &ImageApp3 };
    QLineEdit **paths[] = { &EditApp1, &EditApp2, &EditApp3 };
    QPushButton **pickers[] = { &ButtonApp1, &ButtonApp2, &ButtonApp3 };
    QLineEdit **names[] = { &EditApp1Name, &EditApp2Name, &EditApp3Name };
    QLineEdit **parameters[] = { &EditApp1Parameters, &EditApp2Parameters, &EditApp3Parameters };
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        const int top = rowTops[i];
        auto *image = NamedWithFont(
            new QLabel(GroupBoxApps), QStringLiteral("ImageApp") + n, QStringLiteral("Application %1 icon").arg(n));
        image->setAlignment(Qt::AlignCenter);
        apps->addWidget(image, QRect(17, top, kImageSize, kImageSize));
        auto *path = NamedWithFont(
            new QLineEdit(GroupBoxApps), QStringLiteral("EditApp") + n, QStringLiteral("Application %1").arg(n));
        apps->addWidget(path, QRect(71, top, 386, 21), stretch);
        auto *picker = button(GroupBoxApps, QStringLiteral("ButtonApp") + n, QStringLiteral("..."),
            QStringLiteral("Select application %1").arg(n), true);
        apps->addWidget(picker, QRect(463, top, 25, 25), AnchorLayout::Top | AnchorLayout::Right);
        const int nameCaption = addCaption(apps, GroupBoxApps, QStringLiteral("Display name:"), 71, top + 30);
        auto *name = NamedWithFont(new QLineEdit(GroupBoxApps), QStringLiteral("EditApp%1Name").arg(n),
            QStringLiteral("Application %1 display name").arg(n));
        apps->addWidget(name, QRect(144, top + 27, 313, 21), stretch);
        keepClearOf(apps, name, nameCaption);
        const int parametersCaption = addCaption(apps, GroupBoxApps, QStringLiteral("Parameters:"), 71, top + 57);
        auto *parameter = NamedWithFont(new QLineEdit(QStringLiteral("{filename}"), GroupBoxApps),
            QStringLiteral("EditApp%1Parameters").arg(n), QStringLiteral("Application %1 parameters").arg(n));
        apps->addWidget(parameter, QRect(144, top + 54, 313, 21), stretch);
        keepClearOf(apps, parameter, parametersCaption);
        *images[i] = image;
        *paths[i] = path;
        *pickers[i] = picker;
        *names[i] = name;
        *parameters[i] = parameter;
    }
    connect(ButtonApp1, &QPushButton::clicked, this, Guarded(this, &TFormSettings::ButtonApp1Click));
    connect(ButtonApp2, &QPushButton::clicked, this, Guarded(this, &TFormSettings::ButtonApp2Click));
    connect(ButtonApp3, &QPushButton::clicked, this, Guarded(this, &TFormSettings::ButtonApp3Click));
}

void TFormSettings::CreateThumbnailsGroup()
{
    auto *thumbs = new AnchorLayout(GroupBoxThumbnails, QSize(505, 98));
    addCaption(thumbs, GroupBoxThumbnails, QStringLiteral("Width:"), 17, 28);
    SpinEditThumbWidth = NamedWithFont(
        new TSpinEdit(GroupBoxThumbnails), QStringLiteral("SpinEditThumbWidth"), QStringLiteral("Thumbnail width"));
    SpinEditThumbWidth->setValue(400);
    thumbs->addWidget(SpinEditThumbWidth, QRect(71, 25, 106, 22));
    addCaption(thumbs, GroupBoxThumbnails, QStringLiteral("pixels"), 183, 28);
    addCaption(thumbs, GroupBoxThumbnails, QStringLiteral("Height:"), 17, 60);
    SpinEditThumbHeight = NamedWithFont(
        new TSpinEdit(GroupBoxThumbnails), QStringLiteral("SpinEditThumbHeight"), QStringLiteral("Thumbnail height"));
    SpinEditThumbHeight->setValue(100);
    thumbs->addWidget(SpinEditThumbHeight, QRect(71, 57, 106, 22));
    addCaption(thumbs, GroupBoxThumbnails, QStringLiteral("pixels"), 183, 60);
    auto *note = label(GroupBoxThumbnails,
        QStringLiteral("Values will be multiplied by the scaling factor if using UI DPI "
                       "scaling. Applying this setting requires restart."));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for a fourth line: a font wider than the designed one wraps the
    // note once more.
    thumbs->addWidget(note, QRect(260, 30, 214, 56));
}

void TFormSettings::CreateDeviceAndScalingGroups()
{
    auto *device = new AnchorLayout(GroupBox1, QSize(504, 58));
    const int deviceCaption = addCaption(device, GroupBox1, QStringLiteral("Playback device:"), 12, 26);
    ComboBoxAudioDevice = NamedWithFont(
        new QComboBox(GroupBox1), QStringLiteral("ComboBoxAudioDevice"), QStringLiteral("Playback device"));
    ComboBoxAudioDevice->setEditable(false);
    ComboBoxAudioDevice->setMaxVisibleItems(32);
    ComboBoxAudioDevice->addItem(QStringLiteral("Default"));
    device->addWidget(ComboBoxAudioDevice, QRect(98, 22, 390, 21));
    keepClearOf(device, ComboBoxAudioDevice, deviceCaption);

    auto *ui = new AnchorLayout(GroupBox2, QSize(504, 58));
    const int scalingCaption = addCaption(ui, GroupBox2, QStringLiteral("Scale display:"), 12, 26);
    ComboBoxDisplayScaling = NamedWithFont(
        new QComboBox(GroupBox2), QStringLiteral("ComboBoxDisplayScaling"), QStringLiteral("Scale display"));
    ComboBoxDisplayScaling->setEditable(false);
    ComboBoxDisplayScaling->addItems({ QStringLiteral("As Windows (Default)"), QStringLiteral("100%"),
        QStringLiteral("125%"), QStringLiteral("150%"), QStringLiteral("175%"), QStringLiteral("200%") });
    ComboBoxDisplayScaling->setCurrentIndex(0);
    ComboBoxDisplayScaling->setToolTip(QStringLiteral("Select display scaling factor."));
    ComboBoxDisplayScaling->setStatusTip(QStringLiteral("Select display scaling factor."));
    ui->addWidget(ComboBoxDisplayScaling, QRect(83, 22, 166, 21));
    keepClearOf(ui, ComboBoxDisplayScaling, scalingCaption);
    addCaption(ui, GroupBox2, QStringLiteral("Applying this setting requires restart."), 260, 26);
}

void TFormSettings::FormCreate()
{
    ScaleForm(this, DisplayScale);
    fitCaptionsToText(this);
    if (FormMain)
        setWindowIcon(FormMain->windowIcon());
    // The devices are listed after the main window's first paint, or when
    // this window opens: listing starts the sound system, which takes long.
    LoadSettings();
}

QLineEdit *TFormSettings::EditApp(int n) const
{
    return n == 1 ? EditApp1 : n == 2 ? EditApp2 : n == 3 ? EditApp3 : nullptr;
}

QLineEdit *TFormSettings::EditAppName(int n) const
{
    return n == 1 ? EditApp1Name : n == 2 ? EditApp2Name : n == 3 ? EditApp3Name : nullptr;
}

QLineEdit *TFormSettings::EditAppParameters(int n) const
{
    return n == 1 ? EditApp1Parameters : n == 2 ? EditApp2Parameters : n == 3 ? EditApp3Parameters : nullptr;
}

QLabel *TFormSettings::ImageApp(int n) const
{
    return n == 1 ? ImageApp1 : n == 2 ? ImageApp2 : n == 3 ? ImageApp3 : nullptr;
}

void TFormSettings::ListAudioDevices()
{
    if (m_audioDevicesListed)
        return;
    SetAudioDevices(AudioDevices::List());
}

void TFormSettings::SetAudioDevices(const QStringList &names)
{
    if (m_audioDevicesListed)
        return;
    m_audioDevicesListed = true;
    ComboBoxAudioDevice->clear();
    ComboBoxAudioDevice->addItems(names);
    SelectStoredAudioDevice();
}

void TFormSettings::SelectStoredAudioDevice()
{
    // Entry 1 is the first real output, the choice when the stored name is
    // missing or not listed; with no real output there is no selection.
    if (m_audioDevicesListed)
        ComboBoxAudioDevice->setCurrentIndex(AudioDevices::Choose(names(ComboBoxAudioDevice), m_storedAudioDevice));
}

void TFormSettings::showEvent(QShowEvent *event)
{
    ListAudioDevices();
    QDialog::showEvent(event);
}

void TFormSettings::LoadSettings()
{
    const SettingsFile ini(GetSettingsFileName());
    for (int n = 1; n <= 3; ++n)
        EditApp(n)->setText(ini.ReadString(
            kSettings, QStringLiteral("Application %1").arg(n), QStringLiteral("Select an application...")));
    for (int n = 1; n <= 3; ++n)
        EditAppName(n)->setText(ini.ReadString(kSettings, QStringLiteral("Application %1 name").arg(n), QString()));
    for (int n = 1; n <= 3; ++n)
        EditAppParameters(n)->setText(ini.ReadString(
            kSettings, QStringLiteral("Application %1 parameters").arg(n), EditAppParameters(n)->text()));

    SpinEditThumbWidth->setValue(ini.ReadInteger(kDisplay, QStringLiteral("Thumbnail width"), 400));
    SpinEditThumbHeight->setValue(ini.ReadInteger(kDisplay, QStringLiteral("Thumbnail height"), 100));

    m_storedAudioDevice = ini.ReadString(kAudio, QStringLiteral("Device name"), QString());
    SelectStoredAudioDevice();

    const int scaling = ini.ReadInteger(kDisplay, QStringLiteral("Scaling"), 0);
    const auto entry = std::find(kScalingValues.begin(), kScalingValues.end(), scaling);
    if (entry != kScalingValues.end())
        ComboBoxDisplayScaling->setCurrentIndex(int(entry - kScalingValues.begin()));

    RefreshApplicationIcons();
}

void TFormSettings::RefreshApplicationIcons()
{
    for (int n = 1; n <= 3; ++n) {
        QPixmap picture = applicationPixmap(EditApp(n)->text());
        if (picture.isNull()) {
            const int side = MulDiv(kImageSize, DisplayScale, 96);
            picture = QPixmap::fromImage(LoadIconGroup(QStringLiteral("16QUESTION"), kImageSize))
                          .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        ImageApp(n)->setPixmap(picture);
    }
}

platform::Result<> TFormSettings::SaveSettings()
{
    const QString path = GetSettingsFileName();
    if (!path.isEmpty() && !QFileInfo::exists(path)) {
        if (const auto created = CreateUnicodeIniFile(path); !created)
            return platform::Result<>::failure(created.error());
    }
    SettingsFile ini(path);
    for (int n = 1; n <= 3; ++n)
        ini.WriteString(kSettings, QStringLiteral("Application %1").arg(n), EditApp(n)->text());
    for (int n = 1; n <= 3; ++n)
        ini.WriteString(kSettings, QStringLiteral("Application %1 name").arg(n), EditAppName(n)->text());
    for (int n = 1; n <= 3; ++n)
        ini.WriteString(kSettings, QStringLiteral("Application %1 parameters").arg(n), EditAppParameters(n)->text());

    ini.WriteInteger(kDisplay, QStringLiteral("Thumbnail width"), SpinEditThumbWidth->value());
    ini.WriteInteger(kDisplay, QStringLiteral("Thumbnail height"), SpinEditThumbHeight->value());

    // Before the list is made the stored name goes back unchanged.
    if (m_audioDevicesListed)
        m_storedAudioDevice = ComboBoxAudioDevice->currentIndex() >= 0 ? ComboBoxAudioDevice->currentText() : QString();
    ini.WriteString(kAudio, QStringLiteral("Device name"), m_storedAudioDevice);

    const int scaling = ComboBoxDisplayScaling->currentIndex();
    if (scaling >= 0 && scaling < int(kScalingValues.size()))
        ini.WriteInteger(kDisplay, QStringLiteral("Scaling"), kScalingValues[std::size_t(scaling)]);

    if (FormMain)
        SaveWindowBounds(ini, FormMain);
    return ini.Save();
}

void TFormSettings::PickApplication(int n)
{
    const std::unique_ptr<QFileDialog> dialog = ApplicationDialog();
    OpenDialog1 = dialog.get();
    dialog->selectFile(EditApp(n)->text());
    const int answer = dialog->exec();
    const QStringList chosen = dialog->selectedFiles();
    OpenDialog1 = nullptr;
    if (answer != QDialog::Accepted)
        return;
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    EditApp(n)->setText(path);
    ImageApp(n)->setPixmap(applicationPixmap(path));
    EditAppName(n)->setText(ApplicationDisplayName(path));
}

void TFormSettings::ButtonApp1Click()
{
    PickApplication(1);
}

void TFormSettings::ButtonApp2Click()
{
    PickApplication(2);
}

void TFormSettings::ButtonApp3Click()
{
    PickApplication(3);
}

void TFormSettings::ButtonOKClick()
{
    if (const auto saved = SaveSettings(); !saved) {
        // The window stays open with the user's values; the toolbar keeps the last saved ones.
        VantrelApplication::ReportError(saved.error());
        return;
    }
    if (FormMain)
        FormMain->DisplayOpenWithButtons();
    accept();
}

void TFormSettings::ButtonCancelClick()
{
    LoadSettings();
    reject();
}

bool TFormSettings::event(QEvent *event)
{
    // Hints show in the main window's status bar, like every hint.
    if (event->type() == QEvent::StatusTip && FormMain) {
        QStatusTipEvent copy(static_cast<QStatusTipEvent *>(event)->tip());
        QCoreApplication::sendEvent(FormMain, &copy);
        return true;
    }
    return QDialog::event(event);
}

void TFormSettings::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
