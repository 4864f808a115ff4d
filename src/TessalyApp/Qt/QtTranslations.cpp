#include "TessalyApp/Qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <string>

#include "Platform/Log.h"

namespace tessaly {

QString QtTranslations::catalogName(AppLanguage language) {
    switch (language) {
        case AppLanguage::english: return {};
        case AppLanguage::japanese: return QStringLiteral("qtbase_ja");
        case AppLanguage::simplifiedChinese: return QStringLiteral("qtbase_zh_CN");
        case AppLanguage::german: return QStringLiteral("qtbase_de");
        case AppLanguage::french: return QStringLiteral("qtbase_fr");
        case AppLanguage::korean: return QStringLiteral("qtbase_ko");
        case AppLanguage::spanish: return QStringLiteral("qtbase_es");
        case AppLanguage::traditionalChinese: return QStringLiteral("qtbase_zh_TW");
        case AppLanguage::brazilianPortuguese: return QStringLiteral("qtbase_pt_BR");
        case AppLanguage::italian: return QStringLiteral("qtbase_it");
    }
    return {};
}

QtTranslations::QtTranslations(AppLanguage language) {
    const QString name = catalogName(language);
    if (name.isEmpty()) {
        loaded_ = true;
        return;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder)) {
        // The dialogs still work, in English.
        Log::notice(LogCategory::app, "Qt's translation " + name.toStdString() + " is not in " +
                                          folder.toStdString() + "; Qt's own dialogs show English");
        return;
    }
    loaded_ = QCoreApplication::installTranslator(translator.get());
    if (loaded_) translator_ = std::move(translator);
}

QtTranslations::~QtTranslations() {
    if (translator_) QCoreApplication::removeTranslator(translator_.get());
}

}  // namespace tessaly
