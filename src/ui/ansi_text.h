#pragma once

// The core's search-side texts are code page 949; the widgets hold UTF-8.

#include <QString>
#include <string>

#include "base/code_page.h"

namespace bramix::ui {

inline QString FromAnsi(const std::string& ansi) {
    return QString::fromStdString(AnsiToUtf8(ansi));
}

inline std::string ToAnsi(const QString& text) {
    return Utf8ToAnsi(text.toStdString());
}

}  // namespace bramix::ui
