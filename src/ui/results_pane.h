#pragma once

// The results tab: the list of finds and its download button. The rows are
// ResultsList's, row for row; the widget shows them, coloured by their flags,
// and hands the selected ones to the download list.

#include <QObject>
#include <QString>
#include <string_view>

#include "results/results_list.h"

class QPushButton;
class QTreeWidgetItem;

namespace bramix::ui {

class DownloadsPane;
class ReportView;

class ResultsPane : public QObject {
    Q_OBJECT

public:
    // Creates the widgets as children of `window`, which places them.
    explicit ResultsPane(QWidget* window);

    ReportView* list() const { return list_; }
    QPushButton* downloadButton() const { return downloadButton_; }
    const ResultsList& results() const { return results_; }

    // Empties the list, and the line it shows when empty, for a new search.
    void Start(std::string_view searchText);
    // Puts one find into the list at its place.
    void Insert(const FoundFile& found);
    // What the empty list says; empty: nothing.
    void SetEmptyText(const QString& text);

    QString TabCaption() const;
    void SetShown(bool shown);
    void FitColumns(int clientWidth, int referenceWidth);

    // Queues the selected finds that are not queued yet, each once, then
    // starts the queue.
    void QueueSelected(DownloadsPane& downloads);

signals:
    // The download button or the context menu asks to download the selection.
    void downloadAsked();

private:
    // (Re)writes `item` from the row `row` of the results.
    void WriteRow(int row, QTreeWidgetItem* item);
    void ShowMenu(const QPoint& position);

    ReportView* list_;
    QPushButton* downloadButton_;
    ResultsList results_;
};

}  // namespace bramix::ui
