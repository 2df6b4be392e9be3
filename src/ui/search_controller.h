#pragma once

// The search: starts the search thread for what the query box holds, stops
// it (the button, Escape, Enter's restart, closing) and joins it once its end
// has been handled. The job reports on the search thread; every event goes
// over to the window's thread as a queued call, never blocking the job.

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

#include "search/search_job.h"

class QComboBox;
class QProgressBar;
class QPushButton;

namespace bramix::ui {

class ResultsPane;

class SearchController : public QObject, private SearchListener {
    Q_OBJECT

public:
    // The query box and the search button start and stop it; the progress bar
    // and `results` show it.
    SearchController(QComboBox* query, QPushButton* button, QProgressBar* progress,
                     ResultsPane& results);
    // Stops the search and waits for it, when Close and Join have not.
    ~SearchController() override;

    bool searching() const { return thread_.joinable(); }

    // The search button: stops the search under way, else starts one.
    void StartOrStop();
    void Stop();
    // Enter: stops the search under way, and a new one starts once it ended.
    void StopAndRestart();

    // Closing: stops the search; what it still reports is ignored. Join then
    // waits for its thread.
    void Close();
    void Join();

    // One find into the results (SEARCH_EV_FOUND on the window's thread).
    void InsertFound(const FoundFile& found);

signals:
    void started();
    // The progress bar moved; the results tab counts the rows then.
    void progressed();

private:
    void Start();
    // The job's events, on the search thread: each goes over to the window's
    // thread (a find as a copy: it lives only during the call).
    void OnRange(int maximum) override;
    void OnPosition(int position, int maximum) override;
    void OnFound(const FoundFile& found) override;
    void OnEnd() override;
    void Post(std::function<void()> task);  // to the window's thread
    void ShowPosition(int position);
    void FinishSearch();
    QString EmptyListText() const;

    QComboBox* query_;
    QPushButton* button_;
    QProgressBar* progress_;
    ResultsPane& results_;
    SearchJob job_;
    std::thread thread_;
    bool closing_ = false;
    bool restart_ = false;
};

}  // namespace bramix::ui
