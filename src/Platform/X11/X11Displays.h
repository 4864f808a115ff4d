#pragma once
// The displays of the X11 backend: RandR monitors, the primary first, with
// visible frames less the docks' struts.
#include "Platform/Displays.h"
#include "Platform/X11/X11Backend.h"

#include <memory>

namespace tessaly {

class X11Displays final : public Displays {
public:
    explicit X11Displays(std::shared_ptr<X11Backend> backend) : backend_(std::move(backend)) {}
    std::vector<DisplayInfo> screens() const override;

private:
    std::shared_ptr<X11Backend> backend_;
};

}  // namespace tessaly
