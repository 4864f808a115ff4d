#include "OverlayUI/Qt/TabBarView.h"

#include <QDragEnterEvent>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsOpacityEffect>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPropertyAnimation>
#include <QRegion>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

#include "OverlayUI/GroupContextMenu.h"
#include "OverlayUI/SpringLoadingDragTypes.h"
#include "OverlayUI/TabBarMenus.h"
#include "OverlayUI/TabReorderGeometry.h"
#include "OverlayUI/Qt/BadgePillView.h"
#include "OverlayUI/Qt/GroupNameCaptionView.h"
#include "OverlayUI/Qt/HoverGlowButton.h"
#include "OverlayUI/Qt/OverlayShapes.h"
#include "OverlayUI/Qt/QtBarColors.h"
#include "OverlayUI/Qt/TabDragChip.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "Platform/Qt/QtX11Coordinates.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

// Qt's names for the modifiers an event carried (Meta is X's Super).
EventFlags eventFlags(Qt::KeyboardModifiers modifiers) {
    EventFlags flags = 0;
    if (modifiers & Qt::ShiftModifier) flags |= InputFlags::shift;
    if (modifiers & Qt::ControlModifier) flags |= InputFlags::control;
    if (modifiers & Qt::AltModifier) flags |= InputFlags::alternate;
    if (modifiers & Qt::MetaModifier) flags |= InputFlags::command;
    return flags;
}

constexpr int kCaptionLeading = 10;
constexpr int kCaptionGap = 4;
// The narrowest a tab is squeezed to when the row does not fit: icon and button.
constexpr int kNarrowestTab = 48;

// The name a slide animation goes by among a widget's children.
constexpr const char* kSlideName = "tessaly-slide";

int milliseconds(double seconds) { return static_cast<int>(std::lround(seconds * 1000)); }

// Stops a slide of the widget still running (it stays where it got to).
void stopSlide(QWidget& widget) {
    if (auto* running = widget.findChild<QPropertyAnimation*>(QLatin1String(kSlideName), Qt::FindDirectChildrenOnly)) {
        running->setObjectName(QString());
        running->stop();  // deletes itself
    }
}

