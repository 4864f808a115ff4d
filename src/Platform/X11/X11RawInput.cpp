#include "Platform/X11/X11RawInput.h"

#include "Platform/X11/X11Backend.h"

#include <xcb/xinput.h>

namespace tessaly {

std::optional<X11RawInput> X11RawInput::open(const X11Backend& backend, bool needsGrabs) {
    auto connection = X11Connection::open(backend.display(), backend.connection());
    if (!connection) return std::nullopt;
    const auto opcode = announce(*connection, needsGrabs);
    if (!opcode) return std::nullopt;
    return X11RawInput{std::move(connection), *opcode};
}

std::optional<std::uint8_t> X11RawInput::announce(const X11Connection& connection, bool needsGrabs) {
    xcb_connection_t* c = connection.get();
    const auto* ext = xcb_get_extension_data(c, &xcb_input_id);
    if (!ext || !ext->present) return std::nullopt;
    const auto version = xcbReply(c, xcb_input_xi_query_version_reply, xcb_input_xi_query_version(c, 2, 2));
    if (!version || version->major_version < 2) return std::nullopt;
    if (needsGrabs && version->major_version == 2 && version->minor_version < 2) return std::nullopt;
    return ext->major_opcode;
}

void X11RawInput::select() const {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE |
                    XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(connection->get(), connection->root(), 1, &selection.head);
    connection->sync();
}

int X11RawInput::rawType(const xcb_generic_event_t& event, std::uint32_t* button) const {
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC) return -1;
    const auto& generic = *reinterpret_cast<const xcb_ge_generic_event_t*>(&event);
    if (generic.extension != opcode) return -1;
    const int type = generic.event_type;
    if (type != XCB_INPUT_RAW_BUTTON_PRESS && type != XCB_INPUT_RAW_BUTTON_RELEASE && type != XCB_INPUT_RAW_MOTION) {
        return -1;
    }
    if (button && type != XCB_INPUT_RAW_MOTION) {
        *button = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(&event)->detail;
    }
    return type;
}

}  // namespace tessaly
