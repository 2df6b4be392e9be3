#pragma once

// The downloads tab: the download list and its three buttons. The rows are
// DownloadQueue's, row for row; the pane owns the queue, shows each entry's
// state and progress, and opens and removes entries.

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "download/download_queue.h"

class QPushButton;

namespace bramix::ui {

class DownloadListView;

class DownloadsPane : public QObject {
    Q_OBJECT

public:
    // Creates the queue, downloading into `folder`, and the widgets as
    // children of `window`, which places them.
    DownloadsPane(std::string folder, QWidget* window);
    ~DownloadsPane() override;

    DownloadListView* list() const { return list_; }
    QPushButton* stopButton() const { return stopButton_; }
    QPushButton* removeButton() const { return removeButton_; }
    QPushButton* openFolderButton() const { return openFolderButton_; }
    const DownloadQueue& queue() const { return *queue_; }

    // Queues an entry (download/download_plan.h makes one of a find) and
    // shows its row; RequestStart after the last one.
    void Add(DownloadEntry entry);
    void RequestStart();

    // Removes the selected entries, all but the one transferring.
    void RemoveSelected();
    // True when `widget` is the list or its viewport (where Delete removes).
    bool IsList(const QObject* widget) const;

    // Closing: stops the queue, removes its partial files and leaves the
    // rows as they are.
    void Close();

    QString TabCaption() const;
    void SetShown(bool shown);
    void FitColumns(int clientWidth, int referenceWidth);

signals:
    // The rows, the buttons and the tab caption may have changed.
    void listChanged();

private:
    void CreateWidgets(QWidget* window);
    void Connect();
    // (Re)writes the widget row `row` from the queue's entry `row`.
    void SyncRow(int row);
    void SyncList();
    QString StopCaption() const;
    void OpenFile(int row);
    void OpenFolder();
    void ShowMenu(const QPoint& position);

    std::unique_ptr<DownloadQueue> queue_;
    DownloadListView* list_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* openFolderButton_ = nullptr;
    bool closing_ = false;
};

}  // namespace bramix::ui
