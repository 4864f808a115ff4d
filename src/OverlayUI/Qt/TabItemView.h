#pragma once
// One tab of a tab bar: the application's icon, the window's title (plain
// text, cut at the tail), the launcher badge pill, the pop-out button and,
// when the tab has its own accent, a thin accent line along its top edge.
// It turns presses, drags, middle clicks and its context menu into
// callbacks; the bar wires them to its own. Made anew at every render of its
// bar, never updated apart from its title, palette and spring highlight.
#include <QPoint>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "OverlayUI/BarPalette.h"
#include "OverlayUI/DisplayMoveTarget.h"
#include "OverlayUI/MenuModel.h"
#include "OverlayUI/TabViewModel.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

class BadgePillView;
class HoverGlowButton;

class TabItemView : public QWidget {
public:
    static constexpr double cornerRadius = 7.0;
    static constexpr double accentLineInset = cornerRadius + 1;
    static constexpr int maximumWidth = 200;
    static constexpr int maximumTitleWidth = 150;
    static constexpr double suspendedAlpha = 0.55;

    enum class SpringHighlight { none, standard, emphasized };

    TabItemView(const TabViewModel& tab, const std::optional<TabColor>& groupAccent, bool isLocked,
                bool hasGroupName, const TabColor& badgeColor,
                std::function<std::vector<ColorPreset>()> presetsProvider,
                std::function<bool()> hasSameAppCandidates,
                std::function<std::vector<DisplayMoveTarget>()> displayMoveTargets, QWidget* parent);
    ~TabItemView() override;

    // ---- Callbacks (absent ones do nothing) ----
    std::function<void()> onSelect;
    std::function<void()> onClose;
    std::function<void()> onCloseGroup;
    std::function<void()> onUngroup;
    std::function<void()> onRenameGroup;
    std::function<void()> onPopOut;
    std::function<void()> onGroupSameApp;
    std::function<void()> onOpenSettings;
    std::function<void(std::optional<TabColor>)> onSetAccent;
    std::function<void()> onCustomAccent;
    std::function<void(std::optional<TabColor>)> onSetGroupAccent;
    std::function<void()> onCustomGroupAccent;
    std::function<void()> onToggleLock;
    std::function<void()> onOpenAutoColorRules;
    std::function<void(int)> onMoveToDisplay;
    // The tab is dragged: the press and the pointer in the bar window's
    // coordinates, and the pointer globally (Qt's logical coordinates, from
    // the event itself).
    std::function<void(TabItemView&, QPoint, QPoint, QPointF)> onReorderDrag;
    std::function<void(TabItemView&)> onReorderEnd;
    // True when a press on the tab begins, false when it ends without a reorder.
    std::function<void(bool)> onGestureChanged;
    // Shows a context menu at a global (logical) point; set by the bar.
    std::function<void(MenuModel, QPoint)> showMenu;

    WindowID windowID() const { return windowID_; }
    bool isActive() const { return isActive_; }
    bool isSuspended() const { return isSuspended_; }
    double baseAlpha() const { return isSuspended_ ? suspendedAlpha : 1.0; }
    const std::optional<TabColor>& accent() const { return accent_; }

    // The title as shown: sanitised, the untitled text when nothing is left,
    // "⛶ " in front for a suspended tab.
    static QString displayString(const std::string& title, bool isSuspended);
    // The badge text as shown: trimmed, none without a digit, at most 7
    // characters (6 and "…" for longer ones).
    static std::optional<std::string> badgeDisplayString(const std::optional<std::string>& badge);

    void setTitle(const std::string& title);
    const QString& shownTitle() const { return title_; }
    void setBarPalette(const BarPalette& palette);
    void setBadgeColor(const TabColor& color);
    BadgePillView* badgePill() const { return badgePill_; }
    HoverGlowButton& popOutButton() const { return *popOutButton_; }
    SpringHighlight springHighlight() const { return springHighlight_; }
    void setSpringHighlight(SpringHighlight highlight);
    // The background colour painted now.
    QColor backgroundColor() const;
    QColor titleColor() const;

    bool isReordering() const { return dragState_ == DragState::reordering; }
    // Forgets a press or drag under way without a callback: the bar has
    // ended its gesture itself (it is being hidden or closed under the
    // pointer), and a late release then does nothing.
    void cancelPress();
    // The menu a right click shows.
    MenuModel contextMenu();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class DragState { pending, reordering, idle };

    void layoutChildren();
    void applyPalette();
    int naturalTitleWidth() const;
    // The title's text after the suspended mark (which is painted), and the
    // room the mark takes.
    QString titleText() const;
    int markWidth() const;
    QPoint windowPosition(QPointF local) const;

    WindowID windowID_ = 0;
    bool isActive_ = false;
    bool isSuspended_ = false;
    std::optional<TabColor> accent_;
    std::optional<TabColor> groupAccent_;
    bool isLocked_ = false;
    bool hasGroupName_ = false;
    std::function<std::vector<ColorPreset>()> presetsProvider_;
    std::function<bool()> hasSameAppCandidates_;
    std::function<std::vector<DisplayMoveTarget>()> displayMoveTargets_;
    std::shared_ptr<const AppIcon> icon_;

    DragState dragState_ = DragState::idle;
    QPoint pressPosition_;
    SpringHighlight springHighlight_ = SpringHighlight::none;
    BarPalette palette_ = BarPalette::light;

    QString title_;
    QString elidedTitle_;
    int titleWidth_ = 0;
    QPixmap iconPixmap_;
    BadgePillView* badgePill_ = nullptr;
    HoverGlowButton* popOutButton_ = nullptr;
};

}  // namespace tessaly
