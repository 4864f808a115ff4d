#pragma once
// What the accessibility wrappers need of the platform, shared by every
// application and window object made from it.
#include <memory>

#include "Platform/Accessibility.h"
#include "Platform/PlatformServices.h"
#include "Platform/Workspace.h"
#include "PrivateAPIs/AXPrivate.h"

namespace tessaly {

struct AXServices {
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<AXPrivate> axPrivate;
    std::shared_ptr<Workspace> workspace;

    static std::shared_ptr<const AXServices> make(const PlatformServices& platform) {
        auto services = std::make_shared<AXServices>();
        services->accessibility = platform.accessibility;
        services->axPrivate = std::make_shared<AXPrivate>(platform.privateSymbols);
        services->workspace = platform.workspace;
        return services;
    }
};

using AXServicesRef = std::shared_ptr<const AXServices>;

}  // namespace tessaly
