// Every text of the settings window, the welcome window, the group name
// dialog, the status menu and the cross-display prompt fits, in each of the ten languages, at the window's default size:
// no page scrolls sideways, no label, picker or button is cut or pushed
// out of view, and the prompt's pill holds its whole text.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "OverlayUI/Qt/QtCrossPromptPanel.h"
#include "OverlayUI/Qt/QtGroupNameDialog.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/UserDefaults.h"
#include "TessalyApp/Qt/ColorsSettingsTab.h"
#include "TessalyApp/Qt/MenuBarController.h"
#include "TessalyApp/Qt/OnboardingWindowController.h"
#include "TessalyApp/Qt/SettingsView.h"
#include "TessalyApp/Qt/SettingsWindowController.h"
#include "TessalyApp/Qt/TabBarSettingsTab.h"
#include "TessalyApp/Qt/TabColorEditor.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

std::string nameOf(const QWidget& widget) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) text = button->text();
    else if (const auto* picker = qobject_cast<const QComboBox*>(&widget)) text = picker->currentText();
    return std::string(widget.metaObject()->className()) + " \"" + text.toStdString() + "\"";
}

// What does not fit in `page`, of which `visibleWidth` shows: each control
// cut (narrower than it needs, or a wrapped label shorter than its lines) or
// reaching past the visible width.
std::vector<std::string> unfit(QWidget* page, int visibleWidth) {
    std::vector<std::string> found;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(page) || widget->window() != page->window()) continue;
        const bool control = qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QComboBox*>(widget);
        if (!control) continue;
        const QRect inPage(widget->mapTo(page, QPoint(0, 0)), widget->size());
        if (inPage.right() >= visibleWidth) {
            found.push_back(nameOf(*widget) + " reaches x " + std::to_string(inPage.right()) + " of " +
                            std::to_string(visibleWidth));
        }
        const auto* label = qobject_cast<QLabel*>(widget);
        if (label && label->wordWrap() && !label->text().isEmpty()) {
            if (label->heightForWidth(label->width()) > label->height()) {
                found.push_back(nameOf(*widget) + " is " + std::to_string(label->height()) + " high of " +
                                std::to_string(label->heightForWidth(label->width())));
            }
        } else if (widget->width() < widget->sizeHint().width()) {
            found.push_back(nameOf(*widget) + " is " + std::to_string(widget->width()) + " wide of " +
                            std::to_string(widget->sizeHint().width()));
        }
    }
    return found;
}

// The same for a page shown in a scrolling area, which must not scroll sideways.
std::vector<std::string> unfit(QScrollArea& area) {
    std::vector<std::string> found = unfit(area.widget(), area.viewport()->width());
    if (area.horizontalScrollBar()->isVisible()) found.push_back("the page scrolls sideways");
    return found;
}

std::string languageName(AppLanguage language) { return std::string(language.rawValue()); }

