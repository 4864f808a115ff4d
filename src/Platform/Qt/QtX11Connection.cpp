#include "Platform/Qt/QtX11Connection.h"

#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <poll.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace tessaly {

namespace {

std::uint32_t pixel(double value) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value))); }

}  // namespace

bool QtX11Connection::isAvailable() { return get() != nullptr; }

xcb_connection_t* QtX11Connection::get() {
    if (!qGuiApp || QGuiApplication::platformName() != QStringLiteral("xcb")) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t QtX11Connection::root() {
    xcb_connection_t* c = get();
    if (!c) return kNoWindow;
    // Qt opens its connection on the default screen.
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return screen ? screen->root : kNoWindow;
}

void QtX11Connection::flush() {
    if (xcb_connection_t* c = get()) xcb_flush(c);
}

void QtX11Connection::sync() {
    xcb_connection_t* c = get();
    if (!c) return;
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

bool QtX11Connection::configure(WId window, const Rect& xPixels, std::optional<xcb_window_t> aboveSibling) {
    xcb_connection_t* c = get();
    if (!c || window == 0 || !xPixels.isSane()) return false;
    const Rect r = xPixels.standardized();
    std::vector<std::uint32_t> values{pixel(r.origin.x), pixel(r.origin.y),
                                      std::max<std::uint32_t>(1, pixel(r.size.width)),
                                      std::max<std::uint32_t>(1, pixel(r.size.height))};
    std::uint16_t mask = XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
    if (aboveSibling && *aboveSibling != kNoWindow) {
        mask |= XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE;
        values.push_back(*aboveSibling);
        values.push_back(XCB_STACK_MODE_ABOVE);
    }
    xcb_configure_window(c, static_cast<xcb_window_t>(window), mask, values.data());
    xcb_flush(c);
    return true;
}

std::optional<xcb_timestamp_t> QtX11Connection::serverTime() {
    if (!get()) return std::nullopt;
    // A property change on a window of a connection of our own: its
    // PropertyNotify carries the server's time. Qt reads the events of its
    // own connection, so this cannot be done there.
    const auto x = X11Connection::open(qEnvironmentVariable("DISPLAY").toStdString());
    if (!x) return std::nullopt;
    xcb_connection_t* c = x->get();
    const xcb_window_t probe = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, 0, probe, x->root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, probe, x->atoms().TESSALY_WAKE, XCB_ATOM_CARDINAL, 32, 0, nullptr);
    xcb_flush(c);
    std::optional<xcb_timestamp_t> time;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!time && std::chrono::steady_clock::now() < deadline) {
        while (XEvent event{xcb_poll_for_event(c)}) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                time = reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->time;
            }
        }
        if (time || xcb_connection_has_error(c)) break;
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&p, 1, 50);
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return time;
}

std::optional<std::uint32_t> QtX11Connection::currentDesktop() {
    const auto values = cardinals(root(), "_NET_CURRENT_DESKTOP");
    if (values.empty()) return std::nullopt;
    return values.front();
}

std::optional<xcb_window_t> QtX11Connection::activeWindow() {
    const auto values = cardinals(root(), "_NET_ACTIVE_WINDOW");
    if (values.empty() || values.front() == kNoWindow) return std::nullopt;
    return values.front();
}

namespace {

// Atoms live as long as the server; Qt keeps one connection for its life.
std::mutex atomsMutex;
std::map<std::string, xcb_atom_t> knownAtoms;  // under atomsMutex

}  // namespace

void QtX11Connection::internAtoms(const std::vector<std::string>& names) {
    xcb_connection_t* c = get();
    if (!c) return;
    std::lock_guard lock(atomsMutex);
    std::vector<std::string> unknown;
    for (const auto& name : names) {
        if (!knownAtoms.contains(name)) unknown.push_back(name);
    }
    if (unknown.empty()) return;
    const auto replies = xcbPipeline(
        c, unknown,
        [c](const std::string& name) {
            return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
        },
        xcb_intern_atom_reply);
    for (std::size_t i = 0; i < unknown.size(); ++i) {
        if (replies[i] && replies[i]->atom != XCB_ATOM_NONE) knownAtoms.emplace(unknown[i], replies[i]->atom);
    }
}

xcb_atom_t QtX11Connection::atom(const std::string& name) {
    if (!get()) return XCB_ATOM_NONE;
    // Asked for each panel made and each activation: a known name costs
    // one lookup, no allocation.
    const auto known = [&name] {
        std::lock_guard lock(atomsMutex);
        const auto it = knownAtoms.find(name);
        return it == knownAtoms.end() ? xcb_atom_t{XCB_ATOM_NONE} : it->second;
    };
    if (const xcb_atom_t atom = known(); atom != XCB_ATOM_NONE) return atom;
    internAtoms({name});
    return known();
}

std::vector<std::uint32_t> QtX11Connection::cardinals(xcb_window_t window, const std::string& property) {
    xcb_connection_t* c = get();
    const xcb_atom_t name = atom(property);
    if (!c || window == kNoWindow || name == XCB_ATOM_NONE) return {};
    const auto reply = xcbReply(c, xcb_get_property_reply,
                                xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024));
    return propertyCardinals(reply.get());
}

void QtX11Connection::setCardinal(xcb_window_t window, const std::string& property, xcb_atom_t type,
                                  std::uint32_t value) {
    setCardinals(window, property, type, {value});
}

void QtX11Connection::setCardinals(xcb_window_t window, const std::string& property, xcb_atom_t type,
                                   const std::vector<std::uint32_t>& values) {
    xcb_connection_t* c = get();
    const xcb_atom_t name = atom(property);
    if (!c || window == kNoWindow || name == XCB_ATOM_NONE) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, name, type, 32, static_cast<std::uint32_t>(values.size()),
                        values.data());
}

void QtX11Connection::sendToWindowManager(xcb_window_t window, const std::string& type,
                                          std::array<std::uint32_t, 5> data) {
    xcb_connection_t* c = get();
    const xcb_atom_t name = atom(type);
    if (!c || name == XCB_ATOM_NONE) return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = name;
    for (std::size_t i = 0; i < data.size(); ++i) message.data.data32[i] = data[i];
    xcb_send_event(c, 0, root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

}  // namespace tessaly
