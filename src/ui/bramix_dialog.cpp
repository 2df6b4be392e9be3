#include "ui/bramix_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSizeGrip>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/byte_size.h"
#include "base/code_page.h"
#include "base/debug_trace.h"
#include "base/text_helpers.h"
#include "download/disk_names.h"
#include "ui/download_list_view.h"
#include "ui/file_icons.h"
#include "ui/link_label.h"
#include "ui/pictures.h"
#include "ui/strings.h"
#include "ui/version_info.h"

namespace bramix::ui {

namespace {

QString FromAnsi(const std::string& ansi) {
    return QString::fromStdString(AnsiToUtf8(ansi));
}

std::string ToAnsi(const QString& text) {
    return Utf8ToAnsi(text.toStdString());
}

const char* ControlName(int id) {
    switch (id) {
        case IDC_QUERY:
            return "IDC_QUERY";
        case IDC_SEARCH:
            return "IDC_SEARCH";
        case IDC_RESULTS:
            return "IDC_RESULTS";
        case IDC_DOWNLOAD_SELECTED:
            return "IDC_DOWNLOAD_SELECTED";
        case IDC_TAB:
            return "IDC_TAB";
        case IDC_DOWNLOADS:
            return "IDC_DOWNLOADS";
        case IDC_STOP_DOWNLOAD:
            return "IDC_STOP_DOWNLOAD";
        case IDC_REMOVE_DONE:
            return "IDC_REMOVE_DONE";
        case IDC_PROGRESS:
            return "IDC_PROGRESS";
        case IDC_OPEN_FOLDER:
            return "IDC_OPEN_FOLDER";
        case IDC_HOME_LINK:
            return "IDC_HOME_LINK";
        case IDC_INTRO_LINK:
            return "IDC_INTRO_LINK";
        case IDC_SIZE_GRIPPER:
            return "IDC_SIZE_GRIPPER";
        default:
            return "";
    }
}

// The dialog's resize map.
const std::vector<ResizeMapEntry>& ResizeMap() {
    static const std::vector<ResizeMapEntry> map = {
        {IDC_QUERY, RESIZE_SIZE_X},
        {IDC_SEARCH, RESIZE_MOVE_X},
        {IDC_TAB, RESIZE_SIZE_X | RESIZE_SIZE_Y},
        {IDC_RESULTS, RESIZE_SIZE_X | RESIZE_SIZE_Y},
        {IDC_DOWNLOAD_SELECTED, RESIZE_MOVE_Y},
        {IDC_REMOVE_DONE, RESIZE_MOVE_Y},
        {IDC_OPEN_FOLDER, RESIZE_MOVE_X | RESIZE_MOVE_Y},
        {IDC_PROGRESS, RESIZE_SIZE_X | RESIZE_MOVE_Y},
        {IDC_INTRO_LINK, RESIZE_MOVE_X},
    };
    return map;
}

// Column headings, alignments and widths; columns 4 and 5 hold data only.
struct Column {
    const char* heading;
    Qt::Alignment alignment;
    int width;
    bool locked;
};

const Column kResultColumns[] = {
    {strings::kResultsFile, Qt::AlignLeft, 300, false},
    {strings::kResultsSize, Qt::AlignRight, 65, true},
    {strings::kResultsType, Qt::AlignHCenter, 50, true},
    {strings::kResultsInfo, Qt::AlignLeft, 145, false},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, true},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, true},
};

constexpr int kDownloadSizeColumn = 1;
constexpr int kDownloadStateColumn = 3;
constexpr int kDownloadFileUrlColumn = 5;
constexpr int kResultSizeColumn = 1;
constexpr int kResultFileUrlColumn = 5;

const Column kDownloadColumns[] = {
    {strings::kDownloadsFile, Qt::AlignLeft, 300, false},
    {strings::kDownloadsSize, Qt::AlignRight, 65, true},
    {strings::kDownloadsInfo, Qt::AlignLeft, 130, false},
    {strings::kDownloadsState, Qt::AlignHCenter, 65, true},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, true},
    {strings::kHiddenColumn, Qt::AlignLeft, 0, true},
};

