#include "Platform/X11/X11Connection.h"

#include <xcb/sync.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace tessaly {

std::vector<std::uint32_t> propertyCardinals(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32) return {};
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4;
    std::vector<std::uint32_t> values(count);
    if (count) std::memcpy(values.data(), xcb_get_property_value(reply), count * 4);
    return values;
}

std::optional<std::uint32_t> propertyCardinal(const xcb_get_property_reply_t* reply) {
    const auto values = propertyCardinals(reply);
    if (values.empty()) return std::nullopt;
    return values.front();
}

namespace {

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

}  // namespace

std::string propertyText(const xcb_get_property_reply_t* reply, xcb_atom_t utf8Atom) {
    if (!reply || reply->format != 8) return {};
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply));
    std::string_view raw(static_cast<const char*>(xcb_get_property_value(reply)), length);
    // A terminating NUL some clients include is not part of the title.
    if (const auto nul = raw.find('\0'); nul != std::string_view::npos) raw = raw.substr(0, nul);
    if (reply->type == XCB_ATOM_STRING && reply->type != utf8Atom) return latin1ToUtf8(raw);
    return std::string(raw);
}

std::vector<std::string> propertyStrings(const xcb_get_property_reply_t* reply) {
    std::vector<std::string> strings;
    if (!reply || reply->format != 8) return strings;
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply));
    std::string_view raw(static_cast<const char*>(xcb_get_property_value(reply)), length);
    while (!raw.empty()) {
        const auto nul = raw.find('\0');
        strings.emplace_back(raw.substr(0, nul));
        if (nul == std::string_view::npos) break;
        raw.remove_prefix(nul + 1);
    }
    return strings;
}

std::unique_ptr<X11Connection> X11Connection::connect(const std::string& display) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (!c) return nullptr;
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    std::unique_ptr<X11Connection> connection(new X11Connection(c, screenNumber));
    if (!connection->screen_) return nullptr;
    return connection;
}

std::unique_ptr<X11Connection> X11Connection::open(const std::string& display) {
    auto connection = connect(display);
    if (!connection || !connection->internAll()) return nullptr;
    return connection;
}

std::unique_ptr<X11Connection> X11Connection::open(const std::string& display, const X11Connection& beside) {
    if (!beside.isAlive()) return open(display);
    auto connection = connect(display);
    if (connection) connection->atoms_ = beside.atoms_;
    return connection;
}

void X11Connection::nameAuthorityFile() {
    if (std::getenv("XAUTHORITY")) return;
    // libXau's own default, or none without a home.
    const char* home = std::getenv("HOME");
    if (!home) return;
    ::setenv("XAUTHORITY", (std::string(home) + "/.Xauthority").c_str(), 1);
}

X11Connection::X11Connection(xcb_connection_t* c, int screenNumber) : c_(c), screenNumber_(screenNumber) {
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; it.rem && i < screenNumber; ++i) xcb_screen_next(&it);
    if (it.rem) {
        screen_ = it.data;
        root_ = it.data->root;
    }
}

X11Connection::~X11Connection() {
    if (c_) xcb_disconnect(c_);
}

xcb_atom_t X11Connection::compositingSelection() const {
    return internAtom("_NET_WM_CM_S" + std::to_string(screenNumber_));
}

xcb_window_t X11Connection::selectionOwner(xcb_atom_t selection) const {
    if (selection == XCB_ATOM_NONE) return kNoWindow;
    const auto owner = xcbReply(c_, xcb_get_selection_owner_reply, xcb_get_selection_owner(c_, selection));
    return owner ? owner->owner : kNoWindow;
}

bool X11Connection::isComposited() const { return selectionOwner(compositingSelection()) != kNoWindow; }

bool X11Connection::internAll() {
    static constexpr std::array names = {
#define TESSALY_X11_ATOM_NAME(member, name) name,
        TESSALY_X11_ATOMS(TESSALY_X11_ATOM_NAME)
#undef TESSALY_X11_ATOM_NAME
    };
    std::vector<const char*> list(names.begin(), names.end());
    auto replies = xcbPipeline(
        c_, list,
        [this](const char* name) {
            return xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        },
        xcb_intern_atom_reply);
    std::vector<xcb_atom_t> atoms;
    for (const auto& reply : replies) {
        if (!reply) return false;
        atoms.push_back(reply->atom);
    }
    std::size_t i = 0;
#define TESSALY_X11_ATOM_ASSIGN(member, name) atoms_.member = atoms[i++];
    TESSALY_X11_ATOMS(TESSALY_X11_ATOM_ASSIGN)
#undef TESSALY_X11_ATOM_ASSIGN
    return true;
}

bool X11Connection::askToBeServedFirst() const {
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(c_, &xcb_sync_id);
    if (!sync || !sync->present) return false;
    xcb_discard_reply(c_, xcb_sync_initialize(c_, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION).sequence);
    xcb_sync_set_priority(c_, XCB_NONE, 1);  // ordinary clients keep 0
    flush();
    return true;
}

bool X11Connection::isAlive() const { return xcb_connection_has_error(c_) == 0; }

xcb_get_property_cookie_t X11Connection::getProperty(xcb_window_t window, xcb_atom_t property,
                                                     std::uint32_t maxLength) const {
    return xcb_get_property(c_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, maxLength);
}

XReply<xcb_get_property_reply_t> X11Connection::readProperty(xcb_window_t window, xcb_atom_t property,
                                                             std::uint32_t maxLength) const {
    return xcbReply(c_, xcb_get_property_reply, getProperty(window, property, maxLength));
}

