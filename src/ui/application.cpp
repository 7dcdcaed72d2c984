#include "ui/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

namespace tk {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("TK515Pro"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
    // Qt's own dialogs (the file dialogs) in Russian, like the rest of the program.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showFatal(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showFatal(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void showFatal(const QString& what) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), what,
                    QMessageBox::Ok);
    box.exec();
}

} // namespace tk
