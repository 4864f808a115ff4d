#pragma once
// Functions of the window server that the public interfaces do not offer,
// found by name at run time. Each may be missing (an empty function); the
// library holding them may be missing altogether. Callers treat a missing
// function as a failed operation.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "Platform/Accessibility.h"
#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

using WindowServerConnection = std::int32_t;
using WindowServerError = std::int32_t;
// The codes the backends answer with.
constexpr WindowServerError kWindowServerSuccess = 0;
constexpr WindowServerError kWindowServerFailure = 1000;  // the window server's generic failure
constexpr WindowServerError kWindowServerIllegalArgument = 1001;

// A window-server transaction: orders collected until the commit. Released
// by dropping the last reference.
class WindowServerTransaction {
public:
    virtual ~WindowServerTransaction() = default;
};
using TransactionRef = std::shared_ptr<WindowServerTransaction>;

// Window-server notification callback: (event code, data, data length,
// context, connection).
using WindowServerNotifyProc = void (*)(std::uint32_t, void*, std::size_t, void*, WindowServerConnection);

struct WindowServerFunctions {
    std::function<WindowServerConnection()> mainConnectionID;                      // "SLSMainConnectionID"
    std::function<TransactionRef(WindowServerConnection)> transactionCreate;       // "SLSTransactionCreate"
    std::function<WindowServerError(const TransactionRef&, std::int32_t synchronous)>
        transactionCommit;                                                          // "SLSTransactionCommit"
    std::function<void(const TransactionRef&, WindowID window, std::int32_t order, WindowID relativeTo)>
        transactionOrderWindow;                                                     // "SLSTransactionOrderWindow"
    std::function<WindowServerError(WindowServerConnection, WindowID, std::int32_t, WindowID)>
        orderWindow;                                                                // "SLSOrderWindow"
    std::function<WindowServerError(WindowServerNotifyProc, std::uint32_t event, void* context)>
        registerNotifyProc;                                                         // "SLSRegisterNotifyProc"
    std::function<WindowServerError(WindowServerConnection, const WindowID* windows, std::int32_t count)>
        requestNotificationsForWindows;                                             // "SLSRequestNotificationsForWindows"
    std::function<WindowServerError(WindowServerConnection, WindowID, Rect* out)>
        getWindowBounds;                                                            // "SLSGetWindowBounds"
    std::function<void(const TransactionRef&, WindowID, std::int32_t level)>
        transactionSetWindowLevel;                                                  // "SLSTransactionSetWindowLevel"
};

// The accessibility element's window number ("_AXUIElementGetWindow").
using AXGetWindowFunction = std::function<AXError(const AXElement& element, WindowID* out)>;

class PrivateSymbols {
public:
    virtual ~PrivateSymbols() = default;

    // The window-number lookup from the images already loaded; empty when
    // it is not there.
    virtual AXGetWindowFunction axGetWindow() = 0;
    // Opens the private window-server library and looks its functions up;
    // absent when the library cannot be opened.
    virtual std::optional<WindowServerFunctions> openWindowServer() = 0;
};

}  // namespace tessaly
