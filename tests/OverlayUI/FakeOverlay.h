#pragma once
// A recording stand-in for the toolkit half of the overlay: a factory whose
// bars, panels, previews, prompts, dialogs and colour choosers only remember
// what was asked of them, over one shared model of the window stacking.
// Header-only, for any test program.
//
//   auto factory = std::make_shared<FakeOverlayFactory>();
//   factory->stacking->push(101);                  // a client window, frontmost
//   ... manager.apply(GroupEvent::groupCreated(group));
//   const FakeBarRecord& bar = factory->barFor(group.id);
//   EXPECT_TRUE(bar.isShown);
//   EXPECT_TRUE(factory->stacking->isDirectlyAbove(bar.stripNumber, 101));
//
// Records outlive the objects they describe, so a test can still read what
// a closed and dropped bar went through.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "OverlayUI/OverlayFactory.h"

namespace tessaly {

// The stacking order of windows, back to front, as the fakes change it.
struct FakeStacking {
    std::vector<WindowID> backToFront;

    // Puts a window (anew) at the front.
    void push(WindowID window) {
        remove(window);
        backToFront.push_back(window);
    }
    void remove(WindowID window) { std::erase(backToFront, window); }
    bool contains(WindowID window) const {
        return std::find(backToFront.begin(), backToFront.end(), window) != backToFront.end();
    }
    // Puts `window` directly above (or below) `relativeTo`; at the front (or
    // back) when `relativeTo` is not stacked.
    void place(WindowID window, bool above, WindowID relativeTo) {
        remove(window);
        auto at = std::find(backToFront.begin(), backToFront.end(), relativeTo);
        if (at == backToFront.end()) {
            if (above) backToFront.push_back(window);
            else backToFront.insert(backToFront.begin(), window);
            return;
        }
        backToFront.insert(above ? at + 1 : at, window);
    }
    std::optional<std::size_t> position(WindowID window) const {
        const auto at = std::find(backToFront.begin(), backToFront.end(), window);
        if (at == backToFront.end()) return std::nullopt;
        return static_cast<std::size_t>(at - backToFront.begin());
    }
    bool isDirectlyAbove(WindowID upper, WindowID lower) const {
        const auto u = position(upper);
        const auto l = position(lower);
        return u && l && *u == *l + 1;
    }
};

// Everything one fake panel went through.
struct FakePanelRecord {
    WindowID windowNumber = 0;
    bool visible = false;
    bool closed = false;
    Rect frame;
    int orderFrontCount = 0;
    int orderOutCount = 0;
    // Relative orderings asked of the panel: (above?, relative window).
    std::vector<std::pair<bool, WindowID>> relativeOrders;
    int frameSetCount = 0;
};

class FakeOverlayPanel final : public OverlayPanel {
public:
    FakeOverlayPanel(std::shared_ptr<FakeStacking> stacking, WindowID number)
        : stacking_(std::move(stacking)), record(std::make_shared<FakePanelRecord>()) {
        record->windowNumber = number;
    }

