#pragma once

// The main window: a search box and button, the results and downloads under
// two tabs, their buttons, a progress bar and two link labels. The dialog
// creates and places the parts, switches the tabs and takes the keys; the
// search (SearchController) and the two lists (ResultsPane, DownloadsPane)
// wire the core (SearchJob, ResultsList, DownloadQueue) to their widgets.

#include <QDialog>
#include <QUrl>
#include <map>
#include <memory>
#include <string>

#include "download/download_queue.h"
#include "results/results_list.h"
#include "ui/dialog_units.h"
#include "ui/resizable_layout.h"

class QProgressBar;
class QSizeGrip;
class QTabBar;

namespace bramix::ui {

class DownloadsPane;
class LinkLabel;
class ResultsPane;
class SearchController;

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
    BramixDialog(std::string downloadFolder, const QUrl& guide, QWidget* parent = nullptr);
    ~BramixDialog() override;

    QWidget* Control(int id) const;
    const ResultsList& results() const;
    const DownloadQueue& downloads() const;
    bool searching() const;
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
    // closing, the parts ignore what the workers still report.
    void Shutdown();

    // Building. The controls are created in the order of the focus chain.
    void SetUpFont();
    void CreateControls(std::string downloadFolder);
    void CreateSearchBox();
    void CreatePanes(std::string downloadFolder);
    void CreateProgressBar();
    void CreateTabArea();
    void CreateLinks();
    void ConnectParts();
    void InitLayout();
    void PlaceControl(QWidget* widget, int id, QRect rect);
    QRect DialogRect(int x, int y, int width, int height) const;

    // LayoutTarget.
    bool Exists(int id) const override;
    Rect Current(int id) const override;
    void Place(int id, const Rect& rect) override;
    void Repaint(int id) override;

    void ShowResultsCaption();
    void ShowDownloadsCaption();

    std::map<int, QWidget*> controls_;
    QProgressBar* progress_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    LinkLabel* homeLink_ = nullptr;
    LinkLabel* introLink_ = nullptr;
    QSizeGrip* gripper_ = nullptr;

    DialogBaseUnits base_{};
    ResizableLayout layout_;
    int refClientWidth_ = 0;

    // Destroyed bottom up: the search, which fills the results pane, first.
    std::unique_ptr<ResultsPane> results_;
    std::unique_ptr<DownloadsPane> downloads_;
    std::unique_ptr<SearchController> search_;
};

}  // namespace bramix::ui
