// Takes the README's screenshot: the window in the middle of a search of the
// demo world, painted offscreen or under Xvfb. Usage: bramix-screenshot OUT.png

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

#include "net/network_setup.h"
#include "stand_in_web.h"
#include "ui/bramix_dialog.h"
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
    bramix::ui::BramixDialog dialog("/tmp", QUrl("file:///guide.html"));
    dialog.show();
    auto* query = dialog.findChild<QComboBox*>("IDC_QUERY");
    query->setEditText(QString::fromUtf8("봄"));
    dialog.findChild<QPushButton*>("IDC_SEARCH")->click();
    int status = 0;
    // Midway: the results list filling, the progress bar running.
    QTimer::singleShot(9000, &dialog, [&] {
        auto* results = dialog.findChild<QTreeWidget*>("IDC_RESULTS");
        if (results->topLevelItemCount() > 2) {
            results->topLevelItem(1)->setSelected(true);
        }
        status = dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        dialog.close();
    });
    dialog.exec();
    web.Stop();
    return status;
}