TEST(TextFitTest, EverySettingsPageAndTheSidebarFitInEveryLanguageAtTheDefaultSize) {
    for (const AppLanguage language : AppLanguage::allCases()) {
        SCOPED_TRACE(languageName(language));
        L10n::ScopedLanguageForTesting shown(language);
        SimEnvironment sim;
        SimAppSpec mail;
        mail.pid = 501;
        mail.bundleID = "org.example.Mail";
        mail.name = "Mail";
        sim.desktop->addApplication(mail);
        auto defaults = std::make_shared<InMemoryUserDefaults>();
        SettingsStore store(defaults);
        SettingsModelEnvironment environment;
        environment.workspace = sim.desktop;
        environment.canLaunchAtLogin = true;
        SettingsWindowController::Options options;
        options.availableArea = [] { return QRect(0, 0, 1920, 1080); };
        options.bringToFront = [](QWidget& window) {
            window.setAttribute(Qt::WA_ShowWithoutActivating);
            window.show();
        };
        SettingsWindowController controller(store, environment, std::make_shared<ManualMainExecutor>(), options);
        // Every row that can show: the Option warning, exclusions, presets, rules.
        controller.model().setModifierGate(ModifierGate::option);
        controller.model().addExclusion("org.example.Mail");
        controller.model().addExclusion("com.example.a-rather-long-bundle-identifier");
        controller.show();
        QApplication::processEvents();
        ASSERT_EQ(controller.window().size(), QSize(640, 750));

        QListWidget& sidebar = controller.view().sidebar();
        for (int row = 0; row < sidebar.count(); ++row) {
            const QRect item = sidebar.visualItemRect(sidebar.item(row));
            const int needs = sidebar.sizeHintForColumn(0);
            EXPECT_LE(needs, sidebar.viewport()->width())
                << "sidebar row \"" << sidebar.item(row)->text().toStdString() << "\" " << item.width();
        }
        for (const SettingsCategory category : allSettingsCategories) {
            controller.model().setSelectedCategory(category);
            QApplication::processEvents();
            const auto problems = unfit(controller.view().detail());
            for (const std::string& problem : problems) {
                ADD_FAILURE() << languageName(language) << ", " << settingsCategoryTitle(category) << ": " << problem;
            }
            // The editor sheets the page opens.
            std::vector<std::function<QDialog*()>> sheets;
            QWidget* page = controller.view().currentPage();
            if (auto* colors = dynamic_cast<ColorsSettingsTab*>(page)) {
                for (QPushButton* add : {&colors->addPresetButton(), &colors->addRuleButton()}) {
                    sheets.push_back([colors, add] {
                        add->click();
                        return colors->openSheet();
                    });
                }
            } else if (auto* bar = dynamic_cast<TabBarSettingsTab*>(page)) {
                sheets.push_back([bar] {
                    if (!bar->badgesToggle().isChecked()) bar->badgesToggle().click();
                    bar->badgeColorButton().click();
                    return static_cast<QDialog*>(bar->badgeColorEditor());
                });
            }
            for (const auto& open : sheets) {
                QDialog* sheet = open();
                ASSERT_NE(sheet, nullptr);
                QApplication::processEvents();
                for (const std::string& problem : unfit(sheet, sheet->width())) {
                    ADD_FAILURE() << languageName(language) << ", sheet \"" << sheet->windowTitle().toStdString()
                                  << "\": " << problem;
                }
                sheet->reject();
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        }
    }
}

TEST(TextFitTest, TheWelcomeWindowAndTheGroupNameDialogFitInEveryLanguage) {
    for (const AppLanguage language : AppLanguage::allCases()) {
        SCOPED_TRACE(languageName(language));
        L10n::ScopedLanguageForTesting shown(language);
        SimEnvironment sim;
        sim.desktop->setTrusted(false);
        PermissionsCoordinator permissions(sim.services);
        OnboardingWindowController welcome(permissions, [] {});
        welcome.show();
        QApplication::processEvents();
        for (const std::string& problem : unfit(&welcome.window(), welcome.window().width())) {
            ADD_FAILURE() << languageName(language) << ", welcome window: " << problem;
        }
        welcome.close();

        QtGroupNameDialog dialog([](QWidget& window) { window.show(); });
        for (const std::optional<std::string>& name : {std::optional<std::string>(), std::optional<std::string>("Work")}) {
            dialog.open(name, [](GroupNameEditOutcome) {});
            QApplication::processEvents();
            for (const std::string& problem : unfit(dialog.window(), dialog.window()->width())) {
                ADD_FAILURE() << languageName(language) << ", group name dialog: " << problem;
            }
            dialog.cancelButton().click();
        }
    }
}

TEST(TextFitTest, TheStatusMenuAndTheCrossDisplayPromptShowTheirWholeTextsInEveryLanguage) {
    for (const AppLanguage language : AppLanguage::allCases()) {
        SCOPED_TRACE(languageName(language));
        L10n::ScopedLanguageForTesting shown(language);
        MenuBarController menu(StatusMenuActions{});
        QMenu& statusMenu = menu.menu();
        statusMenu.popup(QPoint(100, 100));
        QApplication::processEvents();
        for (QAction* action : statusMenu.actions()) {
            if (action->isSeparator()) continue;
            const QRect row = statusMenu.actionGeometry(action);
            const int needs = statusMenu.fontMetrics().horizontalAdvance(action->text().section('\t', 0, 0));
            EXPECT_LT(needs, row.width()) << action->text().toStdString();
        }
        statusMenu.hide();

        QtCrossPromptPanel prompt;
        CrossPromptView& view = prompt.view();
        for (const std::string& display : {std::string("LEFT"), std::string("DELL U2720Q (DisplayPort-2)")}) {
            const std::string text = L10n::releaseToMove(display);
            view.resize(800, 500);  // a window of an ordinary size
            view.setText(text);
            EXPECT_EQ(view.shownText().toStdString(), text);
            const int needs = QFontMetricsF(view.font(), &view).horizontalAdvance(view.text());
            EXPECT_GE(view.pillRect().width(), needs + 32) << text;
        }
        // A target narrower than the text still cuts it, inside the pill.
        view.resize(120, 100);
        view.setText(L10n::releaseToMove("LEFT"));
        EXPECT_NE(view.shownText(), view.text());
        EXPECT_LE(view.pillRect().width(), 120);
    }
}

}  // namespace
}  // namespace tessaly