bool X11Connection::check(xcb_void_cookie_t cookie) const {
    XError error(xcb_request_check(c_, cookie));
    return !error && isAlive();
}

void X11Connection::sendClientMessage(xcb_window_t destination, xcb_window_t window, xcb_atom_t type,
                                      std::uint32_t d0, std::uint32_t d1, std::uint32_t d2, std::uint32_t d3,
                                      std::uint32_t d4) const {
    // xcb_send_event copies exactly 32 bytes from the pointer it is given.
    std::array<char, 32> buffer{};
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    message.data.data32[0] = d0;
    message.data.data32[1] = d1;
    message.data.data32[2] = d2;
    message.data.data32[3] = d3;
    message.data.data32[4] = d4;
    static_assert(sizeof(message) == 32);
    std::memcpy(buffer.data(), &message, sizeof(message));
    const std::uint32_t mask = destination == root_
                                   ? XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY
                                   : XCB_EVENT_MASK_NO_EVENT;
    xcb_send_event(c_, 0, destination, mask, buffer.data());
}

void X11Connection::flush() const {
    xcb_flush(c_);
    if (discardsEvents_) discardQueuedEvents();
}

void X11Connection::sync() const {
    // GetInputFocus is the customary no-op round trip.
    xcbReply(c_, xcb_get_input_focus_reply, xcb_get_input_focus(c_));
}

void X11Connection::discardQueuedEvents() const {
    while (XEvent event{xcb_poll_for_queued_event(c_)}) {
    }
}

std::string X11Connection::atomName(xcb_atom_t atom) const {
    if (atom == XCB_ATOM_NONE) return {};
    auto reply = xcbReply(c_, xcb_get_atom_name_reply, xcb_get_atom_name(c_, atom));
    if (!reply) return {};
    return std::string(xcb_get_atom_name_name(reply.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
}

xcb_atom_t X11Connection::internAtom(const std::string& name, bool onlyIfExists) const {
    auto reply = xcbReply(c_, xcb_intern_atom_reply,
                          xcb_intern_atom(c_, onlyIfExists ? 1 : 0, static_cast<std::uint16_t>(name.size()),
                                          name.c_str()));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string X11Connection::windowManagerName(xcb_window_t check) const {
    if (check == kNoWindow) return "";
    return propertyText(readProperty(check, atoms_.NET_WM_NAME).get(), atoms_.UTF8_STRING);
}

std::string X11Connection::windowManagerName() const {
    const xcb_window_t check = windowManagerCheckWindow();
    if (check == kNoWindow) return "";
    std::lock_guard lock(nameMutex_);
    if (check != nameFor_) {
        name_ = windowManagerName(check);
        nameFor_ = check;
    }
    return name_;
}

xcb_window_t X11Connection::windowManagerCheckWindow() const {
    // Both reads in one round trip as a rule: the check window's own
    // property is asked for together with the root's, for the window found
    // last time (every move asks, so a second round trip would show).
    const xcb_window_t last = lastCheckWindow_.load();
    const auto rootCookie = getProperty(root_, atoms_.NET_SUPPORTING_WM_CHECK);
    std::optional<xcb_get_property_cookie_t> selfCookie;
    if (last != kNoWindow) selfCookie = getProperty(last, atoms_.NET_SUPPORTING_WM_CHECK);
    const auto onRoot = propertyCardinal(xcbReply(c_, xcb_get_property_reply, rootCookie).get());
    XReply<xcb_get_property_reply_t> self;
    if (selfCookie) self = xcbReply(c_, xcb_get_property_reply, *selfCookie);
    if (!onRoot || *onRoot == kNoWindow) return kNoWindow;
    if (*onRoot != last) self = readProperty(*onRoot, atoms_.NET_SUPPORTING_WM_CHECK);
    // The check window names itself; a stale property left by a window
    // manager that died does not.
    const auto onSelf = propertyCardinal(self.get());
    const xcb_window_t found = onSelf && *onSelf == *onRoot ? *onRoot : kNoWindow;
    lastCheckWindow_.store(found);
    return found;
}

bool X11Connection::windowManagerSupports(xcb_atom_t atom) const {
    return windowManagerSupports(std::vector<xcb_atom_t>{atom}).front();
}

std::vector<bool> X11Connection::windowManagerSupports(const std::vector<xcb_atom_t>& atoms) const {
    std::vector<bool> answers(atoms.size(), false);
    const auto answer = [&](const std::vector<xcb_atom_t>& supported) {
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            answers[i] = std::find(supported.begin(), supported.end(), atoms[i]) != supported.end();
        }
    };
    const xcb_window_t check = windowManagerCheckWindow();
    if (check == kNoWindow) {
        // Read each time, not kept: a window manager starting up holds the
        // selection before it has written its list.
        if (selectionOwner(internAtom("WM_S" + std::to_string(screenNumber_))) != kNoWindow) {
            const auto values = propertyCardinals(readProperty(root_, atoms_.NET_SUPPORTED, 4096).get());
            answer(std::vector<xcb_atom_t>(values.begin(), values.end()));
        }
        return answers;
    }
    std::lock_guard lock(supportedMutex_);
    if (check != supportedFor_) {
        const auto values = propertyCardinals(readProperty(root_, atoms_.NET_SUPPORTED, 4096).get());
        supported_.assign(values.begin(), values.end());
        supportedFor_ = check;
    }
    answer(supported_);
    return answers;
}

}  // namespace tessaly
