// Qt's own dialogs, which the program opens for colours and settings files,
// speak the program's display language, not English.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include "TessalyApp/Qt/QtTranslations.h"
#include "TessalyApp/Qt/SettingsColorPanel.h"
#include "TessalyApp/Qt/SettingsFileDialogs.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

// The texts of the labels and buttons a dialog shows, without their
// mnemonic marks ("&Save" reads "Save").
QStringList shownTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&dialog)) continue;
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
        if (!text.isEmpty()) texts << text.remove(QLatin1Char('&'));
    }
    return texts;
}

TEST(QtTranslationsTest, QtsColourAndFileDialogsSpeakTheDisplayLanguage) {
    // Every language of the program has Qt's translation on this system.
    for (const AppLanguage language : AppLanguage::allCases()) {
        const QtTranslations texts(language);
        EXPECT_TRUE(texts.isLoaded()) << language.rawValue() << ": " << QtTranslations::catalogName(language).toStdString();
    }

    const L10n::ScopedLanguageForTesting shown(AppLanguage::german);
    const QtTranslations texts(AppLanguage::german);
    ASSERT_TRUE(texts.isLoaded());

    SettingsColorPanel colors;
    colors.dialog().show();
    QApplication::processEvents();
    const QStringList colorTexts = shownTexts(colors.dialog());
    EXPECT_TRUE(colorTexts.contains(QStringLiteral("Farbe vom Bildschirm wählen"))) << colorTexts.join(" | ").toStdString();
    EXPECT_TRUE(colorTexts.contains(QStringLiteral("Rot:"))) << colorTexts.join(" | ").toStdString();
    EXPECT_FALSE(colorTexts.contains(QStringLiteral("Pick Screen Color")));
    colors.orderOut();

    QWidget window;
    window.show();
    SettingsFileDialogs files(window);
    files.chooseExportFile(L10n::settingsFileBaseName() + ".json", [](const std::optional<std::filesystem::path>&) {});
    auto* save = window.findChild<QFileDialog*>();
    ASSERT_NE(save, nullptr);
    QApplication::processEvents();
    const QStringList fileTexts = shownTexts(*save);
    for (const char* german : {"Suchen in:", "Dateiname:", "Speichern"}) {
        EXPECT_TRUE(fileTexts.contains(QString::fromUtf8(german))) << german << " in " << fileTexts.join(" | ").toStdString();
    }
    EXPECT_FALSE(fileTexts.contains(QStringLiteral("Save")));
    save->reject();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace tessaly
