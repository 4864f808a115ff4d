#pragma once
// The accessibility vocabulary the program uses: attribute, action, role and
// notification names, written once. Backends answer these names; the
// accessibility wrappers ask for them.
#include <string_view>

namespace tessaly::axname {

// Attributes.
inline constexpr std::string_view windows = "AXWindows";
inline constexpr std::string_view focusedWindow = "AXFocusedWindow";
inline constexpr std::string_view enhancedUserInterface = "AXEnhancedUserInterface";
inline constexpr std::string_view title = "AXTitle";
inline constexpr std::string_view role = "AXRole";
inline constexpr std::string_view subrole = "AXSubrole";
inline constexpr std::string_view position = "AXPosition";
inline constexpr std::string_view size = "AXSize";
inline constexpr std::string_view minimized = "AXMinimized";
inline constexpr std::string_view fullScreen = "AXFullScreen";
// Along which axes the window manager holds the window maximised (an integer
// of MaximizedAxes flags); writing it asks for exactly those axes.
inline constexpr std::string_view maximized = "AXMaximized";
// Whether the window manager shows the window rolled up to its title bar
// (shaded); writing it asks for that.
inline constexpr std::string_view shaded = "AXShaded";
inline constexpr std::string_view children = "AXChildren";
inline constexpr std::string_view document = "AXDocument";
inline constexpr std::string_view main = "AXMain";
inline constexpr std::string_view closeButton = "AXCloseButton";

// Actions.
inline constexpr std::string_view raise = "AXRaise";
inline constexpr std::string_view press = "AXPress";

// Roles and subroles.
inline constexpr std::string_view windowRole = "AXWindow";
inline constexpr std::string_view standardWindowSubrole = "AXStandardWindow";
inline constexpr std::string_view tabGroupRole = "AXTabGroup";
inline constexpr std::string_view radioButtonRole = "AXRadioButton";

// Notifications.
inline constexpr std::string_view windowCreated = "AXWindowCreated";
inline constexpr std::string_view focusedWindowChanged = "AXFocusedWindowChanged";
inline constexpr std::string_view elementDestroyed = "AXUIElementDestroyed";
inline constexpr std::string_view windowMoved = "AXWindowMoved";
inline constexpr std::string_view windowResized = "AXWindowResized";
inline constexpr std::string_view windowMiniaturized = "AXWindowMiniaturized";
inline constexpr std::string_view windowDeminiaturized = "AXWindowDeminiaturized";
inline constexpr std::string_view titleChanged = "AXTitleChanged";

}  // namespace tessaly::axname
