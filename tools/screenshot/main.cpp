// Takes the README's screenshot: the window during a search of the demo world
// and four downloads, painted offscreen or under Xvfb.
// Usage: bramix-screenshot OUT.png

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/code_page.h"
#include "net/network_setup.h"
#include "stand_in_web.h"
#include "ui/bramix_dialog.h"
#include "ui/korean_qt_texts.h"
#include "world.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bramix-screenshot OUT.png\n", stderr);
        return 2;
    }
    const bramix::NetworkSetup network;
    const standin::World world = standin::World::Load(BRAMIX_DEMO_WORLD);
    standin::StandInWeb web;
    web.SetFallback(
        [&world](const standin::RecordedRequest& request) { return world.Answer(request); });
    web.Start();
    setenv("http_proxy", web.ProxyUrl().c_str(), 1);

    QApplication application(argc, argv);
    bramix::ui::InstallKoreanQtTexts(application);
    QTemporaryDir folder;
    bramix::ui::BramixDialog dialog(folder.path().toStdString(), QUrl("file:///guide.html"));
    dialog.show();
    auto* query = dialog.findChild<QComboBox*>("IDC_QUERY");
    query->setEditText(QString::fromUtf8("봄"));
    dialog.findChild<QPushButton*>("IDC_SEARCH")->click();
    auto* results = dialog.findChild<QTreeWidget*>("IDC_RESULTS");
    // Midway through the search, four finds go to the download list: the
    // first one's server answers 404, the second is quick, the third
    // trickles, the fourth waits.
    QTimer::singleShot(8000, &dialog, [&] {
        const int rows = std::min(results->topLevelItemCount(), 4);
        for (int row = 0; row < rows; ++row) {
            const std::string url = bramix::AnsiToUtf8(dialog.results().entries()[row].fileUrl);
            if (row == 0) {
                web.Set(url, standin::Status(404));
            } else if (row == 2) {
                web.Set(url, standin::Trickle(standin::GeneratedBody(0, 9 * 1024 * 1024), 65536,
                                              std::chrono::milliseconds(50)));
            }
            results->topLevelItem(row)->setSelected(true);
        }
        dialog.findChild<QPushButton*>("IDC_DOWNLOAD_SELECTED")->click();
    });
    int status = 0;
    // A few seconds later: the download list at work, the search still on.
    QTimer::singleShot(11000, &dialog, [&] {
        dialog.ShowTab(1);
        auto* downloads = dialog.findChild<QTreeWidget*>("IDC_DOWNLOADS");
        if (downloads->topLevelItemCount() > 2) {
            downloads->topLevelItem(2)->setSelected(true);
        }
        status = dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        dialog.close();
    });
    dialog.exec();
    web.Stop();
    return status;
}
