// The window driven offscreen against the stand-in web: one test per path from
// a key or a button to the workers and back; the rules are the core's tests'.

#include <QtTest>
#include <QtWidgets>
#include <atomic>
#include <filesystem>
#include <optional>

#include "net/network_setup.h"
#include "stand_in_web.h"
#include "ui/bramix_dialog.h"
#include "ui/download_list_view.h"
#include "ui/korean_qt_texts.h"
#include "ui/link_label.h"
#include "world.h"

using namespace bramix;
using namespace bramix::ui;

namespace {

// Each result group once; the slow blog's second post never finishes loading
// and its file trickles (set in initTestCase).
constexpr const char* kWorld = R"(
post tistory song.tistory.com/1 | Song Blog | 봄노래 모음
  heading 봄노래
  attach cfile5.uf.tistory.com/attach/A1 | 봄노래.mp3 | size=30000
  embed cfile5.uf.tistory.com/original/B2 | size=900000 | name=quoted:봄노래 짧게.mp3
  embed cfile5.uf.tistory.com/original/C3 | size=10695475 | name=quoted:다른 노래.mp3
  embed cfile5.uf.tistory.com/original/D4 | size=2400016 | name=quoted:봄노래 라이브.wma
post tistory slow.tistory.com/3 | Slow Blog | 느린노래 하나
  attach cfile5.uf.tistory.com/attach/S1 | 느린노래.mp3 | size=5000000
post tistory slow.tistory.com/4 | Slow Blog | 느린노래 둘
)";
constexpr const char* kFailingFile = "http://cfile5.uf.tistory.com/original/B2";

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

public slots:
    void openFile(const QUrl& url) { opened_ << url; }

private slots:
    void initTestCase() {
        world_ = standin::World::Parse(kWorld);
        web_.SetFallback([this](const standin::RecordedRequest& request) {
            return failing_ && request.url == kFailingFile ? standin::Status(404)
                                                           : world_.Answer(request);
        });
        web_.Set("http://slow.tistory.com/4", standin::StallAfterHeaders());
        web_.Set("http://cfile5.uf.tistory.com/attach/S1",
                 standin::Trickle(standin::GeneratedBody(0, 5000000), 1000,
                                  std::chrono::milliseconds(50)));
        web_.Start();
    }
    void cleanupTestCase() { web_.Stop(); }
    void init() {
        folder_.emplace();
        web_.ClearRequests();
        setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
        dialog_ = std::make_unique<BramixDialog>(folder_->path().toStdString(),
                                                 QUrl("file:///guide.html"));
        dialog_->show();
    }
    // Undoes what any test changed, also when it failed half-way.
    void cleanup() {
        dialog_.reset();
        failing_ = false;
        QDesktopServices::unsetUrlHandler("file");
        folder_.reset();
    }
    void searchFillsTheResults();
    void escapeStopsTheSearchAtOnce();
    void downloadsQueuedFinds();
    void closingWhileSearchingAndDownloadingIsQuick();

private:
    template <typename T = QWidget>
    T* Find(int id) const {
        return static_cast<T*>(dialog_->Control(id));
    }
    QTreeWidgetItem* Row(const char* name) const {
        const auto items = Find<QTreeWidget>(IDC_RESULTS)->findItems(U(name), Qt::MatchExactly);
        return items.size() == 1 ? items[0] : nullptr;
    }
    int Requested(const std::string& part) const {
        return static_cast<int>(std::ranges::count_if(
            web_.RequestedUrls(), [&](const auto& url) { return url.find(part) != url.npos; }));
    }
    void Search(const char* utf8) {
        Find<QComboBox>(IDC_QUERY)->setEditText(U(utf8));
        QTest::mouseClick(Find(IDC_SEARCH), Qt::LeftButton);
    }
    void Download(int row) {
        Find<QTreeWidget>(IDC_RESULTS)->topLevelItem(row)->setSelected(true);
        QTest::mouseClick(Find(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
    }
    // Opens the list's context menu on `row`, triggers an action and returns
    // the actions' texts, "(off)" after a disabled one.
    QStringList WithMenu(QTreeWidget* list, int row, int trigger = -1) {
        QStringList texts;
        QTimer::singleShot(0, this, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions()) {
                    texts << action->text() + (action->isEnabled() ? "" : " (off)");
                }
                if (trigger >= 0) {
                    menu->actions()[trigger]->trigger();
                }
                menu->close();
            }
        });
        emit list->customContextMenuRequested(
            list->visualItemRect(list->topLevelItem(row)).center());
        return texts;
    }
    // Closes the window, answering its question; returns how often it asked.
    int CloseAnswering(QMessageBox::StandardButton answer) {
        int questions = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++questions;
                QVERIFY(box->button(QMessageBox::Yes)->text().contains(U("예")));  // Qt's own
                box->button(answer)->click();
            }
        });
        watch.start(20);
        dialog_->close();
        return questions;
    }

    standin::World world_;
    standin::StandInWeb web_;
    std::atomic<bool> failing_{false};  // kFailingFile answers 404
    std::optional<QTemporaryDir> folder_;
    std::unique_ptr<BramixDialog> dialog_;
    QList<QUrl> opened_;
};

