#include "TessalyApp/Qt/SettingsView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>

#include "TessalyCore/L10n.h"
#include "TessalyApp/Qt/AboutSettingsTab.h"
#include "TessalyApp/Qt/AppGlyph.h"
#include "TessalyApp/Qt/ColorsSettingsTab.h"
#include "TessalyApp/Qt/GeneralSettingsTab.h"
#include "TessalyApp/Qt/GroupingSettingsTab.h"
#include "TessalyApp/Qt/HowToSettingsTab.h"
#include "TessalyApp/Qt/SettingsWidgets.h"
#include "TessalyApp/Qt/TabBarSettingsTab.h"

namespace tessaly {

namespace {

QIcon categoryIcon(SettingsCategory category, const QStyle& style) {
    const auto themed = [&](const char* name, QStyle::StandardPixmap fallback) {
        const QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
        return icon.isNull() ? style.standardIcon(fallback) : icon;
    };
    switch (category) {
        case SettingsCategory::howTo: return themed("help-contents", QStyle::SP_MessageBoxQuestion);
        case SettingsCategory::general: return themed("preferences-system", QStyle::SP_ComputerIcon);
        case SettingsCategory::grouping: return themed("window-duplicate", QStyle::SP_FileDialogListView);
        case SettingsCategory::tabBar: return themed("view-list-details", QStyle::SP_FileDialogDetailedView);
        case SettingsCategory::colors: return themed("preferences-desktop-color", QStyle::SP_DesktopIcon);
        case SettingsCategory::about: return themed("help-about", QStyle::SP_MessageBoxInformation);
    }
    return {};
}

}  // namespace

SettingsView::SettingsView(SettingsModel& model, SettingsColorPanel* colorPanel, std::function<void()> checkForUpdates,
                           QWidget* parent)
    : QWidget(parent),
      model_(model),
      colorPanel_(colorPanel),
      checkForUpdates_(std::move(checkForUpdates)),
      sidebar_(new QListWidget(this)),
      statusMenuButton_(new QToolButton(this)),
      detail_(new QScrollArea(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    sidebar_->setFixedWidth(sidebarWidth);
    sidebar_->setFrameShape(QFrame::NoFrame);
    sidebar_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const SettingsCategory category : allSettingsCategories) {
        auto* item = new QListWidgetItem(categoryIcon(category, *style()), toQString(settingsCategoryTitle(category)));
        sidebar_->addItem(item);
    }
    auto* column = new QVBoxLayout();
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(sidebar_, 1);
    const bool dark = palette().color(QPalette::Window).lightnessF() < 0.5;
    statusMenuButton_->setIcon(AppGlyph::icon(dark ? AppGlyph::Panel::dark : AppGlyph::Panel::light));
    statusMenuButton_->setIconSize(QSize(18, 18));
    statusMenuButton_->setAutoRaise(true);
    // Where it is the only way to the menu, it says what it is.
    statusMenuButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    statusMenuButton_->setText(toQString(L10n::statusMenuButton()));
    statusMenuButton_->setToolTip(toQString(L10n::statusMenuButtonHelp()));
    statusMenuButton_->setAccessibleName(toQString(L10n::statusMenuButton()));
    statusMenuButton_->hide();
    column->addWidget(statusMenuButton_, 0, Qt::AlignLeft);
    layout->addLayout(column);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    // The page area scrolls, so every control stays reachable on a small screen.
    detail_->setWidgetResizable(true);
    detail_->setFrameShape(QFrame::NoFrame);
    detail_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(detail_, 1);

    connect(sidebar_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = sidebar_->selectedItems();
        if (selected.isEmpty()) {
            model_.setSelectedCategory(std::nullopt);
            return;
        }
        const int row = sidebar_->row(selected.front());
        if (row >= 0 && row < static_cast<int>(allSettingsCategories.size())) {
            model_.setSelectedCategory(allSettingsCategories[static_cast<std::size_t>(row)]);
        }
    });
    connect(statusMenuButton_, &QToolButton::clicked, this, [this] {
        QMenu* menu = statusMenu_ ? statusMenu_() : nullptr;
        if (menu) menu->popup(statusMenuButton_->mapToGlobal(QPoint(0, 0)));
        else updateStatusMenuButton();
    });
    watch_ = model_.observe([this] { showSelection(); });
    showSelection();
}

void SettingsView::setStatusMenuProvider(std::function<QMenu*()> provider) {
    statusMenu_ = std::move(provider);
    updateStatusMenuButton();
}

bool SettingsView::menuInWindow() const { return statusMenu_ && statusMenu_(); }

void SettingsView::updateStatusMenuButton() {
    const bool inWindow = menuInWindow();
    statusMenuButton_->setVisible(inWindow);
    if (auto* howTo = dynamic_cast<HowToSettingsTab*>(currentPage())) howTo->setMenuInWindow(inWindow);
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateStatusMenuButton();  // a tray may have come or gone meanwhile
}

QWidget* SettingsView::currentPage() const { return detail_->widget(); }

void SettingsView::showSelection() {
    const std::optional<SettingsCategory> selected = model_.selectedCategory();
    {
        const QSignalBlocker blocker(sidebar_);
        if (!selected) {
            sidebar_->clearSelection();
        } else {
            const auto it = std::find(allSettingsCategories.begin(), allSettingsCategories.end(), *selected);
            sidebar_->setCurrentRow(static_cast<int>(it - allSettingsCategories.begin()));
        }
    }
    const SettingsCategory page = selected.value_or(SettingsCategory::general);
    if (shown_ == page && currentPage()) {
        // The keys in force change when the session registers them, and the
        // grouping key with the user's choice or the window manager.
        if (auto* howTo = dynamic_cast<HowToSettingsTab*>(currentPage())) {
            howTo->setTabKeys(model_.tabHotkeysShown());
            howTo->setGroupingKey(model_.modifierGate());
        }
        return;
    }
    shown_ = page;
    // The old page may be the one whose control asked for the change: let it finish first.
    if (QWidget* old = detail_->takeWidget()) {
        old->hide();
        old->setParent(this);  // still goes with the view, should that go first
        old->deleteLater();
    }
    detail_->setWidget(makePage(page));
}

QWidget* SettingsView::makePage(SettingsCategory category) {
    switch (category) {
        case SettingsCategory::howTo: {
            auto* page = new HowToSettingsTab(model_.tabHotkeysShown(), model_.modifierGate());
            page->setMenuInWindow(menuInWindow());
            return page;
        }
        case SettingsCategory::general: return new GeneralSettingsTab(model_);
        case SettingsCategory::grouping: return new GroupingSettingsTab(model_);
        case SettingsCategory::tabBar: return new TabBarSettingsTab(model_, colorPanel_);
        case SettingsCategory::colors: return new ColorsSettingsTab(model_, colorPanel_);
        case SettingsCategory::about: return new AboutSettingsTab(checkForUpdates_);
    }
    return new QWidget();
}

}  // namespace tessaly
