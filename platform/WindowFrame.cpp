#include "platform/WindowFrame.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace quorvane::WindowFrame {
namespace {
// Qt's own window type for "menu": Qt writes it first whenever it (re)writes the type.
constexpr int kQtMenuType = 0x10;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The window was created before we could tell Qt, so the type is written here once.
void typeAsMenu(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t property = atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t menu = atom(connection, "_NET_WM_WINDOW_TYPE_MENU");
    if (property == XCB_ATOM_NONE || menu == XCB_ATOM_NONE)
        return;
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 32),
        nullptr));
    std::vector<xcb_atom_t> types{menu};
    if (reply && reply->format == 32) {
        const auto* current = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        for (int i = 0; i < count; ++i) {
            if (current[i] == menu)
                return;
            types.push_back(current[i]);
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(types.size()), types.data());
    xcb_flush(connection);
}

// Other window managers read the Motif functions Qt writes and leave minimise off a dialog
// without a minimise button; openbox offers it to every dialog, and only there is a dialog
// typed as a menu.
bool openboxManages(xcb_connection_t* connection, xcb_window_t root) {
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t name = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    if (check == XCB_ATOM_NONE || name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> owner(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!owner || owner->format != 32 || xcb_get_property_value_length(owner.get()) < 4)
        return false;
    const auto wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(owner.get()));
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, wm, name, utf8, 0, 64), nullptr));
    if (!reply || reply->format != 8)
        return false;
    const QByteArray text(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    return text.compare("Openbox", Qt::CaseInsensitive) == 0;
}
} // namespace

bool closeBoxOnly(const QWidget* window) {
    return window->isWindow() && window->windowType() == Qt::Dialog &&
           !(window->windowFlags() & Qt::WindowMinimizeButtonHint) && window->isModal();
}

void applyCloseBoxOnly(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (!handle || !closeBoxOnly(window))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen || !openboxManages(connection, screen->root))
        return;
    handle->setProperty("_q_xcb_wm_window_type", kQtMenuType);
    typeAsMenu(connection, static_cast<xcb_window_t>(handle->winId()));
}

} // namespace quorvane::WindowFrame