// Moves the widget's top-left corner to `to`, at once or gliding there on
// the bar's ease-out curve.
void slide(QWidget& widget, QPoint to, double seconds) {
    stopSlide(widget);
    if (seconds <= 0 || widget.pos() == to) {
        widget.move(to);
        return;
    }
    auto* animation = new QPropertyAnimation(&widget, "pos", &widget);
    animation->setObjectName(QLatin1String(kSlideName));
    animation->setDuration(milliseconds(seconds));
    animation->setEasingCurve(QEasingCurve::OutCubic);
    animation->setEndValue(to);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// Puts a widget at `target`: its size at once, its place at once or gliding.
void place(QWidget& widget, const QRect& target, double seconds) {
    if (widget.size() != target.size()) widget.resize(target.size());
    slide(widget, target.topLeft(), seconds);
}

// The shadow under a lifted tab.
std::unique_ptr<QGraphicsDropShadowEffect> liftShadow() {
    using Shadow = TabReorderGesture::LiftShadow;
    auto shadow = std::make_unique<QGraphicsDropShadowEffect>();
    shadow->setColor(QColor::fromRgbF(0, 0, 0, Shadow::opacity));
    shadow->setBlurRadius(Shadow::blurRadius);
    shadow->setOffset(Shadow::offsetX, Shadow::offsetY);
    return shadow;
}

TabItemView::SpringHighlight itemHighlight(SpringLoadingDestination::Highlight highlight) {
    switch (highlight) {
        case SpringLoadingDestination::Highlight::standard: return TabItemView::SpringHighlight::standard;
        case SpringLoadingDestination::Highlight::emphasized: return TabItemView::SpringHighlight::emphasized;
        case SpringLoadingDestination::Highlight::none: break;
    }
    return TabItemView::SpringHighlight::none;
}

Point globalX(const QMouseEvent& event) { return QtX11Coordinates::toX(event.globalPosition()); }

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

TabBarView::TabBarView(std::shared_ptr<MainExecutor> executor)
    : QWidget(nullptr),
      executor_(std::move(executor)),
      reorder_(*this, executor_),
      dropGap_(executor_),
      spring_(executor_),
      namePrompt_(executor_, [this]() -> std::unique_ptr<GroupNameDialog> {
          return makeNameDialog ? makeNameDialog() : nullptr;
      }) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Other applications' drags spring-load the tabs (the drop is refused).
    setAcceptDrops(true);
    nameCaption_ = new GroupNameCaptionView(this);
    nameCaption_->onFootprintChange = lifetime_.guarded([this] { relayout(); });
    addButton_ = new HoverGlowButton(OverlayShapes::Symbol::add, 14, this);
    addButton_->setToolTip(QString::fromStdString(L10n::addWindowTooltip()));
    QObject::connect(addButton_, &QAbstractButton::clicked, this, [this] {
        if (!onAdd) return;
        onAdd(QtX11Coordinates::toX(QRectF(QRect(addButton_->mapToGlobal(QPoint(0, 0)), addButton_->size()))));
    });
    moveButton_ = new HoverGlowButton(OverlayShapes::Symbol::moveToDisplay, 14, this);
    moveButton_->setToolTip(QString::fromStdString(L10n::moveToDisplayTooltip()));
    moveButton_->hide();
    QObject::connect(moveButton_, &QAbstractButton::clicked, this, [this] {
        MenuModel menu = moveMenu();
        if (menu.empty() || !showMenu) return;
        const int below = moveButton_->height() + static_cast<int>(TabBarMenus::moveMenuOffset);
        showMenu(std::move(menu), moveButton_->mapToGlobal(QPoint(0, below)));
    });
    lockIcon_ = new LockIconView(this);
    lockIcon_->hide();
    wireGestures();
    applyPalette();
}

TabBarView::~TabBarView() = default;

template <typename... Args>
auto TabBarView::forwardTo(std::function<void(Args...)> TabBarView::*member) const {
    return lifetime_.guarded([this, member](Args... args) {
        if (this->*member) (this->*member)(args...);
    });
}

void TabBarView::wireGestures() {
    // The gestures are members: their callbacks never outlive the view.
    reorder_.onReorder = [this](WindowID windowID, int index) {
        if (onReorder) onReorder(windowID, index);
    };
    reorder_.onPopOut = [this](WindowID windowID) {
        if (onPopOut) onPopOut(windowID);
    };
    reorder_.onCrossBarUpdate = [this](Point global, double tabWidth) {
        if (onCrossBarUpdate) onCrossBarUpdate(global, tabWidth);
    };
    reorder_.onCrossBarCommit = [this](WindowID windowID) { return onCrossBarCommit && onCrossBarCommit(windowID); };
    reorder_.onCrossBarCancel = [this] {
        if (onCrossBarCancel) onCrossBarCancel();
    };
    reorder_.onRender = [this](const std::vector<TabViewModel>& tabs) { renderTabs(tabs); };

    barDrag_.onActivate = [this] {
        if (onActivate) onActivate();
    };
    barDrag_.onMaximize = [this] {
        if (onMaximize) onMaximize();
    };
    barDrag_.onDrag = [this](Point delta) {
        if (onDrag) onDrag(delta, dragModifiers_);
    };
    barDrag_.onDragEnd = [this] {
        if (onDragEnd) onDragEnd();
    };

    dropGap_.onChange = [this](const DropGap::Change& change) { gapChanged(change); };

    spring_.onSelect = [this](WindowID windowID) {
        if (onSelect) onSelect(windowID);
    };
    spring_.onHighlightChanged = [this] { applySpringHighlights(); };

    namePrompt_.onRename = [this](const std::optional<std::string>& name) {
        if (onRename) onRename(name);
    };
    namePrompt_.onActivate = [this] {
        if (onActivate) onActivate();
    };
}

