#pragma once
// Input as a user gives it, through the XTEST extension: absolute pointer
// motion, mouse buttons and keys by key symbol. Every call waits for the
// server to have handled the fake event (one round trip), so what follows
// sees its effect on the pointer and modifier state.
#include "Platform/Geometry.h"
#include "Platform/X11/X11Connection.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cmath>
#include <cstdint>
#include <memory>

namespace tessaly::e2e {

namespace KeySym {
inline constexpr xcb_keysym_t shiftL = 0xffe1;
inline constexpr xcb_keysym_t controlL = 0xffe3;
inline constexpr xcb_keysym_t altL = 0xffe9;
inline constexpr xcb_keysym_t superL = 0xffeb;
inline constexpr xcb_keysym_t left = 0xff51;
inline constexpr xcb_keysym_t right = 0xff53;
inline constexpr xcb_keysym_t pageUp = 0xff55;
inline constexpr xcb_keysym_t pageDown = 0xff56;
inline constexpr xcb_keysym_t keypadLeft = 0xff96;
inline constexpr xcb_keysym_t keypadRight = 0xff98;
inline constexpr xcb_keysym_t escape = 0xff1b;
inline constexpr xcb_keysym_t f10 = 0xffc7;
}  // namespace KeySym

class XTestInput {
public:
    explicit XTestInput(const X11Connection& x)
        : x_(x), symbols_(xcb_key_symbols_alloc(x.get()), &xcb_key_symbols_free) {}

    void moveTo(Point p) {
        fake(XCB_MOTION_NOTIFY, 0, static_cast<std::int16_t>(std::lround(p.x)), static_cast<std::int16_t>(std::lround(p.y)));
    }
    void press(std::uint8_t button = 1) { fake(XCB_BUTTON_PRESS, button); }
    void release(std::uint8_t button = 1) { fake(XCB_BUTTON_RELEASE, button); }
    // Two clicks of the left button at `at`, sent in one go: a busy test
    // process must not stretch them apart beyond a double click's time. The
    // server holds the second press back a few milliseconds: fluxbox passes
    // over every other double click whose clicks share one server time.
    void doubleClick(Point at) {
        moveTo(at);
        for (int i = 0; i < 2; ++i) {
            send(XCB_BUTTON_PRESS, 1, 0, 0, i == 0 ? 0 : kSecondClickDelay);
            send(XCB_BUTTON_RELEASE, 1);
        }
        x_.sync();
    }
    void keyDown(xcb_keysym_t sym) { fake(XCB_KEY_PRESS, keycode(sym)); }
    void keyUp(xcb_keysym_t sym) { fake(XCB_KEY_RELEASE, keycode(sym)); }

    // The pointer as the server has it now.
    Point pointer() const {
        auto reply = xcbReply(x_.get(), xcb_query_pointer_reply, xcb_query_pointer(x_.get(), x_.root()));
        return reply ? Point{static_cast<double>(reply->root_x), static_cast<double>(reply->root_y)} : Point{};
    }

private:
    // `delayMs`: how long the server waits before it takes the event.
    void send(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0, std::uint32_t delayMs = 0) {
        xcb_test_fake_input(x_.get(), type, detail, delayMs, x_.root(), x, y, XCB_NONE);
    }
    static constexpr std::uint32_t kSecondClickDelay = 5;
    void fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0) {
        send(type, detail, x, y);
        x_.sync();
    }
    xcb_keycode_t keycode(xcb_keysym_t sym) const {
        if (!symbols_) return 0;
        XReply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols_.get(), sym));
        return codes ? codes.get()[0] : 0;
    }

    const X11Connection& x_;
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols_;
};

}  // namespace tessaly::e2e
