// What the settings and hint windows ask of the window manager: a dialog
// of the main window (its type, and transient for it) whose Motif hints
// allow closing but neither minimizing nor maximizing. How a window manager
// draws that is its own choice (openbox keeps a minimize button on every
// dialog); what it must honour, it reports in the allowed actions. The
// offscreen platform has no window manager, so this runs under openbox
// (under-openbox.sh) and reads each window's properties with xprop.
#include "MainWindowTestSupport.h"
#include "app/DialogTreeViewHint.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/VantrelApplication.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <memory>
#include <optional>

namespace {

// Bits of the Motif window manager hints (flags, then functions).
constexpr unsigned kMotifHintsFunctions = 1u << 0;
constexpr unsigned kMotifFunctionAll = 1u << 0;
constexpr unsigned kMotifFunctionMinimize = 1u << 3;
constexpr unsigned kMotifFunctionMaximize = 1u << 4;
constexpr unsigned kMotifFunctionClose = 1u << 5;

// How often the properties are read before the window counts as unmanaged:
// openbox sets them while it takes the window, which is before it shows.
constexpr int kPropertyReads = 100;
constexpr int kPropertyReadInterval = 50;

QString xprop(const QWidget &window, const QString &property)
{
    QProcess process;
    process.start(QStringLiteral("xprop"), { QStringLiteral("-id"), QString::number(window.winId()), property });
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// "_NET_WM_ALLOWED_ACTIONS(ATOM) = _NET_WM_ACTION_MOVE, _NET_WM_ACTION_CLOSE"
QStringList allowedActions(const QWidget &window)
{
    for (int read = 0; read < kPropertyReads; ++read) {
        const QString line = xprop(window, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0) {
            QStringList actions = line.mid(equals + 1).split(u',', Qt::SkipEmptyParts);
            for (QString &action : actions)
                action = action.trimmed();
            return actions;
        }
        QTest::qWait(kPropertyReadInterval);
    }
    return {};
}

// "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x1, 0x24, 0x0, 0x0, 0x0": flags,
// functions, decorations, input mode, status.
std::optional<unsigned> motifFunctions(const QWidget &window)
{
    const QString line = xprop(window, QStringLiteral("_MOTIF_WM_HINTS"));
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QStringList fields = line.mid(equals + 1).split(u',', Qt::SkipEmptyParts);
    if (fields.size() < 2)
        return std::nullopt;
    bool flagsOk = false;
    bool functionsOk = false;
    const unsigned flags = fields[0].trimmed().toUInt(&flagsOk, 0);
    const unsigned functions = fields[1].trimmed().toUInt(&functionsOk, 0);
    if (!flagsOk || !functionsOk || !(flags & kMotifHintsFunctions))
        return std::nullopt;
    return functions;
}

// "WM_TRANSIENT_FOR(WINDOW): window id # 0x1c00007"
std::optional<unsigned long> transientFor(const QWidget &window)
{
    const QString line = xprop(window, QStringLiteral("WM_TRANSIENT_FOR"));
    const qsizetype hash = line.indexOf(u'#');
    if (hash < 0)
        return std::nullopt;
    bool ok = false;
    const unsigned long id = line.mid(hash + 1).trimmed().toULong(&ok, 0);
    return ok ? std::optional<unsigned long>(id) : std::nullopt;
}

// "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DIALOG": the types asked
// for, most specific first.
QStringList windowTypes(const QWidget &window)
{
    const QString line = xprop(window, QStringLiteral("_NET_WM_WINDOW_TYPE"));
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return {};
    QStringList types = line.mid(equals + 1).split(u',', Qt::SkipEmptyParts);
    for (QString &type : types)
        type = type.trimmed();
    return types;
}

// With "all" set, the other bits name what is taken away.
bool motifAllows(unsigned functions, unsigned function)
{
    return (functions & kMotifFunctionAll) ? !(functions & function) : (functions & function) != 0;
}

class TitleBarButtonsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server with a window manager: run through under-openbox.sh";
    }

    void expectACloseOnlyDialogOf(QWidget &window, const QWidget &owner, const char *name)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << name;
        // A dialog, so taskbars, pagers and window switchers list it with the
        // main window rather than as a program of its own, and the window
        // manager keeps it above the main window.
        const QStringList types = windowTypes(window);
        ASSERT_FALSE(types.isEmpty()) << name << ": no window type";
        EXPECT_EQ(types.first(), QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG")) << name;
        EXPECT_FALSE(types.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLBAR"))) << name;
        EXPECT_EQ(transientFor(window), std::optional<unsigned long>(owner.winId())) << name;

        // Window managers that do not read the window type go by these.
        const std::optional<unsigned> functions = motifFunctions(window);
        ASSERT_TRUE(functions.has_value()) << name << ": no Motif function hints";
        EXPECT_TRUE(motifAllows(*functions, kMotifFunctionClose)) << name;
        EXPECT_FALSE(motifAllows(*functions, kMotifFunctionMinimize)) << name;
        EXPECT_FALSE(motifAllows(*functions, kMotifFunctionMaximize)) << name;

        // What the window manager made of them: closing, and no change of size.
        const QStringList actions = allowedActions(window);
        ASSERT_FALSE(actions.isEmpty()) << name << ": the window manager reports no actions";
        EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"))) << name;
        for (const char *absent :
            { "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE" })
            EXPECT_FALSE(actions.contains(QString::fromLatin1(absent))) << name << " offers " << absent;
        window.hide();
    }
};

TEST_F(TitleBarButtonsTest, SettingsAndHintWindowsAreCloseOnlyDialogsOfTheMainWindow)
{
    // At 96 and at a scale that fits each window to the screen again.
    for (const int scale : { 96, 144 }) {
        DisplayScale = scale;
        TFormMain &form = createWindow();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

        auto settings = std::make_unique<TFormSettings>(&form);
        FormSettings = settings.get();
        expectACloseOnlyDialogOf(*settings, form, "settings window");
        FormSettings = nullptr;
        settings.reset();

        auto hint = std::make_unique<TFormTreeViewHint>(&form, 0);
        hint->setAttribute(Qt::WA_DeleteOnClose, false);
        expectACloseOnlyDialogOf(*hint, form, "hint window");
        hint.reset();

        static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
        FormMain = nullptr;
        m_form.reset();
    }
}

} // namespace
