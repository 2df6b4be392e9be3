#pragma once

// Dialog units to pixels as Windows converts them: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of
// its line height.

#include <cmath>

namespace bramix::ui {

struct DialogBaseUnits {
    int x;  // round(width of "A".."Z" "a".."z" / 52)
    int y;  // the font's line height
};

inline int DialogUnitsToPixelsX(int du, DialogBaseUnits base) {
    return static_cast<int>(std::lround(du * base.x / 4.0));
}

inline int DialogUnitsToPixelsY(int du, DialogBaseUnits base) {
    return static_cast<int>(std::lround(du * base.y / 8.0));
}

}  // namespace bramix::ui
