#pragma once
// Everything the window-system services need of the platform, handed to
// their constructors as one value. A backend (the simulated desktop in
// tests, the X11 backend on a real desktop) fills every field; the runtime
// pieces (clock, main executor, queue factory) come from the runtime.
#include <memory>

#include "Platform/Accessibility.h"
#include "Platform/Clock.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Displays.h"
#include "Platform/MemberFollow.h"
#include "Platform/DockBadges.h"
#include "Platform/MainExecutor.h"
#include "Platform/PrivateWindowServer.h"
#include "Platform/SystemProbes.h"
#include "Platform/WindowHints.h"
#include "Platform/WindowList.h"
#include "Platform/WindowMoveAssist.h"
#include "Platform/Workspace.h"

namespace tessaly {

struct PlatformServices {
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<WindowList> windowList;
    std::shared_ptr<Displays> displays;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<PrivateSymbols> privateSymbols;
    std::shared_ptr<DockBadges> dockBadges;
    std::shared_ptr<SystemProbes> systemProbes;
    std::shared_ptr<WindowHints> windowHints;      // may be null: no size hints known
    std::shared_ptr<WindowMoveAssist> moveAssist;  // may be null: the window manager moves by itself
    std::shared_ptr<MemberFollow> memberFollow;    // may be null: members move from the main thread only

    std::shared_ptr<Clock> clock;
    std::shared_ptr<MainExecutor> mainExecutor;
    std::shared_ptr<QueueFactory> queueFactory;
};

}  // namespace tessaly
