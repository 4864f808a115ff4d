#include "OverlayUI/Qt/TabItemView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <unicode/uchar.h>

#include <algorithm>

#include "OverlayUI/TabContextMenu.h"
#include "OverlayUI/TabReorderGesture.h"
#include "OverlayUI/Qt/BadgePillView.h"
#include "OverlayUI/Qt/ShownText.h"
#include "OverlayUI/Qt/HoverGlowButton.h"
#include "OverlayUI/Qt/OverlayShapes.h"
#include "OverlayUI/Qt/QtBarColors.h"
#include "TessalyCore/L10n.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

namespace {

constexpr int kIconSide = 14;
constexpr int kIconLeading = 6;
constexpr int kGap = 4;
constexpr int kButtonWidth = 20;
constexpr int kButtonTrailing = 4;
constexpr double kAccentLineHeight = 2.5;
// More characters than a 150-pixel title ever shows: longer titles are cut
// before they are measured.
constexpr std::size_t kShownCharacters = 256;

const QString& untitledFallback() {
    static const QString text = QString::fromStdString(L10n::untitledTab());
    return text;
}

const QString& popOutHint() {
    static const QString text = QString::fromStdString(L10n::detachTooltip());
    return text;
}

QFont titleFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

// The suspended mark before a title: painted, as wide as it is high.
constexpr int kMarkSide = 11;

const QString& suspendedPrefix() {
    static const QString prefix = OverlayShapes::symbolText(OverlayShapes::Symbol::suspended) + QLatin1Char(' ');
    return prefix;
}

bool hasNumericCharacter(const std::string& text) {
    const icu::UnicodeString unicode = unicodeStringFromUTF8(text);
    for (int32_t i = 0; i < unicode.length();) {
        const UChar32 c = unicode.char32At(i);
        if (u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE) != U_NT_NONE) return true;
        i += U16_LENGTH(c);
    }
    return false;
}

}  // namespace

TabItemView::TabItemView(const TabViewModel& tab, const std::optional<TabColor>& groupAccent, bool isLocked,
                         bool hasGroupName, const TabColor& badgeColor,
                         std::function<std::vector<ColorPreset>()> presetsProvider,
                         std::function<bool()> hasSameAppCandidates,
                         std::function<std::vector<DisplayMoveTarget>()> displayMoveTargets, QWidget* parent)
    : QWidget(parent),
      windowID_(tab.windowID),
      isActive_(tab.isActive),
      isSuspended_(tab.isSuspended),
      accent_(tab.accent),
      groupAccent_(groupAccent),
      isLocked_(isLocked),
      hasGroupName_(hasGroupName),
      presetsProvider_(std::move(presetsProvider)),
      hasSameAppCandidates_(std::move(hasSameAppCandidates)),
      displayMoveTargets_(std::move(displayMoveTargets)),
      icon_(tab.icon) {
    setFont(titleFont());
    setFocusPolicy(Qt::NoFocus);
    if (const auto badge = badgeDisplayString(tab.badge)) {
        badgePill_ = new BadgePillView(QString::fromStdString(*badge), badgeColor, this);
    }
    popOutButton_ = new HoverGlowButton(OverlayShapes::Symbol::popOut, 12, this);
    popOutButton_->setToolTip(popOutHint());
    popOutButton_->setAccessibleName(popOutHint());
    QObject::connect(popOutButton_, &QAbstractButton::clicked, this, [this] {
        if (onPopOut) onPopOut();
    });
    title_ = displayString(tab.title, isSuspended_);
    applyPalette();
}

TabItemView::~TabItemView() = default;

QString TabItemView::displayString(const std::string& title, bool isSuspended) {
    QString shown = ShownText::sanitizedAndCut(title, kShownCharacters);
    if (shown.isEmpty()) shown = untitledFallback();
    if (isSuspended) shown.prepend(suspendedPrefix());
    return shown;
}

std::optional<std::string> TabItemView::badgeDisplayString(const std::optional<std::string>& badge) {
    if (!badge) return std::nullopt;
    const std::string trimmed = trimmingWhitespaceAndNewlines(*badge);
    if (trimmed.empty() || !hasNumericCharacter(trimmed)) return std::nullopt;
    return ShownText::cut(trimmed, 7);
}

void TabItemView::setTitle(const std::string& title) {
    title_ = displayString(title, isSuspended_);
    layoutChildren();
    update();
}

