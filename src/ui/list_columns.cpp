#include "ui/list_columns.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>
#include <cstdint>

#include "base/byte_size.h"
#include "ui/ansi_text.h"

namespace bramix::ui {

namespace {

// The widest size text in the list's font, "1023 바이트" among them, with the
// cell's margins.
int SizeTextWidth(const QTreeWidget* list) {
    int widest = 0;
    for (const uint64_t size : {uint64_t{1023}, uint64_t{1022975}, uint64_t{10485759},
                                uint64_t{104857599}, uint64_t{1048575999}, uint64_t{10737418239}}) {
        widest =
            std::max(widest, list->fontMetrics().horizontalAdvance(FromAnsi(FormatByteSize(size))));
    }
    return widest + 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 8;
}

}  // namespace

void SetUpColumns(QTreeWidget* list, const Columns& columns) {
    list->setColumnCount(kColumnCount);
    QStringList headings;
    for (const Column& column : columns) {
        headings << QString::fromUtf8(column.heading);
    }
    list->setHeaderLabels(headings);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);  // label edits are discarded
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    const int sizeTextWidth = SizeTextWidth(list);
    for (int i = 0; i < kColumnCount; ++i) {
        const Column& column = columns[i];
        list->headerItem()->setTextAlignment(i, column.alignment | Qt::AlignVCenter);
        if (column.kind == ColumnWidth::Shared) {
            header->setSectionResizeMode(i, QHeaderView::Interactive);
            continue;
        }
        // Locked columns keep their width whatever the user drags.
        header->resizeSection(i, column.kind == ColumnWidth::LockedFitsSizes
                                     ? std::max(column.width, sizeTextWidth)
                                     : column.width);
        header->setSectionResizeMode(i, QHeaderView::Fixed);
    }
    FitColumns(list, columns, 1, 1);
}

void FitColumns(QTreeWidget* list, const Columns& columns, int clientWidth, int referenceWidth) {
    for (int i = 0; i < kColumnCount; ++i) {
        if (columns[i].kind == ColumnWidth::Shared) {
            list->header()->resizeSection(i, clientWidth * columns[i].width / referenceWidth);
        }
    }
}

void SetRowTexts(QTreeWidgetItem* item, const QStringList& texts, const Columns& columns) {
    for (int i = 0; i < texts.size(); ++i) {
        item->setText(i, texts[i]);
        item->setTextAlignment(i, columns[i].alignment | Qt::AlignVCenter);
    }
}

int SelectRowAt(QTreeWidget* list, const QPoint& position) {
    QTreeWidgetItem* item = list->itemAt(position);
    if (item == nullptr) {
        return -1;
    }
    if (!item->isSelected()) {
        list->clearSelection();
        item->setSelected(true);
    }
    return list->indexOfTopLevelItem(item);
}

void CopyAddresses(QTreeWidget* list, int column) {
    QStringList addresses;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (list->topLevelItem(row)->isSelected()) {
            addresses << list->topLevelItem(row)->text(column);
        }
    }
    QGuiApplication::clipboard()->setText(addresses.join('\n'));
}

}  // namespace bramix::ui
