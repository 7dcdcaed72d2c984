// tk515pro: the window of the TK 515 Pro programmer.
#include "ui/application.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"

#include <exception>

int main(int argc, char** argv) {
    tk::Application app(argc, argv);
    try {
        tk::AppWindows windows = tk::createWindows(QCoreApplication::applicationDirPath());
        windows.main->show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        tk::showFatal(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
