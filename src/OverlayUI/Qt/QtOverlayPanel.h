#pragma once
// One overlay window in Qt: a frameless, override-redirect tool window that
// never takes the focus (and never appears in the window manager's client
// list), placed in X pixels with one ConfigureWindow on its window and
// restacked relative to another window's frame on Qt's own connection, so
// that every request Qt made for it (map, move, shape) has reached the server
// first. It is opaque unless made translucent (an alpha channel, for a
// compositing manager to blend), and it asks compositing managers for no
// shadow: its shape is its own.
//
// The panel owns its content widget. When the panel goes, the widget is
// hidden at once and released later (deleteLater), so a panel may be dropped
// from inside one of its own widget's handlers.
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "OverlayUI/OverlayPanel.h"

namespace tessaly {

class PanelFrameCache;

class QtOverlayPanel final : public OverlayPanel {
public:
    struct Options {
        // False: clicks go through to the windows below (preview, prompt,
        // backing, drag chip).
        bool takesMouse = true;
        // Kept above ordinary windows when ordered front (preview, prompt, chip).
        bool floating = false;
        // Made with an alpha channel (see setTranslucent).
        bool translucent = false;
    };

    // `frames` may be null: every ordering then looks the frame up anew.
    QtOverlayPanel(std::unique_ptr<QWidget> content, std::shared_ptr<PanelFrameCache> frames, Options options);
    ~QtOverlayPanel() override;
    QtOverlayPanel(const QtOverlayPanel&) = delete;
    QtOverlayPanel& operator=(const QtOverlayPanel&) = delete;

    WindowID windowNumber() const override;
    bool isVisible() const override;
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void orderFront() override;
    void orderOut() override;
    bool orderRelative(Order order, WindowID relativeTo) override;
    // Hands the panel's window to the root again where it stands (a new
    // compositor takes it on as a new window); nothing before it has one.
    void handToRoot();
    // Orders the panel in where it was last ordered against a window
    // (directly above or below that window's frame), so that it never shows
    // over other windows on its way there; at the front when it never was.
    void orderInAsBefore();

    // Whether the window has an alpha channel: its content then paints
    // translucent colours as they are (only a compositing manager shows
    // them; without one they show black). X picks a window's visual when
    // the window is made, so a change makes the native window anew (its
    // window number changes), placed, stacked and shown as the old one was.
    void setTranslucent(bool translucent);
    bool isTranslucent() const;

    QWidget* widget() const { return widget_.data(); }

    // A withheld panel stays off screen whatever it is asked (placed,
    // ordered, shown): its frame and ordering are only remembered, and no
    // request goes out for it. Withholding hides it; its owner orders it in
    // again once it lets it go.
    void setWithheld(bool withheld);
    bool isWithheld() const { return withheld_; }

    // The frame (root child) the panel was last ordered against, and how;
    // 0 before any such ordering (and always offscreen).
    std::uint32_t relativeFrame() const { return relativeFrame_; }
    bool orderedAbove() const { return orderedAbove_; }
    // Called just before each ordering against another window, with that
    // window's frame and whether the panel goes above it; false leaves the
    // panel where it is in the stacking (it is only shown).
    std::function<bool(std::uint32_t frame, bool above)> onOrdering;
    // Called after each ordering against another window.
    std::function<void()> onOrderedRelative;

    // Hands a new content widget to a panel and keeps a pointer to it:
    //   panel_(QtOverlayPanel::content(std::make_unique<View>(), view_), ...)
    template <typename View>
    static std::unique_ptr<QWidget> content(std::unique_ptr<View> view, View*& out) {
        out = view.get();
        return view;
    }

private:
    // Shows the widget (at its frame) when it is hidden; answers whether it was.
    bool orderIn();
    // The native window, made (not shown) when there is none yet.
    std::uint32_t nativeWindow();
    // Makes the native window (not shown) and sets what X is told of it.
    void prepareNativeWindow();

    QPointer<QWidget> widget_;
    bool withheld_ = false;
    std::shared_ptr<PanelFrameCache> frames_;
    Options options_;
    Rect frame_;
    bool hasFrame_ = false;
    std::uint32_t relativeFrame_ = 0;
    bool orderedAbove_ = false;
};

}  // namespace tessaly
