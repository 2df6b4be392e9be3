#include "ui/file_icons.h"

#include <QHash>
#include <QMimeDatabase>

#include "ui/pictures.h"

namespace bramix::ui {

QIcon FileTypeIcon(const QString& fileName) {
    static QHash<QString, QIcon> cache;
    const QString extension = fileName.section('.', -1).toLower();
    if (const auto found = cache.constFind(extension); found != cache.constEnd()) {
        return *found;
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(
        type.iconName(), QIcon::fromTheme(type.genericIconName(), FallbackFileIcon(extension)));
    cache.insert(extension, icon);
    return icon;
}

}  // namespace bramix::ui
