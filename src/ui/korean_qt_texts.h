#pragma once

// Qt's own texts (message-box buttons, edit menus) in Korean, from Qt's
// translations (qtbase_ko, Debian's qt6-translations-l10n).

#include <QCoreApplication>

namespace bramix::ui {

// True when the translations were found and installed.
bool InstallKoreanQtTexts(QCoreApplication& application);

}  // namespace bramix::ui
