#include "ui/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QThread>
#include <QTranslator>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#endif

#include <atomic>
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

#ifdef Q_OS_UNIX
namespace {

// The write end of the live QuitOnSignals' pipe: the handler only writes the signal's
// number there, the window thread does the rest.
std::atomic<int> signalPipe{-1};

extern "C" void onQuitSignal(int signal) {
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
}

} // namespace

QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    signalPipe.store(pipe_[1]);
    auto* notifier = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitOnSignals::quit);
    struct sigaction sa {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal ignored from the start stays ignored: "nohup tk515pro &" is meant to
        // outlive its terminal.
        sigaction(kSignals[i], nullptr, &old_[i]);
        if (old_[i].sa_handler != SIG_IGN) {
            sigaction(kSignals[i], &sa, nullptr);
        }
    }
}

QuitOnSignals::~QuitOnSignals() {
    if (pipe_[0] < 0) {
        return;
    }
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &old_[i], nullptr);
    }
    signalPipe.store(-1);
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void QuitOnSignals::quit() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
        received_ = byte;
    }
    if (received_ == 0) {
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        w->hide();
    }
    // Not quit(): that asks the windows to close, and a window with a transfer running
    // or unsaved changes would refuse or ask. exit() leaves every event loop, a dialog's
    // too, so nothing waits for an answer that nobody will give.
    QCoreApplication::exit(0);
}
#else
QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent) {}
QuitOnSignals::~QuitOnSignals() = default;
void QuitOnSignals::quit() {}
#endif

void showFatal(const QString& what) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), what,
                    QMessageBox::Ok);
    box.exec();
}

} // namespace tk
