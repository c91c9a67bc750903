#include "platform/WindowFrame.h"

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
} // namespace

bool closeBoxOnly(const QWidget* window) {
    return window->isWindow() && window->windowType() == Qt::Dialog &&
           !(window->windowFlags() & Qt::WindowMinimizeButtonHint) && window->isModal();
}

void applyCloseBoxOnly(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (!handle || !closeBoxOnly(window))
        return;
    handle->setProperty("_q_xcb_wm_window_type", kQtMenuType);
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        typeAsMenu(x11->connection(), static_cast<xcb_window_t>(handle->winId()));
}

} // namespace quorvane::WindowFrame