void DialogTest::searchFillsTheResults() {
    auto* results = Find<ReportView>(IDC_RESULTS);
    Search("봄노래");
    QVERIFY(Find(IDC_PROGRESS)->isVisible());
    QCOMPARE(Find<QPushButton>(IDC_SEARCH)->text(), U("중지(&S)"));
    // Enter stops the search under way and starts it afresh.
    const std::string firstPage = "as_sitesearch=tistory.com&start=0";
    QTRY_COMPARE(Requested(firstPage), 1);
    QTest::keyClick(Find<QComboBox>(IDC_QUERY)->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Requested(firstPage), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog_->searching(), 20000);

    QCOMPARE(results->topLevelItemCount(), 4);
    QVERIFY(Row("봄노래") && Row("다른 노래") && Row("봄노래 라이브") && Row("봄노래 짧게"));
    auto* downloads = Find<DownloadListView>(IDC_DOWNLOADS);
    auto* home = Find<LinkLabel>(IDC_HOME_LINK);
    const int sizeText = results->fontMetrics().horizontalAdvance(U("1023 바이트"));
    const std::tuple<const char*, QVariant, QVariant> values[] = {
        {"title without a version record", dialog_->windowTitle(), U("Bramix v0.0.0.0")},
        {"search button", Find<QPushButton>(IDC_SEARCH)->text(), U("검색(&S)")},
        {"progress shown", Find(IDC_PROGRESS)->isVisible(), false},
        {"results tab", dialog_->tabBar()->tabText(0), U("  검색 결과 (4)  ")},
        {"downloads tab", dialog_->tabBar()->tabText(1), U("  다운로드  ")},
        {"download unselected", Find(IDC_DOWNLOAD_SELECTED)->isEnabled(), false},
        {"size", Row("다른 노래")->text(1), U("10.1 MB")},
        {"type", Row("봄노래 라이브")->text(2), U("wma")},
        {"unsized mp3", Row("봄노래")->background(0).color(), QColor(255, 245, 195)},
        {"sized mp3", Row("다른 노래")->background(0).color(), QColor(255, 250, 209)},
        {"wma", Row("봄노래 라이브")->background(0).color(), QColor(255, 255, 224)},
        {"unmatched", Row("봄노래 짧게")->background(0).style() == Qt::NoBrush, true},
        {"file column", results->header()->sectionSize(0), 300},
        {"info column", results->header()->sectionSize(3), 145},
        {"hidden column", results->header()->sectionSize(4), 0},
        {"download info column", downloads->header()->sectionSize(2), 130},
        {"size column fits", results->header()->sectionSize(1) > sizeText, true},
        {"download size fits", downloads->header()->sectionSize(1) > sizeText, true},
        {"download state fits", downloads->header()->sectionSize(3) > sizeText, true},
        {"size column locked", results->header()->sectionResizeMode(1) == QHeaderView::Fixed, true},
        {"folder", Find(IDC_OPEN_FOLDER)->toolTip(), folder_->path()},
        {"link colour", home->palette().color(QPalette::WindowText), QColor(0, 0, 238)},
        {"intro text", Find<LinkLabel>(IDC_INTRO_LINK)->text(), U("Bramix 소개, 사용법")},
        {"home tooltip", home->toolTip(), U("file:///guide.html")},
    };
    for (const auto& [what, got, expected] : values) {
        QVERIFY2(got == expected, qPrintable(U(what) + ": " + got.toString()));
    }

    // The links light up under the mouse and open the guide.
    QDesktopServices::setUrlHandler("file", this, "openFile");
    QTest::mouseMove(home, home->rect().center());
    QTRY_VERIFY(home->hovered() && home->font().underline());
    QCOMPARE(home->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QTest::mouseMove(dialog_.get(), QPoint(1, 1));
    QTRY_VERIFY_WITH_TIMEOUT(!home->hovered() && !home->font().underline(), 1000);  // 100 ms ticks
    QTest::mouseClick(Find(IDC_INTRO_LINK), Qt::LeftButton);
    QCOMPARE(opened_, QList<QUrl>{QUrl("file:///guide.html#usage")});
}

void DialogTest::escapeStopsTheSearchAtOnce() {
    Search("느린노래 둘");  // one post, which never loads
    QTRY_COMPARE_WITH_TIMEOUT(Requested("slow.tistory.com/4"), 1, 10000);
    auto* query = Find<QComboBox>(IDC_QUERY)->lineEdit();
    QTest::keyClick(query, Qt::Key_Escape);
    QVERIFY(!Find(IDC_SEARCH)->isEnabled());                // until the job has ended
    QTRY_VERIFY_WITH_TIMEOUT(!dialog_->searching(), 5000);  // only the stop ends it
    QVERIFY(Find(IDC_SEARCH)->isEnabled());
    QCOMPARE(Find<ReportView>(IDC_RESULTS)->emptyText(), U("찾은 파일이 없습니다."));
    QTest::keyClick(query, Qt::Key_Escape);
    QVERIFY(dialog_->isVisible());  // Escape never closes the window
}

// One find queued from the menu and done, one by the button that fails and
// waits; then the downloads tab's button, menu and Delete key reach the queue.
void DialogTest::downloadsQueuedFinds() {
    Search("봄노래");
    QTRY_VERIFY_WITH_TIMEOUT(!dialog_->searching(), 20000);
    auto* results = Find<QTreeWidget>(IDC_RESULTS);
    auto* downloads = Find<QTreeWidget>(IDC_DOWNLOADS);
    QCOMPARE(WithMenu(results, 0, 1),
             (QStringList{U("다운로드"), U("링크 주소 복사"), U("글 열기")}));
    QCOMPARE(QGuiApplication::clipboard()->text(), U("http://cfile5.uf.tistory.com/attach/A1"));
    WithMenu(results, 0, 0);
    failing_ = true;
    Download(results->indexOfTopLevelItem(Row("봄노래 짧게")));
    QTRY_COMPARE_WITH_TIMEOUT(downloads->topLevelItem(0)->text(3), U("완료"), 10000);
    QTRY_VERIFY(downloads->topLevelItem(1)->text(3).startsWith(U("재시도 ")));
    QCOMPARE(dialog_->tabBar()->tabText(1), U("  다운로드 (1/2)  "));
    QCOMPARE(results->topLevelItem(0)->foreground(0).color(), QColor(0, 150, 20));
    Download(0);  // queued once only
    QCOMPARE(downloads->topLevelItemCount(), 2);

    auto* stop = Find<QPushButton>(IDC_STOP_DOWNLOAD);
    QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(stop->text(), U("다운로드 시작"), 1000);
    dialog_->tabBar()->setCurrentIndex(1);
    QVERIFY(downloads->isVisible() && !results->isVisible());
    QCOMPARE(WithMenu(downloads, 0), (QStringList{U("파일 열기"), U("폴더 열기"),
                                                  U("링크 주소 복사"), U("목록에서 제거")}));
    QTest::mouseClick(Find(IDC_REMOVE_DONE), Qt::LeftButton);
    QCOMPARE(downloads->topLevelItemCount(), 1);
    QVERIFY(QFile::exists(folder_->filePath(U("봄노래.mp3"))));  // the file stays; the row goes
    downloads->topLevelItem(0)->setSelected(true);
    QTest::keyClick(downloads, Qt::Key_Delete);
    QTRY_COMPARE(downloads->topLevelItemCount(), 0);
    QTRY_VERIFY(!dialog_->downloads().busy());
    QCOMPARE(CloseAnswering(QMessageBox::No), 0);  // nothing left to download
    QVERIFY(!dialog_->isVisible());
}

void DialogTest::closingWhileSearchingAndDownloadingIsQuick() {
    for (int round = 0; round < 20; ++round) {
        if (round > 0) {
            init();
        }
        Search("느린노래");
        // The first post gives a find; the second hangs the search.
        QTRY_COMPARE_WITH_TIMEOUT(Find<QTreeWidget>(IDC_RESULTS)->topLevelItemCount(), 1, 10000);
        Download(0);
        if (round == 0) {  // its row's tooltip tells the progress, the time left among it
            auto* downloads = Find<DownloadListView>(IDC_DOWNLOADS);
            dialog_->ShowTab(1);
            const QRect cell = downloads->visualItemRect(downloads->topLevelItem(0));
            QTRY_VERIFY_WITH_TIMEOUT(downloads->TipAt(cell.center()).contains(U("초 남음")), 10000);
        }
        QTRY_VERIFY(dialog_->downloads().downloading());
        QVERIFY(dialog_->searching());
        QElapsedTimer sinceClose;
        sinceClose.start();
        QCOMPARE(CloseAnswering(QMessageBox::Yes), 1);  // a download was running
        QVERIFY2(sinceClose.elapsed() < 5000, qPrintable(QString::number(sinceClose.elapsed())));
        QVERIFY(!dialog_->isVisible());
        dialog_.reset();
        QVERIFY(std::filesystem::is_empty(folder_->path().toStdString()));  // no partial file left
    }
}

int main(int argc, char** argv) {
    const NetworkSetup network;
    QApplication application(argc, argv);
    InstallKoreanQtTexts(application);
    DialogTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "dialog_test.moc"
