#include "ui/report_view.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace bramix::ui {

ReportView::ReportView(QWidget* parent) : QTreeWidget(parent) {}

void ReportView::SetEmptyText(const QString& text) {
    emptyText_ = text;
    viewport()->update();
}

QString ReportView::TipAt(const QPoint& position) const {
    const QModelIndex index = indexAt(position);
    if (!index.isValid()) {
        return {};
    }
    if (QString own = index.data(Qt::ToolTipRole).toString(); !own.isEmpty()) {
        return own;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect cell = visualRect(index);
    // The cell's text runs past its column when the text is wider than the
    // cell less its margins and its icon.
    int room =
        cell.width() - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) - 6;
    if (!index.data(Qt::DecorationRole).isNull()) {
        room -= iconSize().width() > 0 ? iconSize().width() + 4 : 20;
    }
    return fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

bool ReportView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = TipAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, viewport());
        }
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void ReportView::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (topLevelItemCount() == 0 && !emptyText_.isEmpty()) {
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8),
                         Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
    }
}

}  // namespace bramix::ui