// ---- Model ----

void TabBarView::renderTabs(const std::vector<TabViewModel>& tabs) {
    // While a tab is pressed or dragged the newest model waits.
    if (reorder_.holdRender(tabs)) return;
    const bool hadDropGap = gapSlot_.has_value();
    dropGap_.reset();
    gapSlot_.reset();
    gapWidth_ = 0;
    if (gapAnimation_) gapAnimation_->stop();
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
        // A spring-loaded hover under way keeps its highlight across a render.
        item->setSpringHighlight(itemHighlight(spring_.highlightFor(windowID)));
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
    return groupAccent == accent && isLocked == locked && hasGroupName == named && tabs == others;
}

void TabBarView::wire(TabItemView& item, WindowID windowID) {
    // Every callback reaches the view weakly; the view's own callback may be absent.
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
    item.onUngroup = forwardTo(&TabBarView::onUngroup);
    item.onCloseGroup = forwardTo(&TabBarView::onCloseGroup);
    item.onOpenSettings = forwardTo(&TabBarView::onOpenSettings);
    item.onCustomGroupAccent = forwardTo(&TabBarView::onCustomGroupAccent);
    item.onToggleLock = forwardTo(&TabBarView::onToggleLock);
    item.onOpenAutoColorRules = forwardTo(&TabBarView::onOpenAutoColorRules);
    item.onRenameGroup = lifetime_.guarded([this] { promptForGroupName(); });
    item.onSetAccent = lifetime_.guarded([this, windowID](std::optional<TabColor> accent) {
        if (onSetAccent) onSetAccent(windowID, accent);
    });
    item.onSetGroupAccent = forwardTo(&TabBarView::onSetGroupAccent);
    item.onMoveToDisplay = forwardTo(&TabBarView::onMoveToDisplay);
    item.onGestureChanged = lifetime_.guarded([this](bool began) {
        if (began) reorder_.pressBegan();
        else reorder_.pressEnded();
    });
    item.onReorderDrag = lifetime_.guarded([this](TabItemView& dragged, QPoint pressed, QPoint local, QPointF global) {
        reorderDragged(dragged, pressed, local, global);
    });
    item.onReorderEnd = lifetime_.guarded([this](TabItemView&) { reorder_.dragEnded(); });
    item.showMenu = lifetime_.guarded([this](MenuModel menu, QPoint at) {
        if (showMenu) showMenu(std::move(menu), at);
    });
}

void TabBarView::endGestures() {
    const auto alive = lifetime_.watch();
    // The gestures first: each ends as its release would (a waiting model
    // is applied); the items' late callbacks then find nothing to end.
    reorder_.cancel();
    if (alive.expired()) return;
    barDrag_.cancel();
    if (alive.expired()) return;
    for (TabItemView* item : items_) item->cancelPress();
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
    reorder_.updateHeldTitle(windowID, title);
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

void TabBarView::setCover(const QRegion& cover) {
    if (cover == cover_) return;
    cover_ = cover;
    updateMask();
    // Painting leaves out what the mask cut away: a part uncovered again
    // would show what was drawn before it was cut (the fill of an earlier
    // opacity, where a compositor keeps it).
    update();
}

QColor TabBarView::fillColor() const {
    return QtBarColors::barFill(palette_, groupAccent_, tabBarOpacity_, testAttribute(Qt::WA_TranslucentBackground));
}

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

void TabBarView::relayout(double slide) {
    const int rowHeight = std::max(0, height() - 2 * rowVerticalInset);
    int x = rowInset;
    if (hasGroupName()) {
        const QSize caption = nameCaption_->sizeHint();
        nameCaption_->setGeometry(kCaptionLeading, (height() - caption.height()) / 2, caption.width(),
                                  caption.height());
        x = nameCaption_->geometry().right() + 1 + kCaptionGap + rowInset;
    }
    // A tab drag puts the tabs and controls where they go itself.
    if (tabsLifted_) return;
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
    // The spacer of a drop gap stands in the row like a tab.
    const int gap = gapSlot_ ? static_cast<int>(std::lround(gapWidth_)) + rowSpacing : 0;
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
        if (gapSlot_ && *gapSlot_ == static_cast<int>(i)) x += gap;
        place(*items_[i], QRect(x, rowVerticalInset, widths[i], rowHeight), slide);
        x += widths[i] + rowSpacing;
    }
    if (gapSlot_ && *gapSlot_ >= static_cast<int>(items_.size())) x += gap;
    const int buttonHeight = std::min(buttonWidth, rowHeight);
    const int buttonY = (height() - buttonHeight) / 2;
    if (isLocked_) {
        place(*lockIcon_, QRect(x, rowVerticalInset, lockIconWidth, rowHeight), slide);
        x += lockIconWidth + rowSpacing;
    }
    if (!moveButton_->isHidden()) {
        place(*moveButton_, QRect(x, buttonY, buttonWidth, buttonHeight), slide);
        x += buttonWidth + rowSpacing;
    }
    place(*addButton_, QRect(x, buttonY, buttonWidth, buttonHeight), slide);
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
    // The rounded corners are cut out of the window, with a compositor or
    // without, and so is what windows stacked above the group cover.
    setMask(OverlayShapes::uncovered(OverlayShapes::region(backgroundPath(QRectF(rect()), style_)), cover_));
}

