#pragma once
// The How To page's animated picture of making a group: it plays the
// demonstration timeline while it is on screen (about 60 frames a second),
// starts again from the beginning each time it is shown, and stops when it
// is hidden. With reduce motion it shows the finished group, still. It is
// decoration only: no input, hidden from accessibility.
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "TessalyApp/GroupDemoTimeline.h"

namespace tessaly {

class GroupDemoAnimation : public QWidget {
    Q_OBJECT
public:
    explicit GroupDemoAnimation(QWidget* parent = nullptr);

    // Whether motion is reduced (asked each time the picture starts).
    std::function<bool()> reduceMotion = [] { return systemPrefersReducedMotion(); };
    // Seconds since the picture started; the widget's own clock unless set.
    std::function<double()> elapsed;

    bool isAnimating() const { return ticker_.isActive(); }
    // The picture drawn now.
    const GroupDemoFrame& currentFrame() const { return frame_; }
    // Works the picture out again for the time now (what each tick does).
    void tick();

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    double secondsSinceStart() const;

    QTimer ticker_;
    QElapsedTimer clock_;
    bool reduced_ = false;
    GroupDemoFrame frame_;
};

}  // namespace tessaly
