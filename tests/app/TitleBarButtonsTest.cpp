// What the window manager offers in the title bars of the settings and hint
// windows: close only. The offscreen platform has no window manager, so a
// wrong set of buttons passes there unseen: this runs under openbox
// (under-openbox.sh). The window manager's own account of each window is
// read with xprop, and the buttons it drew are counted in its frame.
#include "MainWindowTestSupport.h"
#include "app/DialogTreeViewHint.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/VantrelApplication.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>
#include <xcb/xcb.h>

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

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeReply>;

struct RootRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

std::optional<RootRect> rootGeometry(xcb_connection_t *connection, xcb_window_t window, xcb_window_t root)
{
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return RootRect { origin->dst_x, origin->dst_y, geometry->width, geometry->height };
}

// Every window the frame holds, depth first.
void collectDescendants(xcb_connection_t *connection, xcb_window_t window, std::vector<xcb_window_t> &out)
{
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        out.push_back(children[i]);
        collectDescendants(connection, children[i], out);
    }
}

// The buttons openbox drew at the right of the title bar. It draws each as a
// small square window of its own in the frame, mapped only while the button
// shows; the window's icon is the one square at the left.
int titleButtonsDrawn(const QWidget &window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return -1;
    xcb_connection_t *connection = x11->connection();
    const auto client = xcb_window_t(window.winId());
    const Reply<xcb_query_tree_reply_t> clientTree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, client), nullptr));
    if (!clientTree)
        return -1;
    const xcb_window_t root = clientTree->root;
    const xcb_window_t frame = clientTree->parent;
    const std::optional<RootRect> frameRect = rootGeometry(connection, frame, root);
    const std::optional<RootRect> clientRect = rootGeometry(connection, client, root);
    if (frame == root || !frameRect || !clientRect)
        return -1;
    const int titleBottom = clientRect->y;
    std::vector<xcb_window_t> windows;
    collectDescendants(connection, frame, windows);
    int buttons = 0;
    for (const xcb_window_t child : windows) {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, child), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const std::optional<RootRect> r = rootGeometry(connection, child, root);
        const bool square = r && r->width == r->height && r->width > 4 && r->width < titleBottom - frameRect->y;
        if (square && r->y >= frameRect->y && r->y + r->height <= titleBottom
            && r->x > frameRect->x + frameRect->width / 2)
            ++buttons;
    }
    return buttons;
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

    void expectOnlyACloseButton(QWidget &window, const char *name)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << name;
        const QStringList actions = allowedActions(window);
        ASSERT_FALSE(actions.isEmpty()) << name << ": the window manager reports no actions";
        EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"))) << name;
        for (const char *absent : { "_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                 "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE" })
            EXPECT_FALSE(actions.contains(QString::fromLatin1(absent))) << name << " offers " << absent;
        // Openbox keeps the slot of a maximize button it will not honour, drawn
        // as a disabled button, while a minimize button stands beside it: the
        // allowed actions alone do not show what the user sees.
        EXPECT_EQ(titleButtonsDrawn(window), 1) << name << ": buttons drawn in the title bar other than close";

        // Window managers that do not read the window type go by these.
        const std::optional<unsigned> functions = motifFunctions(window);
        ASSERT_TRUE(functions.has_value()) << name << ": no Motif function hints";
        EXPECT_TRUE(motifAllows(*functions, kMotifFunctionClose)) << name;
        EXPECT_FALSE(motifAllows(*functions, kMotifFunctionMinimize)) << name;
        EXPECT_FALSE(motifAllows(*functions, kMotifFunctionMaximize)) << name;
        window.hide();
    }
};

TEST_F(TitleBarButtonsTest, SettingsAndHintWindowsOfferOnlyClose)
{
    // At 96 and at a scale that fits each window to the screen again.
    for (const int scale : { 96, 144 }) {
        DisplayScale = scale;
        TFormMain &form = createWindow();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

        auto settings = std::make_unique<TFormSettings>(&form);
        FormSettings = settings.get();
        expectOnlyACloseButton(*settings, "settings window");
        FormSettings = nullptr;
        settings.reset();

        auto hint = std::make_unique<TFormTreeViewHint>(&form, 0);
        hint->setAttribute(Qt::WA_DeleteOnClose, false);
        expectOnlyACloseButton(*hint, "hint window");
        hint.reset();

        static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
        FormMain = nullptr;
        m_form.reset();
    }
}

} // namespace
