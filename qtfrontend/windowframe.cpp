#include "qtfrontend/windowframe.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWidget>

#ifdef KENNFIX_X11
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <memory>

namespace kennfix {
#ifdef KENNFIX_X11
namespace {

constexpr int kAnswerTimeoutMs = 1000;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit values of a window's property, empty when it is not set.
QList<uint32_t> Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QList<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

// Asks the window manager how big the frame of the unmapped `window` will
// be; the answer comes as its _NET_FRAME_EXTENTS (left, right, top, bottom,
// in device pixels).
QList<uint32_t> AskWindowManager(xcb_connection_t* connection, xcb_window_t window)
{
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    if (!geometry)
        return {};
    const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    if (request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        !Property(connection, geometry->root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM).contains(request))
        return {};

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(connection, 0, geometry->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // Qt reads the connection's events itself, so the answer is looked for
    // rather than waited for.
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    do {
        const QList<uint32_t> values = Property(connection, window, extents, XCB_ATOM_CARDINAL);
        if (values.size() == 4)
            return values;
        QThread::msleep(5);
    } while (!deadline.hasExpired());
    return {};
}

}  // namespace
#endif

QMarginsF ExpectedFrameMargins(QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const QMarginsF known(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                          frame.bottom() - client.bottom());
    if (!known.isNull())
        return known;

#ifdef KENNFIX_X11
    // The offscreen platform offers the X11 interface too, without a connection.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return known;
    const QList<uint32_t> extents = AskWindowManager(connection, static_cast<xcb_window_t>(window.winId()));
    if (extents.isEmpty())
        return known;
    const qreal ratio = window.devicePixelRatioF();
    return QMarginsF(extents[0] / ratio, extents[2] / ratio, extents[1] / ratio, extents[3] / ratio);
#else
    // Windows knows a window's frame before it is shown; Qt asks it.
    return known;
#endif
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QMarginsF frame = ExpectedFrameMargins(window);
    const QSizeF outer(window.width() + frame.left() + frame.right(), window.height() + frame.top() + frame.bottom());
    const QPointF frameTopLeft = QRectF(screen->availableGeometry()).center() - QPointF(outer.width(), outer.height()) / 2;
    // The client area's place: Qt takes it as it is, whereas a place for the
    // frame would be taken relative to a frame it does not know yet.
    window.setGeometry(QRect((frameTopLeft + QPointF(frame.left(), frame.top())).toPoint(), window.size()));
}

}  // namespace kennfix
