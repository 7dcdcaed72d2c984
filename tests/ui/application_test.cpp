// The application object of the program: its title, Qt's own texts in Russian and the
// message box for an exception that escapes an event handler.
#include "ui/application.h"
#include "ui/qtprompts.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <stdexcept>

namespace {

// Throws from its event handler, as a faulty command would.
class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            throw std::runtime_error("Сбой команды");
        }
        return QObject::event(e);
    }
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void title() { QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("TK515Pro")); }

    // Qt's file dialogs speak Russian like the rest of the program.
    void fileDialogButtonsAreRussian_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("accept");
        QTest::newRow("OpenDialog1") << true << "&Открыть";
        QTest::newRow("SaveDialog1") << false << "&Сохранить";
    }
    void fileDialogButtonsAreRussian() {
        QFETCH(bool, open);
        QFETCH(QString, accept);
        QVERIFY2(QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                               QStringLiteral("/qtbase_ru.qm")),
                 "the Russian Qt translations are not installed (qt6-translations-l10n)");
        QWidget owner;
        tk::QtPrompts prompts(&owner);
        QFileDialog* dialog = open ? prompts.OpenDialog1 : prompts.SaveDialog1;
        dialog->open();
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (buttons == nullptr) {
            dialog->reject();
            QSKIP("the platform's own file dialog is in use");
        }
        QStringList texts;
        for (QAbstractButton* b : buttons->buttons()) {
            texts << b->text();
        }
        texts.sort();
        dialog->reject();
        QCOMPARE(texts, (QStringList{accept, QStringLiteral("Отмена")}));
    }

    void escapingExceptionIsShownAndTheProgramGoesOn() {
        QString shown;
        QTimer::singleShot(0, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        Thrower thrower;
        QEvent event(QEvent::User);
        QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
        QCOMPARE(shown, QStringLiteral("Сбой команды"));
        // Events are delivered as before.
        bool delivered = false;
        QTimer::singleShot(0, this, [&] { delivered = true; });
        QTRY_VERIFY(delivered);
    }

    // On the link thread no box may be opened: the exception is shown from the
    // window's thread, once it gets there.
    void exceptionOnAnotherThreadIsShownFromTheWindowThread() {
        QThread thread;
        Thrower thrower;
        thrower.moveToThread(&thread);
        thread.start();
        QString shown;
        QThread* shownOn = nullptr;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                shownOn = box->thread();
                box->accept();
            }
        });
        watcher.start(10);
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(shown, QStringLiteral("Сбой команды"));
        QCOMPARE(shownOn, QThread::currentThread());
        thread.quit();
        QVERIFY(thread.wait());
    }
};

int main(int argc, char** argv) {
    tk::Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