    WindowID windowNumber() const override { return record->windowNumber; }
    bool isVisible() const override { return record->visible; }
    Rect frame() const override { return record->frame; }
    void setFrame(const Rect& frame) override {
        record->frame = frame;
        ++record->frameSetCount;
    }
    void orderFront() override {
        ++record->orderFrontCount;
        record->visible = true;
        stacking_->push(record->windowNumber);
    }
    void orderOut() override {
        ++record->orderOutCount;
        record->visible = false;
        stacking_->remove(record->windowNumber);
    }
    bool orderRelative(Order order, WindowID relativeTo) override {
        record->relativeOrders.emplace_back(order == Order::above, relativeTo);
        record->visible = true;
        stacking_->place(record->windowNumber, order == Order::above, relativeTo);
        return true;
    }
    // The last relative ordering still holds in the stacking model.
    bool isOrderedRelative() const override {
        if (!record->visible || record->relativeOrders.empty()) return false;
        const auto [above, relativeTo] = record->relativeOrders.back();
        return above ? stacking_->isDirectlyAbove(record->windowNumber, relativeTo)
                     : stacking_->isDirectlyAbove(relativeTo, record->windowNumber);
    }
    void close() {
        orderOut();
        record->closed = true;
    }

private:
    std::shared_ptr<FakeStacking> stacking_;

public:
    std::shared_ptr<FakePanelRecord> record;
};

struct FakeRender {
    std::vector<TabViewModel> tabs;
    std::optional<std::string> name;
    std::optional<TabColor> groupAccent;
    bool isLocked = false;
};

// Everything one fake bar went through.
struct FakeBarRecord {
    Uuid groupID;
    bool alive = true;  // false once the bar object is destroyed
    bool isShown = false;
    bool isClosed = false;
    bool backingShown = false;
    bool isLocked = false;
    std::vector<FakeRender> renders;
    std::vector<std::pair<WindowID, std::string>> titleUpdates;
    std::vector<TabStripGeometry::BarLayout> placements;
    int showCount = 0;   // show() calls that showed the bar
    int hideCount = 0;   // hide() calls
    AppearanceMode appearanceMode = AppearanceMode::system;
    double tabBarOpacity = 1.0;
    TabColor tabBadgeColor = TabColor::defaultBadge;
    int appearanceRepaints = 0;
    int opacityRepaints = 0;
    int badgeRepaints = 0;
    std::weak_ptr<TabBarPanelDelegate> delegate;
    TabDragCoordinating* dragCoordinator = nullptr;
    TabBarProviders providers;
    // Cross-bar drops: tab midpoints along x used by dropIndex, and the gap.
    std::vector<double> tabMidXs;
    std::optional<int> dropGapIndex;
    double dropGapWidth = 0;
    std::shared_ptr<FakePanelRecord> strip;
    std::shared_ptr<FakePanelRecord> backing;
    // Runs inside hide() and close(), as a gesture ended by hiding would
    // call back into the bar's owner.
    std::function<void()> onHide;

    WindowID stripNumber() const { return strip->windowNumber; }
    WindowID backingNumber() const { return backing->windowNumber; }
    const FakeRender& lastRender() const { return renders.back(); }
    std::optional<TabStripGeometry::BarLayout> lastPlacement() const {
        if (placements.empty()) return std::nullopt;
        return placements.back();
    }
    // The delegate, when it still lives.
    std::shared_ptr<TabBarPanelDelegate> liveDelegate() const { return delegate.lock(); }
};

class FakeTabBarPanel final : public TabBarPanel {
public:
    FakeTabBarPanel(const Uuid& groupID, std::shared_ptr<FakeStacking> stacking, WindowID stripNumber,
                    WindowID backingNumber)
        : strip_(stacking, stripNumber), backing_(stacking, backingNumber), record(std::make_shared<FakeBarRecord>()) {
        record->groupID = groupID;
        record->strip = strip_.record;
        record->backing = backing_.record;
    }
    ~FakeTabBarPanel() override { record->alive = false; }

    const Uuid& groupID() const override { return record->groupID; }
    void setDelegate(std::weak_ptr<TabBarPanelDelegate> delegate) override { record->delegate = std::move(delegate); }
    void setDragCoordinator(TabDragCoordinating* coordinator) override { record->dragCoordinator = coordinator; }
    void setProviders(TabBarProviders providers) override { record->providers = std::move(providers); }

    void setAppearanceMode(AppearanceMode mode) override {
        if (mode == record->appearanceMode) return;
        record->appearanceMode = mode;
        ++record->appearanceRepaints;
    }
    void setTabBarOpacity(double opacity) override {
        if (opacity == record->tabBarOpacity) return;
        record->tabBarOpacity = opacity;
        ++record->opacityRepaints;
    }
    void setTabBadgeColor(const TabColor& color) override {
        if (color == record->tabBadgeColor) return;
        record->tabBadgeColor = color;
        ++record->badgeRepaints;
    }

