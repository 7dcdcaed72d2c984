#include "ui/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QThread>
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
        showEscaped(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showEscaped(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void Application::showEscaped(const QString& what) {
    // Widgets live on the window's thread only: an exception caught on the link
    // thread is shown from there, once the window thread gets to it.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [what] { showFatal(what); }, Qt::QueuedConnection);
        return;
    }
    showFatal(what);
}

void showFatal(const QString& what) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), what,
                    QMessageBox::Ok);
    box.exec();
}

} // namespace tk
