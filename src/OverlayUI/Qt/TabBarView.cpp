#include "OverlayUI/Qt/TabBarView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "OverlayUI/GroupContextMenu.h"
#include "OverlayUI/TabReorderGeometry.h"
#include "OverlayUI/Qt/BadgePillView.h"
#include "OverlayUI/Qt/GroupNameCaptionView.h"
#include "OverlayUI/Qt/HoverGlowButton.h"
#include "OverlayUI/Qt/OverlayShapes.h"
#include "OverlayUI/Qt/QtBarColors.h"
#include "Platform/Qt/QtX11Coordinates.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

constexpr int kCaptionLeading = 10;
constexpr int kCaptionGap = 4;
// The narrowest a tab is squeezed to when the row does not fit: icon and button.
constexpr int kNarrowestTab = 48;

QFont buttonFont(int pixels, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// The padlock shown while the group is locked, drawn in the bar's control colour.
class LockIconView : public QWidget {
public:
    explicit LockIconView(QWidget* parent) : QWidget(parent) {
        setToolTip(QString::fromStdString(L10n::groupLockedHint()));
        setAccessibleName(toolTip());
    }
    void setTint(const QColor& tint) {
        tint_ = tint;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        OverlayShapes::drawPadlock(painter, QRectF(rect()), 11, tint_);
    }

private:
    QColor tint_{Qt::black};
};

}  // namespace

TabBarView::TabBarView() : QWidget(nullptr) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    nameCaption_ = new GroupNameCaptionView(this);
    nameCaption_->onFootprintChange = lifetime_.guarded([this] { relayout(); });
    addButton_ = new HoverGlowButton(QStringLiteral("+"), buttonFont(14, QFont::DemiBold), this);
    addButton_->setToolTip(QString::fromStdString(L10n::addWindowTooltip()));
    QObject::connect(addButton_, &QAbstractButton::clicked, this, [this] {
        if (!onAdd) return;
        onAdd(QtX11Coordinates::toX(QRectF(QRect(addButton_->mapToGlobal(QPoint(0, 0)), addButton_->size()))));
    });
    moveButton_ = new HoverGlowButton(QStringLiteral("⧉"), buttonFont(12, QFont::Normal), this);
    moveButton_->setToolTip(QString::fromStdString(L10n::moveToDisplayTooltip()));
    moveButton_->hide();
    QObject::connect(moveButton_, &QAbstractButton::clicked, this, [this] {
        MenuModel menu = moveMenu();
        if (menu.empty() || !showMenu) return;
        showMenu(std::move(menu), moveButton_->mapToGlobal(QPoint(0, moveButton_->height() + 4)));
    });
    lockIcon_ = new LockIconView(this);
    lockIcon_->hide();
    applyPalette();
}

TabBarView::~TabBarView() = default;

// ---- Model ----

void TabBarView::renderTabs(const std::vector<TabViewModel>& tabs) {
    if (tabGestureActive_) {
        pendingRender_ = tabs;
        return;
    }
    const bool hadDropGap = dropGapIndex_.has_value();
    dropGapIndex_.reset();
    const bool named = hasGroupName();
    if (rowSource_ && rowSource_->matches(tabs, groupAccent_, isLocked_, named)) {
        if (updateControls() || hadDropGap) relayout();
        return;
    }
    rowSource_ = RowSource{tabs, groupAccent_, isLocked_, named};
    ++rowBuilds_;
    // Items are never reused. An old item may be running one of its own
    // handlers right now (a click that selected its tab): it goes later.
    for (TabItemView* item : items_) {
        item->hide();
        item->deleteLater();
    }
    items_.clear();
    for (const TabViewModel& tab : tabs) {
        const WindowID windowID = tab.windowID;
        auto* item = new TabItemView(
            tab, groupAccent_, isLocked_, named, tabBadgeColor_,
            lifetime_.guarded([this] { return providers.presetsProvider ? providers.presetsProvider()
                                                                         : std::vector<ColorPreset>{}; }),
            [weak = lifetime_.watch(), this, windowID] {
                // A tab whose bar is gone still enables the item (the neutral answer).
                if (weak.expired() || !providers.hasSameAppCandidates) return true;
                return providers.hasSameAppCandidates(windowID);
            },
            lifetime_.guarded([this] {
                return providers.displayMoveTargetsProvider ? providers.displayMoveTargetsProvider()
                                                            : std::vector<DisplayMoveTarget>{};
            }),
            this);
        item->setBarPalette(palette_);
        wire(*item, windowID);
        item->show();
        items_.push_back(item);
    }
    updateControls();
    relayout();
}

