#include "ui/downloads_pane.h"

#include <QDesktopServices>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "ui/download_list_view.h"
#include "ui/download_texts.h"
#include "ui/file_icons.h"
#include "ui/list_columns.h"
#include "ui/pictures.h"
#include "ui/strings.h"

namespace bramix::ui {

namespace {

constexpr int kStateColumn = 3;
constexpr int kFileUrlColumn = 5;

constexpr Columns kColumns = {
    {strings::kDownloadsFile, Qt::AlignLeft, 300, ColumnWidth::Shared},
    {strings::kDownloadsSize, Qt::AlignRight, 65, ColumnWidth::LockedFitsSizes},
    {strings::kDownloadsInfo, Qt::AlignLeft, 130, ColumnWidth::Shared},
    {strings::kDownloadsState, Qt::AlignHCenter, 65, ColumnWidth::LockedFitsSizes},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, ColumnWidth::Locked},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, ColumnWidth::Locked},
};

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

DownloadsPane::DownloadsPane(std::string folder, QWidget* window) {
    // The queue first: its texts caption the buttons.
    DownloadQueue::Listener listener;
    listener.entryChanged = [this](int row) { SyncRow(row); };
    listener.listChanged = [this] { SyncList(); };
    queue_ = std::make_unique<DownloadQueue>(
        std::move(folder),
        [this](std::function<void()> task) {
            QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
        },
        listener);
    CreateWidgets(window);
    Connect();
}

DownloadsPane::~DownloadsPane() = default;

void DownloadsPane::CreateWidgets(QWidget* window) {
    list_ = new DownloadListView(kStateColumn, window);
    stopButton_ = new QPushButton(StopCaption(), window);
    removeButton_ = new QPushButton(QString::fromUtf8(strings::kRemoveDone), window);
    openFolderButton_ = new QPushButton(QString::fromUtf8(strings::kOpenFolder), window);
    openFolderButton_->setToolTip(QString::fromStdString(queue_->folder()));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->SetWatermark(Watermark(128, 128));
    SetUpColumns(list_, kColumns);
    stopButton_->setEnabled(false);
    removeButton_->setEnabled(false);
}

void DownloadsPane::Connect() {
    connect(stopButton_, &QPushButton::clicked, this, [this] { queue_->StartOrStop(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { queue_->RemoveCompleted(); });
    connect(openFolderButton_, &QPushButton::clicked, this, &DownloadsPane::OpenFolder);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenFile(list_->indexOfTopLevelItem(item)); });
    connect(list_, &QWidget::customContextMenuRequested, this, &DownloadsPane::ShowMenu);
}

void DownloadsPane::Add(DownloadEntry entry) {
    const int row = queue_->Add(std::move(entry));
    list_->insertTopLevelItem(row, new QTreeWidgetItem);
    SyncRow(row);
}

void DownloadsPane::RequestStart() {
    queue_->RequestStart();
}

void DownloadsPane::SyncRow(int row) {
    if (closing_ || row >= list_->topLevelItemCount()) {
        return;
    }
    const DownloadEntry& entry = queue_->entries()[row];
    QTreeWidgetItem* item = list_->topLevelItem(row);
    const QString name = Text(entry.fileName);
    SetRowTexts(item,
                {name, Text(SizeText(entry)), Text(entry.title), Text(StateText(entry)), QString(),
                 Text(entry.fileUrl)},
                kColumns);
    item->setIcon(0, FileTypeIcon(name));
    const int percent = ProgressPercent(entry);
    item->setData(kStateColumn, kPercentRole, percent >= 0 ? QVariant(percent) : QVariant());
    const QString tip = Text(ProgressTip(entry));
    for (int column = 0; column < kColumnCount; ++column) {
        item->setToolTip(column, tip);
    }
}

void DownloadsPane::SyncList() {
    if (closing_) {
        return;
    }
    const int rows = static_cast<int>(queue_->entries().size());
    // Removal takes done rows out of the middle: rebuild from the queue's rows.
    if (list_->topLevelItemCount() != rows) {
        list_->clear();
        for (int row = 0; row < rows; ++row) {
            list_->addTopLevelItem(new QTreeWidgetItem);
        }
    }
    for (int row = 0; row < rows; ++row) {
        SyncRow(row);
    }
    stopButton_->setEnabled(queue_->CanStartOrStop());
    stopButton_->setText(StopCaption());
    removeButton_->setEnabled(queue_->CanRemoveCompleted());
    emit listChanged();
}

QString DownloadsPane::TabCaption() const {
    return Text(
        DownloadsTabCaption(queue_->completed(), static_cast<int>(queue_->entries().size())));
}

QString DownloadsPane::StopCaption() const {
    return Text(StartOrStopCaption(queue_->StopOffersStart()));
}

void DownloadsPane::SetShown(bool shown) {
    for (QWidget* widget :
         {static_cast<QWidget*>(list_), static_cast<QWidget*>(stopButton_),
          static_cast<QWidget*>(removeButton_), static_cast<QWidget*>(openFolderButton_)}) {
        widget->setVisible(shown);
    }
}

void DownloadsPane::FitColumns(int clientWidth, int referenceWidth) {
    ui::FitColumns(list_, kColumns, clientWidth, referenceWidth);
}

bool DownloadsPane::IsList(const QObject* widget) const {
    return widget == list_ || widget == list_->viewport();
}

void DownloadsPane::Close() {
    closing_ = true;
    queue_->Close();
    queue_->DiscardPartialFiles();  // nothing half-done is left behind
}

void DownloadsPane::OpenFile(int row) {
    if (row < 0 || row >= static_cast<int>(queue_->entries().size())) {
        return;
    }
    const DownloadEntry& entry = queue_->entries()[row];
    if (entry.state == DownloadState::Done) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(entry.path)));
    }
}

void DownloadsPane::OpenFolder() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(queue_->folder())));
}

void DownloadsPane::RemoveSelected() {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : list_->selectedItems()) {
        rows.push_back(list_->indexOfTopLevelItem(item));
    }
    std::sort(rows.rbegin(), rows.rend());  // from the bottom: rows above keep their places
    for (const int row : rows) {
        queue_->Remove(row);  // the running one stays
    }
}

void DownloadsPane::ShowMenu(const QPoint& position) {
    const int row = SelectRowAt(list_, position);
    if (row < 0) {
        return;
    }
    bool removable = false;
    for (QTreeWidgetItem* item : list_->selectedItems()) {
        removable = removable || queue_->CanRemove(list_->indexOfTopLevelItem(item));
    }
    QMenu menu(list_->window());
    menu.addAction(QString::fromUtf8(strings::kMenuOpenFile), this, [this, row] { OpenFile(row); })
        ->setEnabled(queue_->entries()[row].state == DownloadState::Done);
    menu.addAction(QString::fromUtf8(strings::kMenuOpenFolder), this, &DownloadsPane::OpenFolder);
    menu.addAction(QString::fromUtf8(strings::kMenuCopyLink), this,
                   [this] { CopyAddresses(list_, kFileUrlColumn); });
    menu.addAction(QString::fromUtf8(strings::kMenuRemove), this, &DownloadsPane::RemoveSelected)
        ->setEnabled(removable);
    menu.exec(list_->viewport()->mapToGlobal(position));
}

}  // namespace bramix::ui
