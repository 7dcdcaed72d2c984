// The port dialog TForm4 through its real widgets: controls, the pause arithmetic, the
// quick exchange, OK and Cancel, and the port it keeps when the list does not offer it.
#include "panel_support.h"
#include "ui/appwindows.h"
#include "ui/portdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>

using namespace tk;
using tk::test::child;

class PortDialogTest : public test::WindowCase {
    Q_OBJECT

    QWidget owner_;
    QString portName_;
    std::uint32_t txPause_ = 10;
    bool quick_ = false;
    QStringList present_;
    int listed_ = 0;
    std::unique_ptr<PortDialog> dialog_;

    QComboBox& combo() { return *child<QComboBox>(*dialog_, "ComboBox1"); }
    QSlider& trackBar() { return *child<QSlider>(*dialog_, "TxWTrackBar"); }
    QCheckBox& multiplier() { return *child<QCheckBox>(*dialog_, "PauseMultiplierCB"); }
    QCheckBox& quick() { return *child<QCheckBox>(*dialog_, "QuickExchangeCB"); }
    QLabel& pauseLabel() { return *child<QLabel>(*dialog_, "Label2"); }
    QPushButton& ok() { return *child<QPushButton>(*dialog_, "Button1"); }
    QPushButton& cancel() { return *child<QPushButton>(*dialog_, "Button2"); }