bool TabBarView::updateControls() {
    const bool hasDisplays =
        providers.displayMoveTargetsProvider && !providers.displayMoveTargetsProvider().empty();
    const bool changed = lockIcon_->isHidden() == isLocked_ || moveButton_->isHidden() == hasDisplays;
    lockIcon_->setVisible(isLocked_);
    moveButton_->setVisible(hasDisplays);
    return changed;
}

bool TabBarView::RowSource::matches(const std::vector<TabViewModel>& others, const std::optional<TabColor>& accent,
                                    bool locked, bool named) const {
    if (groupAccent != accent || isLocked != locked || hasGroupName != named || tabs.size() != others.size()) {
        return false;
    }
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        const TabViewModel& a = tabs[i];
        const TabViewModel& b = others[i];
        if (a.windowID != b.windowID || a.title != b.title || a.icon != b.icon || a.isActive != b.isActive ||
            a.isSuspended != b.isSuspended || a.accent != b.accent || a.badge != b.badge) {
            return false;
        }
    }
    return true;
}

void TabBarView::wire(TabItemView& item, WindowID windowID) {
    // Every callback reaches the view weakly; the view's own callback may be absent.
    const auto forward = [this](std::function<void()> TabBarView::*member) {
        return lifetime_.guarded([this, member] {
            if (this->*member) (this->*member)();
        });
    };
    const auto forwardWindow = [this, windowID](std::function<void(WindowID)> TabBarView::*member) {
        return lifetime_.guarded([this, member, windowID] {
            if (this->*member) (this->*member)(windowID);
        });
    };
    item.onSelect = forwardWindow(&TabBarView::onSelect);
    item.onClose = forwardWindow(&TabBarView::onClose);
    item.onPopOut = forwardWindow(&TabBarView::onPopOut);
    item.onGroupSameApp = forwardWindow(&TabBarView::onGroupSameApp);
    item.onCustomAccent = forwardWindow(&TabBarView::onCustomAccent);
    item.onUngroup = forward(&TabBarView::onUngroup);
    item.onCloseGroup = forward(&TabBarView::onCloseGroup);
    item.onOpenSettings = forward(&TabBarView::onOpenSettings);
    item.onCustomGroupAccent = forward(&TabBarView::onCustomGroupAccent);
    item.onToggleLock = forward(&TabBarView::onToggleLock);
    item.onOpenAutoColorRules = forward(&TabBarView::onOpenAutoColorRules);
    item.onRenameGroup = lifetime_.guarded([this] { promptForGroupName(); });
    item.onSetAccent = lifetime_.guarded([this, windowID](std::optional<TabColor> accent) {
        if (onSetAccent) onSetAccent(windowID, accent);
    });
    item.onSetGroupAccent = lifetime_.guarded([this](std::optional<TabColor> accent) {
        if (onSetGroupAccent) onSetGroupAccent(accent);
    });
    item.onMoveToDisplay = lifetime_.guarded([this](int index) {
        if (onMoveToDisplay) onMoveToDisplay(index);
    });
    item.onGestureChanged = lifetime_.guarded([this](bool began) { tabGestureChanged(began); });
    // Reordering within the bar comes with the tab gestures; until then a
    // drag of a tab only ends its gesture when released.
    item.onReorderDrag = [](TabItemView&, QPoint) {};
    item.onReorderEnd = lifetime_.guarded([this](TabItemView&) { tabGestureChanged(false); });
    item.showMenu = lifetime_.guarded([this](MenuModel menu, QPoint at) {
        if (showMenu) showMenu(std::move(menu), at);
    });
}

