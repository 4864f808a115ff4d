#include "TessalyApp/Qt/GroupDemoAnimation.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "TessalyApp/GroupingModifier.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

namespace {

using L = GroupDemoLayout;

QColor grey(double white, double opacity = 1.0) { return QColor::fromRgbF(white, white, white, opacity); }

QRectF centred(double x, double y, double width, double height) {
    return QRectF(x - width / 2, y - height / 2, width, height);
}

constexpr double kTitleH = 15;

// A mock window as a Linux desktop draws one: a title bar with the title's
// line at the left and the minimise, maximise and close buttons at the
// right, over three content bars.
void drawWindow(QPainter& painter, const QPointF& centre, const QPalette& palette, double opacity) {
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(opacity);
    const QRectF frame = centred(centre.x(), centre.y(), L::windowW, L::windowH);
    QColor text = palette.color(QPalette::WindowText);
    const auto quaternary = [&](double alpha) {
        QColor c = text;
        c.setAlphaF(0.18 * alpha);
        return c;
    };
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 38));
    painter.drawRoundedRect(frame.translated(0, 1.5).adjusted(-1, -1, 1, 1), 7, 7);
    QPainterPath clip;
    clip.addRoundedRect(frame, 7, 7);
    painter.setClipPath(clip);
    painter.fillRect(frame, palette.color(QPalette::Window));
    painter.fillRect(QRectF(frame.left(), frame.top(), frame.width(), kTitleH), quaternary(0.5));
    const double titleMid = frame.top() + kTitleH / 2;
    painter.setBrush(quaternary(2.2));
    painter.drawRoundedRect(QRectF(frame.left() + 8, titleMid - 1.5, 34, 3), 1.5, 1.5);
    // The buttons, right to left: close, maximise, minimise.
    QColor glyph = text;
    glyph.setAlphaF(0.55);
    QPen stroke(glyph, 1.1);
    stroke.setCapStyle(Qt::RoundCap);
    painter.setPen(stroke);
    painter.setBrush(Qt::NoBrush);
    const double half = 2.5;
    QPointF button(frame.right() - 8.5, titleMid);
    painter.drawLine(button + QPointF(-half, -half), button + QPointF(half, half));
    painter.drawLine(button + QPointF(-half, half), button + QPointF(half, -half));
    button.rx() -= 11;
    painter.drawRect(QRectF(button.x() - half, button.y() - half, 2 * half, 2 * half));
    button.rx() -= 11;
    painter.drawLine(button + QPointF(-half, half), button + QPointF(half, half));
    painter.setPen(Qt::NoPen);
    painter.setBrush(quaternary(1));
    double y = frame.top() + kTitleH + 8;
    for (const double width : {64.0, 46.0, 56.0}) {
        painter.drawRoundedRect(QRectF(frame.left() + 8, y, width, 4), 2, 2);
        y += 4 + 5;
    }
    painter.setClipping(false);
    QPen outline(quaternary(1));
    outline.setWidthF(1);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    painter.restore();
}

// The mock tab bar: an active and an inactive chip and a plus.
void drawTabBar(QPainter& painter, const QPointF& centre, bool dark, double opacity) {
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(opacity);
    const QRectF bar = centred(centre.x(), centre.y(), L::windowW, L::barH);
    QPainterPath shape;
    shape.moveTo(bar.left(), bar.bottom());
    shape.lineTo(bar.left(), bar.top() + 5);
    shape.quadTo(bar.left(), bar.top(), bar.left() + 5, bar.top());
    shape.lineTo(bar.right() - 5, bar.top());
    shape.quadTo(bar.right(), bar.top(), bar.right(), bar.top() + 5);
    shape.lineTo(bar.right(), bar.bottom());
    shape.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark ? grey(0.16) : grey(0.86));
    painter.drawPath(shape);
    double x = bar.left() + 3;
    for (const bool active : {true, false}) {
        const QColor chip = active ? (dark ? grey(0.32) : grey(1.0)) : (dark ? grey(0.18, 0.9) : grey(0.78, 0.95));
        const QColor title = active ? (dark ? grey(1.0) : grey(0.15)) : (dark ? grey(0.82) : grey(0.3));
        const QRectF chipRect(x, bar.center().y() - 6, 45, 12);
        painter.setBrush(chip);
        painter.drawRoundedRect(chipRect, 3, 3);
        painter.setBrush(title);
        painter.drawRoundedRect(centred(chipRect.center().x(), chipRect.center().y(), 22, 3), 1.5, 1.5);
        x += 45 + 2;
    }
    QPen plus(dark ? grey(0.8) : grey(0.35));
    plus.setWidthF(1.2);
    painter.setPen(plus);
    const QPointF p(x + 2 + 3.5, bar.center().y());
    painter.drawLine(p - QPointF(3, 0), p + QPointF(3, 0));
    painter.drawLine(p - QPointF(0, 3), p + QPointF(0, 3));
    painter.restore();
}

