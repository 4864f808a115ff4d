#include "OverlayUI/Qt/QtCrossPromptPanel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "OverlayUI/TabStripGeometry.h"
#include "OverlayUI/Qt/OverlayShapes.h"
#include "OverlayUI/Qt/ShownText.h"

namespace tessaly {

namespace {

constexpr double kPillCornerRadius = 10.0;
constexpr std::size_t kLongestText = 200;

}  // namespace

CrossPromptView::CrossPromptView() : QWidget(nullptr) {
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CrossPromptView::setText(const std::string& text) {
    const QString shown = ShownText::sanitizedAndCut(text, kLongestText);
    if (shown == text_) return;
    text_ = shown;
    laidOutWidth_ = -1;
    updateMask();
    update();
}

QStringList CrossPromptView::breakIntoLines(qreal room) const {
    // Measured on this widget's device: the text is laid out in fractional
    // pixels, and the pill is sized from the same measure.
    const QFontMetricsF metrics(font(), this);
    if (metrics.horizontalAdvance(text_) <= room) return {text_};
    // The first line takes what it holds up to a break between words (or
    // between characters where the language sets no spaces); the second
    // line takes the rest, cut only when it is still too long.
    QTextLayout layout(text_, font(), this);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    first.setLineWidth(std::max<qreal>(room, 0));
    layout.endLayout();
    const int split = first.isValid() ? first.textLength() : 0;
    const QString head = text_.left(split).trimmed();
    const QString rest = text_.mid(split).trimmed();
    if (head.isEmpty() || rest.isEmpty()) return {metrics.elidedText(text_, Qt::ElideRight, room)};
    return {head, metrics.elidedText(rest, Qt::ElideRight, room)};
}

void CrossPromptView::layOut() const {
    if (laidOutWidth_ == width()) return;
    laidOutWidth_ = width();
    const qreal room = std::max(width(), 0) - 2 * pillInsetH;
    lines_ = text_.isEmpty() ? QStringList() : breakIntoLines(room);
    const QFontMetricsF metrics(font(), this);
    qreal widest = 0;
    for (const QString& line : lines_) widest = std::max(widest, metrics.horizontalAdvance(line));
    const qreal high = metrics.height() + metrics.lineSpacing() * std::max<qsizetype>(lines_.size() - 1, 0);
    // Rounded up: a pill of the rounded-down size cuts the text.
    textSize_ = QSize(static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(high)));
}

const QStringList& CrossPromptView::shownLines() const {
    layOut();
    return lines_;
}

void CrossPromptView::updateMask() {
    if (width() <= 0 || height() <= 0) return;
    setMask(OverlayShapes::ring(rect(), ringWidth, TabStripGeometry::windowCornerRadius) +
            OverlayShapes::region(OverlayShapes::roundedRect(QRectF(pillRect()), kPillCornerRadius)));
}

QRect CrossPromptView::pillRect() const {
    layOut();
    const int width = std::min(this->width(), textSize_.width() + 2 * pillInsetH);
    const int height = textSize_.height() + 2 * pillInsetV;
    return QRect((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void CrossPromptView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMask();
}

void CrossPromptView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The dimming ring: black at 0.4 over a mid-grey window, drawn opaque.
    painter.fillRect(rect(), QColor(72, 72, 72));
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect pill = pillRect();
    painter.fillPath(OverlayShapes::roundedRect(QRectF(pill), kPillCornerRadius), QApplication::palette().color(QPalette::Highlight));
    painter.setPen(Qt::white);
    // Centred on the pill, not clipped to its inset: the text may round up
    // into the inset by a fraction of a pixel.
    painter.drawText(pill, Qt::AlignCenter | Qt::TextDontClip, shownText());
}

QtCrossPromptPanel::QtCrossPromptPanel() = default;

QtOverlayPanel& QtCrossPromptPanel::panel() {
    if (!panel_) {
        panel_ = std::make_unique<QtOverlayPanel>(QtOverlayPanel::content(std::make_unique<CrossPromptView>(), view_),
                                                  nullptr,
                                                  QtOverlayPanel::Options{.takesMouse = false, .floating = true});
    }
    return *panel_;
}

CrossPromptView& QtCrossPromptPanel::view() {
    panel();
    return *view_;
}

QtCrossPromptPanel::~QtCrossPromptPanel() = default;

void QtCrossPromptPanel::show(const std::string& text, const Rect& over) {
    view().setText(text);
    panel_->setFrame(over);
    panel_->orderFront();
}

void QtCrossPromptPanel::hide() {
    if (panel_) panel_->orderOut();
}

}  // namespace tessaly
