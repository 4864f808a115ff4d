#pragma once
// The capsule that shows an application's launcher badge on a tab: the text
// in a bold 9-pixel font, black on a light badge colour and white on a dark
// one, at least as wide as it is high.
#include <QWidget>

#include "TessalyCore/TabColor.h"

namespace tessaly {

class BadgePillView : public QWidget {
public:
    static constexpr int height = 14;

    BadgePillView(const QString& text, const TabColor& color, QWidget* parent);

    void setColor(const TabColor& color);
    void setContentOpacity(double opacity);
    const QString& text() const { return text_; }
    const TabColor& color() const { return color_; }
    // Black on a light badge colour, white on a dark one.
    QColor textColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int horizontalPadding = 4;
    static constexpr int minimumWidth = 14;

    QString text_;
    TabColor color_;
    double opacity_ = 1.0;
};

}  // namespace tessaly
