#pragma once

// What the results list and the download list share: their columns from one
// table per list (headings, alignments, widths), the alignment of a row's
// texts, and the rows and addresses their context menus act on.

#include <QPoint>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace bramix::ui {

inline constexpr int kColumnCount = 6;  // the last two hold data only

enum class ColumnWidth {
    Shared,          // the user drags it; it keeps its share of the window's width
    Locked,          // fixed at its width
    LockedFitsSizes  // fixed, and at least as wide as the widest size text
};

struct Column {
    const char* heading;
    Qt::Alignment alignment;
    int width;  // at the window's first width
    ColumnWidth kind;
};

using Columns = Column[kColumnCount];

// Headings, alignments, selection and widths. A locked column's width is set
// here only; the shared ones get theirs from FitColumns.
void SetUpColumns(QTreeWidget* list, const Columns& columns);

// Gives each shared column its share of a window `clientWidth` wide, having
// its table width at `referenceWidth`.
void FitColumns(QTreeWidget* list, const Columns& columns, int clientWidth, int referenceWidth);

void SetRowTexts(QTreeWidgetItem* item, const QStringList& texts, const Columns& columns);

// The rows under the mouse: the selection when the row clicked is in it,
// else that row alone. Returns the row clicked, or -1.
int SelectRowAt(QTreeWidget* list, const QPoint& position);

// Puts the `column` texts of the selected rows on the clipboard, a line each.
void CopyAddresses(QTreeWidget* list, int column);

}  // namespace bramix::ui
