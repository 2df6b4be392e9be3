#include "ui/window_program.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "download/disk_names.h"
#include "net/network_setup.h"
#include "ui/bramix_dialog.h"
#include "ui/korean_qt_texts.h"

namespace bramix::ui {

namespace {

// The user guide ships beside the executable in the build tree and under
// share/doc/bramix once installed.
QUrl GuideUrl() {
    const QDir executableFolder = QFileInfo(QString::fromStdString(ExecutablePath())).dir();
    for (const QString& candidate : {executableFolder.filePath("guide.html"),
                                     executableFolder.filePath("../share/doc/bramix/guide.html")}) {
        if (QFileInfo::exists(candidate)) {
            return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
        }
    }
    return QUrl::fromLocalFile(executableFolder.filePath("guide.html"));
}

}  // namespace

int RunWindowProgram(int argc, char** argv) {
    const NetworkSetup network;
    QApplication application(argc, argv);
    application.setApplicationName("Bramix");
    // The desktop entry's name, so that the desktop matches the window to it.
    QGuiApplication::setDesktopFileName("io.github.bramix.bramix");
    InstallKoreanQtTexts(application);
    BramixDialog dialog(DownloadFolder(ExecutablePath()), GuideUrl());
    dialog.show();
    dialog.exec();
    return 0;
}

}  // namespace bramix::ui
