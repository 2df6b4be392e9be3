#include "ui/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace bramix::ui {

namespace {

// A pair of beamed eighth notes, the program's mark, in a square of `size`.
void PaintNotes(QPainter& painter, int size, const QColor& colour) {
    const double s = size / 128.0;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(22 * s, 84 * s, 30 * s, 22 * s));
    painter.drawEllipse(QRectF(74 * s, 72 * s, 30 * s, 22 * s));
    painter.drawRect(QRectF(45 * s, 28 * s, 7 * s, 68 * s));
    painter.drawRect(QRectF(97 * s, 16 * s, 7 * s, 68 * s));
    QPainterPath beam;
    beam.moveTo(45 * s, 28 * s);
    beam.lineTo(104 * s, 16 * s);
    beam.lineTo(104 * s, 32 * s);
    beam.lineTo(45 * s, 44 * s);
    beam.closeSubpath();
    painter.drawPath(beam);
}

QPixmap Picture(int size, const QColor& background, const QColor& notes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (background.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(background);
        painter.drawRoundedRect(QRectF(4, 4, size - 8, size - 8), size / 6.0, size / 6.0);
    }
    PaintNotes(painter, size, notes);
    return pixmap;
}

}  // namespace

QIcon MainIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 128}) {
        icon.addPixmap(Picture(size, QColor(44, 110, 190), Qt::white));
    }
    return icon;
}

QPixmap Watermark(int width, int height) {
    const int size = std::min(width, height);
    return Picture(size, Qt::transparent, QColor(44, 110, 190, 40));
}

QIcon FallbackFileIcon(const QString& extension) {
    const QColor colour = extension == "wma"   ? QColor(120, 70, 160)
                          : extension == "zip" ? QColor(150, 110, 40)
                                               : QColor(44, 110, 190);
    return QIcon(Picture(16, Qt::transparent, colour));
}

}  // namespace bramix::ui
