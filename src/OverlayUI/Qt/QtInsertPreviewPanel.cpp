#include "OverlayUI/Qt/QtInsertPreviewPanel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "OverlayUI/Qt/OverlayShapes.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

constexpr int kLockSide = 22;
constexpr int kMessagePixels = 13;
constexpr int kBadgeSpacing = 6;
constexpr int kBadgeInsetV = 12;
constexpr int kBadgeInsetH = 16;
constexpr double kBadgeCornerRadius = 10.0;

QFont messageFont() {
    QFont font;
    font.setPixelSize(kMessagePixels);
    font.setWeight(QFont::DemiBold);
    return font;
}

const QString& lockedMessage() {
    static const QString text = QString::fromStdString(L10n::dropOntoLockedGroup());
    return text;
}

}  // namespace

InsertPreviewView::InsertPreviewView() : QWidget(nullptr) {
    setFont(messageFont());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void InsertPreviewView::setLocked(bool locked) {
    if (locked == locked_) return;
    locked_ = locked;
    updateMask();
    update();
}

QColor InsertPreviewView::outlineColor() const {
    // The control accent colour; grey over a locked group.
    QColor colour = locked_ ? QColor(Qt::gray) : QApplication::palette().color(QPalette::Highlight);
    if (translucent()) colour.setAlphaF(QtInsertPreviewPanel::borderAlpha);
    return colour;
}

QColor InsertPreviewView::fillColor() const {
    if (!translucent()) return Qt::transparent;
    QColor colour = outlineColor();
    colour.setAlphaF(QtInsertPreviewPanel::fillAlpha);
    return colour;
}

QRect InsertPreviewView::badgeRect() const {
    if (!locked_) return {};
    const QFontMetrics metrics(font());
    const int width = std::max(kLockSide, metrics.horizontalAdvance(lockedMessage())) + 2 * kBadgeInsetH;
    const int height = kLockSide + kBadgeSpacing + metrics.height() + 2 * kBadgeInsetV;
    return QRect((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void InsertPreviewView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
}

void InsertPreviewView::updateMask() {
    if (width() <= 0 || height() <= 0) return;
    constexpr double radius = QtInsertPreviewPanel::cornerRadius;
    if (translucent()) {
        setMask(OverlayShapes::region(OverlayShapes::roundedRect(QRectF(rect()), radius)));
        return;
    }
    QRegion shape = OverlayShapes::ring(rect(), QtInsertPreviewPanel::ringWidth, radius);
    if (locked_) shape += QRegion(badgeRect());
    setMask(shape);
}

void InsertPreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (translucent()) {
        // A thin outline around a tint, blended once over what lies below.
        constexpr double border = QtInsertPreviewPanel::borderWidth;
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), fillColor());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(outlineColor(), border));
        painter.setBrush(Qt::NoBrush);
        const QRectF inside = QRectF(rect()).adjusted(border / 2, border / 2, -border / 2, -border / 2);
        painter.drawPath(OverlayShapes::roundedRect(inside, QtInsertPreviewPanel::cornerRadius - border / 2));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        painter.fillRect(rect(), outlineColor());
    }
    if (!locked_) return;
    const QRect badge = badgeRect();
    painter.setRenderHint(QPainter::Antialiasing);
    // Black at 0.55; drawn as it would show over the outline in an opaque window.
    painter.fillPath(OverlayShapes::roundedRect(QRectF(badge), kBadgeCornerRadius),
                     translucent() ? QColor::fromRgbF(0, 0, 0, 0.55) : QColor(40, 40, 40));
    const QRectF lock(badge.left(), badge.top() + kBadgeInsetV, badge.width(), kLockSide);
    OverlayShapes::drawPadlock(painter, lock, kLockSide, Qt::white);
    painter.setPen(Qt::white);
    painter.drawText(QRect(badge.left(), static_cast<int>(lock.bottom()) + kBadgeSpacing, badge.width(),
                           QFontMetrics(font()).height()),
                     Qt::AlignCenter, lockedMessage());
}


QtInsertPreviewPanel::QtInsertPreviewPanel(std::shared_ptr<Compositing> compositing)
    : compositing_(std::move(compositing)) {
    if (!compositing_) return;
    compositingObserver_ = compositing_->addObserver([this] {
        if (!panel_) return;
        panel_->setTranslucent(compositing_->isActive());
        view_->updateMask();
        view_->update();
    });
}

QtOverlayPanel& QtInsertPreviewPanel::panel() {
    if (!panel_) {
        panel_ = std::make_unique<QtOverlayPanel>(
            QtOverlayPanel::content(std::make_unique<InsertPreviewView>(), view_), nullptr,
            QtOverlayPanel::Options{.takesMouse = false,
                                    .floating = true,
                                    .translucent = compositing_ && compositing_->isActive()});
        view_->updateMask();
    }
    return *panel_;
}

InsertPreviewView& QtInsertPreviewPanel::view() {
    panel();
    return *view_;
}

QtInsertPreviewPanel::~QtInsertPreviewPanel() = default;

void QtInsertPreviewPanel::show(const Rect& over, bool locked) {
    view().setLocked(locked);
    panel_->setFrame(over);
    panel_->orderFront();
}

void QtInsertPreviewPanel::hide() {
    if (panel_) panel_->orderOut();
}

}  // namespace tessaly
