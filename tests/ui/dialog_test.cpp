// The window driven as a person drives it, offscreen, against the stand-in
// web: typing, clicking, keys, downloads and closing.

#include <unistd.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "net/network_setup.h"
#include "stand_in_web.h"
#include "support/unanswered_port.h"
#include "ui/bramix_dialog.h"
#include "ui/download_list_view.h"
#include "ui/korean_qt_texts.h"
#include "ui/link_label.h"
#include "ui/report_view.h"
#include "world.h"

using namespace bramix;
using namespace bramix::ui;
namespace fs = std::filesystem;

namespace {

constexpr const char* kWorld = R"(
post tistory song.tistory.com/1 | Song Blog | 봄노래 모음
  heading 봄노래
  attach cfile5.uf.tistory.com/attach/A1 | 봄노래.mp3 | size=30000
  embed cfile5.uf.tistory.com/original/B2 | size=900000 | name=quoted:봄노래 짧게.mp3
  embed cfile5.uf.tistory.com/original/C3 | size=10695475 | name=quoted:다른 노래.mp3
  embed cfile5.uf.tistory.com/original/D4 | size=2400016 | name=quoted:봄노래 라이브.wma
post tistory song.tistory.com/2 | Song Blog | 봄노래 둘째
  attach cfile5.uf.tistory.com/attach/E5 | 마지막 봄노래.mp3 | size=40000
post tistory slow.tistory.com/3 | Slow Blog | 느린노래 하나
  attach cfile5.uf.tistory.com/attach/S1 | 느린노래.mp3 | size=5000000
post tistory slow.tistory.com/4 | Slow Blog | 느린노래 둘
)";

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void searchFillsTheListInGroups();
    void escapeStopsTheSearchAndNeverCloses();
    void enterRestartsTheSearch();
    void downloadsQueuedFindsOnce();
    void stopRestartRetryAndRemoval();
    void closingWhileSearchingAndDownloadingIsQuick();
    void closingWhenIdleNeverAsks();
    void layoutFollowsTheWindow();
    void titleCarriesTheVersion();
    void linkLabelsOpenTheGuide();
    void anEmptyListSaysWhy();
    void downloadRowsTellTheirProgress();
    void cutOffTextsShowWholeInTheirTooltips();
    void contextMenusOfferWhatTheRowAllows();
    void qtSpeaksKorean();

public slots:
    // Stands in for the desktop's handler of file addresses.
    void openFile(const QUrl& url) { opened_ << url; }

private:
    template <typename T>
    T* Find(int id) const;
    // Opens the list's context menu on `row`, lets `use` look at it and
    // choose, and closes it.
    void WithMenu(QTreeWidget* list, int row, const std::function<void(QMenu*)>& use);
    void Search(const char* utf8);
    void WaitForIdle(int milliseconds = 20000);
    std::unique_ptr<BramixDialog> NewDialog();

    standin::World world_;
    standin::StandInWeb web_;
    fs::path folder_;
    std::unique_ptr<BramixDialog> dialog_;
    QList<QUrl> opened_;
};

void DialogTest::initTestCase() {
    world_ = standin::World::Parse(kWorld);
    web_.SetFallback(
        [this](const standin::RecordedRequest& request) { return world_.Answer(request); });
    web_.Start();
    setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
    // The slow blog: its second post never finishes loading, its file never
    // finishes downloading.
    web_.Set("http://slow.tistory.com/4", standin::StallAfterHeaders());
    web_.Set(
        "http://cfile5.uf.tistory.com/attach/S1",
        standin::Trickle(standin::GeneratedBody(0, 5000000), 1000, std::chrono::milliseconds(50)));
}

void DialogTest::cleanupTestCase() {
    web_.Stop();
}

std::unique_ptr<BramixDialog> DialogTest::NewDialog() {
    auto dialog = std::make_unique<BramixDialog>(folder_.string(), QUrl("file:///guide.html"));
    dialog->show();
    return dialog;
}