void TabItemView::setBarPalette(const BarPalette& palette) {
    if (palette == palette_) return;
    palette_ = palette;
    applyPalette();
}

void TabItemView::setBadgeColor(const TabColor& color) {
    if (badgePill_) badgePill_->setColor(color);
}

void TabItemView::setSpringHighlight(SpringHighlight highlight) {
    if (highlight == springHighlight_) return;
    springHighlight_ = highlight;
    applyPalette();
}

QColor TabItemView::backgroundColor() const {
    const BarColor& base = isActive_ ? palette_.activeTab : palette_.inactiveTab;
    switch (springHighlight_) {
    case SpringHighlight::emphasized: return QtBarColors::color(palette_.activeTab);
    case SpringHighlight::standard:
        return QtBarColors::blend(QtBarColors::color(base), QtBarColors::color(BarColor{palette_.hoverGlow.red,
                                                                                        palette_.hoverGlow.green,
                                                                                        palette_.hoverGlow.blue, 1.0}),
                                  palette_.hoverGlow.alpha);
    case SpringHighlight::none: break;
    }
    return QtBarColors::color(base);
}

QColor TabItemView::titleColor() const {
    return QtBarColors::color(isActive_ ? palette_.activeText : palette_.inactiveText);
}

void TabItemView::applyPalette() {
    popOutButton_->setColors(QtBarColors::color(isActive_ ? palette_.activeControl : palette_.inactiveControl),
                             QtBarColors::color(palette_.hoverGlow));
    popOutButton_->setContentOpacity(baseAlpha());
    if (badgePill_) badgePill_->setContentOpacity(baseAlpha());
    update();
}

QString TabItemView::titleText() const { return isSuspended_ ? title_.mid(suspendedPrefix().size()) : title_; }

int TabItemView::markWidth() const {
    return isSuspended_ ? kMarkSide + fontMetrics().horizontalAdvance(QLatin1Char(' ')) : 0;
}

int TabItemView::naturalTitleWidth() const {
    return std::min(maximumTitleWidth, markWidth() + fontMetrics().horizontalAdvance(titleText()) + 1);
}

QSize TabItemView::sizeHint() const {
    int width = kIconLeading + kIconSide + kGap + naturalTitleWidth() + kGap;
    if (badgePill_) width += badgePill_->sizeHint().width() + kGap;
    width += kButtonWidth + kButtonTrailing;
    return {std::min(maximumWidth, width), 24};
}

void TabItemView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

void TabItemView::layoutChildren() {
    const int h = height();
    const int buttonHeight = std::min(20, h);
    const int buttonX = width() - kButtonTrailing - kButtonWidth;
    popOutButton_->setGeometry(buttonX, (h - buttonHeight) / 2, kButtonWidth, buttonHeight);
    const int titleX = kIconLeading + kIconSide + kGap;
    int titleRight = buttonX - kGap;
    if (badgePill_) {
        const QSize pill = badgePill_->sizeHint();
        const int pillX = std::max(titleX, titleRight - pill.width());
        badgePill_->setGeometry(pillX, (h - pill.height()) / 2, pill.width(), pill.height());
        titleRight = pillX - kGap;
    }
    titleWidth_ = std::clamp(titleRight - titleX, 0, maximumTitleWidth);
    elidedTitle_ = fontMetrics().elidedText(titleText(), Qt::ElideRight, std::max(0, titleWidth_ - markWidth()));
    const double ratio = devicePixelRatioF();
    if (iconPixmap_.isNull() || iconPixmap_.devicePixelRatio() != ratio) {
        iconPixmap_ = QtBarColors::iconPixmap(icon_, kIconSide, ratio);
    }
}

void TabItemView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(baseAlpha());
    OverlayShapes::fillRoundedRect(painter, QRectF(rect()), cornerRadius, backgroundColor());
    if (accent_ && width() > 2 * accentLineInset) {
        QPainterPath line;
        line.addRoundedRect(QRectF(accentLineInset, 0, width() - 2 * accentLineInset, kAccentLineHeight), 1.25, 1.25);
        painter.fillPath(line, QtBarColors::color(*accent_));
    }
    if (!iconPixmap_.isNull()) {
        painter.drawPixmap(QRect(kIconLeading, (height() - kIconSide) / 2, kIconSide, kIconSide), iconPixmap_);
    }
    const int titleX = kIconLeading + kIconSide + kGap;
    const int mark = std::min(markWidth(), titleWidth_);
    if (mark > 0) {
        OverlayShapes::drawSymbol(painter, OverlayShapes::Symbol::suspended, QRectF(titleX, 0, kMarkSide, height()),
                                  kMarkSide, titleColor());
    }
    painter.setPen(titleColor());
    painter.drawText(QRect(titleX + mark, 0, titleWidth_ - mark, height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, elidedTitle_);
}

