#include "TessalyApp/Qt/SettingsWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "Platform/Qt/QtWindowActivation.h"
#include "Platform/X11/X11KeyboardLayout.h"
#include "TessalyApp/Qt/HotkeyRecorderKeyFilter.h"
#include "TessalyApp/Qt/SettingsColorPanel.h"
#include "TessalyApp/Qt/SettingsFileDialogs.h"
#include "TessalyApp/Qt/SettingsSheet.h"
#include "TessalyApp/Qt/SettingsView.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyApp/SettingsWindowPlacement.h"
#include "TessalyCore/L10n.h"

namespace tessaly {

// The top-level window: reports when it gets the focus, when the window
// manager moved it and when it closes.
class SettingsWindowController::Window : public QWidget {
public:
    std::function<void()> onBecameKey;
    std::function<void()> onMoved;
    std::function<void()> onWillClose;

protected:
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isActiveWindow() && onBecameKey) onBecameKey();
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        if (onMoved) onMoved();
    }
    void closeEvent(QCloseEvent* event) override {
        if (onWillClose) onWillClose();
        event->accept();  // hidden, not destroyed
    }
};

SettingsWindowController::SettingsWindowController(SettingsStore& store, SettingsModelEnvironment environment,
                                                   std::shared_ptr<MainExecutor> main, Options options)
    : main_(std::move(main)),
      options_(std::move(options)),
      model_(std::make_unique<SettingsModel>(store, std::move(environment))),
      colorPanel_(std::make_unique<SettingsColorPanel>()) {
    // The recorder reads X key codes; without an installed layout it reads
    // the display's own.
    if (!options_.keyboardLayout && !KeyboardLayout::current() &&
        QGuiApplication::platformName() == QStringLiteral("xcb")) {
        options_.keyboardLayout = X11KeyboardLayout::read();
    }
    // The rows name the keys they show with the installed layout: without
    // one, the layout the recorder hears becomes it (else a recorded letter
    // would read "Key 45").
    if (!KeyboardLayout::current() && options_.keyboardLayout) KeyboardLayout::setCurrent(options_.keyboardLayout);
    model_->onRelaunchRequested = options_.onRelaunchRequested;
    HotkeyRecorder& recorder = model_->hotkeyRecorder();
    recorder.onRecordingChanged = options_.onHotkeyRecordingChanged;
    recorder.beep = [] { QApplication::beep(); };

    auto window = std::make_unique<Window>();
    window->setWindowTitle(toQString(L10n::settingsWindowTitle()));
    // An ordinary window with the usual buttons: window managers that honour
    // the Motif hints (icewm) minimise only what offers a minimise button.
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new SettingsView(*model_, colorPanel_.get(), options_.checkForUpdates, window.get());
    view_->setStatusMenuProvider(options_.statusMenu);
    layout->addWidget(view_);
    window->onBecameKey = lifetime_.guarded([this] { windowBecameKey(); });
    window->onMoved = lifetime_.guarded([this] { keepFrameInside(); });
    window->onWillClose = lifetime_.guarded([this] { windowWillClose(); });
    window_ = std::move(window);

    // The recorder listens to this window's keys only.
    recorder.installMonitor = lifetime_.guarded([this](HotkeyRecorder::KeyHandler handler) {
        return HotkeyRecorderKeyFilter::install(*window_, std::move(handler), options_.keyboardLayout);
    });
    fileDialogs_ = std::make_shared<SettingsFileDialogs>(*window_, lifetime_.guarded([this] {
        if (options_.bringToFront) options_.bringToFront(*window_);
        else QtWindowActivation::bringToFront(*window_);
    }));
    model_->filePrompts = fileDialogs_;
}

SettingsWindowController::~SettingsWindowController() {
    model_->hotkeyRecorder().end();
    model_->hotkeyRecorder().installMonitor = nullptr;
    model_->filePrompts.reset();
    window_.reset();  // the pages go before the model they show
}