void TabBarView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
    relayout();
}

void TabBarView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The fill replaces what was there: a translucent one blends only once.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), fillColor());
}

// ---- Presses on the background ----

void TabBarView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton) showContextMenu(event->globalPosition().toPoint());
    else if (event->button() == Qt::LeftButton) barDrag_.press(1, globalX(*event));
}

void TabBarView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    event->accept();
    barDrag_.press(2, globalX(*event));
}

void TabBarView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // Qt's implicit grab brings the moves from outside the bar too.
    if (event->buttons() & Qt::LeftButton) {
        dragModifiers_ = eventFlags(event->modifiers());
        barDrag_.move(globalX(*event));
    }
}

void TabBarView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) barDrag_.release();
}

// ---- Menus and prompts ----

void TabBarView::showContextMenu(QPoint global) {
    MenuModel menu = contextMenu();
    if (showMenu) showMenu(std::move(menu), global);
}

MenuModel TabBarView::contextMenu() {
    GroupContextMenu group;
    group.isLocked = isLocked_;
    group.groupAccent = groupAccent_;
    group.presets = providers.presetsProvider ? providers.presetsProvider() : std::vector<ColorPreset>{};
    group.hasGroupName = hasGroupName();
    group.displayMoveTargets = providers.displayMoveTargetsProvider ? providers.displayMoveTargetsProvider()
                                                                    : std::vector<DisplayMoveTarget>{};
    group.onRename = lifetime_.guarded([this] { promptForGroupName(); });
    group.onToggleLock = forwardTo(&TabBarView::onToggleLock);
    group.onSetGroupAccent = forwardTo(&TabBarView::onSetGroupAccent);
    group.onCustomGroupAccent = forwardTo(&TabBarView::onCustomGroupAccent);
    group.onUngroup = forwardTo(&TabBarView::onUngroup);
    group.onCloseGroup = forwardTo(&TabBarView::onCloseGroup);
    group.onOpenSettings = forwardTo(&TabBarView::onOpenSettings);
    group.onMoveToDisplay = forwardTo(&TabBarView::onMoveToDisplay);
    return TabBarMenus::barContextMenu(group);
}

MenuModel TabBarView::moveMenu() {
    const auto targets = providers.displayMoveTargetsProvider ? providers.displayMoveTargetsProvider()
                                                              : std::vector<DisplayMoveTarget>{};
    return TabBarMenus::moveToDisplayMenu(targets, forwardTo(&TabBarView::onMoveToDisplay));
}

void TabBarView::promptForGroupName() {
    // Deferred by the prompt past the menu's or the mouse event's handling.
    namePrompt_.request([this] { return nameCaption_->name(); });
}