void DialogTest::init() {
    folder_ = fs::temp_directory_path() / ("bramix-dialog-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    web_.ClearRequests();
    dialog_ = NewDialog();
}

void DialogTest::cleanup() {
    dialog_.reset();
    fs::remove_all(folder_);
}

template <typename T>
T* DialogTest::Find(int id) const {
    return static_cast<T*>(dialog_->Control(id));
}

void DialogTest::Search(const char* utf8) {
    auto* query = Find<QComboBox>(IDC_QUERY);
    query->lineEdit()->clear();
    // Typed key by key; QTest::keyClicks knows Latin-1 only.
    for (const QChar character : U(utf8)) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(query->lineEdit(), &press);
        QApplication::sendEvent(query->lineEdit(), &release);
    }
    QCOMPARE(query->currentText(), U(utf8));
    QTest::mouseClick(Find<QPushButton>(IDC_SEARCH), Qt::LeftButton);
}

void DialogTest::WaitForIdle(int milliseconds) {
    QTRY_VERIFY_WITH_TIMEOUT(!dialog_->searching(), milliseconds);
}

void DialogTest::searchFillsTheListInGroups() {
    auto* button = Find<QPushButton>(IDC_SEARCH);
    QCOMPARE(button->text(), U("검색(&S)"));
    Search("봄노래");
    QCOMPARE(button->text(), U("중지(&S)"));
    QVERIFY(button->isEnabled());
    QVERIFY(Find<QProgressBar>(IDC_PROGRESS)->isVisible());
    WaitForIdle();
    QCOMPARE(button->text(), U("검색(&S)"));
    QVERIFY(!Find<QProgressBar>(IDC_PROGRESS)->isVisible());

    auto* list = Find<QTreeWidget>(IDC_RESULTS);
    QStringList names;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        names << list->topLevelItem(row)->text(0);
    }
    // Unsized matches, sized mp3s, wmas, then the rest (under 1 MiB).
    QCOMPARE(names, (QStringList{U("봄노래"), U("마지막 봄노래"), U("다른 노래"),
                                 U("봄노래 라이브"), U("봄노래 짧게")}));
    QCOMPARE(list->topLevelItem(2)->text(1), U("10.1 MB"));
    QCOMPARE(list->topLevelItem(3)->text(2), U("wma"));
    QCOMPARE(list->topLevelItem(0)->background(0).color(), QColor(255, 245, 195));
    QCOMPARE(list->topLevelItem(2)->background(0).color(), QColor(255, 250, 209));
    QCOMPARE(list->topLevelItem(3)->background(0).color(), QColor(255, 255, 224));
    QCOMPARE(list->topLevelItem(4)->background(0).style(), Qt::NoBrush);
    QCOMPARE(dialog_->results().entries().size(), size_t{5});
    QCOMPARE(dialog_->tabBar()->tabText(0), U("  검색 결과 (5)  "));

    // The download button follows the selection.
    auto* download = Find<QPushButton>(IDC_DOWNLOAD_SELECTED);
    QVERIFY(!download->isEnabled());
    list->topLevelItem(1)->setSelected(true);
    QVERIFY(download->isEnabled());
    list->clearSelection();
    QVERIFY(!download->isEnabled());
}

void DialogTest::escapeStopsTheSearchAndNeverCloses() {
    Search("느린노래");
    QTRY_VERIFY(!web_.Requests().empty());
    QTest::keyClick(Find<QComboBox>(IDC_QUERY)->lineEdit(), Qt::Key_Escape);
    QVERIFY(!Find<QPushButton>(IDC_SEARCH)->isEnabled());  // stopping
    QVERIFY(dialog_->isVisible());
    WaitForIdle();
    QVERIFY(Find<QPushButton>(IDC_SEARCH)->isEnabled());
    QTest::keyClick(Find<QComboBox>(IDC_QUERY)->lineEdit(), Qt::Key_Escape);
    QVERIFY(dialog_->isVisible());
}

