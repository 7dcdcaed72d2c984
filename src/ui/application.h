// The application object: its title, the translations of Qt's own dialogs, and the
// message box for an exception that escapes an event handler.
#pragma once

#include <QApplication>

#include <csignal>

namespace tk {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    // Delivers the event; an exception that escapes the receiver is shown in a
    // message box on the window's thread, and the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    void showEscaped(const QString& what);
};

// While it lives, SIGTERM, SIGINT and SIGHUP (a logout, kill, a closed terminal) end
// the program's event loops as QCoreApplication::exit does: the windows are hidden at
// once, an open dialog ends as with Cancel, and exec() returns, so the caller destroys
// the windows. Nothing is asked and nothing is saved; destroying the window cancels a
// link command in progress (a cable transfer stops within one wait slice, a modem call
// is hung up first) and closes the port. A signal that was ignored when the program
// started (nohup) stays ignored. One at a time (Unix; elsewhere it does nothing).
class QuitOnSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;
    ~QuitOnSignals() override;

    // The signal that ended the loop, 0 while none has.
    int received() const { return received_; }

private:
    void quit();

    int received_ = 0;
#ifdef Q_OS_UNIX
    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction old_[3]{};
    int pipe_[2] = {-1, -1};
#endif
};

// Shows an error that reached the top of the program.
void showFatal(const QString& what);

} // namespace tk
