#include "TessalyApp/Qt/GroupDemoAnimation.h"

#include <QPainter>
#include <QPainterPath>

namespace tessaly {

namespace {

using L = GroupDemoLayout;

QColor grey(double white, double opacity = 1.0) { return QColor::fromRgbF(white, white, white, opacity); }

QRectF centred(double x, double y, double width, double height) {
    return QRectF(x - width / 2, y - height / 2, width, height);
}

// A mock window: a title strip with three dots over three content bars.
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
    painter.fillRect(QRectF(frame.left(), frame.top(), frame.width(), 15), quaternary(0.5));
    const QColor dots[] = {QColor::fromRgbF(1.0, 0.372, 0.341), QColor::fromRgbF(0.996, 0.737, 0.18),
                           QColor::fromRgbF(0.157, 0.784, 0.255)};
    double x = frame.left() + 7;
    for (const QColor& dot : dots) {
        painter.setBrush(dot);
        painter.drawEllipse(QRectF(x, frame.top() + 4.25, 6.5, 6.5));
        x += 6.5 + 4;
    }
    painter.setBrush(quaternary(1));
    double y = frame.top() + 15 + 8;
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

void drawKeycap(QPainter& painter, const QPointF& centre, const QPalette& palette, double opacity) {
    if (opacity <= 0) return;
    painter.save();
    painter.setOpacity(opacity);
    QFont font = painter.font();
    font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.85));
    font.setWeight(QFont::Medium);
    painter.setFont(font);
    const QString text = QStringLiteral("⇧ shift");
    const QFontMetricsF metrics(font);
    const QRectF cap = centred(centre.x(), centre.y(), metrics.horizontalAdvance(text) + 18, metrics.height() + 6);
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
    ticker_.setInterval(16);
    connect(&ticker_, &QTimer::timeout, this, &GroupDemoAnimation::tick);
}

QSize GroupDemoAnimation::sizeHint() const { return QSize(static_cast<int>(L::stageW), static_cast<int>(L::stageH)); }

double GroupDemoAnimation::secondsSinceStart() const {
    if (elapsed) return elapsed();
    return clock_.isValid() ? static_cast<double>(clock_.nsecsElapsed()) / 1e9 : 0.0;
}

void GroupDemoAnimation::tick() {
    frame_ = GroupDemoTimeline::frame(secondsSinceStart(), reduced_);
    update();
}

void GroupDemoAnimation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Each appearance starts from the beginning.
    reduced_ = reduceMotion && reduceMotion();
    clock_.start();
    tick();
    if (!reduced_) ticker_.start();
}

void GroupDemoAnimation::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ticker_.stop();
}

void GroupDemoAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The stage is centred in the width offered.
    painter.translate((width() - L::stageW) / 2, 0);
    const QPalette& colours = palette();
    const bool dark = colours.color(QPalette::Window).lightnessF() < 0.5;
    QColor stage = colours.color(QPalette::WindowText);
    stage.setAlphaF(0.18 * 0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(stage);
    painter.drawRoundedRect(QRectF(0, 0, L::stageW, L::stageH), 8, 8);

    drawWindow(painter, QPointF(L::targetX, L::windowY), colours, 1);
    if (frame_.overlayOpacity > 0) {
        painter.save();
        painter.setOpacity(frame_.overlayOpacity);
        QColor tint = colours.color(QPalette::Highlight);
        QColor fill = tint;
        fill.setAlphaF(0.22);
        QPen stroke(tint);
        stroke.setWidthF(1.5);
        painter.setPen(stroke);
        painter.setBrush(fill);
        painter.drawRoundedRect(centred(L::targetX, L::windowY, L::windowW, L::windowH).adjusted(0.75, 0.75, -0.75, -0.75),
                                7, 7);
        painter.restore();
    }
    drawWindow(painter, QPointF(frame_.draggedX, frame_.draggedY), colours, frame_.draggedOpacity());
    drawTabBar(painter, QPointF(L::targetX, L::barY + frame_.tabBarOffsetY()), dark, frame_.grouped);
    drawPointer(painter, QPointF(frame_.draggedX + 22 - 5, frame_.draggedY - 30 - 7), colours, frame_.draggedOpacity());
    drawKeycap(painter, QPointF(L::stageW * 0.5, L::hintY), colours, frame_.hintOpacity);
}

}  // namespace tessaly