void drawPointer(QPainter& painter, const QPointF& tip, const QPalette& palette, double opacity) {
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(opacity);
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(0, 13));
    arrow.lineTo(tip + QPointF(3.5, 9.5));
    arrow.lineTo(tip + QPointF(6, 14.5));
    arrow.lineTo(tip + QPointF(8, 13.5));
    arrow.lineTo(tip + QPointF(5.5, 8.5));
    arrow.lineTo(tip + QPointF(10, 8.5));
    arrow.closeSubpath();
    painter.setPen(QPen(palette.color(QPalette::Window), 1));
    painter.setBrush(palette.color(QPalette::WindowText));
    painter.drawPath(arrow);
    painter.restore();
}

QFont keycapFont(QFont font) {
    font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.85));
    font.setWeight(QFont::Medium);
    return font;
}

QRectF keycapRect(const QFont& font, const QPointF& centre, const QString& text) {
    const QFontMetricsF metrics(keycapFont(font));
    return centred(centre.x(), centre.y(), metrics.horizontalAdvance(text) + 18,
                   metrics.height() + 6);
}

// Where the dragged window, its shadow and the pointer on it are drawn.
QRectF draggedBounds(const GroupDemoFrame& frame) {
    const QRectF window = centred(frame.draggedX, frame.draggedY, L::windowW, L::windowH).adjusted(-2, -2, 2, 4);
    const QRectF pointer(frame.draggedX + 22 - 5 - 2, frame.draggedY - 30 - 7 - 2, 14, 19);
    return window.united(pointer);
}

void drawKeycap(QPainter& painter, const QPointF& centre, const QString& text, const QPalette& palette,
                double opacity) {
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(opacity);
    const QFont font = keycapFont(painter.font());
    const QRectF cap = keycapRect(painter.font(), centre, text);
    painter.setFont(font);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 51));
    painter.drawRoundedRect(cap.translated(0, 1), 5, 5);
    painter.setBrush(palette.color(QPalette::Window));
    QColor rim = palette.color(QPalette::WindowText);
    rim.setAlphaF(0.18);
    painter.setPen(QPen(rim, 1));
    painter.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    painter.setPen(palette.color(QPalette::WindowText));
    painter.drawText(cap, Qt::AlignCenter, text);
    painter.restore();
}

}  // namespace

GroupDemoAnimation::GroupDemoAnimation(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(static_cast<int>(L::stageH));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QString());
    ticker_.setTimerType(Qt::CoarseTimer);
    connect(&ticker_, &QTimer::timeout, this, &GroupDemoAnimation::tick);
}

QSize GroupDemoAnimation::sizeHint() const { return QSize(static_cast<int>(L::stageW), static_cast<int>(L::stageH)); }

double GroupDemoAnimation::secondsSinceStart() const {
    if (elapsed) return elapsed();
    return clock_.isValid() ? static_cast<double>(clock_.nsecsElapsed()) / 1e9 : 0.0;
}

bool GroupDemoAnimation::windowExposed() const {
    if (isExposed) return isExposed();
    const QWindow* handle = window()->windowHandle();
    return handle && handle->isExposed();
}

