// tk515pro: the window of the TK 515 Pro programmer.
#include "ui/application.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"

#include <QCommandLineParser>

#include <exception>

int main(int argc, char** argv) {
    tk::Application app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Программатор TK 515 Pro."));
    options.addHelpOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Порт связи на этот запуск (например, /dev/ttyUSB0 или путь "
                       "псевдотерминала). Сохраняется, только если выбрать другой порт."),
        QStringLiteral("порт"));
    options.addOption(port);
    options.process(app);
    // Declared before the windows, so its handlers stay until the windows are gone and
    // a second signal during their clean-up changes nothing.
    const tk::QuitOnSignals quitOnSignals;
    try {
        tk::AppWindows windows = tk::createWindows(QCoreApplication::applicationDirPath());
        if (options.isSet(port)) {
            windows.main->presetPort(options.value(port));
        }
        windows.main->show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        tk::showFatal(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}