    void render(const std::vector<TabViewModel>& tabs, const std::optional<std::string>& name,
                const std::optional<TabColor>& groupAccent, bool isLocked) override {
        record->isLocked = isLocked;
        record->renders.push_back({tabs, name, groupAccent, isLocked});
    }
    void updateTitle(WindowID windowID, const std::string& title) override {
        record->titleUpdates.emplace_back(windowID, title);
    }

    void place(const TabStripGeometry::BarLayout& layout) override {
        record->placements.push_back(layout);
        if (layout.backingFrame) {
            backing_.setFrame(*layout.backingFrame);
            record->backingShown = true;
        } else {
            if (record->backingShown) backing_.orderOut();
            record->backingShown = false;
        }
        strip_.setFrame(layout.placement.frame);
        show();
    }
    void show() override {
        if (record->isShown) return;
        strip_.orderFront();
        if (record->backingShown) backing_.orderRelative(OverlayPanel::Order::below, strip_.windowNumber());
        record->isShown = true;
        ++record->showCount;
    }
    void hide() override {
        strip_.orderOut();
        backing_.orderOut();
        record->isShown = false;
        ++record->hideCount;
        endGesture();
    }
    void close() override {
        endGesture();
        strip_.close();
        backing_.close();
        record->isShown = false;
        record->isClosed = true;
    }

    bool isShown() const override { return record->isShown; }
    bool isLocked() const override { return record->isLocked; }
    bool backingShown() const override { return record->backingShown; }
    OverlayPanel& stripPanel() override { return strip_; }
    OverlayPanel& backingPanel() override { return backing_; }

    int dropIndex(Point globalPoint) const override {
        int index = 0;
        for (double mid : record->tabMidXs) {
            if (mid > globalPoint.x) break;
            ++index;
        }
        return index;
    }
    void openDropGap(int index, double tabWidth) override {
        record->dropGapIndex = index;
        record->dropGapWidth = tabWidth;
    }
    void closeDropGap() override { record->dropGapIndex.reset(); }

private:
    void endGesture() {
        // Kept alive across the call: the owner may drop this bar inside it.
        const auto keep = record;
        if (auto hook = std::exchange(keep->onHide, nullptr)) hook();
    }

    FakeOverlayPanel strip_;
    FakeOverlayPanel backing_;

public:
    std::shared_ptr<FakeBarRecord> record;
};

struct FakeInsertPreviewRecord {
    bool shown = false;
    std::optional<Rect> over;
    bool locked = false;
    int showCount = 0;
};

class FakeInsertPreviewPanel final : public InsertPreviewPanel {
public:
    void show(const Rect& over, bool locked) override {
        record->shown = true;
        record->over = over;
        record->locked = locked;
        ++record->showCount;
    }
    void hide() override { record->shown = false; }
    bool isShown() const override { return record->shown; }

    std::shared_ptr<FakeInsertPreviewRecord> record = std::make_shared<FakeInsertPreviewRecord>();
};

struct FakeCrossPromptRecord {
    bool shown = false;
    std::string text;
    std::optional<Rect> over;
    int showCount = 0;
};

class FakeCrossPromptPanel final : public CrossPromptPanel {
public:
    void show(const std::string& text, const Rect& over) override {
        record->shown = true;
        record->text = text;
        record->over = over;
        ++record->showCount;
    }
    void hide() override { record->shown = false; }
    bool isShown() const override { return record->shown; }

    std::shared_ptr<FakeCrossPromptRecord> record = std::make_shared<FakeCrossPromptRecord>();
};

struct FakeGroupNameDialogRecord {
    bool open = false;
    std::optional<std::string> currentName;
    GroupNameDialog::Completion completion;
    int openCount = 0;

    // The user's answer: closes the dialog and runs the completion once.
    void answer(const GroupNameEditOutcome& outcome) {
        open = false;
        if (auto done = std::exchange(completion, nullptr)) done(outcome);
    }
};

class FakeGroupNameDialog final : public GroupNameDialog {
public:
    void open(const std::optional<std::string>& currentName, Completion completion) override {
        ++record->openCount;
        if (record->open) return;
        record->open = true;
        record->currentName = currentName;
        record->completion = std::move(completion);
    }
    bool isOpen() const override { return record->open; }