QRegion GroupDemoAnimation::changedBetween(const GroupDemoFrame& before, const GroupDemoFrame& after) const {
    QRectF changed;
    if (before.draggedX != after.draggedX || before.draggedY != after.draggedY || before.grouped != after.grouped) {
        changed |= draggedBounds(before) | draggedBounds(after);
    }
    if (before.grouped != after.grouped) {
        changed |= centred(L::targetX, L::barY - 2, L::windowW, L::barH + 4).adjusted(-1, -1, 1, 1);
    }
    if (before.overlayOpacity != after.overlayOpacity) {
        changed |= centred(L::targetX, L::windowY, L::windowW, L::windowH).adjusted(-1, -1, 1, 1);
    }
    if (before.hintOpacity != after.hintOpacity) {
        changed |= keycapRect(font(), QPointF(L::stageW * 0.5, L::hintY), keycapText(groupingKey_)).adjusted(-2, -2, 2, 3);
    }
    if (changed.isEmpty()) return {};
    return QRegion(changed.translated((width() - L::stageW) / 2, 0).toAlignedRect());
}

void GroupDemoAnimation::tick() {
    const double now = secondsSinceStart();
    const GroupDemoFrame next = GroupDemoTimeline::frame(now, reduced_);
    lastRepaint_ = changedBetween(frame_, next);
    frame_ = next;
    if (!lastRepaint_.isEmpty()) update(lastRepaint_);
    if (reduced_ || !isVisible()) return;
    if (!windowExposed()) {
        // Minimised or on another desktop: nothing is drawn until the
        // window shows again (see eventFilter).
        ticker_.stop();
        return;
    }
    const double still = GroupDemoTimeline::stillFor(now);
    const int frameLength = 1000 / frameRate;
    ticker_.start(still > 0 ? std::max(frameLength, static_cast<int>(std::ceil(still * 1000))) : frameLength);
}

bool GroupDemoAnimation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::Expose && isVisible() && !reduced_) {
        // In view again: play on; out of view: stop at once.
        if (windowExposed()) {
            if (!ticker_.isActive()) tick();
        } else {
            ticker_.stop();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GroupDemoAnimation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QWindow* handle = window()->windowHandle(); handle != watchedWindow_) {
        if (watchedWindow_) watchedWindow_->removeEventFilter(this);
        watchedWindow_ = handle;
        if (handle) handle->installEventFilter(this);
    }
    // Each appearance starts from the beginning.
    reduced_ = reduceMotion && reduceMotion();
    clock_.start();
    frame_ = GroupDemoTimeline::frame(0, reduced_);
    update();
    tick();
}

void GroupDemoAnimation::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ticker_.stop();
}

GroupDemoAnimation::Sprite GroupDemoAnimation::makeSprite(const QRectF& box,
                                                          const std::function<void(QPainter&)>& draw) const {
    const qreal ratio = devicePixelRatioF();
    Sprite sprite;
    sprite.origin = box.topLeft();
    sprite.image = QPixmap(QSize(static_cast<int>(std::ceil(box.width() * ratio)),
                                 static_cast<int>(std::ceil(box.height() * ratio))));
    sprite.image.setDevicePixelRatio(ratio);
    sprite.image.fill(Qt::transparent);
    QPainter painter(&sprite.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    painter.translate(-box.topLeft());
    draw(painter);
    return sprite;
}

void GroupDemoAnimation::makeSprites() {
    const QPalette& colours = palette();
    const bool dark = colours.color(QPalette::Window).lightnessF() < 0.5;
    spriteRatio_ = devicePixelRatioF();
    background_ = makeSprite(QRectF(0, 0, L::stageW, L::stageH), [&](QPainter& painter) {
        QColor stage = colours.color(QPalette::WindowText);
        stage.setAlphaF(0.18 * 0.4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(stage);
        painter.drawRoundedRect(QRectF(0, 0, L::stageW, L::stageH), 8, 8);
        drawWindow(painter, QPointF(L::targetX, L::windowY), colours, 1);
    });
    const QRectF target = centred(L::targetX, L::windowY, L::windowW, L::windowH);
    overlay_ = makeSprite(target, [&](QPainter& painter) {
        QColor tint = colours.color(QPalette::Highlight);
        QColor fill = tint;
        fill.setAlphaF(0.22);
        QPen stroke(tint);
        stroke.setWidthF(1.5);
        painter.setPen(stroke);
        painter.setBrush(fill);
        painter.drawRoundedRect(target.adjusted(0.75, 0.75, -0.75, -0.75), 7, 7);
    });
    // The moving parts, drawn once where the dragged window rests; each
    // frame places them.
    GroupDemoFrame rest;
    rest.draggedX = L::startX;
    rest.draggedY = L::windowY;
    const QRectF dragged = draggedBounds(rest);
    window_ = makeSprite(dragged, [&](QPainter& painter) {
        drawWindow(painter, QPointF(rest.draggedX, rest.draggedY), colours, 1);
        drawPointer(painter, QPointF(rest.draggedX + 22 - 5, rest.draggedY - 30 - 7), colours, 1);
    });
    bar_ = makeSprite(centred(L::targetX, L::barY, L::windowW + 2, L::barH + 2), [&](QPainter& painter) {
        drawTabBar(painter, QPointF(L::targetX, L::barY), dark, 1);
    });
    const QPointF keycapCentre(L::stageW * 0.5, L::hintY);
    const QString keycap = keycapText(groupingKey_);
    keycap_ = makeSprite(keycapRect(font(), keycapCentre, keycap).adjusted(-2, -2, 2, 3),
                         [&](QPainter& painter) { drawKeycap(painter, keycapCentre, keycap, colours, 1); });
}

void GroupDemoAnimation::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange) {
        background_ = {};
        dropUnderlay();
    }
}