void SetUpColumns(QTreeWidget* list, const Column (&columns)[6]) {
    list->setColumnCount(6);
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
    for (int i = 0; i < 6; ++i) {
        header->resizeSection(i, columns[i].width);
        list->headerItem()->setTextAlignment(i, columns[i].alignment | Qt::AlignVCenter);
        // Locked columns keep their width whatever the user drags.
        header->setSectionResizeMode(
            i, columns[i].locked ? QHeaderView::Fixed : QHeaderView::Interactive);
    }
}

void SetRowTexts(QTreeWidgetItem* item, const QStringList& texts, const Column (&columns)[6]) {
    for (int i = 0; i < texts.size(); ++i) {
        item->setText(i, texts[i]);
        item->setTextAlignment(i, columns[i].alignment | Qt::AlignVCenter);
    }
}

}  // namespace

BramixDialog::BramixDialog(std::string downloadFolder, QUrl guide, QWidget* parent)
    : QDialog(parent), downloadFolder_(std::move(downloadFolder)) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    QFont dialogFont;
    dialogFont.setFamilies({"굴림", "Gulim", "NanumGothic", "Nanum Gothic", "NanumBarunGothic"});
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    const QFontMetrics metrics(font());
    base_.y = metrics.height();
    base_.x = static_cast<int>(std::lround(
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0));
    resize(DialogRect(0, 0, 362, 345).size());

    // The queue first: its texts caption the download controls.
    DownloadQueue::Listener listener;
    listener.entryChanged = [this](int row) { SyncDownloadRow(row); };
    listener.listChanged = [this] { SyncDownloadList(); };
    downloads_ = std::make_unique<DownloadQueue>(
        downloadFolder_,
        [this](std::function<void()> task) {
            QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
        },
        listener);
    CreateControls();

    // Initialisation, in the order the window was always set up.
    setWindowIcon(MainIcon());
    gripper_ = new QSizeGrip(this);
    gripper_->setObjectName(ControlName(IDC_SIZE_GRIPPER));
    gripper_->resize(gripper_->sizeHint());
    gripper_->move(width() - gripper_->width(), height() - gripper_->height());
    layout_.Init(ResizeMap(), *this, {width(), height()}, Current(IDC_SIZE_GRIPPER),
                 Size{width(), height()});
    setMinimumSize(width(), height());  // never smaller than at initialisation

    tabBar_->addTab(QString::fromUtf8(strings::kResultsTab));
    tabBar_->addTab(FromAnsi(downloads_->TabCaption()));
    downloadsList_->SetWatermark(Watermark(128, 128));
    SetUpLists();
    downloadButton_->setEnabled(false);
    progress_->hide();
    stopDownloadButton_->setEnabled(false);
    removeDoneButton_->setEnabled(false);
    ShowTab(0);

    FileVersionInfo version;
    version.Read(ExecutablePath());
    setWindowTitle(QString::fromStdString(VersionTitle(strings::kProgramName, version)));

    resize(std::max(640, minimumWidth()), std::max(480, minimumHeight()));
    refClientWidth_ = width();
    homeLink_->SetUrl(guide);
    QUrl usage = guide;
    usage.setFragment("usage");
    introLink_->SetUrl(usage);
    qApp->installEventFilter(this);
}

BramixDialog::~BramixDialog() {
    DebugTrace("~CBramixDlg...\n");
    qApp->removeEventFilter(this);
    Shutdown();
}

void BramixDialog::Shutdown() {
    closing_ = true;
    StopSearch();
    downloads_->Close();
    downloads_->DiscardPartialFiles();  // nothing half-done is left behind
    // The stop reaches the fetch under way, so the search thread ends now.
    if (searchThread_.joinable()) {
        searchThread_.join();
    }
}

QRect BramixDialog::DialogRect(int x, int y, int width, int height) const {
    return QRect(DialogUnitsToPixelsX(x, base_), DialogUnitsToPixelsY(y, base_),
                 DialogUnitsToPixelsX(width, base_), DialogUnitsToPixelsY(height, base_));
}

