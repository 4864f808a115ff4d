#pragma once
// The overlay's windows in Qt Widgets: tab bars, insert previews, cross-
// display prompts, the group-name dialog, the custom-colour chooser and
// menus. Main thread, once the QApplication exists.
//
//   auto factory = std::make_shared<QtOverlayFactory>(x11Platform->backend(), systemAppearance);
//   OverlayManager overlay(std::make_shared<PublicZOrderSync>(), iconSource, factory, services);
//
// The main executor times the bars' own delays (a released tab settling, a
// drop gap closing, a spring-loaded tab's rest, the name prompt's
// deferral); without one the factory runs them on a Qt executor of its own.
//
// With a backend, panels remember the frame each window they are ordered
// against sits in (forgotten on the backend's reports), so re-ordering costs
// no round trip, and shown bars follow their frames from the backend's event
// thread (BarFrameFollower) without Qt reacting to each of those moves
// (BarMoveFilter), and where the window manager will not keep bars
// between windows they are cut to look so (BarCoverMask); without one
// (offscreen tests) none of this. With a system appearance, bars set to
// follow it recolour when it changes. While a compositing manager runs
// (given, or with a backend watched on the X server), bars and insert
// previews are translucent: bars drawn at their opacity, previews with
// their tinted fill; opaque otherwise.
#include <functional>
#include <memory>
#include <set>

#include "OverlayUI/OverlayFactory.h"
#include "Platform/Compositing.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"
#include "Platform/Subscription.h"
#include "Platform/SystemAppearance.h"

class QWidget;

namespace tessaly {

class BarCoverMask;
class BarFrameFollower;
class BarMoveFilter;
class PanelFrameCache;
class QtTabBarPanel;
class X11Backend;

class QtOverlayFactory final : public OverlayFactory {
public:
    QtOverlayFactory(std::shared_ptr<X11Backend> backend, std::shared_ptr<SystemAppearance> appearance,
                     std::shared_ptr<MainExecutor> mainExecutor = nullptr,
                     std::shared_ptr<Compositing> compositing = nullptr);
    ~QtOverlayFactory() override;
    QtOverlayFactory(const QtOverlayFactory&) = delete;
    QtOverlayFactory& operator=(const QtOverlayFactory&) = delete;

    std::unique_ptr<TabBarPanel> makeTabBarPanel(const Uuid& groupID) override;
    std::unique_ptr<InsertPreviewPanel> makeInsertPreviewPanel() override;
    std::unique_ptr<CrossPromptPanel> makeCrossPromptPanel() override;
    std::unique_ptr<GroupNameDialog> makeGroupNameDialog() override;
    std::unique_ptr<TabColorPanelController> makeTabColorPanelController() override;
    void popUpMenu(MenuModel menu, Point at) override;
    // X pixels per logical pixel: Qt's device pixel ratio (QT_SCALE_FACTOR,
    // Xft.dpi) of the primary screen.
    double pixelsPerPoint() const override;

    // How dialogs (the name dialog, the colour chooser) come to the front
    // with the focus; by default the platform's activation, which wins
    // against the window manager's focus-stealing prevention.
    void setBringToFront(std::function<void(QWidget&)> bringToFront) { bringToFront_ = std::move(bringToFront); }

private:
    // Tells the move filter what the running window manager's compositor needs.
    void followWindowManager();

    std::weak_ptr<X11Backend> backend_;
    std::shared_ptr<PanelFrameCache> frames_;
    std::shared_ptr<BarFrameFollower> follower_;
    std::shared_ptr<BarMoveFilter> moveFilter_;
    std::shared_ptr<SystemAppearance> appearance_;
    std::shared_ptr<MainExecutor> mainExecutor_;
    std::shared_ptr<Compositing> compositing_;
    std::shared_ptr<std::set<QtTabBarPanel*>> bars_;
    std::shared_ptr<BarCoverMask> coverMask_;
    std::function<void(QWidget&)> bringToFront_;
    Subscription appearanceObserver_;
    LifetimeToken lifetime_;          // posted work does nothing once the factory is gone
    Subscription windowManagerWatch_;  // last: ends before the rest goes
};

}  // namespace tessaly
