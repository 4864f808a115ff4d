#pragma once
// The How To page's animated picture of making a group: it plays the
// demonstration timeline while it is on screen, starts again from the
// beginning each time it is shown, and stops when it is hidden, its window
// minimised or out of view (on another desktop). It draws at most
// `frameRate` frames a second, only while something moves, and repaints
// only what moved; between the steps it waits for the next one. With
// reduce motion it shows the finished group, still. It is decoration only:
// no input, hidden from accessibility.
#include <QElapsedTimer>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>

#include "TessalyApp/GroupDemoTimeline.h"
#include "TessalyCore/DragSettings.h"

namespace tessaly {

class GroupDemoAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int frameRate = 24;

    explicit GroupDemoAnimation(QWidget* parent = nullptr);

    // Whether motion is reduced (asked each time the picture starts).
    std::function<bool()> reduceMotion = [] { return systemPrefersReducedMotion(); };
    // Seconds since the picture started; the widget's own clock unless set.
    std::function<double()> elapsed;
    // Whether the window shows on the screen now; its native window's
    // exposure unless set.
    std::function<bool()> isExposed;

    // Whether the picture plays (shown, in view, motion not reduced); it
    // may be waiting between two steps.
    bool isAnimating() const { return ticker_.isActive(); }
    // Milliseconds to the next frame: a frame's length while something
    // moves, else the wait for the next step.
    int nextTickIn() const { return ticker_.interval(); }
    // What the last tick asked to repaint, in widget coordinates.
    const QRegion& lastRepaint() const { return lastRepaint_; }
    // The picture drawn now.
    const GroupDemoFrame& currentFrame() const { return frame_; }
    // Works the picture out again for the time now (what each tick does).
    void tick();

    QSize sizeHint() const override;
    // The grouping key's cap in the picture, named in the display language.
    static QString keycapText(ModifierGate key = ModifierGate::shift);
    // Shows the grouping key in force on the cap (Shift at first).
    void setGroupingKey(ModifierGate key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // A part of the picture drawn once, and where it goes in the stage.
    struct Sprite {
        QPixmap image;
        QPointF origin;
    };
    Sprite makeSprite(const QRectF& box, const std::function<void(QPainter&)>& draw) const;
    void makeSprites();
    // What the parent draws behind the picture, kept so that a frame is
    // drawn by this widget alone.
    void makeUnderlay();
    void dropUnderlay();
    double secondsSinceStart() const;
    bool windowExposed() const;
    // Where a frame's moving parts are drawn.
    QRegion changedBetween(const GroupDemoFrame& before, const GroupDemoFrame& after) const;

    QTimer ticker_;
    QRegion lastRepaint_;
    QPointer<QWindow> watchedWindow_;
    Sprite background_, overlay_, window_, bar_, keycap_;
    qreal spriteRatio_ = 0;
    QPixmap underlay_;
    QElapsedTimer clock_;
    bool reduced_ = false;
    GroupDemoFrame frame_;
    ModifierGate groupingKey_ = ModifierGate::shift;
};

}  // namespace tessaly