void GroupDemoAnimation::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dropUnderlay();
}

void GroupDemoAnimation::dropUnderlay() {
    underlay_ = QPixmap();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void GroupDemoAnimation::makeUnderlay() {
    QWidget* parent = parentWidget();
    if (!parent || !isVisible() || !underlay_.isNull()) return;
    const qreal ratio = devicePixelRatioF();
    QPixmap underlay(QSize(static_cast<int>(std::ceil(width() * ratio)), static_cast<int>(std::ceil(height() * ratio))));
    underlay.setDevicePixelRatio(ratio);
    underlay.fill(palette().color(QPalette::Window));
    parent->render(&underlay, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    underlay_ = underlay;
    // Drawn over what the parent shows here, a frame no longer makes the
    // parent (the section's box and its title) paint again.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void GroupDemoAnimation::paintEvent(QPaintEvent*) {
    if (background_.image.isNull() || spriteRatio_ != devicePixelRatioF()) makeSprites();
    QPainter painter(this);
    if (!underlay_.isNull()) {
        painter.drawPixmap(0, 0, underlay_);
    } else {
        QTimer::singleShot(0, this, [this] { makeUnderlay(); });
    }
    // Each part is a picture drawn once, placed on whole device pixels, so a
    // frame is a few plain copies (a moving outline drawn afresh each frame
    // costs many times more).
    const qreal ratio = spriteRatio_;
    const double stageLeft = std::round((width() - L::stageW) / 2 * ratio) / ratio;
    const auto place = [&](const Sprite& sprite, QPointF offset, double opacity) {
        if (opacity <= 0) return;
        const QPointF at = sprite.origin + offset + QPointF(stageLeft, 0);
        painter.setOpacity(std::min(opacity, 1.0));
        painter.drawPixmap(QPointF(std::round(at.x() * ratio) / ratio, std::round(at.y() * ratio) / ratio), sprite.image);
    };
    place(background_, {}, 1);
    place(overlay_, {}, frame_.overlayOpacity);
    place(window_, QPointF(frame_.draggedX - L::startX, frame_.draggedY - L::windowY), frame_.draggedOpacity());
    place(bar_, QPointF(0, frame_.tabBarOffsetY()), frame_.grouped);
    place(keycap_, {}, frame_.hintOpacity);
}

QString GroupDemoAnimation::keycapText(ModifierGate key) {
    // The key as the text beside the picture names it.
    const QString name = QString::fromStdString(L10n::groupingKeyName(key));
    return key == ModifierGate::shift || key == ModifierGate::none ? QStringLiteral("⇧ ") + name : name;
}

void GroupDemoAnimation::setGroupingKey(ModifierGate key) {
    if (key == groupingKey_) return;
    groupingKey_ = key;
    if (!background_.image.isNull()) makeSprites();
    update();
}

}  // namespace tessaly
