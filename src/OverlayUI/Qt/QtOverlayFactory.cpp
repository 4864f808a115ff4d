#include "OverlayUI/Qt/QtOverlayFactory.h"

#include <QGuiApplication>
#include <QScreen>

#include "OverlayUI/Qt/BarCoverMask.h"
#include "OverlayUI/Qt/BarFrameFollower.h"
#include "OverlayUI/Qt/BarMoveFilter.h"
#include "OverlayUI/Qt/PanelFrameCache.h"
#include "OverlayUI/Qt/QtCrossPromptPanel.h"
#include "OverlayUI/Qt/QtGroupNameDialog.h"
#include "OverlayUI/Qt/QtInsertPreviewPanel.h"
#include "OverlayUI/Qt/QtMenus.h"
#include "OverlayUI/Qt/QtTabBarPanel.h"
#include "OverlayUI/Qt/QtTabColorPanelController.h"
#include "Platform/Qt/QtMainExecutor.h"
#include "Platform/Qt/QtX11Coordinates.h"
#include "Platform/X11/X11Compositing.h"
#include "Platform/X11/X11Backend.h"

namespace tessaly {

QtOverlayFactory::QtOverlayFactory(std::shared_ptr<X11Backend> backend, std::shared_ptr<SystemAppearance> appearance,
                                   std::shared_ptr<MainExecutor> mainExecutor, std::shared_ptr<Compositing> compositing)
    : backend_(backend),
      frames_(std::make_shared<PanelFrameCache>(backend)),
      follower_(backend ? std::make_shared<BarFrameFollower>(backend) : nullptr),
      moveFilter_(backend ? std::make_shared<BarMoveFilter>() : nullptr),
      appearance_(std::move(appearance)),
      mainExecutor_(mainExecutor ? std::move(mainExecutor) : std::make_shared<QtMainExecutor>()),
      compositing_(compositing || !backend ? std::move(compositing)
                                           : std::make_shared<X11Compositing>(backend, mainExecutor_)),
      bars_(std::make_shared<std::set<QtTabBarPanel*>>()),
      coverMask_(backend ? std::make_shared<BarCoverMask>(backend, mainExecutor_, bars_) : nullptr) {
    if (appearance_) {
        appearanceObserver_ = appearance_->addObserver([bars = bars_] {
            for (QtTabBarPanel* bar : *bars) bar->systemAppearanceChanged();
        });
    }
    if (moveFilter_ && coverMask_) {
        moveFilter_->onRestacking = [mask = std::weak_ptr<BarCoverMask>(coverMask_)](std::uint32_t window) {
            if (const auto live = mask.lock()) live->restackingInPlace(window);
        };
    }
    if (backend) {
        windowManagerWatch_ = backend->subscribe([this](const X11Event& event) {
            if (event.kind != X11Event::Kind::windowManagerChanged) return;
            mainExecutor_->post(lifetime_.guarded([this] {
                for (QtTabBarPanel* bar : *bars_) bar->windowManagerChanged();
                followWindowManager();
            }));
        });
        // After the start's first bars: a round trip.
        mainExecutor_->post(lifetime_.guarded([this] { followWindowManager(); }));
    }
}

void QtOverlayFactory::followWindowManager() {
    const auto backend = backend_.lock();
    if (!backend || !moveFilter_) return;
    // marco names itself "Metacity (Marco)".
    const X11Connection& x = backend->connection();
    moveFilter_->setRestackAfterResize(x.windowManagerName(x.windowManagerCheckWindow()).ends_with("(Marco)"));
}

QtOverlayFactory::~QtOverlayFactory() {
    windowManagerWatch_.cancel();  // synchronous: nothing is posted any more
}

std::unique_ptr<TabBarPanel> QtOverlayFactory::makeTabBarPanel(const Uuid& groupID) {
    QtTabBarPanel::Environment environment;
    environment.frames = frames_;
    environment.showMenu = [](MenuModel menu, QPoint at) { QtMenus::popUp(menu, at); };
    environment.makeNameDialog = [bring = bringToFront_]() -> std::unique_ptr<GroupNameDialog> {
        return std::make_unique<QtGroupNameDialog>(bring);
    };
    if (appearance_) {
        environment.systemIsDark = [appearance = std::weak_ptr<SystemAppearance>(appearance_)] {
            const auto live = appearance.lock();
            return live && live->prefersDark();
        };
    }
    environment.registry = bars_;
    environment.follower = follower_;
    environment.moveFilter = moveFilter_;
    environment.coverMask = coverMask_;
    environment.executor = mainExecutor_;
    environment.compositing = compositing_;
    return std::make_unique<QtTabBarPanel>(groupID, std::move(environment));
}

std::unique_ptr<InsertPreviewPanel> QtOverlayFactory::makeInsertPreviewPanel() {
    return std::make_unique<QtInsertPreviewPanel>(compositing_);
}

std::unique_ptr<CrossPromptPanel> QtOverlayFactory::makeCrossPromptPanel() {
    return std::make_unique<QtCrossPromptPanel>();
}

std::unique_ptr<GroupNameDialog> QtOverlayFactory::makeGroupNameDialog() {
    return std::make_unique<QtGroupNameDialog>(bringToFront_);
}

std::unique_ptr<TabColorPanelController> QtOverlayFactory::makeTabColorPanelController() {
    return std::make_unique<QtTabColorPanelController>(bringToFront_);
}

void QtOverlayFactory::popUpMenu(MenuModel menu, Point at) {
    QtMenus::popUp(menu, QtX11Coordinates::fromX(at).toPoint());
}

double QtOverlayFactory::pixelsPerPoint() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double ratio = screen ? screen->devicePixelRatio() : 1.0;
    return ratio > 0 ? ratio : 1.0;
}

}  // namespace tessaly