void DialogTest::enterRestartsTheSearch() {
    const std::string firstQuery =
        "http://www.google.co.kr/search?as_q=%EB%B4%84%EB%85%B8%EB%9E%98+mp3&num=10&as_sitesearch="
        "tistory.com&start=0";
    Search("봄노래");
    QTRY_VERIFY(!web_.Requests().empty());
    QTest::keyClick(Find<QComboBox>(IDC_QUERY)->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const auto urls = web_.RequestedUrls();
            return std::count(urls.begin(), urls.end(), firstQuery) == 2;
        }(),
        20000);
    WaitForIdle();
    QCOMPARE(dialog_->results().entries().size(), size_t{5});
}

void DialogTest::downloadsQueuedFindsOnce() {
    Search("봄노래");
    WaitForIdle();
    auto* list = Find<QTreeWidget>(IDC_RESULTS);
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(Find<QPushButton>(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->downloads().completed(), 2, 10000);

    auto* downloads = Find<QTreeWidget>(IDC_DOWNLOADS);
    QCOMPARE(downloads->topLevelItemCount(), 2);
    QCOMPARE(downloads->topLevelItem(0)->text(0), U("봄노래.mp3"));
    QCOMPARE(downloads->topLevelItem(0)->text(3), U("완료"));
    QCOMPARE(downloads->topLevelItem(1)->text(1), U("39.0 KB"));
    QVERIFY(fs::exists(folder_ / "봄노래.mp3"));
    QCOMPARE(fs::file_size(folder_ / "마지막 봄노래.mp3"), uintmax_t{40000});
    QTRY_COMPARE(dialog_->tabBar()->tabText(1), U("  다운로드 (2/2)  "));
    QCOMPARE(list->topLevelItem(0)->foreground(0).color(), QColor(0, 150, 20));

    // Queued once only.
    QTest::mouseClick(Find<QPushButton>(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
    QCOMPARE(downloads->topLevelItemCount(), 2);
}

void DialogTest::stopRestartRetryAndRemoval() {
    web_.Set("http://cfile5.uf.tistory.com/attach/E5", standin::Status(404));
    Search("봄노래");
    WaitForIdle();
    auto* list = Find<QTreeWidget>(IDC_RESULTS);
    list->topLevelItem(0)->setSelected(true);  // fine
    list->topLevelItem(1)->setSelected(true);  // fails until it is mended
    QTest::mouseClick(Find<QPushButton>(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->downloads().completed(), 1, 10000);

    // The failing one waits out its pause; stopping is immediate.
    auto* stop = Find<QPushButton>(IDC_STOP_DOWNLOAD);
    QTRY_VERIFY(dialog_->downloads().entries()[1].failuresInARow >= 1);
    QVERIFY(stop->isEnabled());
    QCOMPARE(stop->text(), U("다운로드 중지"));
    QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(stop->text(), U("다운로드 시작"), 1000);
    QVERIFY(stop->isEnabled());
    QCOMPARE(Find<QTreeWidget>(IDC_DOWNLOADS)->topLevelItem(1)->text(3), U("대기 중"));

    // Removal while nothing runs, then the mended file on restart.
    QTest::mouseClick(Find<QPushButton>(IDC_REMOVE_DONE), Qt::LeftButton);
    QCOMPARE(Find<QTreeWidget>(IDC_DOWNLOADS)->topLevelItemCount(), 1);
    QCOMPARE(dialog_->tabBar()->tabText(1), U("  다운로드 (0/1)  "));
    web_.Set("http://cfile5.uf.tistory.com/attach/E5", standin::Page("mended"));
    QTest::mouseClick(stop, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->downloads().completed(), 1, 5000);
    QCOMPARE(Find<QTreeWidget>(IDC_DOWNLOADS)->topLevelItem(0)->text(0), U("마지막 봄노래.mp3"));
    QTRY_VERIFY(!stop->isEnabled());
    web_.Set("http://cfile5.uf.tistory.com/attach/E5",
             standin::LargeBody(40000, "audio/mpeg"));  // as the world had it
}

void DialogTest::closingWhileSearchingAndDownloadingIsQuick() {
    for (int round = 0; round < 20; ++round) {
        dialog_ = NewDialog();
        Search("느린노래");
        // The first post gives a find; the second hangs the search.
        QTRY_COMPARE_WITH_TIMEOUT(Find<QTreeWidget>(IDC_RESULTS)->topLevelItemCount(), 1, 10000);
        Find<QTreeWidget>(IDC_RESULTS)->topLevelItem(0)->setSelected(true);
        QTest::mouseClick(Find<QPushButton>(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
        QTRY_VERIFY(dialog_->downloads().downloading());
        QVERIFY(dialog_->searching());

        bool asked = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&asked] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = true;
                box->button(QMessageBox::Yes)->click();
            }
        });
        answer.start(20);
        QElapsedTimer timer;
        timer.start();
        dialog_->close();
        QVERIFY(asked);  // a download was running
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!dialog_->isVisible());
        dialog_.reset();
        QVERIFY(fs::is_empty(folder_));  // no partial file left
    }
}

void DialogTest::closingWhenIdleNeverAsks() {
    bool asked = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&asked] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = true;
            box->button(QMessageBox::No)->click();
        }
    });
    watch.start(20);
    dialog_->close();
    QVERIFY(!asked);
    QVERIFY(!dialog_->isVisible());
}

