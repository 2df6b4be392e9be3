#include "ui/search_controller.h"

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <string>

#include "base/debug_trace.h"
#include "base/text_helpers.h"
#include "ui/ansi_text.h"
#include "ui/results_pane.h"
#include "ui/strings.h"

namespace bramix::ui {

SearchController::SearchController(QComboBox* query, QPushButton* button, QProgressBar* progress,
                                   ResultsPane& results)
    : query_(query), button_(button), progress_(progress), results_(results) {
    connect(button_, &QPushButton::clicked, this, &SearchController::StartOrStop);
}

SearchController::~SearchController() {
    Close();
    Join();
}

void SearchController::StartOrStop() {
    if (searching()) {
        Stop();
        return;
    }
    Start();
}

void SearchController::Start() {
    std::string text = ToAnsi(query_->currentText());
    TrimSpaces(text);
    if (text.empty()) {
        return;
    }
    results_.Start(text);
    restart_ = false;
    job_.input = text;
    job_.stopFlag = 0;
    job_.listener = this;
    thread_ = std::thread(SearchThreadProc, &job_);
    button_->setText(QString::fromUtf8(strings::kStop));
    emit started();
}

void SearchController::Stop() {
    if (!searching() || job_.stopFlag != 0) {
        return;
    }
    DebugTrace("StopSearch...\n");
    job_.stopFlag = 1;
    if (!closing_) {
        button_->setEnabled(false);  // until the job has ended
    }
}

void SearchController::StopAndRestart() {
    Stop();
    restart_ = true;
}

void SearchController::Close() {
    closing_ = true;
    Stop();
}

void SearchController::Join() {
    // The stop reaches the fetch under way, so the search thread ends now.
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SearchController::OnRange(int maximum) {
    Post([this, maximum] { progress_->setRange(0, maximum); });
}

void SearchController::OnPosition(int position, int /*maximum*/) {
    Post([this, position] { ShowPosition(position); });
}

void SearchController::OnFound(const FoundFile& found) {
    Post([this, found] { InsertFound(found); });
}

void SearchController::OnEnd() {
    DebugTrace("WM_BRAMIX_ENDSEARCHMP3...\n");
    Post([this] { FinishSearch(); });
}

void SearchController::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void SearchController::ShowPosition(int position) {
    progress_->setValue(position);
    emit progressed();
}

void SearchController::InsertFound(const FoundFile& found) {
    if (closing_) {
        return;
    }
    results_.Insert(found);
}

void SearchController::FinishSearch() {
    DebugTrace("OnEndSearch...\n");
    if (closing_ || !searching()) {
        return;
    }
    DebugTrace("WaitForEndSearch... ");
    thread_.join();
    DebugTrace(" (^ㅠ^;;");
    DebugTrace("\n");
    button_->setText(QString::fromUtf8(strings::kSearch));
    button_->setEnabled(true);
    progress_->hide();
    if (results_.results().entries().empty()) {
        results_.SetEmptyText(EmptyListText());
    }
    if (restart_) {
        restart_ = false;
        Post([this] {
            if (!searching()) {
                Start();
            }
        });
    }
}

// Why a search that ended found nothing.
QString SearchController::EmptyListText() const {
    return job_.stats.NothingRead() ? QString::fromUtf8(strings::kServicesUnreachable) + "\n" +
                                          FromAnsi(job_.stats.FirstError())
                                    : QString::fromUtf8(strings::kNothingFound);
}

}  // namespace bramix::ui
