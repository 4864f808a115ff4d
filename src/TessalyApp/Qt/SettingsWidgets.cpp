#include "TessalyApp/Qt/SettingsWidgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "TessalyCore/DisplayText.h"

namespace tessaly {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toStdString(const QString& text) { return text.toStdString(); }

QColor toQColor(const TabColor& color) { return QColor::fromRgbF(color.red, color.green, color.blue); }

TabColor toTabColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return TabColor(rgb.redF(), rgb.greenF(), rgb.blueF());
}

void setHintStyle(QLabel& label, HintStyle style) {
    QFont font = label.font();
    font.setPointSizeF(std::max(6.0, QFont().pointSizeF() * 0.9));
    label.setFont(font);
    QPalette palette = label.palette();
    const QColor text = palette.color(QPalette::WindowText);
    QColor colour = text;
    switch (style) {
        case HintStyle::secondary: colour.setAlphaF(0.65); break;
        case HintStyle::tertiary: colour.setAlphaF(0.45); break;
        case HintStyle::warning: colour = QColor(0xFF, 0x95, 0x00); break;
    }
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

QLabel* settingsHint(const std::string& text, HintStyle style, QWidget* parent) {
    auto* label = new QLabel(toQString(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    setHintStyle(*label, style);
    return label;
}

QString displayName(std::string_view text) { return toQString(DisplayText::sanitized(text)); }

QString menuText(std::string_view text) { return displayName(text).replace('&', "&&"); }

QLabel* plainLabel(std::string_view text, QWidget* parent) {
    auto* label = new QLabel(displayName(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

SettingsSection::SettingsSection(const std::string& title, QWidget* parent)
    : QGroupBox(toQString(title), parent), rows_(new QVBoxLayout(this)) {}

void SettingsSection::addLabeledRow(const std::string& label, QWidget* field) {
    auto* row = new QHBoxLayout();
    auto* text = new QLabel(toQString(label), this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    row->addWidget(text, 1);
    row->addWidget(field, 0, Qt::AlignRight | Qt::AlignVCenter);
    rows_->addLayout(row);
}

namespace {

// Clicks on the title toggle its box, as clicks on a check box's own text do.
class TitleClicks : public QObject {
public:
    TitleClicks(QCheckBox* box, QLabel* title) : QObject(title), box_(box) { title->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease && box_->isEnabled()) {
            box_->click();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QCheckBox* box_;
};

}  // namespace

QWidget* wrappingCheckBoxRow(QCheckBox* box, const std::string& title, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    box->setParent(row);
    box->setText(QString());
    box->setAccessibleName(toQString(title));
    layout->addWidget(box, 0, Qt::AlignTop);
    auto* label = new QLabel(toQString(title), row);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setBuddy(box);
    new TitleClicks(box, label);
    layout->addWidget(label, 1);
    return row;
}

ColorSwatch::ColorSwatch(const TabColor& color, int diameter, QWidget* parent)
    : QWidget(parent), color_(color), diameter_(diameter) {
    setFixedSize(sizeHint());
}

void ColorSwatch::setColor(const TabColor& color) {
    if (color_ == color) return;
    color_ = color;
    update();
}

void ColorSwatch::setMarked(bool marked) {
    if (marked_ == marked) return;
    marked_ = marked;
    update();
}

QSize ColorSwatch::sizeHint() const { return QSize(diameter_ + 4, diameter_ + 4); }

void drawColorSwatch(QPainter& painter, const QRectF& circle, const TabColor& color, bool marked, const QColor& ring) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(color));
    painter.drawEllipse(circle);
    QPen rim(QColor(0, 0, 0, 38));
    rim.setWidthF(0.5);
    rim.setCosmetic(true);
    painter.setPen(rim);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle.adjusted(0.25, 0.25, -0.25, -0.25));
    if (marked) {
        QPen pen(ring);
        pen.setWidthF(2);
        painter.setPen(pen);
        painter.drawEllipse(circle.adjusted(-1, -1, 1, 1));
    }
    painter.restore();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawColorSwatch(painter, QRectF(rect()).adjusted(2, 2, -2, -2), color_, marked_,
                    palette().color(QPalette::Highlight));
}

}  // namespace tessaly