QRect SettingsWindowController::availableArea() const {
    if (options_.availableArea) return options_.availableArea();
    QScreen* screen = window_->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void SettingsWindowController::fitToScreen() {
    const QRect area = availableArea();
    if (area.isEmpty()) return;
    // The window manager's frame around the window: known once it was
    // shown, otherwise a usual title bar and border.
    QSize decoration = window_->frameGeometry().size() - window_->geometry().size();
    if (!window_->isVisible() || decoration.width() < 0 || decoration.height() < 0) decoration = QSize(8, 40);
    const Rect usable(area.x(), area.y(), area.width() - decoration.width(), area.height() - decoration.height());
    const Size size = SettingsWindowPlacement::windowSize(SettingsWindowPlacement::preferredWindowSize, usable);
    const QSize fitted(static_cast<int>(size.width), static_cast<int>(size.height));
    window_->setMaximumSize(QSize(static_cast<int>(usable.width()), static_cast<int>(usable.height())));
    window_->setMinimumSize(QSize(std::min(fitted.width(), 360), std::min(fitted.height(), 240)));
    if (!placed_) {
        window_->resize(fitted);
        // Centred on its screen the first time.
        window_->move(area.x() + (area.width() - fitted.width() - decoration.width()) / 2,
                      area.y() + (area.height() - fitted.height() - decoration.height()) / 2);
        placed_ = true;
        // Where the frame really went is known once the window manager has
        // framed the window.
        checkFrame_ = true;
    } else if (window_->width() > fitted.width() || window_->height() > fitted.height()) {
        window_->resize(window_->size().boundedTo(fitted));
    }
}

void SettingsWindowController::keepFrameInside() {
    if (!checkFrame_ || !window_->isVisible()) return;
    const QWindow* handle = window_->windowHandle();
    if (!handle || handle->frameMargins().isNull()) return;  // not framed yet
    checkFrame_ = false;
    const QRect frame = window_->frameGeometry();
    const QRect area = availableArea();
    const auto inside = SettingsWindowPlacement::frameInside(Rect(frame.x(), frame.y(), frame.width(), frame.height()),
                                                             Rect(area.x(), area.y(), area.width(), area.height()));
    if (!inside) return;
    const QSize decoration = frame.size() - window_->size();
    window_->resize(static_cast<int>(inside->width()) - decoration.width(),
                    static_cast<int>(inside->height()) - decoration.height());
    window_->move(static_cast<int>(inside->minX()), static_cast<int>(inside->minY()));
}

void SettingsWindowController::setFloating(bool floating) {
    floating_ = floating;
    // On the QWindow: changing the widget's flags would hide the window.
    if (QWindow* handle = window_->windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, floating);
}

void SettingsWindowController::scheduleFloatCeiling() {
    floatCeiling_ = main_->schedule(floatCeilingSeconds, lifetime_.guarded([this] {
        if (!window_->isVisible() || !floating_) return;
        setFloating(false);
        window_->raise();
        if (options_.raiseWindowsInFront) options_.raiseWindowsInFront();
    }));
}

void SettingsWindowController::windowBecameKey() {
    if (!window_->isVisible()) return;  // a hidden window is nobody's focus
    keepFrameInside();
    keyCheck_ = main_->schedule(keyFloatSeconds, lifetime_.guarded([this] {
        if (window_->isVisible() && window_->isActiveWindow()) setFloating(false);
    }));
}

void SettingsWindowController::show() {
    window_->winId();  // the native window, so its flags can be set before it maps
    fitToScreen();
    if (!window_->isVisible() || !window_->isActiveWindow()) {
        setFloating(true);
        scheduleFloatCeiling();
    }
    colorPanel_->centerOver(window_->frameGeometry());
    if (options_.bringToFront) options_.bringToFront(*window_);
    else QtWindowActivation::bringToFront(*window_);
    // Showing the widget puts its own flags back on the native window: the
    // stay-on-top state is asked for again on the mapped window.
    setFloating(floating_);
    if (options_.raiseWindowsInFront) options_.raiseWindowsInFront();
}

void SettingsWindowController::windowWillClose() {
    colorPanel_->orderOut();
    // An open editor sheet is cancelled with the window.
    for (SettingsSheet* sheet : window_->findChildren<SettingsSheet*>()) sheet->reject();
    model_->hotkeyRecorder().end();
    const auto selected = model_->selectedCategory();
    if (selected == SettingsCategory::howTo || selected == SettingsCategory::about) {
        model_->setSelectedCategory(model_->lastConfigCategory());
    }
}

}  // namespace tessaly
