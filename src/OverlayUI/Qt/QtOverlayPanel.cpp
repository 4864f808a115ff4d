#include "OverlayUI/Qt/QtOverlayPanel.h"

#include <QCoreApplication>

#include "OverlayUI/Qt/PanelFrameCache.h"
#include "OverlayUI/Qt/X11PanelOps.h"
#include "Platform/Qt/QtToolPanel.h"
#include "Platform/Qt/QtX11Connection.h"
#include "Platform/Qt/QtX11Coordinates.h"

namespace tessaly {

namespace {

QRect logicalRect(const Rect& xPixels) { return QtX11Coordinates::fromX(xPixels).toRect(); }

// Makes a widget's native window anew, with its backing store: only
// QWidget's protected destroy() and create() do both (a QWindow destroyed
// and created again under the widget keeps a backing store of the old
// visual and shows nothing). Reached through pointers to members, which
// a derived class may form.
struct NativeWindow : QWidget {
    static void remake(QWidget& widget) {
        (widget.*&NativeWindow::destroy)(true, true);
        (widget.*&NativeWindow::create)(0, true, true);
    }
};

}  // namespace

QtOverlayPanel::QtOverlayPanel(std::unique_ptr<QWidget> content, std::shared_ptr<PanelFrameCache> frames,
                               Options options)
    : widget_(content.release()), frames_(std::move(frames)), options_(options) {
    QtToolPanel::configure(*widget_);
    widget_->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    if (!options_.takesMouse) {
        // Not shown yet: changing the flags now hides nothing.
        widget_->setWindowFlags(widget_->windowFlags() | Qt::WindowTransparentForInput);
        widget_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (options_.translucent) widget_->setAttribute(Qt::WA_TranslucentBackground);
    prepareNativeWindow();
}

void QtOverlayPanel::prepareNativeWindow() {
    if (!QtX11Connection::isAvailable()) return;
    const auto window = static_cast<xcb_window_t>(widget_->winId());
    // The names below, asked for together by the first panel made.
    QtX11Connection::internAtoms(
        {"_NET_FRAME_EXTENTS", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DND", "_COMPTON_SHADOW"});
    // No frame around a panel, said where Qt looks first: otherwise Qt
    // walks the window tree for the panel's frame margins after every
    // move, three round trips on the main thread while a group follows.
    QtX11Connection::setCardinals(window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, {0, 0, 0, 0});
    // No compositor shadow (it would fall inside a ring-shaped preview):
    // compositing managers that shadow by window type (marco, metacity)
    // leave drag-and-drop windows alone, and picom and compton take
    // _COMPTON_SHADOW.
    QtX11Connection::setCardinals(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM,
                                  {QtX11Connection::atom("_NET_WM_WINDOW_TYPE_DND")});
    QtX11Connection::setCardinal(window, "_COMPTON_SHADOW", XCB_ATOM_CARDINAL, 0);
}

bool QtOverlayPanel::isTranslucent() const { return widget_ && widget_->testAttribute(Qt::WA_TranslucentBackground); }

void QtOverlayPanel::setTranslucent(bool translucent) {
    if (!widget_ || isTranslucent() == translucent) return;
    widget_->setAttribute(Qt::WA_TranslucentBackground, translucent);
    if (!widget_->testAttribute(Qt::WA_WState_Created)) return;  // made with the right visual when it is made
    const bool shown = widget_->isVisible();
    widget_->hide();
    NativeWindow::remake(*widget_);
    prepareNativeWindow();
    if (hasFrame_) QtX11Connection::configure(widget_->internalWinId(), frame_);
    if (!shown) return;
    // Back in its place, as orderRelative puts it: stacked before it is
    // mapped, and again after, since Qt raises what it shows. Else the new
    // window stays on top of every other (a backing over its window's title).
    const bool stacked = relativeFrame_ != 0 && X11PanelOps::qtConnection();
    if (stacked) X11PanelOps::restack(nativeWindow(), relativeFrame_, orderedAbove_);
    if (orderIn() && stacked) X11PanelOps::restack(nativeWindow(), relativeFrame_, orderedAbove_);
}

QtOverlayPanel::~QtOverlayPanel() {
    if (!widget_) return;
    widget_->hide();
    if (QCoreApplication::instance()) widget_->deleteLater();
    else delete widget_.data();
}

WindowID QtOverlayPanel::windowNumber() const {
    return widget_ ? static_cast<WindowID>(widget_->internalWinId()) : 0;
}

bool QtOverlayPanel::isVisible() const { return widget_ && widget_->isVisible(); }

void QtOverlayPanel::setFrame(const Rect& frame) {
    // Qt's and the window system's integers hold only frames in a screen's range.
    if (!frame.isSane()) return;
    frame_ = frame;
    hasFrame_ = true;
    if (!widget_ || withheld_) return;
    const bool onX11 = QtX11Connection::isAvailable();
    // While the window is hidden Qt's own geometry is kept close, so that
    // showing it later does not move it; the exact pixels follow.
    if (!onX11 || !widget_->isVisible()) {
        const QRect logical = logicalRect(frame);
        if (widget_->geometry() != logical) widget_->setGeometry(logical);
    }
    if (onX11 && widget_->testAttribute(Qt::WA_WState_Created)) {
        QtX11Connection::configure(widget_->internalWinId(), frame);
    }
}

bool QtOverlayPanel::orderIn() {
    if (!widget_ || withheld_ || widget_->isVisible()) return false;
    if (hasFrame_) {
        const QRect logical = logicalRect(frame_);
        if (widget_->geometry() != logical) widget_->setGeometry(logical);
    }
    widget_->show();  // never activated: WA_ShowWithoutActivating
    if (hasFrame_) QtX11Connection::configure(widget_->internalWinId(), frame_);
    return true;
}

void QtOverlayPanel::orderFront() {
    if (!widget_ || withheld_) return;
    orderIn();
    if (X11PanelOps::qtConnection()) X11PanelOps::raise(static_cast<X11PanelOps::XWindow>(widget_->winId()));
    else widget_->raise();
}

void QtOverlayPanel::orderOut() {
    if (widget_) widget_->hide();
}

void QtOverlayPanel::setWithheld(bool withheld) {
    withheld_ = withheld;
    if (withheld_) orderOut();
}

std::uint32_t QtOverlayPanel::nativeWindow() { return static_cast<std::uint32_t>(widget_->winId()); }

bool QtOverlayPanel::orderRelative(Order order, WindowID relativeTo) {
    if (!widget_) return false;
    if (!X11PanelOps::qtConnection()) {  // offscreen: nothing to stack against
        orderIn();
        return true;
    }
    const auto own = nativeWindow();
    const X11PanelOps::XWindow frame =
        frames_ ? frames_->frameOf(relativeTo) : X11PanelOps::rootChildOf(relativeTo);
    if (frame == 0 || frame == own) {
        orderIn();
        return false;
    }
    // Stacked before it is mapped: a hidden panel appears in its place.
    const bool above = order == Order::above;
    if (!withheld_ && (!onOrdering || onOrdering(frame, above))) {
        X11PanelOps::restack(own, frame, above);
        if (orderIn()) X11PanelOps::restack(own, frame, above);  // Qt raises what it shows
    }
    orderIn();
    relativeFrame_ = frame;
    orderedAbove_ = above;
    if (onOrderedRelative) onOrderedRelative();
    return true;
}

void QtOverlayPanel::handToRoot() {
    if (widget_ && hasFrame_ && widget_->testAttribute(Qt::WA_WState_Created)) {
        X11PanelOps::handToRoot(static_cast<X11PanelOps::XWindow>(widget_->internalWinId()), frame_);
    }
}

void QtOverlayPanel::orderInAsBefore() {
    if (!widget_) return;
    if (relativeFrame_ == 0 || !X11PanelOps::qtConnection()) {
        orderFront();
        return;
    }
    if (withheld_ || widget_->isVisible()) return;
    if (!onOrdering || onOrdering(relativeFrame_, orderedAbove_)) {
        X11PanelOps::restack(nativeWindow(), relativeFrame_, orderedAbove_);
        if (orderIn()) X11PanelOps::restack(nativeWindow(), relativeFrame_, orderedAbove_);  // as above
    }
    orderIn();
}

}  // namespace tessaly
