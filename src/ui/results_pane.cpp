#include "ui/results_pane.h"

#include <QDesktopServices>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

#include "download/download_plan.h"
#include "ui/ansi_text.h"
#include "ui/downloads_pane.h"
#include "ui/file_icons.h"
#include "ui/list_columns.h"
#include "ui/report_view.h"
#include "ui/strings.h"

namespace bramix::ui {

namespace {

constexpr Columns kColumns = {
    {strings::kResultsFile, Qt::AlignLeft, 300, ColumnWidth::Shared},
    {strings::kResultsSize, Qt::AlignRight, 65, ColumnWidth::LockedFitsSizes},
    {strings::kResultsType, Qt::AlignHCenter, 50, ColumnWidth::Locked},
    {strings::kResultsInfo, Qt::AlignLeft, 145, ColumnWidth::Shared},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, ColumnWidth::Locked},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, ColumnWidth::Locked},
};

constexpr int kFileUrlColumn = 5;

}  // namespace

ResultsPane::ResultsPane(QWidget* window)
    : list_(new ReportView(window)),
      downloadButton_(new QPushButton(QString::fromUtf8(strings::kDownloadSelected), window)) {
    SetUpColumns(list_, kColumns);
    downloadButton_->setEnabled(false);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(downloadButton_, &QPushButton::clicked, this, &ResultsPane::downloadAsked);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            [this] { downloadButton_->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QWidget::customContextMenuRequested, this, &ResultsPane::ShowMenu);
}

void ResultsPane::Start(std::string_view searchText) {
    results_.Start(searchText);
    list_->clear();
    list_->SetEmptyText({});
}

void ResultsPane::Insert(const FoundFile& found) {
    const int row = static_cast<int>(results_.Insert(found));
    auto* item = new QTreeWidgetItem;
    WriteRow(row, item);
    list_->insertTopLevelItem(row, item);
}

void ResultsPane::WriteRow(int row, QTreeWidgetItem* item) {
    const ResultEntry& entry = results_.entries()[row];
    SetRowTexts(item,
                {FromAnsi(entry.name), FromAnsi(entry.sizeText), FromAnsi(entry.typeText),
                 FromAnsi(entry.title), FromAnsi(entry.pageUrl), FromAnsi(entry.fileUrl)},
                kColumns);
    item->setIcon(0, FileTypeIcon("dummy." + FromAnsi(entry.typeText)));
    QBrush background;
    if ((entry.flags & RESULT_MATCHED) != 0) {
        background = (entry.flags & RESULT_UNSIZED_MP3) != 0 ? QColor(255, 245, 195)
                     : (entry.flags & RESULT_MP3) != 0       ? QColor(255, 250, 209)
                                                             : QColor(255, 255, 224);
    }
    for (int column = 0; column < kColumnCount; ++column) {
        item->setBackground(column, background);
        if ((entry.flags & RESULT_QUEUED) != 0) {
            item->setForeground(column, QColor(0, 150, 20));
        }
    }
}

void ResultsPane::SetEmptyText(const QString& text) {
    list_->SetEmptyText(text);
}

QString ResultsPane::TabCaption() const {
    const int count = list_->topLevelItemCount();
    return count > 0 ? QString::fromUtf8(strings::kResultsTabCounted).arg(count)
                     : QString::fromUtf8(strings::kResultsTab);
}

void ResultsPane::SetShown(bool shown) {
    list_->setVisible(shown);
    downloadButton_->setVisible(shown);
}

void ResultsPane::FitColumns(int clientWidth, int referenceWidth) {
    ui::FitColumns(list_, kColumns, clientWidth, referenceWidth);
}

void ResultsPane::QueueSelected(DownloadsPane& downloads) {
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        if (!item->isSelected()) {
            continue;
        }
        const ResultEntry& entry = results_.entries()[row];
        if ((entry.flags & RESULT_QUEUED) != 0) {
            continue;  // a find is queued once only
        }
        downloads.Add(EntryForFind(entry.FileName(), entry.title, entry.fileUrl));
        results_.MarkQueued(static_cast<size_t>(row));
        WriteRow(row, item);
    }
    downloads.RequestStart();
}

void ResultsPane::ShowMenu(const QPoint& position) {
    const int row = SelectRowAt(list_, position);
    if (row < 0) {
        return;
    }
    const QUrl post(FromAnsi(results_.entries()[row].pageUrl));
    QMenu menu(list_->window());
    menu.addAction(QString::fromUtf8(strings::kMenuDownload), this, &ResultsPane::downloadAsked);
    menu.addAction(QString::fromUtf8(strings::kMenuCopyLink), this,
                   [this] { CopyAddresses(list_, kFileUrlColumn); });
    menu.addAction(QString::fromUtf8(strings::kMenuOpenPost), this,
                   [post] { QDesktopServices::openUrl(post); });
    menu.exec(list_->viewport()->mapToGlobal(position));
}

}  // namespace bramix::ui
