#include "OverlayUI/Qt/QtMenus.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <memory>

#include "OverlayUI/Qt/QtBarColors.h"
#include "OverlayUI/Qt/ShownText.h"
#include "TessalyCore/DisplayText.h"

namespace tessaly::QtMenus {

namespace {

// Longer titles are cut: a menu row is never wider than a screen.
constexpr std::size_t kLongestTitle = 120;
constexpr int kSwatchSide = 16;

double screenRatio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

// A round swatch of the colour: inset 2 pixels, a faint dark outline.
QIcon swatch(const TabColor& color) {
    const double ratio = screenRatio();
    QPixmap pixmap(QSize(kSwatchSide, kSwatchSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen outline(QColor::fromRgbF(0, 0, 0, 0.2), 0.5);
    outline.setCosmetic(true);
    painter.setPen(outline);
    painter.setBrush(QtBarColors::color(color));
    painter.drawEllipse(QRectF(2, 2, kSwatchSide - 4, kSwatchSide - 4));
    return QIcon(pixmap);
}

}  // namespace

QString actionText(const std::string& title) {
    QString text = ShownText::sanitizedAndCut(title, kLongestTitle);
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

void fill(QMenu& into, const MenuModel& menu) {
    for (const MenuItem& item : menu.items) {
        switch (item.kind) {
        case MenuItem::Kind::separator: into.addSeparator(); break;
        case MenuItem::Kind::submenu: {
            QMenu* submenu = into.addMenu(actionText(item.title));
            submenu->setEnabled(item.enabled);
            fill(*submenu, MenuModel{item.submenu});
            break;
        }
        case MenuItem::Kind::action: {
            QAction* action = into.addAction(actionText(item.title));
            action->setEnabled(item.enabled);
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            if (!item.toolTip.empty()) action->setToolTip(QString::fromStdString(DisplayText::sanitized(item.toolTip)));
            if (item.swatch) {
                action->setIcon(swatch(*item.swatch));
            } else if (item.icon) {
                const QPixmap icon = QtBarColors::iconPixmap(item.icon, kSwatchSide, screenRatio());
                if (!icon.isNull()) action->setIcon(QIcon(icon));
            }
            // Checkable rows would toggle themselves: the model alone decides.
            QObject::connect(action, &QAction::triggered, action, [action, item] {
                if (action->isCheckable()) action->setChecked(true);
                item.invoke();
            });
            break;
        }
        }
    }
}

QMenu* popUp(const MenuModel& menu, QPoint at) {
    auto qmenu = std::make_unique<QMenu>();
    qmenu->setAttribute(Qt::WA_DeleteOnClose);
    qmenu->setToolTipsVisible(true);
    fill(*qmenu, menu);
    qmenu->popup(at);
    return qmenu.release();  // a top-level popup: it deletes itself when closed
}

}  // namespace tessaly::QtMenus