void BramixDialog::CreateControls() {
    auto place = [this](QWidget* widget, int id, QRect rect) {
        if (id != 0) {
            widget->setObjectName(ControlName(id));
            controls_[id] = widget;
        }
        widget->setGeometry(rect);
    };
    auto* label = new QLabel(QString::fromUtf8(strings::kQueryLabel), this);
    place(label, 0, DialogRect(7, 34, 51, 8));

    query_ = new QComboBox(this);
    query_->setEditable(true);
    query_->setInsertPolicy(QComboBox::NoInsert);  // no search is remembered
    // The template's 30 units include the drop-down list; the box is its own height.
    QRect queryRect = DialogRect(60, 31, 239, 30);
    queryRect.setHeight(query_->sizeHint().height());
    place(query_, IDC_QUERY, queryRect);
    label->setBuddy(query_);

    searchButton_ = new QPushButton(QString::fromUtf8(strings::kSearch), this);
    searchButton_->setDefault(true);
    place(searchButton_, IDC_SEARCH, DialogRect(305, 29, 50, 17));

    resultsList_ = new ReportView(this);
    place(resultsList_, IDC_RESULTS, DialogRect(13, 78, 335, 229));

    downloadButton_ = new QPushButton(QString::fromUtf8(strings::kDownloadSelected), this);
    place(downloadButton_, IDC_DOWNLOAD_SELECTED, DialogRect(13, 312, 80, 17));

    downloadsList_ = new DownloadListView(kDownloadStateColumn, this);
    place(downloadsList_, IDC_DOWNLOADS, DialogRect(312, 310, 23, 24));

    stopDownloadButton_ = new QPushButton(FromAnsi(downloads_->StopButtonCaption()), this);
    place(stopDownloadButton_, IDC_STOP_DOWNLOAD, DialogRect(246, 321, 51, 13));

    removeDoneButton_ = new QPushButton(QString::fromUtf8(strings::kRemoveDone), this);
    place(removeDoneButton_, IDC_REMOVE_DONE, DialogRect(97, 312, 80, 17));

    openFolderButton_ = new QPushButton(QString::fromUtf8(strings::kOpenFolder), this);
    place(openFolderButton_, IDC_OPEN_FOLDER, DialogRect(268, 312, 80, 17));

    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    place(progress_, IDC_PROGRESS, DialogRect(97, 315, 251, 11));

    // The tab control: the tabs and the pane under the lists. It lies below
    // every control that overlaps it.
    tabArea_ = new QWidget(this);
    auto* tabLayout = new QVBoxLayout(tabArea_);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->setSpacing(0);
    tabBar_ = new QTabBar(tabArea_);
    tabBar_->setDrawBase(false);
    auto* pane = new QFrame(tabArea_);
    pane->setFrameShape(QFrame::StyledPanel);
    tabLayout->addWidget(tabBar_);
    tabLayout->addWidget(pane, 1);
    place(tabArea_, IDC_TAB, DialogRect(7, 58, 348, 279));
    tabArea_->lower();

    // One line of text is one font height; the hover's underline lies below
    // it, so the labels get room for it.
    auto placeLink = [&](LinkLabel* link, int id, QRect rect) {
        const QFontMetrics metrics(link->font());
        rect.setHeight(std::max(
            rect.height(), metrics.ascent() + metrics.underlinePos() + metrics.lineWidth() + 1));
        place(link, id, rect);
    };
    homeLink_ = new LinkLabel(QString::fromUtf8(strings::kHomeLink), this);
    placeLink(homeLink_, IDC_HOME_LINK, DialogRect(62, 9, 87, 8));
    introLink_ = new LinkLabel(QString::fromUtf8(strings::kIntroLink), this);
    placeLink(introLink_, IDC_INTRO_LINK, DialogRect(292, 9, 63, 8));

    connect(searchButton_, &QPushButton::clicked, this, &BramixDialog::OnSearch);
    connect(downloadButton_, &QPushButton::clicked, this, &BramixDialog::QueueSelectedResults);
    connect(stopDownloadButton_, &QPushButton::clicked, this,
            [this] { downloads_->StartOrStop(); });
    connect(removeDoneButton_, &QPushButton::clicked, this,
            [this] { downloads_->RemoveCompleted(); });
    connect(openFolderButton_, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(downloadFolder_)));
    });
    connect(tabBar_, &QTabBar::currentChanged, this, [this] { ShowTab(-1); });
    connect(resultsList_, &QTreeWidget::itemSelectionChanged, this,
            [this] { downloadButton_->setEnabled(!resultsList_->selectedItems().isEmpty()); });
    connect(downloadsList_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        OpenDownloadedFile(downloadsList_->indexOfTopLevelItem(item));
    });
    openFolderButton_->setToolTip(QString::fromStdString(downloadFolder_));
    for (QTreeWidget* list :
         {static_cast<QTreeWidget*>(resultsList_), static_cast<QTreeWidget*>(downloadsList_)}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
    }
    connect(resultsList_, &QWidget::customContextMenuRequested, this,
            &BramixDialog::ShowResultsMenu);
    connect(downloadsList_, &QWidget::customContextMenuRequested, this,
            &BramixDialog::ShowDownloadsMenu);
}