void DialogTest::layoutFollowsTheWindow() {
    auto* results = Find<QTreeWidget>(IDC_RESULTS);
    auto* downloads = Find<QTreeWidget>(IDC_DOWNLOADS);
    QCOMPARE(results->header()->sectionSize(0), 300);
    QCOMPARE(results->header()->sectionSize(3), 145);
    QCOMPARE(downloads->header()->sectionSize(2), 130);
    QCOMPARE(results->header()->sectionSize(4), 0);
    QCOMPARE(results->header()->sectionResizeMode(1), QHeaderView::Fixed);
    QCOMPARE(downloads->header()->sectionResizeMode(3), QHeaderView::Fixed);

    const QSize start = dialog_->size();
    const QRect listAtStart = results->geometry();
    const int sizeColumn = results->header()->sectionSize(1);
    // The columns keep their share of the width.
    dialog_->resize(start.width() * 2, start.height() + 100);
    QCOMPARE(results->header()->sectionSize(0), 600);
    QCOMPARE(downloads->header()->sectionSize(2), 260);
    QCOMPARE(results->header()->sectionSize(1), sizeColumn);  // locked
    QCOMPARE(results->geometry().width(), listAtStart.width() + start.width());
    QCOMPARE(results->geometry().height(), listAtStart.height() + 100);
    QCOMPARE(downloads->geometry(), results->geometry());
    QCOMPARE(Find<QWidget>(IDC_STOP_DOWNLOAD)->geometry(),
             Find<QWidget>(IDC_DOWNLOAD_SELECTED)->geometry());
    dialog_->resize(10, 10);  // never below the size at initialisation
    QVERIFY(dialog_->width() >= dialog_->minimumWidth());
    QVERIFY(dialog_->minimumWidth() > 10);
}

void DialogTest::titleCarriesTheVersion() {
    // This test program carries no version record.
    QCOMPARE(dialog_->windowTitle(), U("Bramix v0.0.0.0"));
    QCOMPARE(dialog_->tabBar()->tabText(1), U("  다운로드  "));
    QCOMPARE(Find<QWidget>(IDC_QUERY)->objectName(), U("IDC_QUERY"));
}

void DialogTest::WithMenu(QTreeWidget* list, int row, const std::function<void(QMenu*)>& use) {
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        shown = true;
        use(menu);
        if (menu->isVisible()) {
            menu->close();
        }
    });
    const QRect cell = list->visualItemRect(list->topLevelItem(row));
    emit list->customContextMenuRequested(cell.center());
    QVERIFY(shown);
}

