#include "platform/CapsuleWindowHints.h"

#include "platform/PlatformLogging.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

// On X11 the capsule bypasses the window manager (override-redirect). A
// managed window with the EWMH states above, sticky and skip-taskbar/pager
// still sinks below a focused full-screen window, as the EWMH stacking order
// demands; an unmanaged one stays on top, shows on every workspace, has no
// taskbar or pager entry, is never focused or moved by the window manager,
// and never joins focus cycling.
Qt::WindowFlags CapsuleWindowHints::flags()
{
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
        | Qt::X11BypassWindowManagerHint;
}

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_generic_error_t *error = nullptr;
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, &error);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply)
        atom = reply->atom;
    else
        qCWarning(lcPlatform) << "Could not intern the X11 atom" << name << "error"
                              << (error ? int(error->error_code) : -1);
    std::free(reply);
    std::free(error);
    return atom;
}

} // namespace

void CapsuleWindowHints::describe(QWindow &window)
{
    // The offscreen platform offers the X11 interface too, without a connection.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !connection)
        return;
    // Compositors give notification windows their shadow and fade rules
    // instead of those of a focused tool window, which Qt would announce.
    const xcb_atom_t property = internAtom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t type = internAtom(connection, "_NET_WM_WINDOW_TYPE_NOTIFICATION");
    if (property == XCB_ATOM_NONE || type == XCB_ATOM_NONE)
        return;
    const auto cookie = xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE,
                                                    static_cast<xcb_window_t>(window.winId()), property,
                                                    XCB_ATOM_ATOM, 32, 1, &type);
    if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
        qCWarning(lcPlatform) << "Could not set the capsule's window type, X11 error" << int(error->error_code);
        std::free(error);
    }
}
