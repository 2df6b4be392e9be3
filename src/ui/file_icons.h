#pragma once

// The small icon of a file type, by file name alone (no file is touched): the
// desktop theme's icon for the name's MIME type, else our own picture. One
// icon per extension.

#include <QIcon>
#include <QString>

namespace bramix::ui {

QIcon FileTypeIcon(const QString& fileName);

}  // namespace bramix::ui
