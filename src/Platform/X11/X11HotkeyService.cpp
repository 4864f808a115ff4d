#include "Platform/X11/X11HotkeyService.h"

// xkb.h names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include "Platform/Log.h"
#include "Platform/X11/GSettingsReader.h"
#include "Platform/XdgDirectories.h"

#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <fstream>

namespace tessaly {

namespace {

// More than any real kglobalshortcutsrc (a few kilobytes).
constexpr std::size_t kMaxShortcutsFileBytes = 1 << 20;

std::optional<std::string> readShortcutsFile() {
    const auto config = XdgDirectories::configHome();
    if (!config) return std::nullopt;
    std::ifstream in(*config / "kglobalshortcutsrc", std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxShortcutsFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

}  // namespace

WindowManagerBindings::Sources X11HotkeyService::desktopBindingSources() {
    return {GSettingsReader::stringLists, readShortcutsFile};
}

struct X11HotkeyService::State {
    std::shared_ptr<MainExecutor> main;
    std::weak_ptr<X11Backend> backend;
    std::mutex mutex;
    std::vector<std::pair<HandlerRef, PressHandler>> handlers;  // in installation order
    HandlerRef nextHandler = 1;
    struct Grab {
        xcb_keycode_t key = 0;
        std::uint16_t mask = 0;
        HotKeyID id;
        bool down = false;  // between press and release: repeats are not presses
    };
    std::map<HotKeyRef, Grab> grabs;
    HotKeyRef nextHotKey = 1;
};

std::unique_ptr<X11HotkeyService> X11HotkeyService::create(const std::shared_ptr<X11Backend>& backend,
                                                           std::shared_ptr<MainExecutor> main,
                                                           WindowManagerBindings::Sources bindingSources) {
    auto connection = X11Connection::open(backend->display(), backend->connection());
    if (!connection) return nullptr;
    std::unique_ptr<X11HotkeyService> service(
        new X11HotkeyService(std::move(connection), std::move(main), std::move(bindingSources)));
    service->state_->backend = backend;
    X11HotkeyService* s = service.get();
    if (!service->thread_.start(*service->x_, [s](const xcb_generic_event_t& event) { s->handle(event); })) return nullptr;
    return service;
}

X11HotkeyService::X11HotkeyService(std::unique_ptr<X11Connection> connection, std::shared_ptr<MainExecutor> main,
                                   WindowManagerBindings::Sources bindingSources)
    : x_(std::move(connection)),
      masks_(X11ModifierMasks::read(*x_)),
      bindingSources_(std::move(bindingSources)),
      state_(std::make_shared<State>()) {
    state_->main = std::move(main);
    // Held keys then repeat as presses without releases in between, which
    // tells a repeat from a new press.
    xcb_connection_t* c = x_->get();
    if (const auto* xkb = xcb_get_extension_data(c, &xcb_xkb_id); xkb && xkb->present) {
        xcbReply(c, xcb_xkb_use_extension_reply, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION));
        xcbReply(c, xcb_xkb_per_client_flags_reply,
                 xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                          XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0));
    }
}

X11HotkeyService::~X11HotkeyService() {
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& [ref, grab] : state_->grabs) {
            for (const auto m : variants(grab.mask)) xcb_ungrab_key(x_->get(), grab.key, x_->root(), m);
        }
        state_->grabs.clear();
        state_->handlers.clear();
    }
    x_->flush();
    thread_.stop();
}

std::vector<std::uint16_t> X11HotkeyService::variants(std::uint16_t mask) const {
    std::vector<std::uint16_t> all{mask, static_cast<std::uint16_t>(mask | masks_.lock)};
    if (masks_.numLock) {
        all.push_back(static_cast<std::uint16_t>(mask | masks_.numLock));
        all.push_back(static_cast<std::uint16_t>(mask | masks_.numLock | masks_.lock));
    }
    return all;
}

std::optional<HotkeyService::HandlerRef> X11HotkeyService::installHandler(PressHandler handler) {
    if (!handler) return std::nullopt;
    std::lock_guard lock(state_->mutex);
    const HandlerRef ref = state_->nextHandler++;
    state_->handlers.emplace_back(ref, std::move(handler));
    return ref;
}

void X11HotkeyService::removeHandler(HandlerRef handler) {
    std::lock_guard lock(state_->mutex);
    std::erase_if(state_->handlers, [&](const auto& h) { return h.first == handler; });
}

