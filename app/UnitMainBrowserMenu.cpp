// The main window's entries in the embedded browser's context menu: open
// with one of the configured applications, copy or move to a preset folder.
// They run the same handlers as the toolbar and the folder buttons, so both
// ways behave alike (the same selection request, messages and dialogs).
#include "app/BrowserFileMenu.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "util/OpenWithLauncher.h"

#include <QLineEdit>
#include <QToolButton>

namespace {

// Commands handed to the library: the hundreds say what, the units which slot or row.
constexpr std::uint32_t kOpenWithMenu = 100;
constexpr std::uint32_t kCopyToMenu = 200;
constexpr std::uint32_t kMoveToMenu = 300;

// What a folder edit shows until a folder was picked or typed.
const QString kFolderPlaceholder = QStringLiteral("Select a folder...");

QString escapedAmpersands(QString text)
{
    return text.replace(QStringLiteral("&"), QStringLiteral("&&"));
}

} // namespace

bool TFormMain::IsPresetFolderSet(const QString &folder)
{
    return !folder.trimmed().isEmpty() && folder != kFolderPlaceholder;
}

void TFormMain::FillBrowserFileMenu(TBDMenuRequest &request)
{
    if (!BrowserMenu)
        BrowserMenu = std::make_shared<BrowserFileMenu>();
    BrowserFileMenu &menu = *BrowserMenu;
    menu.clear();
    const bool anySelected = request.SelectionCount > 0;

    menu.addSubmenu(kOpenWithMenu, QStringLiteral("Open &with"), QStringLiteral("MenuOpenWith"));
    QToolButton *buttons[] = { ToolButton1, ToolButton2, ToolButton3 };
    for (int n = 1; n <= 3; ++n) {
        QToolButton *button = buttons[n - 1];
        const int image = ToolButtonImageIndex(button);
        const QImage icon = image >= 0 && image < ImageListFilesButtons.count()
            ? ImageListFilesButtons.at(image).toImage()
            : QImage();
        // The button's caption already has its ampersands doubled.
        const bool usable = FormSettings && IsUsableApplication(FormSettings->EditApp(n)->text());
        menu.addItem(kOpenWithMenu + std::uint32_t(n), kOpenWithMenu, button->text().trimmed(),
            QStringLiteral("ActionOpenWith%1").arg(n), icon, usable && anySelected);
    }

    QLineEdit *folders[] = { EditFolder1, EditFolder2, EditFolder3 };
    const struct
    {
        std::uint32_t menu;
        const char *caption;
        const char *name;
    } kinds[] = { { kCopyToMenu, "&Copy to", "CopyTo" }, { kMoveToMenu, "&Move to", "MoveTo" } };
    for (const auto &kind : kinds) {
        menu.addSubmenu(
            kind.menu, QString::fromLatin1(kind.caption), QStringLiteral("Menu") + QLatin1String(kind.name));
        for (int n = 1; n <= 3; ++n) {
            const QString folder = folders[n - 1]->text();
            const bool set = IsPresetFolderSet(folder);
            const QString caption = set ? escapedAmpersands(folder) : QStringLiteral("Folder %1 (not set)").arg(n);
            menu.addItem(kind.menu + std::uint32_t(n), kind.menu, caption,
                QStringLiteral("Action%1%2").arg(QLatin1String(kind.name)).arg(n), {}, set && anySelected);
        }
    }
    menu.fill(request);
}

void TFormMain::BrowserFileMenuCommand(std::uint32_t command)
{
    switch (command) {
    case kOpenWithMenu + 1:
        ToolButton1Click();
        break;
    case kOpenWithMenu + 2:
        ToolButton2Click();
        break;
    case kOpenWithMenu + 3:
        ToolButton3Click();
        break;
    case kCopyToMenu + 1:
        Button2Click();
        break;
    case kCopyToMenu + 2:
        Button5Click();
        break;
    case kCopyToMenu + 3:
        Button8Click();
        break;
    case kMoveToMenu + 1:
        Button3Click();
        break;
    case kMoveToMenu + 2:
        Button6Click();
        break;
    case kMoveToMenu + 3:
        Button9Click();
        break;
    default:
        break; // not ours
    }
}