QPoint TabItemView::windowPosition(QPointF local) const { return mapTo(window(), local.toPoint()); }

void TabItemView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressPosition_ = windowPosition(event->position());
        dragState_ = DragState::pending;
        if (onGestureChanged) onGestureChanged(true);
    } else if (event->button() == Qt::RightButton) {
        const QPoint at = event->globalPosition().toPoint();
        MenuModel menu = contextMenu();
        if (showMenu) showMenu(std::move(menu), at);
    }
    event->accept();
}

void TabItemView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!(event->buttons() & Qt::LeftButton) || dragState_ == DragState::idle) return;
    const QPoint pointer = windowPosition(event->position());
    if (dragState_ == DragState::pending) {
        if (!TabReorderGesture::isBeyondSlop(Point{double(pressPosition_.x()), double(pressPosition_.y())},
                                             Point{double(pointer.x()), double(pointer.y())})) {
            return;
        }
        dragState_ = DragState::reordering;
    }
    if (onReorderDrag) onReorderDrag(*this, pressPosition_, pointer, event->globalPosition());
}

void TabItemView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::MiddleButton) {
        if (onClose) onClose();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    const DragState before = std::exchange(dragState_, DragState::idle);
    // Callbacks may render the bar anew; this item then goes later, not now.
    QPointer<TabItemView> self(this);
    switch (before) {
    case DragState::pending:
        if (rect().contains(event->position().toPoint()) && onSelect) onSelect();
        if (self && onGestureChanged) onGestureChanged(false);
        break;
    case DragState::reordering:
        if (onReorderEnd) onReorderEnd(*this);
        break;
    case DragState::idle:
        if (onGestureChanged) onGestureChanged(false);
        break;
    }
}

void TabItemView::cancelPress() { dragState_ = DragState::idle; }

MenuModel TabItemView::contextMenu() {
    const QPointer<TabItemView> self(this);
    // Every item reaches the tab weakly and calls the callback it holds when chosen.
    const auto call = [self](std::function<void()> TabItemView::*member) {
        return [self, member] {
            if (self && (self->*member)) (self->*member)();
        };
    };
    TabContextMenu menu;
    menu.accent = accent_;
    menu.hasSameAppCandidates = hasSameAppCandidates_;
    menu.onPopOut = call(&TabItemView::onPopOut);
    menu.onClose = call(&TabItemView::onClose);
    menu.onGroupSameApp = call(&TabItemView::onGroupSameApp);
    menu.onSetAccent = [self](std::optional<TabColor> color) {
        if (self && self->onSetAccent) self->onSetAccent(color);
    };
    menu.onCustomAccent = call(&TabItemView::onCustomAccent);
    menu.onOpenAutoColorRules = call(&TabItemView::onOpenAutoColorRules);
    GroupContextMenu& group = menu.group;
    group.isLocked = isLocked_;
    group.groupAccent = groupAccent_;
    group.presets = presetsProvider_ ? presetsProvider_() : std::vector<ColorPreset>{};
    group.hasGroupName = hasGroupName_;
    group.displayMoveTargets = displayMoveTargets_ ? displayMoveTargets_() : std::vector<DisplayMoveTarget>{};
    group.onRename = call(&TabItemView::onRenameGroup);
    group.onToggleLock = call(&TabItemView::onToggleLock);
    group.onSetGroupAccent = [self](std::optional<TabColor> color) {
        if (self && self->onSetGroupAccent) self->onSetGroupAccent(color);
    };
    group.onCustomGroupAccent = call(&TabItemView::onCustomGroupAccent);
    group.onUngroup = call(&TabItemView::onUngroup);
    group.onCloseGroup = call(&TabItemView::onCloseGroup);
    group.onOpenSettings = call(&TabItemView::onOpenSettings);
    group.onMoveToDisplay = [self](int index) {
        if (self && self->onMoveToDisplay) self->onMoveToDisplay(index);
    };
    return menu.make();
}

}  // namespace tessaly