std::optional<HotkeyService::HotKeyRef> X11HotkeyService::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                                       HotKeyID id) {
    if (keyCode > 0xFFFF) return std::nullopt;
    const auto key = x11KeyCode(static_cast<std::uint16_t>(keyCode));
    const auto mask = masks_.fromCarbon(modifiers);
    if (!key || !mask) return std::nullopt;
    if (heldByWindowManager(*key, modifiers)) return std::nullopt;
    std::lock_guard lock(state_->mutex);
    for (const auto& [ref, grab] : state_->grabs) {
        if (grab.key == *key && grab.mask == *mask) return std::nullopt;  // ours already
    }
    const auto all = variants(*mask);
    std::vector<xcb_void_cookie_t> cookies;
    for (const auto m : all) {
        cookies.push_back(xcb_grab_key_checked(x_->get(), 1, x_->root(), m, *key, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    std::vector<std::uint16_t> taken;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (x_->check(cookies[i])) taken.push_back(all[i]);
        else refused = true;
    }
    if (refused) {
        for (const auto m : taken) xcb_ungrab_key(x_->get(), *key, x_->root(), m);
        x_->sync();
        return std::nullopt;
    }
    const HotKeyRef ref = state_->nextHotKey++;
    state_->grabs.emplace(ref, State::Grab{*key, *mask, id, false});
    return ref;
}

bool X11HotkeyService::heldByWindowManager(xcb_keycode_t key, std::uint32_t modifiers) const {
    const std::string name = x_->windowManagerName(x_->windowManagerCheckWindow());
    const auto bindings = WindowManagerBindings::read(name, bindingSources_);
    if (bindings.empty()) return false;
    // The window manager binds keysyms to the keys that type them, plain or
    // shifted (Page_Up; p or P for "<Super>p").
    std::vector<std::uint32_t> keysyms;
    if (xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(x_->get())) {
        for (int level = 0; level < 2; ++level) {
            if (const auto sym = xcb_key_symbols_get_keysym(symbols, key, level); sym != XCB_NO_SYMBOL) keysyms.push_back(sym);
        }
        xcb_key_symbols_free(symbols);
    }
    const WindowManagerBinding* holder = WindowManagerBindings::holder(bindings, keysyms, modifiers);
    if (!holder) return false;
    Log::debug(LogCategory::app, "hot key held by the window manager (" + name + "): " + holder->accelerator + " of " +
                                     holder->where);
    return true;
}

void X11HotkeyService::unregisterHotKey(HotKeyRef hotKey) {
    std::lock_guard lock(state_->mutex);
    const auto it = state_->grabs.find(hotKey);
    if (it == state_->grabs.end()) return;
    for (const auto m : variants(it->second.mask)) xcb_ungrab_key(x_->get(), it->second.key, x_->root(), m);
    state_->grabs.erase(it);
    x_->sync();
}

void X11HotkeyService::handle(const xcb_generic_event_t& event) {
    const auto type = event.response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return;
    const auto& key = *reinterpret_cast<const xcb_key_press_event_t*>(&event);
    const std::uint16_t mask = masks_.significant(key.state);
    std::optional<HotKeyID> pressed;
    {
        std::lock_guard lock(state_->mutex);
        for (auto& [ref, grab] : state_->grabs) {
            if (grab.key != key.detail) continue;
            if (type == XCB_KEY_RELEASE) {
                grab.down = false;  // whatever modifiers are still held
                continue;
            }
            if (grab.mask != mask || grab.down) continue;
            grab.down = true;
            pressed = grab.id;
        }
    }
    if (!pressed) return;
    state_->main->post([weak = std::weak_ptr<State>(state_), id = *pressed] {
        const auto state = weak.lock();
        if (!state) return;
        // A press acts on the window focused when it was made. The reader
        // tells a focus change on its own connection, and may not have yet
        // when a key is pressed right after one: the server is asked.
        if (const auto backend = state->backend.lock()) backend->windows().readActiveWindow();
        std::vector<PressHandler> handlers;
        {
            std::lock_guard lock(state->mutex);
            for (auto it = state->handlers.rbegin(); it != state->handlers.rend(); ++it) handlers.push_back(it->second);
        }
        for (const auto& handler : handlers) {
            if (handler(id)) return;
        }
    });
}

}  // namespace tessaly