void TabBarView::tabGestureChanged(bool began) {
    if (began) {
        tabGestureActive_ = true;
        return;
    }
    tabGestureActive_ = false;
    if (auto pending = std::exchange(pendingRender_, std::nullopt)) renderTabs(*pending);
}

void TabBarView::endGestures() {
    // Each item sends what its release would; the last one to end applies
    // the newest waiting model.
    for (TabItemView* item : tabItems()) {
        if (item->isPressed()) item->endGesture();
    }
    if (tabGestureActive_) tabGestureChanged(false);
}

void TabBarView::updateTitle(WindowID windowID, const std::string& title) {
    for (TabItemView* item : items_) {
        if (item->windowID() == windowID) item->setTitle(title);
    }
    if (rowSource_) {
        for (TabViewModel& tab : rowSource_->tabs) {
            if (tab.windowID == windowID) tab.title = title;
        }
    }
    if (pendingRender_) {
        for (TabViewModel& tab : *pendingRender_) {
            if (tab.windowID == windowID) tab.title = title;
        }
    }
    relayout();
}

void TabBarView::setName(const std::optional<std::string>& name) { nameCaption_->setName(name); }

bool TabBarView::hasGroupName() const { return nameCaption_->name().has_value(); }

void TabBarView::setGroupAccent(const std::optional<TabColor>& accent) {
    if (accent == groupAccent_) return;
    groupAccent_ = accent;
    applyPalette();
}

void TabBarView::setLocked(bool locked) { isLocked_ = locked; }

void TabBarView::setTabBarOpacity(double opacity) {
    if (opacity == tabBarOpacity_) return;
    tabBarOpacity_ = opacity;
    applyPalette();
}

void TabBarView::setTabBadgeColor(const TabColor& color) {
    if (color == tabBadgeColor_) return;
    tabBadgeColor_ = color;
    for (TabItemView* item : items_) item->setBadgeColor(color);
}

void TabBarView::setBarPalette(const BarPalette& palette) {
    if (palette == palette_) return;
    palette_ = palette;
    for (TabItemView* item : items_) item->setBarPalette(palette);
    applyPalette();
}

void TabBarView::setStyle(const Style& style) {
    if (style == style_) return;
    style_ = style;
    updateMask();
    update();
}

QColor TabBarView::fillColor() const { return QtBarColors::barFill(palette_, groupAccent_, tabBarOpacity_); }

QColor TabBarView::barControlColor() const { return QtBarColors::color(palette_.barControl); }

void TabBarView::applyPalette() {
    ++paletteApplications_;
    const QColor control = barControlColor();
    const QColor glow = QtBarColors::color(palette_.hoverGlow);
    addButton_->setColors(control, glow);
    moveButton_->setColors(control, glow);
    static_cast<LockIconView*>(lockIcon_)->setTint(control);
    nameCaption_->setTextColor(QtBarColors::color(palette_.activeText));
    update();
}

// ---- Layout and painting ----

std::vector<TabItemView*> TabBarView::tabItems() const { return items_; }

TabItemView* TabBarView::tabItem(WindowID windowID) const {
    for (TabItemView* item : items_) {
        if (item->windowID() == windowID) return item;
    }
    return nullptr;
}

