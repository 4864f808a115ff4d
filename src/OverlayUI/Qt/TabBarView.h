#pragma once
// The strip inside a group's tab bar: the bar's background (its corners
// rounded by the panel's shape), the group name at the leading edge, and a
// row of tab items followed by the lock icon, the move-to-display button and
// the add button. Its callbacks are the bar's intents before they name the
// group; the panel turns them into delegate calls.
//
// What the user does on the bar is decided by the toolkit-free gestures the
// view owns and drives from its widget events:
// - TabReorderGesture: pressing and dragging tabs (reorder in the bar with
//   0.16 s slides, pop-out with a drag chip, drops on other bars); renders
//   wait while a tab is pressed or dragged. The view is its presenter.
// - BarDragGesture: presses on the background (activate and drag the
//   group, double click to maximise).
// - DropGap: the gap opened for a tab popped out of another bar.
// - SpringLoadingDestination: other applications' drags (XDND) hovering
//   over a tab select its window after a rest; the bar never takes a drop.
// - GroupNamePrompt: the name dialog of the menus.
// While a button is held on the bar, X11's implicit grab brings the moves
// and the release from anywhere on the screen, and no other client can take
// the pointer meanwhile (its grab answers AlreadyGrabbed): the grab ends
// with the release or with the bar's window unmapped. So hiding or closing
// the bar ends every gesture on it the way a release would; the release
// itself never comes.
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OverlayUI/BarDragGesture.h"
#include "OverlayUI/BarPalette.h"
#include "OverlayUI/DropGap.h"
#include "OverlayUI/GroupNameDialog.h"
#include "OverlayUI/GroupNamePrompt.h"
#include "OverlayUI/MenuModel.h"
#include "OverlayUI/SpringLoadingDestination.h"
#include "OverlayUI/TabBarPanel.h"
#include "OverlayUI/TabReorderGesture.h"
#include "OverlayUI/TabStripGeometry.h"
#include "OverlayUI/TabViewModel.h"
#include "Platform/Geometry.h"
#include "Platform/Lifetime.h"
#include "Platform/MainExecutor.h"

class QVariantAnimation;

namespace tessaly {

class GroupNameCaptionView;
class HoverGlowButton;
class TabDragChip;
class TabItemView;

class TabBarView : public QWidget, private TabReorderGesture::Presenter {
public:
    using Style = TabStripGeometry::Style;
    static constexpr double overlapCornerRadius = TabStripGeometry::overlapCornerRadius;
    static constexpr int rowInset = 6;      // the row's inset at each end
    static constexpr int rowSpacing = 2;    // between neighbours in the row
    static constexpr int rowVerticalInset = 3;
    static constexpr int buttonWidth = 22;
    static constexpr int lockIconWidth = 14;

    // The executor times the settle of a released tab, the closing of a
    // drop gap, the spring-loading rest and the deferral of the name dialog;
    // without one each happens at once.
    explicit TabBarView(std::shared_ptr<MainExecutor> executor = nullptr);
    ~TabBarView() override;

    // ---- Callbacks (the panel sets them; absent ones do nothing) ----
    std::function<void(WindowID)> onSelect;
    std::function<void(WindowID)> onClose;
    std::function<void(WindowID, int)> onReorder;
    std::function<void(WindowID)> onPopOut;
    std::function<void(WindowID)> onGroupSameApp;
    std::function<void()> onToggleLock;
    std::function<void()> onUngroup;
    std::function<void()> onCloseGroup;
    std::function<void(Point, EventFlags)> onDrag;  // with the moving event's modifiers
    std::function<void()> onDragEnd;
    std::function<void()> onActivate;
    std::function<void()> onOpenSettings;
    std::function<void(Rect)> onAdd;  // the add button's frame, global X pixels
    std::function<void(int)> onMoveToDisplay;
    std::function<void(WindowID, std::optional<TabColor>)> onSetAccent;
    std::function<void(WindowID)> onCustomAccent;
    std::function<void(std::optional<TabColor>)> onSetGroupAccent;
    std::function<void()> onCustomGroupAccent;
    std::function<void()> onOpenAutoColorRules;
    std::function<void(std::optional<std::string>)> onRename;
    std::function<void()> onMaximize;
    std::function<void(Point, double)> onCrossBarUpdate;
    std::function<bool(WindowID)> onCrossBarCommit;
    std::function<void()> onCrossBarCancel;

    // Presets, same-application candidates and displays, asked when a menu is built.
    TabBarProviders providers;
    // How menus are shown (at a global logical point) and how the name
    // dialog is made; the panel sets both from its factory.
    std::function<void(MenuModel, QPoint)> showMenu;
    std::function<std::unique_ptr<GroupNameDialog>()> makeNameDialog;

    // ---- Model ----
    void renderTabs(const std::vector<TabViewModel>& tabs);
    void updateTitle(WindowID windowID, const std::string& title);
    void setName(const std::optional<std::string>& name);
    bool hasGroupName() const;
    // Each repaints only for a changed value.
    void setGroupAccent(const std::optional<TabColor>& accent);
    void setLocked(bool locked);
    void setTabBarOpacity(double opacity);
    void setTabBadgeColor(const TabColor& color);
    void setBarPalette(const BarPalette& palette);
    void setStyle(const Style& style);
    // Where other windows cover the strip (local coordinates): cut away.
    void setCover(const QRegion& cover);