// ---- Tab reorder and pop-out ----

void TabBarView::reorderDragged(TabItemView& item, QPoint pressed, QPoint local, QPointF global) {
    const auto at = std::find(items_.begin(), items_.end(), &item);
    const std::size_t index = at == items_.end() ? static_cast<std::size_t>(-1)
                                                 : static_cast<std::size_t>(at - items_.begin());
    const auto point = [](QPoint p) { return Point{static_cast<double>(p.x()), static_cast<double>(p.y())}; };
    reorder_.dragMoved(index, point(pressed), point(local),
                       QtX11Coordinates::toX(global), [this] { return currentLayout(); });
}

TabReorderGesture::Layout TabBarView::currentLayout() const {
    TabReorderGesture::Layout layout;
    for (const TabItemView* item : items_) {
        const QRect g = item->geometry();
        layout.tabs.push_back({item->windowID(), static_cast<double>(g.x()), static_cast<double>(g.width())});
    }
    layout.spacing = rowSpacing;
    layout.originY = items_.empty() ? rowVerticalInset : items_.front()->y();
    layout.tabHeight = items_.empty() ? std::max(0, height() - 2 * rowVerticalInset) : items_.front()->height();
    layout.barHeight = height();
    // The chip is placed in X pixels: Qt's logical pixels scaled.
    layout.pixelsPerPoint = devicePixelRatioF();
    return layout;
}

void TabBarView::liftTabs(std::size_t dragged) {
    tabsLifted_ = true;
    if (dragged >= items_.size()) return;
    TabItemView& item = *items_[dragged];
    item.raise();
    item.setGraphicsEffect(liftShadow().release());  // owned by the item
}

void TabBarView::moveTab(std::size_t tab, Point origin, double duration) {
    if (tab >= items_.size()) return;
    slide(*items_[tab], QPoint(static_cast<int>(std::lround(origin.x)), static_cast<int>(std::lround(origin.y))),
          duration);
}

void TabBarView::setTabHidden(std::size_t tab, bool hidden) {
    if (tab >= items_.size()) return;
    // Made transparent, never hidden: a hidden widget would lose the
    // pointer grab that brings the drag's moves and release.
    TabItemView& item = *items_[tab];
    if (hidden) {
        auto invisible = std::make_unique<QGraphicsOpacityEffect>();
        invisible->setOpacity(0);
        item.setGraphicsEffect(invisible.release());
    } else {
        item.setGraphicsEffect(liftShadow().release());
    }
}

void TabBarView::showChip(std::size_t tab, const Rect& frame) {
    if (tab >= items_.size()) return;
    TabItemView& item = *items_[tab];
    // The picture of the tab as it looks in the row, without its effect.
    QGraphicsEffect* effect = item.graphicsEffect();
    if (effect) effect->setEnabled(false);
    const QPixmap picture = item.grab();
    if (effect) effect->setEnabled(true);
    if (!chip_) chip_ = std::make_unique<TabDragChip>();
    // The chip is opaque: the bar's colour without its translucency.
    chip_->show(picture, QtBarColors::barFill(palette_, groupAccent_, tabBarOpacity_, false), frame);
}

void TabBarView::moveChip(const Rect& frame) {
    if (chip_) chip_->move(frame);
}

void TabBarView::hideChip() {
    if (chip_) chip_->hide();
}

void TabBarView::restoreTabs(const std::vector<std::size_t>& order) {
    // The row as the drag left it: `order` holds indices of the row as it
    // was when the drag began (renders wait, so it is the same row).
    std::vector<bool> seen(items_.size(), false);
    bool permutation = order.size() == items_.size();
    for (std::size_t i = 0; permutation && i < order.size(); ++i) {
        permutation = order[i] < items_.size() && !seen[order[i]];
        if (permutation) seen[order[i]] = true;
    }
    if (permutation) {
        std::vector<TabItemView*> items;
        for (const std::size_t tab : order) items.push_back(items_[tab]);
        items_ = std::move(items);
        // The row shown now is in this order: a render of the model in
        // either order compares against what is really shown.
        if (rowSource_ && rowSource_->tabs.size() == order.size()) {
            std::vector<TabViewModel> tabs;
            for (const std::size_t tab : order) tabs.push_back(rowSource_->tabs[tab]);
            rowSource_->tabs = std::move(tabs);
        }
    }
    for (TabItemView* item : items_) {
        stopSlide(*item);
        item->setGraphicsEffect(nullptr);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{lockIcon_, moveButton_, addButton_}) stopSlide(*control);
    tabsLifted_ = false;
    relayout();
}

