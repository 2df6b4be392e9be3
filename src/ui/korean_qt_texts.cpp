#include "ui/korean_qt_texts.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace bramix::ui {

bool InstallKoreanQtTexts(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load("qtbase_ko", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return application.installTranslator(translator);
}

}  // namespace bramix::ui
