#pragma once
// A borderless button of the tab bars (a tab's pop-out button, the bar's add
// and move buttons): a symbol that glows under the pointer, with the
// pointing-hand cursor. It never takes the keyboard focus.
#include <QAbstractButton>
#include <QColor>

#include "OverlayUI/Qt/OverlayShapes.h"

namespace tessaly {

class HoverGlowButton : public QAbstractButton {
public:
    static constexpr double cornerRadius = 6.0;

    // The symbol is painted `size` pixels high; its character is the button's text.
    HoverGlowButton(OverlayShapes::Symbol symbol, double size, QWidget* parent);

    // The glyph's colour and the glow's.
    void setColors(const QColor& tint, const QColor& glow);
    // The whole button's opacity (a suspended tab fades its button too).
    void setContentOpacity(double opacity);
    const QColor& tint() const { return tint_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    OverlayShapes::Symbol symbol_;
    double size_;
    QColor tint_{Qt::black};
    QColor glow_{Qt::transparent};
    double opacity_ = 1.0;
    bool hovered_ = false;
};

}  // namespace tessaly
