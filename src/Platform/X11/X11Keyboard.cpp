#include "Platform/X11/X11Keyboard.h"

#include <xcb/xcb_keysyms.h>

#include <array>
#include <utility>
#include <vector>

namespace tessaly {

namespace {

constexpr std::uint8_t kEvdevOffset = 8;

// macOS virtual key code -> Linux evdev code of the key at that position.
constexpr std::pair<std::uint16_t, std::uint16_t> kKeyTable[] = {
    {0x00, 30},  {0x01, 31},  {0x02, 32},  {0x03, 33},  {0x04, 35},  {0x05, 34},  {0x06, 44},  {0x07, 45},
    {0x08, 46},  {0x09, 47},  {0x0A, 86},  {0x0B, 48},  {0x0C, 16},  {0x0D, 17},  {0x0E, 18},  {0x0F, 19},
    {0x10, 21},  {0x11, 20},  {0x12, 2},   {0x13, 3},   {0x14, 4},   {0x15, 5},   {0x16, 7},   {0x17, 6},
    {0x18, 13},  {0x19, 10},  {0x1A, 8},   {0x1B, 12},  {0x1C, 9},   {0x1D, 11},  {0x1E, 27},  {0x1F, 24},
    {0x20, 22},  {0x21, 26},  {0x22, 23},  {0x23, 25},  {0x24, 28},  {0x25, 38},  {0x26, 36},  {0x27, 40},
    {0x28, 37},  {0x29, 39},  {0x2A, 43},  {0x2B, 51},  {0x2C, 53},  {0x2D, 49},  {0x2E, 50},  {0x2F, 52},
    {0x30, 15},  {0x31, 57},  {0x32, 41},  {0x33, 14},  {0x35, 1},   {0x36, 126}, {0x37, 125}, {0x38, 42},
    {0x39, 58},  {0x3A, 56},  {0x3B, 29},  {0x3C, 54},  {0x3D, 100}, {0x3E, 97},  {0x40, 187}, {0x41, 83},
    {0x43, 55},  {0x45, 78},  {0x47, 69},  {0x48, 115}, {0x49, 114}, {0x4A, 113}, {0x4B, 98},  {0x4C, 96},
    {0x4E, 74},  {0x4F, 188}, {0x50, 189}, {0x51, 117}, {0x52, 82},  {0x53, 79},  {0x54, 80},  {0x55, 81},
    {0x56, 75},  {0x57, 76},  {0x58, 77},  {0x59, 71},  {0x5A, 190}, {0x5B, 72},  {0x5C, 73},  {0x5D, 124},
    {0x5E, 89},  {0x5F, 95},  {0x60, 63},  {0x61, 64},  {0x62, 65},  {0x63, 61},  {0x64, 66},  {0x65, 67},
    {0x66, 123}, {0x67, 87},  {0x68, 122}, {0x69, 183}, {0x6A, 186}, {0x6B, 184}, {0x6D, 68},  {0x6F, 88},
    {0x71, 185}, {0x72, 110}, {0x73, 102}, {0x74, 104}, {0x75, 111}, {0x76, 62},  {0x77, 107}, {0x78, 60},
    {0x79, 109}, {0x7A, 59},  {0x7B, 105}, {0x7C, 106}, {0x7D, 108}, {0x7E, 103},
};

constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kAltL = 0xffe9, kAltR = 0xffea, kMetaL = 0xffe7, kMetaR = 0xffe8;
constexpr xcb_keysym_t kSuperL = 0xffeb, kSuperR = 0xffec;

}  // namespace

std::optional<xcb_keycode_t> x11KeyCode(std::uint16_t mac) {
    for (const auto& [m, evdev] : kKeyTable) {
        if (m == mac) return static_cast<xcb_keycode_t>(evdev + kEvdevOffset);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> macKeyCode(xcb_keycode_t x11) {
    for (const auto& [m, evdev] : kKeyTable) {
        if (evdev + kEvdevOffset == x11) return m;
    }
    return std::nullopt;
}

X11ModifierMasks X11ModifierMasks::read(const X11Connection& connection) {
    X11ModifierMasks masks;
    xcb_connection_t* c = connection.get();
    auto mapping = xcbReply(c, xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(c));
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
    if (!mapping || !symbols) {
        if (symbols) xcb_key_symbols_free(symbols);
        return masks;
    }
    // The mask of the modifier that holds any key producing one of `keysyms`.
    const auto maskOf = [&](std::initializer_list<xcb_keysym_t> keysyms) -> std::uint16_t {
        std::vector<xcb_keycode_t> codes;
        for (const auto sym : keysyms) {
            XReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, sym));
            for (auto* k = list.get(); k && *k != XCB_NO_SYMBOL; ++k) codes.push_back(*k);
        }
        const xcb_keycode_t* table = xcb_get_modifier_mapping_keycodes(mapping.get());
        const int perModifier = mapping->keycodes_per_modifier;
        // Mod1..Mod5 only: Shift, Lock and Control are fixed.
        for (int mod = 3; mod < 8; ++mod) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = table[mod * perModifier + i];
                for (const auto k : codes) {
                    if (code != 0 && code == k) return static_cast<std::uint16_t>(1u << mod);
                }
            }
        }
        return 0;
    };
    if (const auto alt = maskOf({kAltL, kAltR, kMetaL, kMetaR})) masks.alt = alt;
    if (const auto super = maskOf({kSuperL, kSuperR})) masks.super = super;
    masks.numLock = maskOf({kNumLock});
    xcb_key_symbols_free(symbols);
    return masks;
}

std::optional<std::uint16_t> X11ModifierMasks::fromCarbon(std::uint32_t carbon) const {
    constexpr std::uint32_t known =
        CarbonModifier::command | CarbonModifier::shift | CarbonModifier::option | CarbonModifier::control;
    if (carbon & ~known) return std::nullopt;
    std::uint16_t mask = 0;
    if (carbon & CarbonModifier::shift) mask |= shift;
    if (carbon & CarbonModifier::control) mask |= control;
    if (carbon & CarbonModifier::option) mask |= alt;
    if (carbon & CarbonModifier::command) mask |= super;
    return mask;
}

EventFlags X11ModifierMasks::eventFlags(std::uint16_t state) const {
    EventFlags flags = 0;
    if (state & shift) flags |= InputFlags::shift;
    if (state & control) flags |= InputFlags::control;
    if (state & alt) flags |= InputFlags::alternate;
    if (state & super) flags |= InputFlags::command;
    return flags;
}

}  // namespace tessaly
