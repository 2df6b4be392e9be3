#include "ui/download_list_view.h"

#include <QPainter>

namespace bramix::ui {

DownloadListView::DownloadListView(QWidget* parent) : QTreeWidget(parent) {}

void DownloadListView::paintEvent(QPaintEvent* event) {
    if (!watermark_.isNull()) {
        QPainter painter(viewport());
        const QRect area = viewport()->rect();
        painter.drawPixmap(area.right() - watermark_.width(), area.bottom() - watermark_.height(),
                           watermark_);
    }
    QTreeWidget::paintEvent(event);
}

}  // namespace bramix::ui