void TabBarView::relayout() {
    const int rowHeight = std::max(0, height() - 2 * rowVerticalInset);
    int x = rowInset;
    if (hasGroupName()) {
        const QSize caption = nameCaption_->sizeHint();
        nameCaption_->setGeometry(kCaptionLeading, (height() - caption.height()) / 2, caption.width(),
                                  caption.height());
        x = nameCaption_->geometry().right() + 1 + kCaptionGap + rowInset;
    }
    std::vector<int> widths;
    int total = 0;
    for (TabItemView* item : items_) {
        widths.push_back(item->sizeHint().width());
        total += widths.back() + rowSpacing;
    }
    int controls = 0;
    if (isLocked_) controls += lockIconWidth + rowSpacing;
    if (!moveButton_->isHidden()) controls += buttonWidth + rowSpacing;
    controls += buttonWidth;
    const int gap = dropGapIndex_ ? dropGapWidth_ + rowSpacing : 0;
    const int available = width() - rowInset - x - controls - gap;
    // Squeeze the tabs evenly (their titles are cut) when the row does not fit.
    int excess = total - available;
    if (excess > 0 && !widths.empty()) {
        for (std::size_t i = 0; i < widths.size(); ++i) {
            const int share = excess / static_cast<int>(widths.size() - i);
            const int cut = std::min(share, std::max(0, widths[i] - kNarrowestTab));
            widths[i] -= cut;
            excess -= cut;
        }
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (dropGapIndex_ && *dropGapIndex_ == static_cast<int>(i)) x += gap;
        items_[i]->setGeometry(x, rowVerticalInset, widths[i], rowHeight);
        x += widths[i] + rowSpacing;
    }
    if (dropGapIndex_ && *dropGapIndex_ >= static_cast<int>(items_.size())) x += gap;
    const int buttonHeight = std::min(buttonWidth, rowHeight);
    const int buttonY = (height() - buttonHeight) / 2;
    if (isLocked_) {
        lockIcon_->setGeometry(x, rowVerticalInset, lockIconWidth, rowHeight);
        x += lockIconWidth + rowSpacing;
    }
    if (!moveButton_->isHidden()) {
        moveButton_->setGeometry(x, buttonY, buttonWidth, buttonHeight);
        x += buttonWidth + rowSpacing;
    }
    addButton_->setGeometry(x, buttonY, buttonWidth, buttonHeight);
}

QPainterPath TabBarView::backgroundPath(const QRectF& rect, const Style& style) {
    const QRectF r = rect.normalized();
    const double m = std::min(r.height(), r.width()) * 0.5;
    const double t = std::clamp(style.topCornerRadius, 0.0, m);
    const double b = std::clamp(style.bottomCornerRadius, 0.0, m);
    QPainterPath path;
    path.moveTo(r.left(), r.bottom() - b);
    path.lineTo(r.left(), r.top() + t);
    if (t > 0) path.arcTo(QRectF(r.left(), r.top(), 2 * t, 2 * t), 180, -90);
    path.lineTo(r.right() - t, r.top());
    if (t > 0) path.arcTo(QRectF(r.right() - 2 * t, r.top(), 2 * t, 2 * t), 90, -90);
    path.lineTo(r.right(), r.bottom() - b);
    if (b > 0) path.arcTo(QRectF(r.right() - 2 * b, r.bottom() - 2 * b, 2 * b, 2 * b), 0, -90);
    path.lineTo(r.left() + b, r.bottom());
    if (b > 0) path.arcTo(QRectF(r.left(), r.bottom() - 2 * b, 2 * b, 2 * b), 270, -90);
    path.closeSubpath();
    return path;
}

void TabBarView::updateMask() {
    if (!isWindow() || width() <= 0 || height() <= 0) return;
    // No compositor is assumed: the rounded corners are cut out of the window.
    setMask(OverlayShapes::region(backgroundPath(QRectF(rect()), style_)));
}

void TabBarView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
    relayout();
}

void TabBarView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), fillColor());
}

void TabBarView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::RightButton) return;
    MenuModel menu = contextMenu();
    if (showMenu) showMenu(std::move(menu), event->globalPosition().toPoint());
}