    std::shared_ptr<FakeGroupNameDialogRecord> record = std::make_shared<FakeGroupNameDialogRecord>();
};

struct FakeColorPanelRecord {
    std::optional<TabColor> initial;
    std::function<void(TabColor)> onPick;
    int beginCount = 0;

    // A colour moved in the chooser: reaches the latest request.
    void pick(const TabColor& color) const {
        if (onPick) onPick(color);
    }
    // The chooser closed: no request any more.
    void close() { onPick = nullptr; }
};

class FakeTabColorPanelController final : public TabColorPanelController {
public:
    void begin(const std::optional<TabColor>& initial, std::function<void(TabColor)> onPick) override {
        ++record->beginCount;
        record->initial = initial;
        record->onPick = std::move(onPick);
    }

    std::shared_ptr<FakeColorPanelRecord> record = std::make_shared<FakeColorPanelRecord>();
};

struct FakeMenuPopUp {
    MenuModel menu;
    Point at;
};

class FakeOverlayFactory final : public OverlayFactory {
public:
    // Panel window numbers start here, far from the simulated clients'.
    static constexpr WindowID firstPanelNumber = 0x7000'0000;

    std::unique_ptr<TabBarPanel> makeTabBarPanel(const Uuid& groupID) override {
        const WindowID strip = nextNumber_++;
        const WindowID backing = nextNumber_++;
        auto bar = std::make_unique<FakeTabBarPanel>(groupID, stacking, strip, backing);
        bars.push_back(bar->record);
        return bar;
    }
    std::unique_ptr<InsertPreviewPanel> makeInsertPreviewPanel() override {
        auto panel = std::make_unique<FakeInsertPreviewPanel>();
        previews.push_back(panel->record);
        return panel;
    }
    std::unique_ptr<CrossPromptPanel> makeCrossPromptPanel() override {
        auto panel = std::make_unique<FakeCrossPromptPanel>();
        prompts.push_back(panel->record);
        return panel;
    }
    std::unique_ptr<GroupNameDialog> makeGroupNameDialog() override {
        auto dialog = std::make_unique<FakeGroupNameDialog>();
        dialogs.push_back(dialog->record);
        return dialog;
    }
    std::unique_ptr<TabColorPanelController> makeTabColorPanelController() override {
        auto controller = std::make_unique<FakeTabColorPanelController>();
        colorPanels.push_back(controller->record);
        return controller;
    }
    void popUpMenu(MenuModel menu, Point at) override { menus.push_back({std::move(menu), at}); }
    double pixelsPerPoint() const override { return scale; }

    // The records of every bar made for the group, oldest first.
    std::vector<std::shared_ptr<FakeBarRecord>> barsFor(const Uuid& groupID) const {
        std::vector<std::shared_ptr<FakeBarRecord>> found;
        for (const auto& bar : bars) {
            if (bar->groupID == groupID) found.push_back(bar);
        }
        return found;
    }
    // The newest bar made for the group; the test fails loudly (throws) when there is none.
    FakeBarRecord& barFor(const Uuid& groupID) const {
        for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
            if ((*it)->groupID == groupID) return **it;
        }
        throw std::out_of_range("no bar was made for the group");
    }

    std::shared_ptr<FakeStacking> stacking = std::make_shared<FakeStacking>();
    std::vector<std::shared_ptr<FakeBarRecord>> bars;
    std::vector<std::shared_ptr<FakeInsertPreviewRecord>> previews;
    std::vector<std::shared_ptr<FakeCrossPromptRecord>> prompts;
    std::vector<std::shared_ptr<FakeGroupNameDialogRecord>> dialogs;
    std::vector<std::shared_ptr<FakeColorPanelRecord>> colorPanels;
    std::vector<FakeMenuPopUp> menus;
    double scale = 1.0;  // the bars' content scaled, as Qt scales it

private:
    WindowID nextNumber_ = firstPanelNumber;
};

}  // namespace tessaly