    const Style& style() const { return style_; }
    const std::optional<TabColor>& groupAccent() const { return groupAccent_; }
    bool isLocked() const { return isLocked_; }
    double tabBarOpacity() const { return tabBarOpacity_; }
    const TabColor& tabBadgeColor() const { return tabBadgeColor_; }
    // The background as painted: the palette's, tinted by the group accent;
    // at the bar opacity while the bar's window is translucent (a
    // compositing manager runs), else opaque.
    QColor fillColor() const;
    // How many times the background colour was worked out anew (repaints
    // for settings that did not change are skipped), and the row of tabs
    // built anew (a render of the model shown already keeps the row).
    int paletteApplications() const { return paletteApplications_; }
    int rowBuilds() const { return rowBuilds_; }

    // ---- Gestures ----
    bool tabGestureActive() const { return reorder_.tabGestureActive(); }
    bool hasPendingRender() const { return reorder_.pendingRender().has_value(); }
    const BarDragGesture& barDragGesture() const { return barDrag_; }
    const SpringLoadingDestination& springLoading() const { return spring_; }
    // The chip of a popped-out tab; null before the bar's first pop-out.
    TabDragChip* dragChip() const { return chip_.get(); }
    // Ends every press or drag under way on the bar, as a release would
    // (without dropping a popped-out tab anywhere).
    void endGestures();

    // ---- Parts (for the panel and tests) ----
    std::vector<TabItemView*> tabItems() const;
    TabItemView* tabItem(WindowID windowID) const;
    GroupNameCaptionView& nameCaption() const { return *nameCaption_; }
    HoverGlowButton& addButton() const { return *addButton_; }
    HoverGlowButton& moveButton() const { return *moveButton_; }
    QWidget& lockIcon() const { return *lockIcon_; }

    // The background shape in this view's coordinates: top corners rounded
    // by the top radius, bottom ones by the bottom radius, each cut to half
    // the smaller side.
    static QPainterPath backgroundPath(const QRectF& rect, const Style& style);

    // ---- Menus and prompts ----
    // The bar's own context menu (right click outside the tabs).
    MenuModel contextMenu();
    // The move button's menu of displays; empty without displays.
    MenuModel moveMenu();
    // Opens the group-name dialog once the current event is handled; its
    // outcome renames the group (or not), then the group is activated.
    void promptForGroupName();
    bool isNamePromptOpen() const { return namePrompt_.isOpen(); }

    // ---- Drops from other bars ----
    // Where a tab dropped at a point of this view would land among the tabs.
    int dropIndex(QPoint local) const;
    void openDropGap(int index, double tabWidth);
    void closeDropGap();
    const DropGap& dropGap() const { return dropGap_; }
    // The spacer's place in the row and its width as laid out now.
    std::optional<int> gapSlot() const { return gapSlot_; }
    double gapWidth() const { return gapWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // TabReorderGesture::Presenter
    void liftTabs(std::size_t dragged) override;
    void moveTab(std::size_t tab, Point origin, double duration) override;
    void setTabHidden(std::size_t tab, bool hidden) override;
    void showChip(std::size_t tab, const Rect& frame) override;
    void moveChip(const Rect& frame) override;
    void hideChip() override;
    void restoreTabs(const std::vector<std::size_t>& order) override;

    void wireGestures();
    // A callback that calls one of the view's own (when set) while the view lives.
    template <typename... Args>
    auto forwardTo(std::function<void(Args...)> TabBarView::*member) const;
    // Lays the row out; with `slide` (seconds) tabs and controls glide to their places.
    void relayout(double slide = 0);
    void applyPalette();
    void updateMask();
    void wire(TabItemView& item, WindowID windowID);
    void reorderDragged(TabItemView& item, QPoint pressed, QPoint local, QPointF global);
    TabReorderGesture::Layout currentLayout() const;
    void gapChanged(const DropGap::Change& change);
    void applySpringHighlights();
    std::optional<SpringLoadingDestination::HoveredTab> tabAt(QPoint local) const;
    void showContextMenu(QPoint global);
    QColor barControlColor() const;

    // What the items were built from: a render of the same again (the group
    // moved, say) keeps them instead of building the row anew.
    struct RowSource {
        std::vector<TabViewModel> tabs;
        std::optional<TabColor> groupAccent;
        bool isLocked = false;
        bool hasGroupName = false;
        bool matches(const std::vector<TabViewModel>& others, const std::optional<TabColor>& accent, bool locked,
                     bool named) const;
    };
    // Shows or hides the lock icon and the move button for the model; true when either changed.
    bool updateControls();

    std::vector<TabItemView*> items_;
    std::optional<RowSource> rowSource_;
    std::optional<TabColor> groupAccent_;
    bool isLocked_ = false;
    double tabBarOpacity_ = 1.0;
    TabColor tabBadgeColor_ = TabColor::defaultBadge;
    BarPalette palette_ = BarPalette::light;
    Style style_;
    QRegion cover_;  // cut away: where other windows cover the strip
    bool tabsLifted_ = false;          // a tab drag positions the row itself
    std::optional<int> gapSlot_;       // the drop gap's spacer: before this tab
    double gapWidth_ = 0;
    QPointer<QVariantAnimation> gapAnimation_;
    int paletteApplications_ = 0;
    int rowBuilds_ = 0;

    GroupNameCaptionView* nameCaption_ = nullptr;
    HoverGlowButton* addButton_ = nullptr;
    HoverGlowButton* moveButton_ = nullptr;
    QWidget* lockIcon_ = nullptr;
    std::unique_ptr<TabDragChip> chip_;  // made on the first pop-out

    std::shared_ptr<MainExecutor> executor_;
    TabReorderGesture reorder_;
    BarDragGesture barDrag_;
    EventFlags dragModifiers_ = 0;  // of the last move of a bar drag
    DropGap dropGap_;
    SpringLoadingDestination spring_;
    GroupNamePrompt namePrompt_;
    LifetimeToken lifetime_;  // last: callbacks handed out stop reaching in first
};

}  // namespace tessaly