// ---- Drops from other bars ----

int TabBarView::dropIndex(QPoint local) const {
    std::vector<double> midXs;
    for (const TabItemView* item : items_) midXs.push_back(item->geometry().center().x());
    return TabReorderGeometry::dropInsertionIndex(midXs, local.x());
}

void TabBarView::openDropGap(int index, double tabWidth) {
    dropGap_.open(index, tabWidth, static_cast<int>(items_.size()));
}

void TabBarView::closeDropGap() { dropGap_.close(); }

void TabBarView::gapChanged(const DropGap::Change& change) {
    if (gapAnimation_) gapAnimation_->stop();
    const bool jumped = gapSlot_ && change.spacerSlot && *gapSlot_ != *change.spacerSlot;
    gapSlot_ = change.spacerSlot;
    if (!gapSlot_) {
        gapWidth_ = 0;
        relayout();
        return;
    }
    if (change.duration <= 0 || change.fromWidth == change.toWidth) {
        // At full width in a new slot: the tabs between glide across.
        gapWidth_ = change.toWidth;
        relayout(jumped ? change.duration : 0);
        return;
    }
    // Growing or shrinking: the row follows the spacer's width.
    gapWidth_ = change.fromWidth;
    relayout();
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(change.fromWidth);
    animation->setEndValue(change.toWidth);
    animation->setDuration(milliseconds(change.duration));
    animation->setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        gapWidth_ = value.toDouble();
        relayout();
    });
    gapAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// ---- Spring-loaded drags from other applications ----

std::optional<SpringLoadingDestination::HoveredTab> TabBarView::tabAt(QPoint local) const {
    for (const TabItemView* item : items_) {
        if (item->geometry().contains(local)) {
            return SpringLoadingDestination::HoveredTab{item->windowID(), item->isActive(), item->isSuspended()};
        }
    }
    return std::nullopt;
}

void TabBarView::applySpringHighlights() {
    for (TabItemView* item : items_) item->setSpringHighlight(itemHighlight(spring_.highlightFor(item->windowID())));
}

void TabBarView::dragEnterEvent(QDragEnterEvent* event) {
    // Only the names of the offered types, and no more of them than are
    // ever looked at; the data itself is never read.
    const QStringList formats = event->mimeData() ? event->mimeData()->formats() : QStringList();
    std::vector<std::string> offered;
    for (const QString& format : formats) {
        if (offered.size() == SpringLoadingDragTypes::maxExaminedTypes) break;
        offered.push_back(format.size() > static_cast<qsizetype>(SpringLoadingDragTypes::maxTypeLength)
                              ? std::string()
                              : format.toStdString());
    }
    if (!spring_.draggingEntered(offered)) {
        event->ignore();
        return;
    }
    // Taken part in, so that positions keep coming; never with an action.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void TabBarView::dragMoveEvent(QDragMoveEvent* event) {
    spring_.draggingUpdated(tabAt(event->position().toPoint()));
    // No drop here; the pointer's next move is still wanted.
    event->setDropAction(Qt::IgnoreAction);
    event->ignore(QRect(event->position().toPoint(), QSize(1, 1)));
}

void TabBarView::dragLeaveEvent(QDragLeaveEvent* event) {
    spring_.draggingExited();
    event->accept();
}

void TabBarView::dropEvent(QDropEvent* event) {
    spring_.draggingExited();
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

}  // namespace tessaly