    // Shows the dialog over the port and pause, as Port1Click does.
    void openDialog() {
        dialog_->setSettings({portName_, txPause_, quick_});
        dialog_->open();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    void openDialog(const QString& port, std::uint32_t pause) {
        portName_ = port;
        txPause_ = pause;
        openDialog();
    }

    // A click in the middle of the check box, where the user clicks it.
    void clickBox(QCheckBox& box) {
        QTest::mouseClick(&box, Qt::LeftButton, {}, box.rect().center());
    }
    void clickMultiplier() { clickBox(multiplier()); }

private slots:
    void init() {
        present_ = {QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0"),
                    QStringLiteral("/dev/ttyUSB1")};
        listed_ = 0;
        quick_ = false;
        dialog_ = std::make_unique<PortDialog>(&owner_, [this] {
            ++listed_;
            return present_;
        });
        // OK gives the settings back, as the window takes them.
        connect(dialog_.get(), &QDialog::accepted, this, [this] {
            const tk::PortSettings s = dialog_->settings();
            portName_ = s.PortName;
            txPause_ = s.TxPause;
            quick_ = s.Quick;
        });
    }

    void cleanup() { dialog_.reset(); }

    void controls() {
        openDialog(QStringLiteral("/dev/ttyUSB0"), 10);
        PortDialog& d = *dialog_;
        QCOMPARE(d.objectName(), QStringLiteral("TForm4"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Параметры порта"));
        QVERIFY(d.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(d.isModal());
        QCOMPARE(child<QLabel>(d, "SelPortLabel")->text(), QStringLiteral("Выбранный порт:  "));
        QCOMPARE(child<QLabel>(d, "Label1")->text(),
                 QStringLiteral("Межсимвольная пауза при передаче: "));
        QVERIFY(pauseLabel().font().bold());
        QCOMPARE(trackBar().orientation(), Qt::Horizontal);
        QCOMPARE(trackBar().minimum(), 1);
        QCOMPARE(trackBar().maximum(), 99);
        QCOMPARE(trackBar().tickInterval(), 1);
        QVERIFY(trackBar().tickPosition() != QSlider::NoTicks);
        QCOMPARE(
            trackBar().toolTip(),
            QStringLiteral("Значение межсимвольной паузы между символами при передаче (*0.1мс)"));
        QCOMPARE(multiplier().text(), QStringLiteral("Множитель (*10)"));
        QCOMPARE(quick().text(), QStringLiteral("Быстрый обмен"));
        QVERIFY(!quick().isChecked());
        QVERIFY(!quick().toolTip().isEmpty());
        QCOMPARE(ok().text(), QStringLiteral("OK"));
        QVERIFY(ok().isDefault());
        QCOMPARE(cancel().text(), QStringLiteral("Отмена"));
        // Every control inside the client area, every caption whole.
        for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(d.rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        for (const char* name : {"SelPortLabel", "Label1", "PauseMultiplierCB", "QuickExchangeCB",
                                 "Button1", "Button2"}) {
            QWidget* w = child(d, name);
            QVERIFY2(w->width() >= w->sizeHint().width(), name);
        }
        QVERIFY(pauseLabel().width() >=
                pauseLabel().fontMetrics().horizontalAdvance(QStringLiteral("99мс.")));
        // The ports present, in the order given, the one in use selected.
        QStringList items;
        for (int i = 0; i < combo().count(); ++i) {
            items << combo().itemText(i);
        }
        QCOMPARE(items, present_);
        QCOMPARE(combo().currentIndex(), 1);
        QCOMPARE(pauseLabel().text(), QStringLiteral("1.0мс."));
    }

    void pauseOnOpening_data() {
        QTest::addColumn<uint>("pause");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("label");
        QTest::newRow("1") << 1u << 1 << false << "0.1мс.";
        QTest::newRow("5") << 5u << 5 << false << "0.5мс.";
        QTest::newRow("10") << 10u << 10 << false << "1.0мс.";
        QTest::newRow("25") << 25u << 25 << false << "2.5мс.";
        QTest::newRow("99") << 99u << 99 << false << "9.9мс.";
        QTest::newRow("100") << 100u << 10 << true << "10мс.";
        QTest::newRow("250") << 250u << 25 << true << "25мс.";
        QTest::newRow("990") << 990u << 99 << true << "99мс.";
    }
    void pauseOnOpening() {
        QFETCH(uint, pause);
        QFETCH(int, position);
        QFETCH(bool, ticked);
        QFETCH(QString, label);
        openDialog(QStringLiteral("/dev/ttyS0"), pause);
        QCOMPARE(trackBar().value(), position);
        QCOMPARE(multiplier().isChecked(), ticked);
        QCOMPARE(pauseLabel().text(), label);
        QCOMPARE(dialog_->workingPause(), pause);
        // OK without a change keeps the pause as it was.
        QTest::mouseClick(&ok(), Qt::LeftButton);
        QCOMPARE(txPause_, pause);
    }

    void trackBarAndMultiplier() {
        openDialog(QStringLiteral("/dev/ttyS0"), 10);
        trackBar().setFocus();
        // From 10 down to 7 with the arrow keys.
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(&trackBar(), Qt::Key_Left);
        }
        QCOMPARE(trackBar().value(), 7);
        QCOMPARE(dialog_->workingPause(), 7u);
        QCOMPARE(pauseLabel().text(), QStringLiteral("0.7мс."));
        clickMultiplier();
        QCOMPARE(dialog_->workingPause(), 70u);
        QCOMPARE(pauseLabel().text(), QStringLiteral("7мс."));
        QTest::keyClick(&trackBar(), Qt::Key_End);
        QCOMPARE(dialog_->workingPause(), 990u);
        QCOMPARE(pauseLabel().text(), QStringLiteral("99мс."));
        QTest::keyClick(&trackBar(), Qt::Key_Home);
        QCOMPARE(dialog_->workingPause(), 10u);
        QCOMPARE(pauseLabel().text(), QStringLiteral("1мс."));
        clickMultiplier();
        QCOMPARE(dialog_->workingPause(), 1u);
        QCOMPARE(pauseLabel().text(), QStringLiteral("0.1мс."));
        // Nothing is applied before OK.
        QCOMPARE(txPause_, 10u);
        QTest::keyClick(&trackBar(), Qt::Key_Right);
        QTest::mouseClick(&ok(), Qt::LeftButton);
        QCOMPARE(txPause_, 2u);
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    }

    void okTakesTheChosenPort() {
        openDialog(QStringLiteral("/dev/ttyS0"), 10);
        QSignalSpy shown(dialog_.get(), &QDialog::accepted);
        combo().setFocus();
        QTest::keyClick(&combo(), Qt::Key_Down);
        QTest::keyClick(&combo(), Qt::Key_Down);
        QCOMPARE(combo().currentText(), QStringLiteral("/dev/ttyUSB1"));
        QTest::mouseClick(&ok(), Qt::LeftButton);
        QCOMPARE(portName_, QStringLiteral("/dev/ttyUSB1"));
        QCOMPARE(shown.count(), 1);
    }

    void typedPathAndEnter() {
        openDialog(QStringLiteral("/dev/ttyS0"), 10);
        QLineEdit* edit = combo().lineEdit();
        QVERIFY(edit != nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("/dev/pts/7"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(portName_, QStringLiteral("/dev/pts/7"));
        // A typed path is not added to the list of ports present.
        openDialog();
        QCOMPARE(combo().count(), present_.size());
        QCOMPARE(combo().currentText(), QStringLiteral("/dev/pts/7"));
    }

    void cancelKeepsPortAndPause_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Отмена") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelKeepsPortAndPause() {
        QFETCH(bool, escape);
        openDialog(QStringLiteral("/dev/ttyS0"), 25);
        QSignalSpy shown(dialog_.get(), &QDialog::accepted);
        combo().setCurrentIndex(2);
        trackBar().setValue(60);
        clickMultiplier();
        clickBox(quick());
        if (escape) {
            QTest::keyClick(&trackBar(), Qt::Key_Escape);
        } else {
            QTest::mouseClick(&cancel(), Qt::LeftButton);
        }
        QTRY_VERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QCOMPARE(portName_, QStringLiteral("/dev/ttyS0"));
        QCOMPARE(txPause_, 25u);
        QVERIFY(!quick_);
        QCOMPARE(shown.count(), 0);
    }

    // "Быстрый обмен" shows the link's choice when the dialog opens and gives it back on
    // OK only; Space on the focused box ticks it as a click does.
    void quickExchange_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("after");
        QTest::newRow("ticked, OK") << false << 1 << false << true << true;
        QTest::newRow("ticked by Space, OK") << false << 1 << true << true << true;
        QTest::newRow("unticked, OK") << true << 1 << false << true << false;
        QTest::newRow("kept, OK") << true << 0 << false << true << true;
        QTest::newRow("ticked twice, OK") << false << 2 << false << true << false;
        QTest::newRow("ticked, Отмена") << false << 1 << false << false << false;
    }
    void quickExchange() {
        QFETCH(bool, before);
        QFETCH(int, clicks);
        QFETCH(bool, byKey);
        QFETCH(bool, accept);
        QFETCH(bool, after);
        quick_ = before;
        openDialog(QStringLiteral("/dev/ttyS0"), 10);
        QCOMPARE(quick().isChecked(), before);
        for (int i = 0; i < clicks; ++i) {
            if (byKey) {
                quick().setFocus();
                QTest::keyClick(&quick(), Qt::Key_Space);
            } else {
                clickBox(quick());
            }
        }
        QCOMPARE(quick_, before); // nothing before OK
        QTest::mouseClick(accept ? &ok() : &cancel(), Qt::LeftButton);
        QCOMPARE(quick_, after);
        QCOMPARE(txPause_, 10u);
        QCOMPARE(portName_, QStringLiteral("/dev/ttyS0"));
        // The next showing starts from the link's choice again.
        openDialog();
        QCOMPARE(quick().isChecked(), after);
    }

    // A chosen port survives opening the dialog again and cancelling it, whatever the
    // stored setting says: the stored one is written only when the window closes.
    void cancelDoesNotBringBackTheStoredPort() {
        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
            .setValue(QStringLiteral("pr"), QStringLiteral("/dev/ttyS0"));
        openDialog(QStringLiteral("/dev/ttyS0"), 10);
        combo().setCurrentIndex(1);
        QTest::mouseClick(&ok(), Qt::LeftButton);
        QCOMPARE(portName_, QStringLiteral("/dev/ttyUSB0"));
        openDialog();
        QCOMPARE(combo().currentText(), QStringLiteral("/dev/ttyUSB0"));
        QTest::mouseClick(&cancel(), Qt::LeftButton);
        QCOMPARE(portName_, QStringLiteral("/dev/ttyUSB0"));
    }

    // The port in use is absent (unplugged, busy): no other port is selected in its
    // place, and OK pressed to change the pause keeps it.
    void absentPortIsNotReplaced_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("typed"); // what the edit holds on OK
        QTest::addColumn<QString>("kept");
        QTest::newRow("absent") << "/dev/ttyUSB7" << QString() << "/dev/ttyUSB7";
        QTest::newRow("case differs") << "/dev/TTYS0" << QString() << "/dev/TTYS0";
        QTest::newRow("emptied") << "/dev/ttyUSB7"
                                 << ""
                                 << "/dev/ttyUSB7";
        QTest::newRow("blanks") << "/dev/ttyUSB7"
                                << "   "
                                << "/dev/ttyUSB7";
    }
    void absentPortIsNotReplaced() {
        QFETCH(QString, port);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        openDialog(port, 10);
        QCOMPARE(combo().currentIndex(), -1);
        QCOMPARE(combo().currentText(), port);
        if (!typed.isNull()) {
            combo().lineEdit()->selectAll();
            QTest::keyClick(combo().lineEdit(), Qt::Key_Delete);
            QTest::keyClicks(combo().lineEdit(), typed);
        }
        trackBar().setValue(50);
        QTest::mouseClick(&ok(), Qt::LeftButton);
        QCOMPARE(portName_, kept);
        QCOMPARE(txPause_, 50u);
    }

    void noPortPresent() {
        present_.clear();
        openDialog(QStringLiteral("/dev/ttyUSB0"), 10);
        QCOMPARE(combo().count(), 0);
        QTest::mouseClick(&ok(), Qt::LeftButton);
        QCOMPARE(portName_, QStringLiteral("/dev/ttyUSB0"));
    }

    // Activation runs once per showing: switching away and back keeps what the user
    // has set so far; the next showing lists the ports afresh.
    void activationOncePerShowing() {
        openDialog(QStringLiteral("/dev/ttyS0"), 10);
        QCOMPARE(listed_, 1);
        combo().setCurrentIndex(2);
        trackBar().setValue(33);
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(dialog_.get(), &deactivate);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(dialog_.get(), &activate);
        dialog_->activateWindow();
        QCOMPARE(listed_, 1);
        QCOMPARE(combo().currentText(), QStringLiteral("/dev/ttyUSB1"));
        QCOMPARE(trackBar().value(), 33);
        QTest::mouseClick(&cancel(), Qt::LeftButton);
        present_.removeFirst();
        openDialog();
        QCOMPARE(listed_, 2);
        QCOMPARE(combo().count(), 2);
        QCOMPARE(trackBar().value(), 10);
    }

    void pauseText_data() {
        QTest::addColumn<uint>("pause");
        QTest::addColumn<bool>("multiplied");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.1") << 1u << false << "0.1мс.";
        QTest::newRow("0.9") << 9u << false << "0.9мс.";
        QTest::newRow("1.0") << 10u << false << "1.0мс.";
        QTest::newRow("5.7") << 57u << false << "5.7мс.";
        QTest::newRow("x10 1") << 10u << true << "1мс.";
        QTest::newRow("x10 42") << 420u << true << "42мс.";
    }
    void pauseText() {
        QFETCH(uint, pause);
        QFETCH(bool, multiplied);
        QFETCH(QString, text);
        QCOMPARE(PortDialog::pauseText(pause, multiplied), text);
    }
};

QTEST_MAIN(PortDialogTest)
#include "portdialog_test.moc"
