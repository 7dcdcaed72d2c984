// tk515pro: the window of the TK 515 Pro programmer.
#include "tk/version.h"
#include "ui/application.h"
#include "ui/appwindows.h"
#include "ui/commandline.h"
#include "ui/mainwindow.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    // --help and --version need no display.
    if (const std::optional<int> answered = tk::answerInformationRequest(argc, argv)) {
        return *answered;
    }
    // The desktop entry that describes the window (its icon and name on Wayland).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tk::kAppId));
    tk::Application app(argc, argv);
    const tk::WindowCommandLine given = tk::parseWindowCommandLine(QCoreApplication::arguments());
    if (!given.error.isEmpty()) {
        std::fprintf(stderr, "tk515pro: %s\nСправка: tk515pro --help\n",
                     given.error.toLocal8Bit().constData());
        return 2;
    }
    // Declared before the windows, so its handlers stay until the windows are gone and
    // a second signal during their clean-up changes nothing.
    const tk::QuitOnSignals quitOnSignals;
    try {
        tk::AppWindows windows = tk::createWindows(QCoreApplication::applicationDirPath());
        if (given.port) {
            windows.main->presetPort(*given.port);
        }
        windows.main->show();
        windows.main->openGivenFiles(given.files);
        return QApplication::exec();
    } catch (const std::exception& e) {
        tk::showFatal(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
