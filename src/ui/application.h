// The application object: its title, the translations of Qt's own dialogs, and the
// message box for an exception that escapes an event handler.
#pragma once

#include <QApplication>

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

// Shows an error that reached the top of the program.
void showFatal(const QString& what);

} // namespace tk
