#include "ui/bramix_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSizeGrip>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/debug_trace.h"
#include "download/disk_names.h"
#include "ui/download_list_view.h"
#include "ui/downloads_pane.h"
#include "ui/link_label.h"
#include "ui/pictures.h"
#include "ui/report_view.h"
#include "ui/results_pane.h"
#include "ui/search_controller.h"
#include "ui/strings.h"
#include "ui/version_info.h"

namespace bramix::ui {

namespace {

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

}  // namespace

BramixDialog::BramixDialog(std::string downloadFolder, const QUrl& guide, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    SetUpFont();
    resize(DialogRect(0, 0, 362, 345).size());
    CreateControls(std::move(downloadFolder));

    // Initialisation, in the order the window was always set up.
    setWindowIcon(MainIcon());
    InitLayout();
    tabBar_->addTab(results_->TabCaption());
    tabBar_->addTab(downloads_->TabCaption());
    progress_->hide();
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
    search_->Close();
    downloads_->Close();
    search_->Join();
}

const ResultsList& BramixDialog::results() const {
    return results_->results();
}

const DownloadQueue& BramixDialog::downloads() const {
    return downloads_->queue();
}

bool BramixDialog::searching() const {
    return search_->searching();
}

void BramixDialog::InsertFound(const FoundFile& found) {
    search_->InsertFound(found);
}

// ---- Building ----

// The dialog units follow the window's font.
void BramixDialog::SetUpFont() {
    QFont dialogFont;
    dialogFont.setFamilies({"굴림", "Gulim", "NanumGothic", "Nanum Gothic", "NanumBarunGothic"});
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    const QFontMetrics metrics(font());
    base_.y = metrics.height();
    base_.x = static_cast<int>(std::lround(
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0));
}

QRect BramixDialog::DialogRect(int x, int y, int width, int height) const {
    return QRect(DialogUnitsToPixelsX(x, base_), DialogUnitsToPixelsY(y, base_),
                 DialogUnitsToPixelsX(width, base_), DialogUnitsToPixelsY(height, base_));
}

void BramixDialog::PlaceControl(QWidget* widget, int id, QRect rect) {
    if (id != 0) {
        widget->setObjectName(ControlName(id));
        controls_[id] = widget;
    }
    widget->setGeometry(rect);
}

void BramixDialog::CreateControls(std::string downloadFolder) {
    CreateSearchBox();
    CreatePanes(std::move(downloadFolder));
    CreateProgressBar();
    CreateTabArea();
    CreateLinks();
    search_ = std::make_unique<SearchController>(static_cast<QComboBox*>(Control(IDC_QUERY)),
                                                 static_cast<QPushButton*>(Control(IDC_SEARCH)),
                                                 progress_, *results_);
    ConnectParts();
}

void BramixDialog::CreateSearchBox() {
    auto* label = new QLabel(QString::fromUtf8(strings::kQueryLabel), this);
    PlaceControl(label, 0, DialogRect(7, 34, 51, 8));

    auto* query = new QComboBox(this);
    query->setEditable(true);
    query->setInsertPolicy(QComboBox::NoInsert);  // no search is remembered
    // The template's 30 units include the drop-down list; the box is its own height.
    QRect queryRect = DialogRect(60, 31, 239, 30);
    queryRect.setHeight(query->sizeHint().height());
    PlaceControl(query, IDC_QUERY, queryRect);
    label->setBuddy(query);

    auto* searchButton = new QPushButton(QString::fromUtf8(strings::kSearch), this);
    searchButton->setDefault(true);
    PlaceControl(searchButton, IDC_SEARCH, DialogRect(305, 29, 50, 17));
}

void BramixDialog::CreatePanes(std::string downloadFolder) {
    results_ = std::make_unique<ResultsPane>(this);
    PlaceControl(results_->list(), IDC_RESULTS, DialogRect(13, 78, 335, 229));
    PlaceControl(results_->downloadButton(), IDC_DOWNLOAD_SELECTED, DialogRect(13, 312, 80, 17));

    downloads_ = std::make_unique<DownloadsPane>(std::move(downloadFolder), this);
    PlaceControl(downloads_->list(), IDC_DOWNLOADS, DialogRect(312, 310, 23, 24));
    PlaceControl(downloads_->stopButton(), IDC_STOP_DOWNLOAD, DialogRect(246, 321, 51, 13));
    PlaceControl(downloads_->removeButton(), IDC_REMOVE_DONE, DialogRect(97, 312, 80, 17));
    PlaceControl(downloads_->openFolderButton(), IDC_OPEN_FOLDER, DialogRect(268, 312, 80, 17));
}

void BramixDialog::CreateProgressBar() {
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    PlaceControl(progress_, IDC_PROGRESS, DialogRect(97, 315, 251, 11));
}

// The tab control: the tabs and the pane under the lists. It lies below
// every control that overlaps it.
void BramixDialog::CreateTabArea() {
    auto* tabArea = new QWidget(this);
    auto* tabLayout = new QVBoxLayout(tabArea);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->setSpacing(0);
    tabBar_ = new QTabBar(tabArea);
    tabBar_->setDrawBase(false);
    auto* pane = new QFrame(tabArea);
    pane->setFrameShape(QFrame::StyledPanel);
    tabLayout->addWidget(tabBar_);
    tabLayout->addWidget(pane, 1);
    PlaceControl(tabArea, IDC_TAB, DialogRect(7, 58, 348, 279));
    tabArea->lower();
}

// One line of text is one font height; the hover's underline lies below it,
// so the labels get room for it.
void BramixDialog::CreateLinks() {
    auto placeLink = [this](LinkLabel* link, int id, QRect rect) {
        const QFontMetrics metrics(link->font());
        rect.setHeight(std::max(
            rect.height(), metrics.ascent() + metrics.underlinePos() + metrics.lineWidth() + 1));
        PlaceControl(link, id, rect);
    };
    homeLink_ = new LinkLabel(QString::fromUtf8(strings::kHomeLink), this);
    placeLink(homeLink_, IDC_HOME_LINK, DialogRect(62, 9, 87, 8));
    introLink_ = new LinkLabel(QString::fromUtf8(strings::kIntroLink), this);
    placeLink(introLink_, IDC_INTRO_LINK, DialogRect(292, 9, 63, 8));
}

void BramixDialog::ConnectParts() {
    connect(tabBar_, &QTabBar::currentChanged, this, [this] { ShowTab(-1); });
    connect(results_.get(), &ResultsPane::downloadAsked, this,
            [this] { results_->QueueSelected(*downloads_); });
    connect(downloads_.get(), &DownloadsPane::listChanged, this,
            &BramixDialog::ShowDownloadsCaption);
    connect(search_.get(), &SearchController::started, this, [this] {
        ShowResultsCaption();
        ShowTab(0);
    });
    connect(search_.get(), &SearchController::progressed, this, &BramixDialog::ShowResultsCaption);
}

// The size gripper, and the resize map's rectangles as they are now.
void BramixDialog::InitLayout() {
    gripper_ = new QSizeGrip(this);
    gripper_->setObjectName(ControlName(IDC_SIZE_GRIPPER));
    gripper_->resize(gripper_->sizeHint());
    gripper_->move(width() - gripper_->width(), height() - gripper_->height());
    layout_.Init(ResizeMap(), *this, {width(), height()}, Current(IDC_SIZE_GRIPPER));
    setMinimumSize(width(), height());  // never smaller than at initialisation
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

// ---- Tabs, size, keys and closing ----

void BramixDialog::ShowTab(int index) {
    if (index == -1) {
        index = tabBar_->currentIndex();
    } else if (index != tabBar_->currentIndex()) {
        const QSignalBlocker blocker(tabBar_);
        tabBar_->setCurrentIndex(index);
    }
    if (index == 0) {
        results_->SetShown(true);
        if (searching()) {
            progress_->show();
        }
        downloads_->SetShown(false);
    } else if (index == 1) {
        results_->SetShown(false);
        progress_->hide();
        downloads_->SetShown(true);
    }
}

void BramixDialog::ShowResultsCaption() {
    tabBar_->setTabText(0, results_->TabCaption());
}

void BramixDialog::ShowDownloadsCaption() {
    tabBar_->setTabText(1, downloads_->TabCaption());
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
    downloads_->list()->setGeometry(results_->list()->geometry());
    downloads_->stopButton()->setGeometry(results_->downloadButton()->geometry());
    if (refClientWidth_ > 0) {
        results_->FitColumns(width(), refClientWidth_);
        downloads_->FitColumns(width(), refClientWidth_);
    }
}

bool BramixDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                search_->Stop();
                return true;  // Escape never closes the window
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                search_->StopAndRestart();
            }
            if (key == Qt::Key_Delete && downloads_->IsList(widget)) {
                downloads_->RemoveSelected();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void BramixDialog::reject() {
    search_->Stop();
}

void BramixDialog::closeEvent(QCloseEvent* event) {
    DebugTrace("OnClose...\n");
    if (downloads_->queue().busy()) {
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

}  // namespace bramix::ui