void BramixDialog::SetUpLists() {
    SetUpColumns(resultsList_, kResultColumns);
    SetUpColumns(downloadsList_, kDownloadColumns);
    // The locked columns that show sizes are as wide as the widest size text
    // in the window's font, "1023 바이트" among them.
    int widest = 0;
    for (const uint64_t size : {uint64_t{1023}, uint64_t{1022975}, uint64_t{10485759},
                                uint64_t{104857599}, uint64_t{1048575999}, uint64_t{10737418239}}) {
        widest = std::max(
            widest, resultsList_->fontMetrics().horizontalAdvance(FromAnsi(FormatByteSize(size))));
    }
    const int needed =
        widest + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, resultsList_) + 8;
    const std::pair<QTreeWidget*, int> sizeColumns[] = {{resultsList_, kResultSizeColumn},
                                                        {downloadsList_, kDownloadSizeColumn},
                                                        {downloadsList_, kDownloadStateColumn}};
    for (const auto& [list, column] : sizeColumns) {
        list->header()->resizeSection(column,
                                      std::max(list->header()->sectionSize(column), needed));
    }
}

QWidget* BramixDialog::Control(int id) const {
    if (id == IDC_SIZE_GRIPPER) {
        return gripper_;
    }
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

bool BramixDialog::Exists(int id) const {
    return Control(id) != nullptr;
}

Rect BramixDialog::Current(int id) const {
    const QRect g = Control(id)->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void BramixDialog::Place(int id, const Rect& rect) {
    Control(id)->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void BramixDialog::Repaint(int id) {
    Control(id)->update();
}

void BramixDialog::ShowTab(int index) {
    if (index == -1) {
        index = tabBar_->currentIndex();
    } else if (index != tabBar_->currentIndex()) {
        const QSignalBlocker blocker(tabBar_);
        tabBar_->setCurrentIndex(index);
    }
    if (index == 0) {
        resultsList_->show();
        downloadButton_->show();
        if (searching()) {
            progress_->show();
        }
        for (QWidget* widget :
             {static_cast<QWidget*>(downloadsList_), static_cast<QWidget*>(stopDownloadButton_),
              static_cast<QWidget*>(removeDoneButton_), static_cast<QWidget*>(openFolderButton_)}) {
            widget->hide();
        }
    } else if (index == 1) {
        resultsList_->hide();
        downloadButton_->hide();
        progress_->hide();
        for (QWidget* widget :
             {static_cast<QWidget*>(downloadsList_), static_cast<QWidget*>(stopDownloadButton_),
              static_cast<QWidget*>(removeDoneButton_), static_cast<QWidget*>(openFolderButton_)}) {
            widget->show();
        }
    }
}

void BramixDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (gripper_ != nullptr) {
        gripper_->setVisible(!isMaximized());
    }
    if (isMinimized() || layout_.records().empty()) {
        return;
    }
    layout_.Update(width(), height(), *this);
    // The two lists and the two buttons share one place; the tab decides.
    downloadsList_->setGeometry(resultsList_->geometry());
    stopDownloadButton_->setGeometry(downloadButton_->geometry());
    if (refClientWidth_ > 0) {
        const int cx = width();
        resultsList_->header()->resizeSection(0, cx * 300 / refClientWidth_);
        resultsList_->header()->resizeSection(3, cx * 145 / refClientWidth_);
        downloadsList_->header()->resizeSection(0, cx * 300 / refClientWidth_);
        downloadsList_->header()->resizeSection(2, cx * 130 / refClientWidth_);
    }
}

bool BramixDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                StopSearch();
                return true;  // Escape never closes the window
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                StopSearch();
                restartSearch_ = true;
            }
            if (key == Qt::Key_Delete &&
                (widget == downloadsList_ || widget == downloadsList_->viewport())) {
                RemoveSelectedDownloads();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void BramixDialog::reject() {
    StopSearch();
}

void BramixDialog::closeEvent(QCloseEvent* event) {
    DebugTrace("OnClose...\n");
    if (downloads_->busy()) {
        const auto answer = QMessageBox::question(this, QString::fromUtf8(strings::kProgramName),
                                                  QString::fromUtf8(strings::kConfirmClose),
                                                  QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    Shutdown();
    event->accept();
    done(QDialog::Rejected);
}

// ---- Searching ----

void BramixDialog::OnSearch() {
    if (searching()) {
        StopSearch();
        return;
    }
    std::string text = ToAnsi(query_->currentText());
    TrimSpaces(text);
    if (text.empty()) {
        return;
    }
    results_.Start(text);
    restartSearch_ = false;
    resultsList_->clear();
    resultsList_->SetEmptyText({});
    UpdateResultsTabCaption();
    job_.input = text;
    job_.stopFlag = 0;
    job_.listener = &searchEvents_;
    searchThread_ = std::thread(SearchThreadProc, &job_);
    searchButton_->setText(QString::fromUtf8(strings::kStop));
    ShowTab(0);
}

void BramixDialog::StopSearch() {
    if (!searching() || job_.stopFlag != 0) {
        return;
    }
    DebugTrace("StopSearch...\n");
    job_.stopFlag = 1;
    if (!closing_) {
        searchButton_->setEnabled(false);  // until the job has ended
    }
}

// On the search thread: everything goes over to the window's thread. The
// listener is part of the window, so the posted calls may use it.
void BramixDialog::SearchEvents::OnRange(int maximum) {
    QMetaObject::invokeMethod(
        &dialog_, [this, maximum] { dialog_.progress_->setRange(0, maximum); },
        Qt::QueuedConnection);
}

void BramixDialog::SearchEvents::OnPosition(int position, int /*maximum*/) {
    QMetaObject::invokeMethod(
        &dialog_,
        [this, position] {
            dialog_.progress_->setValue(position);
            dialog_.UpdateResultsTabCaption();
        },
        Qt::QueuedConnection);
}

void BramixDialog::SearchEvents::OnFound(const FoundFile& found) {
    QMetaObject::invokeMethod(
        &dialog_, [this, found] { dialog_.InsertFound(found); }, Qt::QueuedConnection);
}

void BramixDialog::SearchEvents::OnEnd() {
    DebugTrace("WM_BRAMIX_ENDSEARCHMP3...\n");
    QMetaObject::invokeMethod(
        &dialog_, [this] { dialog_.OnEndSearch(); }, Qt::QueuedConnection);
}

void BramixDialog::OnEndSearch() {
    DebugTrace("OnEndSearch...\n");
    if (closing_ || !searchThread_.joinable()) {
        return;
    }
    DebugTrace("WaitForEndSearch... ");
    searchThread_.join();
    DebugTrace(" (^ㅠ^;;");
    DebugTrace("\n");
    searchButton_->setText(QString::fromUtf8(strings::kSearch));
    searchButton_->setEnabled(true);
    progress_->hide();
    if (results_.entries().empty()) {
        resultsList_->SetEmptyText(
            job_.stats.NothingRead()
                ? QString::fromUtf8(strings::kServicesUnreachable) + "\n" +
                      QString::fromStdString(AnsiToUtf8(job_.stats.FirstError()))
                : QString::fromUtf8(strings::kNothingFound));
    }
    if (restartSearch_) {
        restartSearch_ = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!searching()) {
                    OnSearch();
                }
            },
            Qt::QueuedConnection);
    }
}

void BramixDialog::InsertFound(const FoundFile& found) {
    if (closing_) {
        return;
    }
    const int row = static_cast<int>(results_.Insert(found));
    const ResultEntry& entry = results_.entries()[row];
    auto* item = new QTreeWidgetItem;
    SetRowTexts(item,
                {FromAnsi(entry.name), FromAnsi(entry.sizeText), FromAnsi(entry.typeText),
                 FromAnsi(entry.title), FromAnsi(entry.pageUrl), FromAnsi(entry.fileUrl)},
                kResultColumns);
    item->setIcon(0, FileTypeIcon("dummy." + FromAnsi(entry.typeText)));
    resultsList_->insertTopLevelItem(row, item);
    PaintResultRow(row);
}

void BramixDialog::PaintResultRow(int row) {
    const uint32_t flags = results_.entries()[row].flags;
    QTreeWidgetItem* item = resultsList_->topLevelItem(row);
    QBrush background;
    if ((flags & RESULT_MATCHED) != 0) {
        background = (flags & RESULT_UNSIZED_MP3) != 0 ? QColor(255, 245, 195)
                     : (flags & RESULT_MP3) != 0       ? QColor(255, 250, 209)
                                                       : QColor(255, 255, 224);
    }
    for (int column = 0; column < 6; ++column) {
        item->setBackground(column, background);
        if ((flags & RESULT_QUEUED) != 0) {
            item->setForeground(column, QColor(0, 150, 20));
        }
    }
}

void BramixDialog::UpdateResultsTabCaption() {
    const int count = resultsList_->topLevelItemCount();
    tabBar_->setTabText(0, count > 0 ? QString::fromUtf8(strings::kResultsTabCounted).arg(count)
                                     : QString::fromUtf8(strings::kResultsTab));
}

// ---- Downloading ----

void BramixDialog::QueueSelectedResults() {
    for (int row = 0; row < resultsList_->topLevelItemCount(); ++row) {
        if (!resultsList_->topLevelItem(row)->isSelected()) {
            continue;
        }
        const ResultEntry& entry = results_.entries()[row];
        if ((entry.flags & RESULT_QUEUED) != 0) {
            continue;  // a find is queued once only
        }
        const int downloadRow = downloads_->Add(entry.FileName(), entry.title, entry.fileUrl);
        results_.MarkQueued(static_cast<size_t>(row));
        PaintResultRow(row);
        auto* item = new QTreeWidgetItem;
        downloadsList_->insertTopLevelItem(downloadRow, item);
        SyncDownloadRow(downloadRow);
    }
    downloads_->RequestStart();
}

void BramixDialog::SyncDownloadRow(int row) {
    if (closing_ || row >= downloadsList_->topLevelItemCount()) {
        return;
    }
    const DownloadEntry& entry = downloads_->entries()[row];
    QTreeWidgetItem* item = downloadsList_->topLevelItem(row);
    const QString name = FromAnsi(entry.fileName);
    SetRowTexts(item,
                {name, FromAnsi(entry.sizeText), FromAnsi(entry.title), FromAnsi(entry.statusText),
                 QString(), FromAnsi(entry.fileUrl)},
                kDownloadColumns);
    item->setIcon(0, FileTypeIcon(name));
    const int percent = ProgressPercent(entry);
    item->setData(kDownloadStateColumn, kPercentRole,
                  percent >= 0 ? QVariant(percent) : QVariant());
    const QString tip = FromAnsi(ProgressTip(entry));
    for (int column = 0; column < static_cast<int>(std::size(kDownloadColumns)); ++column) {
        item->setToolTip(column, tip);
    }
}

void BramixDialog::SyncDownloadList() {
    if (closing_) {
        return;
    }
    const int rows = static_cast<int>(downloads_->entries().size());
    // Removal takes done rows out of the middle: rebuild from the queue's rows.
    if (downloadsList_->topLevelItemCount() != rows) {
        downloadsList_->clear();
        for (int row = 0; row < rows; ++row) {
            downloadsList_->addTopLevelItem(new QTreeWidgetItem);
        }
    }
    for (int row = 0; row < rows; ++row) {
        SyncDownloadRow(row);
    }
    stopDownloadButton_->setEnabled(downloads_->stopButtonEnabled());
    stopDownloadButton_->setText(
        QString::fromStdString(AnsiToUtf8(downloads_->StopButtonCaption())));
    removeDoneButton_->setEnabled(downloads_->removeButtonEnabled());
    tabBar_->setTabText(1, FromAnsi(downloads_->TabCaption()));
}

void BramixDialog::OpenDownloadedFile(int row) {
    if (row < 0 || row >= static_cast<int>(downloads_->entries().size())) {
        return;
    }
    const DownloadEntry& entry = downloads_->entries()[row];
    if (entry.state == DL_DONE) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(entry.path)));
    }
}

