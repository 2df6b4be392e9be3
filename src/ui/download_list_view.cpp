#include "ui/download_list_view.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace bramix::ui {

namespace {

// A bar in the cell, filled to the percent, with the percent on it; drawn in
// the row's own colours, so that a selected row keeps it readable.
class ProgressDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant percent = index.data(kPercentRole);
        if (!percent.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : nullptr;
        if (style != nullptr) {
            style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
        }
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QColor ink =
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        QColor fill = selected ? ink : option.palette.color(QPalette::Highlight);
        fill.setAlpha(selected ? 90 : 110);
        QColor frame = ink;
        frame.setAlpha(120);

        const QRect bar = option.rect.adjusted(3, 3, -4, -4);
        const int value = std::clamp(percent.toInt(), 0, 100);
        painter->save();
        painter->setPen(frame);
        painter->drawRect(bar);
        painter->fillRect(
            QRect(bar.left() + 1, bar.top() + 1, (bar.width() - 1) * value / 100, bar.height() - 1),
            fill);
        painter->setPen(ink);
        painter->drawText(bar, Qt::AlignCenter, QString::number(value) + "%");
        painter->restore();
    }
};

}  // namespace

DownloadListView::DownloadListView(int stateColumn, QWidget* parent) : ReportView(parent) {
    setItemDelegateForColumn(stateColumn, new ProgressDelegate(this));
}

void DownloadListView::paintEvent(QPaintEvent* event) {
    if (!watermark_.isNull()) {
        QPainter painter(viewport());
        const QRect area = viewport()->rect();
        painter.drawPixmap(area.right() - watermark_.width(), area.bottom() - watermark_.height(),
                           watermark_);
    }
    ReportView::paintEvent(event);
}

}  // namespace bramix::ui
