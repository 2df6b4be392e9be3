#pragma once

// The main window: a search box and button, the results and downloads under
// two tabs, their buttons, a progress bar and two link labels. Everything that
// is not drawing lives in the core (SearchJob, ResultsList, DownloadQueue);
// this class wires it to widgets. Worker events reach it only as queued calls
// on the window's thread.

#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <map>
#include <memory>
#include <thread>

#include "download/download_queue.h"
#include "results/results_list.h"
#include "search/search_job.h"
#include "ui/dialog_units.h"
#include "ui/resizable_layout.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSizeGrip;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace bramix::ui {

class DownloadListView;
class LinkLabel;
class ReportView;

// Control IDs; each widget carries its ID's name as object name.
enum ControlId {
    IDC_QUERY = 1000,
    IDC_SEARCH = 1001,
    IDC_RESULTS = 1002,
    IDC_DOWNLOAD_SELECTED = 1003,
    IDC_TAB = 1004,
    IDC_DOWNLOADS = 1005,
    IDC_STOP_DOWNLOAD = 1006,
    IDC_REMOVE_DONE = 1007,
    IDC_PROGRESS = 1008,
    IDC_OPEN_FOLDER = 1009,
    IDC_HOME_LINK = 1014,
    IDC_INTRO_LINK = 1017,
};

class BramixDialog : public QDialog, private LayoutTarget {
    Q_OBJECT

public:
    // `downloadFolder` is where downloads go; `guide` the user guide's
    // address (the two link labels open it).
    BramixDialog(std::string downloadFolder, QUrl guide, QWidget* parent = nullptr);
    ~BramixDialog() override;

    QWidget* Control(int id) const;
    const ResultsList& results() const { return results_; }
    const DownloadQueue& downloads() const { return *downloads_; }
    bool searching() const { return searchThread_.joinable(); }
    QTabBar* tabBar() const { return tabBar_; }

    void ShowTab(int index);

    // Puts one find into the results list at its place (what a search's
    // SEARCH_EV_FOUND becomes on the window's thread).
    void InsertFound(const FoundFile& found);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Stops the search and the downloads and waits for both threads; once
    // closing, the window ignores what the workers still report.
    void Shutdown();

    // Building.
    void CreateControls();
    void SetUpLists();
    QRect DialogRect(int x, int y, int width, int height) const;

    // LayoutTarget.
    bool Exists(int id) const override;
    Rect Current(int id) const override;
    void Place(int id, const Rect& rect) override;
    void Repaint(int id) override;

    // Searching.
    void OnSearch();
    void StopSearch();
    void OnEndSearch();
    void UpdateResultsTabCaption();
    void PaintResultRow(int row);

    // Tells the window what the search reports: on the search thread, each
    // event is posted over to the window's thread.
    class SearchEvents final : public SearchListener {
    public:
        explicit SearchEvents(BramixDialog& dialog) : dialog_(dialog) {}
        void OnRange(int maximum) override;
        void OnPosition(int position, int maximum) override;
        void OnFound(const FoundFile& found) override;
        void OnEnd() override;

    private:
        BramixDialog& dialog_;
    };

    // Downloading.
    void QueueSelectedResults();
    void SyncDownloadRow(int row);
    void SyncDownloadList();
    void OpenDownloadedFile(int row);
    void RemoveSelectedDownloads();  // all but the running one
    void ShowResultsMenu(const QPoint& position);
    void ShowDownloadsMenu(const QPoint& position);

    std::map<int, QWidget*> controls_;
    QComboBox* query_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    ReportView* resultsList_ = nullptr;
    QPushButton* downloadButton_ = nullptr;
    QWidget* tabArea_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    DownloadListView* downloadsList_ = nullptr;
    QPushButton* stopDownloadButton_ = nullptr;
    QPushButton* removeDoneButton_ = nullptr;
    QPushButton* openFolderButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    LinkLabel* homeLink_ = nullptr;
    LinkLabel* introLink_ = nullptr;
    QSizeGrip* gripper_ = nullptr;

    DialogBaseUnits base_{};
    ResizableLayout layout_;
    int refClientWidth_ = 0;

    std::string downloadFolder_;
    bool closing_ = false;
    bool restartSearch_ = false;

    SearchEvents searchEvents_{*this};
    SearchJob job_;
    std::thread searchThread_;
    ResultsList results_;
    std::unique_ptr<DownloadQueue> downloads_;
};

}  // namespace bramix::ui
