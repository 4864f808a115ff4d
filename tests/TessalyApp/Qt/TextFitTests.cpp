// Every text of the settings window, the welcome window, the group name
// dialog, the status menu and the cross-display prompt fits, in each of
// the ten languages, at the window's default size: no page scrolls
// sideways, no label, picker or button is cut or pushed out of view, a
// number keeps its unit on its line, and the prompt's pill holds its whole
// text, on two lines over a narrow group.
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
#include <QTextLayout>

#include <gtest/gtest.h>

#include "OverlayUI/Qt/QtCrossPromptPanel.h"
#include "OverlayUI/Qt/QtGroupNameDialog.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/UserDefaults.h"
#include "TessalyApp/Qt/ColorsSettingsTab.h"
#include "TessalyApp/Qt/GroupDemoAnimation.h"
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
        const auto hold = [&](const std::string& display) {
            const std::string text = L10n::releaseToMove(display);
            view.setText(text);
            const QStringList lines = view.shownLines();
            EXPECT_LE(lines.size(), CrossPromptView::maxLines) << text;
            // The whole text, nothing cut: only the break between the lines
            // (a space, or none in a language without spaces) is not shown.
            QString whole = view.text();
            whole.remove(QLatin1Char(' '));
            EXPECT_EQ(lines.join(QString()).remove(QLatin1Char(' ')).toStdString(), whole.toStdString()) << text;
            const QFontMetricsF metrics(view.font(), &view);
            const QRect pill = view.pillRect();
            for (const QString& line : lines) {
                EXPECT_LE(metrics.horizontalAdvance(line), pill.width() - 2 * CrossPromptView::pillInsetH)
                    << line.toStdString();
            }
            EXPECT_GE(pill.height() - 2 * CrossPromptView::pillInsetV,
                      metrics.height() + metrics.lineSpacing() * (lines.size() - 1) - 1);
            EXPECT_TRUE(view.rect().contains(pill)) << text;
        };
        for (const std::string& display : {std::string("LEFT"), std::string("DELL U2720Q (DisplayPort-2)")}) {
            view.resize(800, 500);  // a window of an ordinary size: one line
            hold(display);
            EXPECT_EQ(view.shownText().toStdString(), L10n::releaseToMove(display));
        }
        // A narrow group: the prompt takes two lines where one does not hold it.
        view.resize(300, 200);
        for (const std::string& display : {std::string("HDMI-1"), std::string("DisplayPort-2")}) hold(display);
        // A target too narrow for two lines still cuts the text, inside the pill.
        view.resize(60, 100);
        view.setText(L10n::releaseToMove("DisplayPort-2"));
        EXPECT_TRUE(view.shownText().endsWith(QStringLiteral("…"))) << view.shownText().toStdString();
        EXPECT_LE(view.pillRect().width(), 60);
    }
}

// The lines a word-wrapping label breaks its text into at its width.
QStringList wrappedLines(const QLabel& label) {
    QTextLayout layout(label.text(), label.font(), &label);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << label.text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

TEST(TextFitTest, TheBarHeightKeepsItsUnitAndTheDemonstrationNamesTheKeyInEveryLanguage) {
    for (const AppLanguage language : AppLanguage::allCases()) {
        SCOPED_TRACE(languageName(language));
        L10n::ScopedLanguageForTesting shown(language);
        auto defaults = std::make_shared<InMemoryUserDefaults>();
        SettingsStore store(defaults);
        SettingsModel model(store, SettingsModelEnvironment{});
        model.setTabBarHeight(30);
        QWidget window;
        window.resize(640 - SettingsView::sidebarWidth, 750);
        auto* page = new TabBarSettingsTab(model, nullptr, &window);
        page->resize(window.size());
        window.show();
        QApplication::processEvents();
        // However the label wraps, the number and its unit share a line.
        for (const QString& line : wrappedLines(page->heightLabel())) {
            if (!line.contains(QStringLiteral("px"))) continue;
            EXPECT_TRUE(line.contains(QStringLiteral("30"))) << line.toStdString();
        }

        // The demonstration's keycap names the key as the text above it does.
        const QString keycap = GroupDemoAnimation::keycapText();
        const QString key = keycap.section(QLatin1Char(' '), 1);
        EXPECT_FALSE(key.isEmpty());
        EXPECT_TRUE(QString::fromStdString(L10n::howToCreateBody()).contains(key, Qt::CaseInsensitive))
            << keycap.toStdString() << " beside " << L10n::howToCreateBody();
    }
}

}  // namespace
}  // namespace tessaly
