#include "app/CloseOnlyTitleBar.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace {

// Qt's own name for the window types it adds in front of the ones the
// window flags choose; read whenever Qt writes the type again.
constexpr char kQtWindowTypeProperty[] = "_q_xcb_wm_window_type";
constexpr int kQtToolbarType = 0x8;

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

Reply<xcb_get_property_reply_t> readProperty(
    xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint32_t length)
{
    return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, length), nullptr));
}

// The name the running window manager gives itself (EWMH), empty without one.
QByteArray windowManagerName(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t check = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    const auto checkReply = readProperty(connection, root, check, XCB_ATOM_WINDOW, 1);
    if (!checkReply || checkReply->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(checkReply.get()) < 4)
        return {};
    xcb_window_t wmWindow = 0;
    std::memcpy(&wmWindow, xcb_get_property_value(checkReply.get()), sizeof wmWindow);
    const auto nameReply = readProperty(
        connection, wmWindow, internAtom(connection, "_NET_WM_NAME"), internAtom(connection, "UTF8_STRING"), 64);
    if (!nameReply)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(nameReply.get())),
        xcb_get_property_value_length(nameReply.get()));
}

} // namespace

void RequestCloseOnlyTitleBar(QWidget *window)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window->windowHandle())
        return;
    xcb_connection_t *connection = x11->connection();
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen || windowManagerName(connection, screen->root) != "Openbox")
        return;

    // Kept on the window too, so that Qt writing the type again (new
    // window flags) keeps the toolbar in front.
    window->windowHandle()->setProperty(kQtWindowTypeProperty, kQtToolbarType);
    const std::array<xcb_atom_t, 3> types { internAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
        internAtom(connection, "_NET_WM_WINDOW_TYPE_DIALOG"), internAtom(connection, "_NET_WM_WINDOW_TYPE_NORMAL") };
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
        internAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, uint32_t(types.size()), types.data());
    xcb_flush(connection);
}