void BramixDialog::RemoveSelectedDownloads() {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : downloadsList_->selectedItems()) {
        rows.push_back(downloadsList_->indexOfTopLevelItem(item));
    }
    std::sort(rows.rbegin(), rows.rend());  // from the bottom: rows above keep their places
    for (const int row : rows) {
        downloads_->Remove(row);  // the running one stays
    }
}

namespace {

// The rows under the mouse: the selection when the row clicked is in it,
// else that row alone. Returns the row clicked, or -1.
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

}  // namespace

void BramixDialog::ShowResultsMenu(const QPoint& position) {
    const int row = SelectRowAt(resultsList_, position);
    if (row < 0) {
        return;
    }
    const QUrl post(FromAnsi(results_.entries()[row].pageUrl));
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(strings::kMenuDownload), this,
                   &BramixDialog::QueueSelectedResults);
    menu.addAction(QString::fromUtf8(strings::kMenuCopyLink), this,
                   [this] { CopyAddresses(resultsList_, kResultFileUrlColumn); });
    menu.addAction(QString::fromUtf8(strings::kMenuOpenPost), this,
                   [post] { QDesktopServices::openUrl(post); });
    menu.exec(resultsList_->viewport()->mapToGlobal(position));
}

void BramixDialog::ShowDownloadsMenu(const QPoint& position) {
    const int row = SelectRowAt(downloadsList_, position);
    if (row < 0) {
        return;
    }
    bool removable = false;
    for (QTreeWidgetItem* item : downloadsList_->selectedItems()) {
        removable = removable || downloads_->CanRemove(downloadsList_->indexOfTopLevelItem(item));
    }
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(strings::kMenuOpenFile), this,
                   [this, row] { OpenDownloadedFile(row); })
        ->setEnabled(downloads_->entries()[row].state == DL_DONE);
    menu.addAction(QString::fromUtf8(strings::kMenuOpenFolder), this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(downloadFolder_)));
    });
    menu.addAction(QString::fromUtf8(strings::kMenuCopyLink), this,
                   [this] { CopyAddresses(downloadsList_, kDownloadFileUrlColumn); });
    menu.addAction(QString::fromUtf8(strings::kMenuRemove), this,
                   &BramixDialog::RemoveSelectedDownloads)
        ->setEnabled(removable);
    menu.exec(downloadsList_->viewport()->mapToGlobal(position));
}

}  // namespace bramix::ui
