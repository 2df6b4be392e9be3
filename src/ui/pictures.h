#pragma once

// The program's own pictures, painted rather than shipped: the main icon
// (icon 128), the download list's watermark (icon 131, 128 x 128) and small
// file-type pictures for when the desktop theme has none.

#include <QIcon>
#include <QPixmap>

namespace bramix::ui {

QIcon MainIcon();
QPixmap Watermark(int width, int height);
QIcon FallbackFileIcon(const QString& extension);

}  // namespace bramix::ui