// ---- Menus and prompts ----

MenuModel TabBarView::contextMenu() {
    const auto call = [this](std::function<void()> TabBarView::*member) {
        return lifetime_.guarded([this, member] {
            if (this->*member) (this->*member)();
        });
    };
    GroupContextMenu group;
    group.isLocked = isLocked_;
    group.groupAccent = groupAccent_;
    group.presets = providers.presetsProvider ? providers.presetsProvider() : std::vector<ColorPreset>{};
    group.hasGroupName = hasGroupName();
    group.displayMoveTargets = providers.displayMoveTargetsProvider ? providers.displayMoveTargetsProvider()
                                                                    : std::vector<DisplayMoveTarget>{};
    group.onRename = lifetime_.guarded([this] { promptForGroupName(); });
    group.onToggleLock = call(&TabBarView::onToggleLock);
    group.onSetGroupAccent = lifetime_.guarded([this](std::optional<TabColor> accent) {
        if (onSetGroupAccent) onSetGroupAccent(accent);
    });
    group.onCustomGroupAccent = call(&TabBarView::onCustomGroupAccent);
    group.onUngroup = call(&TabBarView::onUngroup);
    group.onCloseGroup = call(&TabBarView::onCloseGroup);
    group.onOpenSettings = call(&TabBarView::onOpenSettings);
    group.onMoveToDisplay = lifetime_.guarded([this](int index) {
        if (onMoveToDisplay) onMoveToDisplay(index);
    });
    MenuModel menu;
    appendGroupScopeItems(menu, group);
    return menu;
}

MenuModel TabBarView::moveMenu() {
    const auto targets = providers.displayMoveTargetsProvider ? providers.displayMoveTargetsProvider()
                                                              : std::vector<DisplayMoveTarget>{};
    MenuModel menu;
    if (targets.empty()) return menu;
    MenuItem caption;
    caption.title = L10n::moveToDisplayHeader();
    caption.enabled = false;
    menu.append(std::move(caption));
    menu.append(MenuItem::separator());
    appendDisplayMoveRows(menu, targets, lifetime_.guarded([this](int index) {
        if (onMoveToDisplay) onMoveToDisplay(index);
    }));
    return menu;
}

GroupNamePrompt& TabBarView::namePrompt() {
    if (!namePrompt_) {
        // Deferred here already (below): the prompt opens the dialog at once.
        namePrompt_ = std::make_unique<GroupNamePrompt>(nullptr, [this]() -> std::unique_ptr<GroupNameDialog> {
            return makeNameDialog ? makeNameDialog() : nullptr;
        });
        namePrompt_->onRename = [this](const std::optional<std::string>& name) {
            if (onRename) onRename(name);
        };
        namePrompt_->onActivate = [this] {
            if (onActivate) onActivate();
        };
    }
    return *namePrompt_;
}

void TabBarView::promptForGroupName() {
    // Never inside the menu's or the mouse event's own handling.
    QTimer::singleShot(0, this, [this] { namePrompt().request([this] { return nameCaption_->name(); }); });
}

bool TabBarView::isNamePromptOpen() const { return namePrompt_ && namePrompt_->isOpen(); }

// ---- Cross-bar drops ----

int TabBarView::dropIndex(QPoint local) const {
    std::vector<double> midXs;
    for (const TabItemView* item : items_) midXs.push_back(item->geometry().center().x());
    return TabReorderGeometry::dropInsertionIndex(midXs, local.x());
}

void TabBarView::openDropGap(int index, double tabWidth) {
    dropGapIndex_ = std::clamp(index, 0, static_cast<int>(items_.size()));
    dropGapWidth_ = std::max(0, static_cast<int>(std::lround(tabWidth)));
    relayout();
}

void TabBarView::closeDropGap() {
    if (!dropGapIndex_) return;
    dropGapIndex_.reset();
    relayout();
}

}  // namespace tessaly
