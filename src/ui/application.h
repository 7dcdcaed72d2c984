// The application object: its title, the translations of Qt's own dialogs, and the
// message box for an exception that escapes an event handler.
#pragma once

#include <QApplication>

namespace tk {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error that reached the top of the program.
void showFatal(const QString& what);

} // namespace tk