void DialogTest::anEmptyListSaysWhy() {
    auto* list = Find<ReportView>(IDC_RESULTS);
    QCOMPARE(list->emptyText(), QString());
    Search("아무도모르는노래");
    WaitForIdle();
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(list->emptyText(), U("찾은 파일이 없습니다."));

    // No service answers at all: the list says so, and why.
    setenv("http_proxy", testing::RefusedPortUrl().c_str(), 1);
    Search("봄노래");
    WaitForIdle();
    setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
    QVERIFY2(list->emptyText().startsWith(U("검색 서비스에 연결하지 못했습니다.\n")),
             qPrintable(list->emptyText()));
    QVERIFY(list->emptyText().contains("transfer error"));
    Search("봄노래");  // a new search takes the line away
    QCOMPARE(list->emptyText(), QString());
    WaitForIdle();
}

void DialogTest::downloadRowsTellTheirProgress() {
    Search("느린노래");
    QTRY_COMPARE_WITH_TIMEOUT(Find<QTreeWidget>(IDC_RESULTS)->topLevelItemCount(), 1, 10000);
    Find<QTreeWidget>(IDC_RESULTS)->topLevelItem(0)->setSelected(true);
    QTest::mouseClick(Find<QPushButton>(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
    auto* downloads = Find<DownloadListView>(IDC_DOWNLOADS);
    // The file is 5,000,000 bytes, trickling: its row draws a bar, and its
    // tooltip tells the sizes, the speed and the time left.
    QTRY_VERIFY_WITH_TIMEOUT(downloads->topLevelItem(0)->data(3, kPercentRole).isValid(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(downloads->topLevelItem(0)->toolTip(0).contains(U("초 남음")), 10000);
    const QString tip = downloads->topLevelItem(0)->toolTip(0);
    QVERIFY2(tip.contains(U(" / 4.76 MB · ")) && tip.contains("/s"), qPrintable(tip));
    const int percent = downloads->topLevelItem(0)->data(3, kPercentRole).toInt();
    QVERIFY(percent >= 0 && percent < 100);
    dialog_->ShowTab(1);
    const QRect cell = downloads->visualItemRect(downloads->topLevelItem(0));
    QCOMPARE(downloads->TipAt(cell.center()), tip);
    // The locked columns fit the widest size text.
    QVERIFY(downloads->header()->sectionSize(1) >
            downloads->fontMetrics().horizontalAdvance(U("1023 바이트")));
    QVERIFY(downloads->header()->sectionSize(3) >
            downloads->fontMetrics().horizontalAdvance(U("1023 바이트")));
    QCOMPARE(Find<QPushButton>(IDC_OPEN_FOLDER)->toolTip(),
             QString::fromStdString(folder_.string()));
}

void DialogTest::cutOffTextsShowWholeInTheirTooltips() {
    Search("봄노래");
    WaitForIdle();
    auto* list = Find<ReportView>(IDC_RESULTS);
    const QRect cell = list->visualItemRect(list->topLevelItem(3));
    const QPoint inName(list->header()->sectionPosition(0) + 20, cell.center().y());
    QCOMPARE(list->TipAt(inName), QString());  // it fits
    list->header()->resizeSection(0, 40);
    QCOMPARE(list->TipAt(inName), U("봄노래 라이브"));
}

void DialogTest::contextMenusOfferWhatTheRowAllows() {
    Search("봄노래");
    WaitForIdle();
    auto* results = Find<QTreeWidget>(IDC_RESULTS);
    WithMenu(results, 0, [](QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << action->text();
        }
        QCOMPARE(texts, (QStringList{U("다운로드"), U("링크 주소 복사"), U("글 열기")}));
        menu->actions()[1]->trigger();
    });
    QCOMPARE(QGuiApplication::clipboard()->text(), U("http://cfile5.uf.tistory.com/attach/A1"));

    // Two downloads: one done, one that fails and waits for its retry.
    web_.Set("http://cfile5.uf.tistory.com/attach/E5", standin::Status(404));
    WithMenu(results, 0, [](QMenu* menu) { menu->actions()[0]->trigger(); });
    results->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(Find<QPushButton>(IDC_DOWNLOAD_SELECTED), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(dialog_->downloads().completed(), 1, 10000);
    QTRY_VERIFY(dialog_->downloads().entries()[1].failuresInARow >= 1);
    auto* downloads = Find<QTreeWidget>(IDC_DOWNLOADS);
    QVERIFY(downloads->topLevelItem(1)->text(3).startsWith(U("재시도 ")));
    dialog_->ShowTab(1);
    WithMenu(downloads, 0, [](QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << action->text();
        }
        QCOMPARE(texts, (QStringList{U("파일 열기"), U("폴더 열기"), U("링크 주소 복사"),
                                     U("목록에서 제거")}));
        QVERIFY(menu->actions()[0]->isEnabled());  // done: it can be opened
        QVERIFY(menu->actions()[3]->isEnabled());
        menu->actions()[3]->trigger();
    });
    QCOMPARE(downloads->topLevelItemCount(), 1);
    QVERIFY(fs::exists(folder_ / "봄노래.mp3"));  // the file stays; the row goes
    // The Delete key removes the waiting one, and its retries with it.
    downloads->topLevelItem(0)->setSelected(true);
    QTest::keyClick(downloads, Qt::Key_Delete);
    QTRY_COMPARE(downloads->topLevelItemCount(), 0);
    QTRY_VERIFY(!dialog_->downloads().busy());
    web_.Set("http://cfile5.uf.tistory.com/attach/E5",
             standin::LargeBody(40000, "audio/mpeg"));  // as the world had it
}

void DialogTest::qtSpeaksKorean() {
    QMessageBox box(QMessageBox::Question, "Bramix", "?", QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().contains(U("예")),
             qPrintable(box.button(QMessageBox::Yes)->text()));
    QVERIFY(box.button(QMessageBox::No)->text().contains(U("아니요")));
}

void DialogTest::linkLabelsOpenTheGuide() {
    QDesktopServices::setUrlHandler("file", this, "openFile");
    auto* home = Find<LinkLabel>(IDC_HOME_LINK);
    auto* intro = Find<LinkLabel>(IDC_INTRO_LINK);
    QCOMPARE(intro->text(), U("Bramix 소개, 사용법"));
    QCOMPARE(home->toolTip(), U("file:///guide.html"));
    QCOMPARE(intro->url(), QUrl("file:///guide.html#usage"));
    QCOMPARE(home->palette().color(QPalette::WindowText), QColor(0, 0, 238));
    QVERIFY(!home->font().underline());

    QTest::mouseMove(home, home->rect().center());
    QTRY_VERIFY(home->hovered());
    QCOMPARE(home->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(home->font().underline());
    // The underline is seen: a row below the letters is red most of the way.
    const QImage picture = home->grab().toImage();
    const int textWidth = home->fontMetrics().horizontalAdvance(home->text());
    bool underlined = false;
    for (int y = home->fontMetrics().ascent(); y < picture.height() && !underlined; ++y) {
        int red = 0;
        for (int x = 0; x < std::min(textWidth, picture.width()); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            red += pixel.red() > 200 && pixel.green() < 90 && pixel.blue() < 90 ? 1 : 0;
        }
        underlined = red > textWidth * 3 / 4;
    }
    QVERIFY(underlined);
    QTest::mouseMove(dialog_.get(), QPoint(1, 1));
    QTRY_VERIFY_WITH_TIMEOUT(!home->hovered(), 1000);  // the next 100 ms tick
    QCOMPARE(home->palette().color(QPalette::WindowText), QColor(0, 0, 238));

    home->SetUnderline(1);  // always underlined, hovered or not
    QVERIFY(home->font().underline());
    home->SetUnderline(-1);
    QVERIFY(!home->font().underline());

    QTest::mouseClick(intro, Qt::LeftButton);
    QCOMPARE(opened_, QList<QUrl>{QUrl("file:///guide.html#usage")});
    QDesktopServices::unsetUrlHandler("file");
}

int main(int argc, char** argv) {
    const NetworkSetup network;
    QApplication application(argc, argv);
    InstallKoreanQtTexts(application);
    DialogTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "dialog_test.moc"
