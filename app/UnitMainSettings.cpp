// The main window's keys in the settings file.
#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/UnitMain.h"
#include "app/WindowBounds.h"
#include "scaling/DragLimitSplitter.h"
#include "scaling/ScaleFunctions.h"
#include "util/HelperTarvex.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kHints = QStringLiteral("Hints");
const QString kWindow = QStringLiteral("Window");

} // namespace

void TFormMain::LoadSettings()
{
    const SettingsFile ini(GetSettingsFileName());

    const int detailsWidth = ini.ReadInteger(
        kSettings, QStringLiteral("Details width"), MulDiv(PanelListerContainer->width(), 96, DisplayScale));
    const int panelWidth = MulDiv(detailsWidth, DisplayScale, 96);
    const QList<int> sizes = Splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    Splitter1->setSizes({ std::max(0, total - panelWidth), panelWidth });
    PanelListerContainer->resize(panelWidth, PanelListerContainer->height());

    CheckBoxPreview->setChecked(
        ini.ReadBool(kSettings, QStringLiteral("Preview on select"), CheckBoxPreview->isChecked()));
    TrackBarVolume->setValue(ini.ReadInteger(kSettings, QStringLiteral("Preview volume"), TrackBarVolume->value()));
    CheckBoxLoop->setChecked(ini.ReadBool(kSettings, QStringLiteral("Preview loop"), CheckBoxLoop->isChecked()));
    CheckBoxAutoAdvance->setChecked(
        ini.ReadBool(kSettings, QStringLiteral("Preview auto-advance"), CheckBoxAutoAdvance->isChecked()));

    EditFolder1->setText(ini.ReadString(kSettings, QStringLiteral("Folder 1"), EditFolder1->text()));
    EditFolder2->setText(ini.ReadString(kSettings, QStringLiteral("Folder 2"), EditFolder2->text()));
    EditFolder3->setText(ini.ReadString(kSettings, QStringLiteral("Folder 3"), EditFolder3->text()));

    ToolButton4->setChecked(
        ini.ReadBool(kSettings, QStringLiteral("Group box folders visible"), ToolButton4->isChecked()));
    ToolButton4Click();

    ShowTreeViewHint = ini.ReadBool(kHints, QStringLiteral("Tree-view show"), ShowTreeViewHint);

    // The window is maximized already; these become its normal bounds. They
    // are the client area's, as SaveWindowBounds writes them, made to fit
    // the screens there are now.
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowBounds stored;
    stored.x = ini.ReadInteger(kWindow, QStringLiteral("X"), normal.x());
    stored.y = ini.ReadInteger(kWindow, QStringLiteral("Y"), normal.y());
    stored.width = ini.ReadInteger(kWindow, QStringLiteral("Width"), normal.width());
    stored.height = ini.ReadInteger(kWindow, QStringLiteral("Height"), normal.height());
    const QRect fitted = FitWindowBounds(stored, minimumSize(), AvailableScreenGeometries());
    const Qt::WindowStates state = windowState();
    setWindowState(Qt::WindowNoState);
    setGeometry(fitted);
    setWindowState(state);

    switch (ini.ReadInteger(kWindow, QStringLiteral("State"), 0)) {
    case 0:
        setWindowState(Qt::WindowMaximized);
        break;
    case 1:
        setWindowState(Qt::WindowNoState);
        break;
    default:
        break;
    }
}

platform::Result<> TFormMain::SaveSettings()
{
    const QString path = GetSettingsFileName();
    if (!QFileInfo::exists(path)) {
        if (const auto created = CreateUnicodeIniFile(path); !created)
            return platform::Result<>::failure(created.error());
    }
    SettingsFile ini(path);

    ini.WriteInteger(
        kSettings, QStringLiteral("Details width"), MulDiv(PanelListerContainer->width(), 96, DisplayScale));
    ini.WriteBool(kSettings, QStringLiteral("Preview on select"), CheckBoxPreview->isChecked());
    ini.WriteInteger(kSettings, QStringLiteral("Preview volume"), TrackBarVolume->value());
    ini.WriteBool(kSettings, QStringLiteral("Preview loop"), CheckBoxLoop->isChecked());
    ini.WriteBool(kSettings, QStringLiteral("Preview auto-advance"), CheckBoxAutoAdvance->isChecked());
    ini.WriteString(kSettings, QStringLiteral("Folder 1"), EditFolder1->text());
    ini.WriteString(kSettings, QStringLiteral("Folder 2"), EditFolder2->text());
    ini.WriteString(kSettings, QStringLiteral("Folder 3"), EditFolder3->text());
    ini.WriteBool(kSettings, QStringLiteral("Group box folders visible"), ToolButton4->isChecked());

    ini.WriteBool(kHints, QStringLiteral("Tree-view show"), ShowTreeViewHint);

    SaveWindowBounds(ini, this);
    return ini.Save();
}
