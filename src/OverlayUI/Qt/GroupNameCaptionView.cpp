#include "OverlayUI/Qt/GroupNameCaptionView.h"
#include "OverlayUI/Qt/ShownText.h"

#include <QPainter>

#include <algorithm>

#include "TessalyCore/DisplayText.h"

namespace tessaly {

namespace {

// More characters than ever fit in the caption: measuring a very long name
// costs time for nothing.
constexpr std::size_t kMeasuredCharacters = 200;

}  // namespace

GroupNameCaptionView::GroupNameCaptionView(QWidget* parent) : QWidget(parent) {
    QFont font;
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    setFont(font);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void GroupNameCaptionView::setName(const std::optional<std::string>& name) {
    std::optional<std::string> sanitized;
    if (name) {
        std::string text = DisplayText::sanitized(*name);
        if (!text.empty()) sanitized = std::move(text);
    }
    if (sanitized == name_) return;
    name_ = std::move(sanitized);
    shown_ = name_ ? QString::fromStdString(ShownText::cut(*name_, kMeasuredCharacters)) : QString();
    setVisible(name_.has_value());
    resize(sizeHint());
    update();
    if (onFootprintChange) onFootprintChange();
}

void GroupNameCaptionView::setTextColor(const QColor& color) {
    if (color == textColor_) return;
    textColor_ = color;
    update();
}

QSize GroupNameCaptionView::sizeHint() const {
    if (!name_) return {0, 0};
    const int width = std::min(maxWidth, fontMetrics().horizontalAdvance(shown_) + 1);
    return {width, fontMetrics().height()};
}

void GroupNameCaptionView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(textColor_);
    const QString elided = fontMetrics().elidedText(shown_, Qt::ElideRight, width());
    painter.drawText(rect(), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, elided);
}

}  // namespace tessaly
