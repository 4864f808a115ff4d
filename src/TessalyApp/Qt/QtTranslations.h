#pragma once
// Qt's own texts (the colour and file dialogs, the standard buttons) in the
// program's display language: while an instance lives, the application
// reads them from Qt's translation of that language (qtbase_xx.qm, where
// the system keeps Qt's translations). English needs none. Main thread only,
// once the QApplication exists.
#include <QString>

#include <memory>

#include "TessalyCore/AppLanguage.h"

class QTranslator;

namespace tessaly {

class QtTranslations {
public:
    explicit QtTranslations(AppLanguage language);
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Whether Qt's texts now follow the language (always for English).
    bool isLoaded() const { return loaded_; }

    // The name of Qt's translation of a language ("qtbase_de",
    // "qtbase_zh_TW"); empty for English.
    static QString catalogName(AppLanguage language);

private:
    std::unique_ptr<QTranslator> translator_;
    bool loaded_ = false;
};

}  // namespace tessaly
