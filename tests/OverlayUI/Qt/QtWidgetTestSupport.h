#pragma once
// What the offscreen widget tests share: a bar made by the Qt factory with a
// recording delegate, tab models, mouse clicks sent straight to a widget,
// and a way to let deferred deletions and queued calls run.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QAbstractAnimation>

#include "OverlayUI/TabStripGeometry.h"
#include "OverlayUI/Qt/QtOverlayFactory.h"
#include "OverlayUI/Qt/QtTabBarPanel.h"
#include "OverlayUI/Qt/TabBarView.h"
#include "OverlayUI/Qt/TabItemView.h"
#include "Platform/ManualMainExecutor.h"
#include "RecordingTabBarDelegate.h"

namespace tessaly::test {

// The windows of a bar's tabs, in the order they show.
inline std::vector<WindowID> shownWindows(const TabBarView& view) {
    std::vector<WindowID> ids;
    for (const TabItemView* item : view.tabItems()) ids.push_back(item->windowID());
    return ids;
}

inline TabViewModel tabModel(WindowID windowID, std::string title, bool active = false, bool suspended = false) {
    TabViewModel tab;
    tab.windowID = windowID;
    tab.title = std::move(title);
    tab.isActive = active;
    tab.isSuspended = suspended;
    return tab;
}

// Runs what Qt has queued (zero-delay timers, posted calls) and the
// deletions asked for with deleteLater.
inline void settleQt() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A mouse button pressed or released at the widget's local point.
inline void sendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button, QPoint local) {
    const QPointF global = widget.mapToGlobal(QPointF(local));
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void sendMove(QWidget& widget, QPoint local, Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent event(QEvent::MouseMove, QPointF(local), widget.mapToGlobal(QPointF(local)), Qt::NoButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void click(QWidget& widget, Qt::MouseButton button = Qt::LeftButton) {
    const QPoint centre = widget.rect().center();
    sendMouse(widget, QEvent::MouseButtonPress, button, centre);
    sendMouse(widget, QEvent::MouseButtonRelease, button, centre);
}

// The popup menu open now, if any.
inline QMenu* openMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

inline void closeMenus() {
    while (QMenu* menu = openMenu()) menu->close();
    settleQt();
}

// The dialog shown now, if any.
inline QDialog* openDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

inline QPushButton& button(QWidget& window, const char* text) {
    for (QPushButton* candidate : window.findChildren<QPushButton*>()) {
        if (candidate->text() == QString::fromUtf8(text)) return *candidate;
    }
    throw std::runtime_error(std::string("no button ") + text);
}

// The texts of a menu's actions, separators as "-".
inline std::vector<std::string> actionTexts(const QMenu& menu) {
    std::vector<std::string> texts;
    for (const QAction* action : menu.actions()) {
        texts.push_back(action->isSeparator() ? std::string("-") : action->text().toStdString());
    }
    return texts;
}

inline QAction* findAction(const QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// Runs every animation under `root` to its end at once (the bar's slides
// and gaps run on Qt's animation timer, in real time).
inline void finishAnimations(QObject& root) {
    for (QAbstractAnimation* animation : root.findChildren<QAbstractAnimation*>()) {
        if (animation->state() == QAbstractAnimation::Running) animation->setCurrentTime(animation->totalDuration());
    }
}

// A bar of the Qt factory, wired to a recording delegate; its delays (a
// settling tab, a closing gap, spring loading, the name prompt's deferral)
// run on a virtual clock.
struct BarFixture {
    std::shared_ptr<ManualMainExecutor> main = std::make_shared<ManualMainExecutor>();
    std::shared_ptr<QtOverlayFactory> factory = std::make_shared<QtOverlayFactory>(nullptr, nullptr, main);
    std::shared_ptr<RecordingTabBarDelegate> delegate = std::make_shared<RecordingTabBarDelegate>();
    Uuid groupID = Uuid::random();
    std::unique_ptr<TabBarPanel> panel;

    BarFixture() {
        panel = factory->makeTabBarPanel(groupID);
        panel->setDelegate(delegate);
    }
    QtTabBarPanel& bar() { return static_cast<QtTabBarPanel&>(*panel); }
    TabBarView& view() { return bar().view(); }

    // Puts the bar on screen above a window frame.
    void placeAbove(const Rect& windowFrame = Rect(100, 300, 900, 500), double height = 30) {
        panel->place(TabStripGeometry::barLayout(windowFrame, height, {}));
        settleQt();
    }

    // Runs what waits on the executor (not its timers) and on Qt.
    void settle() {
        main->drain();
        settleQt();
        main->drain();
    }
    // Lets `seconds` of virtual time pass (timers fall due), then settles.
    void advance(double seconds) {
        main->advance(seconds);
        settle();
    }
};

}  // namespace tessaly::test
