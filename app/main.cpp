#include "app/Globals.h"
#include "app/ProgramStyle.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/TerminationSignals.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "imaging/FreeImageLoader.h"
#include "scaling/DPIFunctions.h"

#include <QGuiApplication>
#include <QScreen>

#include <fontconfig/fontconfig.h>
#include <memory>
#include <thread>

// Start-up and shutdown run in one fixed order: the dialog library bound
// before any window, the scale chosen before the main window, the settings
// window before the toolbar that reads it. Libraries the first
// paint does not need are bound right after it (or at their first use).
int main(int argc, char **argv)
{
    // fontconfig reads its configuration and font caches (dozens of files
    // under /etc/fonts and /var/cache) when the first font is asked for. A
    // worker reads them while Qt connects to the display, so the first text
    // the window lays out does not wait for them.
    const std::jthread fontconfigWarmUp([] { FcInit(); });
    // The dialog library, bound for the browser and for the dialog component;
    // released after everything else, when main returns.
    const BrivaneDialogsBindings brivaneDialogs;
    // FreeImage decodes the toolbar's stock images; bound after the first
    // paint, released before the dialog library.
    const FreeImageLibraryScope freeImage(FreeImageLibraryScope::BindLater);

    // The program scales every length itself.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    VantrelApplication app(argc, argv);
    // Screen readers and desktop tools know a program by its executable's name.
    QApplication::setApplicationName(QStringLiteral("vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Tarvex"));
    // Wayland compositors tie a window to its desktop entry, and so to the
    // entry's name and icon, by the app id Qt sends: the entry's id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
    QApplication::setStyle(new ProgramStyle);

    DisplayScale = ReadDisplayScaling(SettingsFile(GetSettingsFileName()));
    if (DisplayScale == 0) {
        const QList<QScreen *> screens = QGuiApplication::screens();
        DisplayScale = GetMonitorDpi(screens.isEmpty() ? nullptr : screens.first());
    }

    auto formMain = std::make_unique<TFormMain>();
    FormMain = formMain.get();
    app.setActionManager(formMain->ActionManager1);
    CloseWindowOnTerminationSignals(formMain.get());

    // Files handed over by a file manager or on the command line.
    formMain->SetStartupArguments(QCoreApplication::arguments().mid(1));
    formMain->OpenBrivaneDialogsIntegrated();
    formMain->show();

    // The settings window, hidden: its fields hold what the audio output and
    // the toolbar read. Made while the X server maps the main window, which
    // the first paint waits for anyway; the toolbar is filled before it.
    auto formSettings = std::make_unique<TFormSettings>(formMain.get());
    FormSettings = formSettings.get();
    // FreeImage and MediaInfo, the audio add-ons, the device list and the
    // audio output come right after the first paint, on a worker.
    formMain->StartDeferredStartupAfterFirstPaint();
    formMain->DisplayOpenWithButtons();
    const int result = app.exec();

    // Windows go in the reverse order of their creation.
    FormSettings = nullptr;
    formSettings.reset();
    app.setActionManager(nullptr);
    FormMain = nullptr;
    formMain.reset();
    return result;
}
