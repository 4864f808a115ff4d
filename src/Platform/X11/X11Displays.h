#pragma once
// The displays of the X11 backend: RandR monitors, the primary first, with
// visible frames less the docks' struts, as the backend keeps them (see
// X11Backend::monitors): asking several times a second costs no round trip,
// and a subscriber told by the event reader of a change never finds the old
// screens.
#include "Platform/Displays.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11Displays final : public Displays {
public:
    explicit X11Displays(std::shared_ptr<X11Backend> backend);

    std::vector<DisplayInfo> screens() const override;

private:
    std::shared_ptr<X11Backend> backend_;
};

}  // namespace tessaly
