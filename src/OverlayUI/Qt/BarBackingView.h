#pragma once
// The backing panel's content: the bar's colour in the band along the top
// of the group's active window, behind that window, so that bar and window
// read as one piece. It never takes the mouse.
#include <QColor>
#include <QWidget>

#include <optional>

#include "OverlayUI/BarPalette.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

class BarBackingView : public QWidget {
public:
    BarBackingView();

    // Each repaints only for a changed value.
    void setTabBarOpacity(double opacity);
    void setGroupAccent(const std::optional<TabColor>& accent);
    void setBarPalette(const BarPalette& palette);
    // As the strip's: translucent only in a translucent window.
    QColor fillColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double tabBarOpacity_ = 1.0;
    std::optional<TabColor> groupAccent_;
    BarPalette palette_ = BarPalette::light;
};

}  // namespace tessaly
