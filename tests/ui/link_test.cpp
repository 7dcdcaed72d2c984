// The window's cable link against tk515-sim over a real pseudo-terminal: connect,
// read, write, Cancel, the failures, and what is refused while a transfer runs.
#include "link/qserialline.h"
#include "link_support.h"
#include "model/input_rules.h"
#include "ui/application.h"
#include "ui/portdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

#include <csignal>

#include <unistd.h>

using namespace tk;
using tk::test::child;
using tk::test::FastClock;
using tk::test::kSpeedUp;
using tk::test::readFile;
using tk::test::ScriptedPrompts;
using tk::test::transmitterRecord;
using tk::test::writeFile;
using Answer = Prompts::Answer;

class LinkTest : public test::LinkCase {
    Q_OBJECT

    void click(const char* button) {
        QTest::mouseClick(child<QToolButton>(window(), button), Qt::LeftButton);
    }

    // Starts the simulator on a new pseudo-terminal with the given extra arguments.
    void startSimulator(const QStringList& extra = {}) {
        launchSimulator(
            QStringList{deviceFile_, QStringLiteral("-o"), writtenFile_, QStringLiteral("--fast")} +
            extra);
    }

    // Runs a link command by its button and waits for its end.
    void run(const char* button, int timeoutMs = 20000) {
        runToEnd([&] { click(button); }, timeoutMs);
    }

    void connectLink() {
        run("ToolButton7");
        QCOMPARE(status(1), QStringLiteral("Connect"));
        QVERIFY(link().LinkConnected());
    }

    // The progress bar through a command: its values, and how many messages had come
    // when it was hidden (-1: it never was).
    struct Bar {
        QList<int> values;
        qsizetype messagesAtHide = -1;
        // Forward only, up to the full bar.
        bool wholeTransfer() const {
            return std::is_sorted(values.begin(), values.end()) && values.last() == 100;
        }
    };
    static QList<int> values(const QSignalSpy& changed) {
        QList<int> v;
        for (const QList<QVariant>& args : changed) {
            v << args.at(0).toInt();
        }
        return v;
    }
    Bar runWatchingTheBar(const char* button) {
        Bar bar;
        const qsizetype before = prompts_.log.size();
        QSignalSpy changed(&progress(), &QProgressBar::valueChanged);
        test::OnEvent hidden(&progress(), QEvent::Hide, [&] {
            if (bar.messagesAtHide < 0) {
                bar.messagesAtHide = prompts_.log.size() - before;
            }
        });
        run(button);
        bar.values = values(changed);
        return bar;
    }

private slots:
    void init() {
        prompts_ = ScriptedPrompts{};
        // Each case starts with the normal exchange, whatever the one before chose.
        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps")).remove(QStringLiteral("quick"));
        QVERIFY(writeFile(deviceFile_, transmitterRecord()));
        QFile::remove(writtenFile_);
    }

    // The same with "Быстрый обмен" ticked in the port dialog: the link takes it from
    // the next command on.
    void connectReadWrite_data() {
        QTest::addColumn<bool>("quick");
        QTest::newRow("normal") << false;
        QTest::newRow("Быстрый обмен") << true;
    }
    void connectReadWrite() {
        QFETCH(bool, quick);
        startSimulator();
        openWindow(pty_);
        QCOMPARE(status(0), pty_);
        child<QAction>(window(), "Port1")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&link().portDialog()));
        child<QCheckBox>(link().portDialog(), "QuickExchangeCB")->setChecked(quick);
        QTest::mouseClick(child(link().portDialog(), "Button1"), Qt::LeftButton);
        QCOMPARE(link().QuickExchange(), quick);

        // Connect: the commands follow the connected state.
        connectLink();
        for (const char* name : {"Read1", "Write1"}) {
            QVERIFY2(child<QAction>(window(), name)->isEnabled(), name);
        }
        QVERIFY(!child(window(), "ToolButton7")->isEnabled());
        QVERIFY(child(window(), "ToolButton9")->isEnabled());
        QCOMPARE(child<QAction>(window(), "Connect1")->text(), QStringLiteral("&Разорвать связь"));
        QVERIFY(progress().isHidden());
        QVERIFY(cancel().isHidden());

        // Read: the record takes the transmitter's configuration, then the link
        // disconnects. The bar shows the whole transfer, and is gone before the box.
        Bar bar = runWatchingTheBar("ToolButton4");
        QCOMPARE(prompts_.log, QStringList{"! Операция чтения завершена успешно!"});
        QVERIFY(bar.wholeTransfer());
        QCOMPARE(bar.messagesAtHide, 0);
        const Configuration& cfg = window().record();
        QCOMPARE(cfg.ObjNum, 0x4321);
        QCOMPARE(QString::fromStdString(cfg.TelNum[0]), QStringLiteral("89001112233"));
        QCOMPARE(cfg.TimeOfInp, 45);
        QCOMPARE(QString::fromStdString(cfg.TxVersion), QStringLiteral("1.05"));
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(!link().LinkConnected());
        QVERIFY(!child<QAction>(window(), "Read1")->isEnabled());
        QVERIFY(progress().isHidden());
        QVERIFY(!window().document().ConfigChanged());

        // Write a changed record: the simulator keeps what it received.
        window().panelContext().record().TelNum[0] = "+79997654321";
        window().panelContext().record().TimeOfInp = 12;
        connectLink();
        prompts_.log.clear();
        bar = runWatchingTheBar("ToolButton6");
        QCOMPARE(prompts_.log, QStringList{"! Операция записи завершена успешно!"});
        QVERIFY(bar.wholeTransfer());
        QCOMPARE(bar.messagesAtHide, 0);
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(!link().LinkConnected());
        QTRY_VERIFY(QFile::exists(writtenFile_));
        const std::optional<Configuration> written = readFile(writtenFile_);
        QVERIFY(written.has_value());
        QCOMPARE(QString::fromStdString(written->TelNum[0]), QStringLiteral("+79997654321"));
        QCOMPARE(written->TimeOfInp, 12);
        QCOMPARE(written->ObjNum, 0x4321);
        QVERIFY(prompts_.done());
    }

    // With inputs above 4 activated the cable write asks once: Yes writes inputs 1..4
    // (the transmitter keeps none above), No sends nothing.
    void writeWithInputsAboveFour_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Да") << true;
        QTest::newRow("Нет") << false;
    }
    void writeWithInputsAboveFour() {
        QFETCH(bool, yes);
        startSimulator();
        openWindow(pty_);
        connectLink();
        record().TimeOfInp = 12;
        for (const int n : {6, 7, 8, 13}) {
            SetActivated(record(), n, true);
        }
        prompts_.answers = {yes ? Answer::Yes : Answer::No};
        run("ToolButton6");
        QStringList expected{"? Включены входы выше 4 (6–8, 13): по кабелю записываются только "
                             "входы 1–4, эти входы передаются только удаленной записью. "
                             "Продолжить запись?"};
        if (yes) {
            expected << "! Операция записи завершена успешно!";
        }
        QCOMPARE(prompts_.log, expected);
        QCOMPARE(link().LinkConnected(), !yes); // a write ends by disconnecting
        QTRY_COMPARE(QFile::exists(writtenFile_), yes);
        if (yes) {
            const std::optional<Configuration> written = readFile(writtenFile_);
            QVERIFY(written.has_value());
            QCOMPARE(written->TimeOfInp, 12);
            QCOMPARE(written->Inputs[6].Flags & 1, 0);
        }
    }

    void disconnectByTheSameCommand() {
        startSimulator();
        openWindow(pty_);
        connectLink();
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        child<QAction>(window(), "Connect1")->trigger();
        QVERIFY(ended.wait(5000));
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(!link().LinkConnected());
        QCOMPARE(child<QAction>(window(), "Connect1")->text(), QStringLiteral("&Установить связь"));
        QVERIFY(prompts_.log.isEmpty());
        // The port is free again: another connect succeeds.
        connectLink();
    }

    // Closing the window lets the port go: another window connects at once.
    void closingTheWindowLetsThePortGo() {
        startSimulator();
        openWindow(pty_);
        connectLink();
        QVERIFY(window().close());
        ScriptedPrompts secondPrompts;
        AppWindows second = createWindows(program_, &secondPrompts);
        second.main->presetPort(pty_);
        LinkController& link2 = second.main->link();
        link2.useClock(std::make_unique<FastClock>());
        QSignalSpy ended(&link2, &LinkController::commandEnded);
        link2.ToolButton7Click();
        QVERIFY(ended.wait(10000));
        QVERIFY(secondPrompts.log.isEmpty());
        QVERIFY(link2.LinkConnected());
    }

    // Cancel in the save question abandons the read: the changes stay, nothing goes
    // over the line, the link stays connected.
    void cancelInTheSaveQuestionAbandonsTheRead() {
        startSimulator();
        openWindow(pty_);
        connectLink();
        window().panelContext().record().TimeOfInp = 99;
        window().panelContext().updt1(true);
        prompts_.answers = {Answer::Cancel};
        click("ToolButton4");
        QCOMPARE(prompts_.log, QStringList{"? Файл был изменен. Сохранить изменения?"});
        QVERIFY(!link().busy());
        QCOMPARE(window().record().TimeOfInp, 99);
        QVERIFY(window().document().ConfigChanged());
        QCOMPARE(status(1), QStringLiteral("Connect"));
        QVERIFY(link().LinkConnected());
        QVERIFY(progress().isHidden());
        QVERIFY(!window().panelContext().fillGuard());
        // Answered No, the same command reads.
        prompts_.answers = {Answer::No};
        prompts_.log.clear();
        run("ToolButton4");
        QCOMPARE(prompts_.log, (QStringList{"? Файл был изменен. Сохранить изменения?",
                                            "! Операция чтения завершена успешно!"}));
        QCOMPARE(window().record().TimeOfInp, 45);
    }

    // While a read runs, a second link command and closing the window are refused
    // with a word; the read goes on to its end.
    void secondCommandAndCloseRefusedDuringATransfer() {
        startSimulator();
        openWindow(pty_);
        connectLink();
        // A step taken back: Redo could make it again, but not while the read runs.
        auto* serial = child<QLineEdit>(window(), "Panel000TxSerialNumEd");
        serial->setFocus();
        QTest::keyClicks(serial, QStringLiteral("7"));
        child<QAction>(window(), "Undo1")->trigger();
        auto* redo = child<QAction>(window(), "Redo1");
        QVERIFY(redo->isEnabled() && !window().document().ConfigChanged());
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        click("ToolButton4");
        QVERIFY(link().busy());
        QVERIFY(progress().isVisible());
        QVERIFY(!redo->isEnabled());
        QVERIFY(!child(window(), "ToolButton12")->isEnabled());
        QTest::keyClick(serial, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(window().record().TxSerialNum, "");
        // New, Open and Save as do nothing until the blocks are in.
        QVERIFY(window().panelContext().fillGuard());
        const QString title = window().document().FileTitle();
        for (const char* name : {"New1", "Open1", "Saveas1"}) {
            child<QAction>(window(), name)->trigger();
        }
        QCOMPARE(window().document().FileTitle(), title);
        QVERIFY(prompts_.log.isEmpty());
        // A tree click shows no other panel, and the highlight stays with the one shown.
        auto& tree = *child<QTreeWidget>(window(), "TreeView1");
        test::clickNode(tree, test::node(tree, QStringLiteral("Разное")));
        QCOMPARE(tree.selectedItems().size(), 1);
        QCOMPARE(tree.selectedItems().first()->text(0), QStringLiteral("Общие"));
        QVERIFY(child(window(), "Panel013")->isHidden());
        QVERIFY(child(window(), "Panel000")->isVisible());

        click("ToolButton9");
        QCOMPARE(refusal(), LinkController::kBusyText);
        child<QAction>(window(), "Write1")->trigger();
        QCOMPARE(refusal(), LinkController::kBusyText);
        QVERIFY(!window().close());
        QCOMPARE(refusal(), LinkController::kCloseRefusedText);
        QVERIFY(window().isVisible());
        QVERIFY(link().busy());
        // The wait box left open: the read's box does not land on it, it goes first.
        click("ToolButton9");
        auto* box = window().findChild<QMessageBox*>(QStringLiteral("LinkBusyBox"));
        QVERIFY(box->isVisible());

        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(prompts_.log, QStringList{"! Операция чтения завершена успешно!"});
        QVERIFY(!box->isVisible());
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(!window().panelContext().fillGuard());
        // The read started a new history: nothing to make again.
        QVERIFY(!redo->isEnabled());
        QVERIFY(!child<QAction>(window(), "Undo1")->isEnabled());

        // A dialog the user has open holds the read's box back until it is closed.
        connectLink();
        prompts_.log.clear();
        click("ToolButton4");
        child<QAction>(window(), "Port1")->trigger();
        PortDialog& dialog = link().portDialog();
        QTRY_VERIFY_WITH_TIMEOUT(status(1).startsWith(QStringLiteral("Read OK")), 20000);
        QTest::qWait(300);
        QVERIFY(prompts_.log.isEmpty() && link().busy());
        QTest::mouseClick(child(dialog, "Button2"), Qt::LeftButton);
        QVERIFY(ended.wait(5000));
        QCOMPARE(prompts_.log, QStringList{"! Операция чтения завершена успешно!"});
        // Now the window closes.
        QVERIFY(window().close());
    }

    // Cancel during the connect loop ends it after the probe in progress.
    void cancelStopsTheConnectLoop() {
        startSimulator({QStringLiteral("--fault"), QStringLiteral("no-answer")});
        openWindow(pty_);
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        QSignalSpy bar(&progress(), &QProgressBar::valueChanged);
        QElapsedTimer timer;
        timer.start();
        click("ToolButton7");
        QCOMPARE(status(1), QStringLiteral("Connecting"));
        QVERIFY(cancel().isVisible());
        QVERIFY(progress().isVisible());
        QVERIFY(link().ConnectRetryAllowed());
        // FillGuard is held through the connect loop.
        QVERIFY(window().panelContext().fillGuard());
        QTest::qWait(2 * 2000 / kSpeedUp + 100); // into the third probe
        QTest::mouseClick(&cancel(), Qt::LeftButton);
        QVERIFY(!link().ConnectRetryAllowed());
        QVERIFY(ended.wait(5000));
        // Three probes of 2 s (virtual), not ten.
        QVERIFY2(timer.elapsed() < 5 * 2000 / kSpeedUp,
                 qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(status(1), QStringLiteral("No connect"));
        QVERIFY(!link().LinkConnected());
        QVERIFY(cancel().isHidden());
        QVERIFY(progress().isHidden());
        QVERIFY(!window().panelContext().fillGuard());
        QVERIFY(prompts_.log.isEmpty());
        QVERIFY(!child<QAction>(window(), "Read1")->isEnabled());
        // The bar counted the probes (three of ten), never one probe's wait alone.
        const QList<int> shown = values(bar);
        QVERIFY(std::is_sorted(shown.begin(), shown.end()));
        QVERIFY2(shown.last() >= 20 && shown.last() <= 30,
                 qPrintable(QString::number(shown.last())));
    }

    void aPortThatDoesNotOpen() {
        const QString port = scratch_.filePath(QStringLiteral("no-such-port"));
        openWindow(port);
        run("ToolButton7");
        // The caption and "error", then the port, the system's reason and ours.
        QCOMPARE(prompts_.log,
                 QStringList{QStringLiteral("! [Порт занят] error\n%1: No such file or directory. "
                                            "Такого порта нет: проверьте имя порта и "
                                            "подключение кабеля или адаптера.")
                                 .arg(port)});
        QCOMPARE(status(1), QStringLiteral("No connect"));
        QVERIFY(!link().LinkConnected());
        QVERIFY(cancel().isHidden());
        QVERIFY(progress().isHidden());
        QVERIFY(!window().panelContext().fillGuard());
    }

    // SIGTERM, SIGINT or SIGHUP during a cable read (a logout, kill, a closed terminal)
    // end the read at once and the program with it: nothing is asked, the record and
    // the files stay as they were, and the port is free again.
    void signalEndsAReadAndTheProgram_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalEndsAReadAndTheProgram() {
        QFETCH(int, signal);
        struct sigaction given {};
        sigaction(signal, nullptr, &given);
        if (given.sa_handler == SIG_IGN) {
            QSKIP("the signal is ignored by whoever started the tests (nohup), and so by the "
                  "program too");
        }
        startSimulator();
        openWindow(pty_);
        link().useClock(std::make_unique<link::SystemClock>()); // the program's own timing
        connectLink();
        const Configuration before = window().record();
        const QStringList files = QDir(program_).entryList(QDir::Files);
        const QuitOnSignals quit;
        click("ToolButton4");
        QTRY_COMPARE_WITH_TIMEOUT(status(1), QStringLiteral("Reading02"), 15000);
        QElapsedTimer timer;
        timer.start();
        ::kill(::getpid(), signal);
        QCOMPARE(QCoreApplication::exec(), 0); // the program's main() returns from it
        QCOMPARE(quit.received(), signal);
        QVERIFY(window().isHidden());
        QVERIFY(window().record() == before);
        QVERIFY(prompts_.log.isEmpty());
        app_.reset(); // main() destroys the windows, the link with them
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(QDir(program_).entryList(QDir::Files), files);
        link::QSerialLine again;
        QVERIFY2(again.open(pty_.toStdString()), again.error().c_str());
    }

    // A port this program already holds: a second window cannot open it.
    void aPortHeldByAnotherWindow() {
        startSimulator();
        openWindow(pty_);
        connectLink();
        ScriptedPrompts secondPrompts;
        AppWindows second = createWindows(program_, &secondPrompts);
        second.main->presetPort(pty_);
        LinkController& link2 = second.main->link();
        QSignalSpy ended(&link2, &LinkController::commandEnded);
        link2.ToolButton7Click();
        QVERIFY(ended.wait(10000));
        QCOMPARE(secondPrompts.log.size(), 1);
        QVERIFY2(secondPrompts.log[0].startsWith("! [Порт занят] error\n" + pty_ + ": ") &&
                     secondPrompts.log[0].endsWith(
                         ". Порт открыт другой программой (или другим окном этой программы)."),
                 qPrintable(secondPrompts.log[0]));
        QVERIFY(!link2.LinkConnected());
        // The first window's link is untouched and still works.
        QVERIFY(link().LinkConnected());
        run("ToolButton4");
        QCOMPARE(prompts_.log, QStringList{"! Операция чтения завершена успешно!"});
    }

    // Failures of a read or a write leave their code in the status bar.
    void failures_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("connected"); // afterwards
        QTest::addColumn<bool>("written");   // the simulator took a write
        QTest::newRow("count 00") << "count-00"
                                  << "ToolButton4"
                                  << "Error 0" << QStringList{} << true << false;
        QTest::newRow("wrong count") << "wrong-count"
                                     << "ToolButton4"
                                     << "Error 4" << QStringList{} << true << false;
        QTest::newRow("bad block tail") << "bad-tail"
                                        << "ToolButton4"
                                        << "Error 4" << QStringList{} << true << false;
        QTest::newRow("block unanswered") << "drop-reply"
                                          << "ToolButton4"
                                          << "Error 3" << QStringList{} << true << false;
        QTest::newRow("sum refused")
            << "refuse-sum"
            << "ToolButton6"
            << "Error 4" << QStringList{"! Операция записи завершена с ошибкой."} << true << false;
        // The read before a write fails: nothing is written that was not kept first.
        QTest::newRow("read before the write")
            << "bad-tail"
            << "ToolButton6"
            << "Error 4"
            << QStringList{"! Запись не выполнена: конфигурация передатчика не прочитана, копия "
                           "не сохранена."}
            << true << false;
        // The line goes away mid-read: the wait ends, the port is closed, the link is
        // disconnected.
        QTest::newRow("line closed") << "hang-up"
                                     << "ToolButton4"
                                     << "Disconnect" << QStringList{} << false << false;
    }
    void failures() {
        QFETCH(QString, fault);
        QFETCH(QString, button);
        QFETCH(QString, words);
        QFETCH(QStringList, messages);
        QFETCH(bool, connected);
        QFETCH(bool, written);
        startSimulator({QStringLiteral("--fault"), fault, QStringLiteral("--fault-block"),
                        QStringLiteral("2")});
        openWindow(pty_);
        connectLink();
        // A configuration read earlier, not saved (untitled, unchanged: nothing asks).
        window().panelContext().record().ObjNum = 0x0BAD;
        window().panelContext().record().TelNum[2] = "5550101";
        const Configuration before = window().record();
        const QString title = window().document().FileTitle();
        const Bar bar = runWatchingTheBar(qPrintable(button));
        QCOMPARE(status(1), words);
        QCOMPARE(prompts_.log, messages);
        QCOMPARE(link().LinkConnected(), connected);
        QCOMPARE(child<QAction>(window(), "Read1")->isEnabled(), connected);
        QVERIFY(progress().isHidden());
        QCOMPARE(bar.messagesAtHide, 0);
        QVERIFY(!window().panelContext().fillGuard());
        // A failed read changes nothing: the record and the file state are as they were.
        QVERIFY(window().record() == before);
        QCOMPARE(window().document().FileTitle(), title);
        QVERIFY(!window().document().ConfigChanged());
        QCOMPARE(QFile::exists(writtenFile_), written);
    }

    // The port dialog from the menu: OK shows the new port in status panel 0; a port
    // given on the command line is stored at close only when the user changed it.
    void portFromTheDialogAndTheCommandLine() {
        QSettings settings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"));
        settings.setValue(QStringLiteral("pr"), QStringLiteral("/dev/ttyS1"));
        settings.sync();
        openWindow(QStringLiteral("/dev/pts/41"));
        QCOMPARE(window().PortName(), QStringLiteral("/dev/pts/41"));
        QVERIFY(window().close());
        QCOMPARE(QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
                     .value(QStringLiteral("pr"))
                     .toString(),
                 QStringLiteral("/dev/ttyS1"));

        openWindow(QStringLiteral("/dev/pts/41"));
        child<QAction>(window(), "Port1")->trigger();
        PortDialog& dialog = link().portDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(child<QComboBox>(dialog, "ComboBox1")->currentText(),
                 QStringLiteral("/dev/pts/41"));
        child<QComboBox>(dialog, "ComboBox1")->setEditText(QStringLiteral("/dev/pts/42"));
        QVERIFY(!link().QuickExchange());
        child<QCheckBox>(dialog, "QuickExchangeCB")->setChecked(true);
        QTest::mouseClick(child(dialog, "Button1"), Qt::LeftButton);
        QCOMPARE(window().PortName(), QStringLiteral("/dev/pts/42"));
        QCOMPARE(status(0), QStringLiteral("/dev/pts/42"));
        QVERIFY(window().close());
        QSettings stored(QStringLiteral("tkcnt"), QStringLiteral("tkgps"));
        QCOMPARE(stored.value(QStringLiteral("pr")).toString(), QStringLiteral("/dev/pts/42"));
        // "Быстрый обмен" is kept with the port: the next window starts with it, and a
        // value it cannot read is the normal exchange.
        QCOMPARE(stored.value(QStringLiteral("quick")).toString(), QStringLiteral("true"));
        openWindow(QStringLiteral("/dev/pts/41"));
        QVERIFY(link().QuickExchange());
        app_.reset();
        stored.setValue(QStringLiteral("quick"), QStringLiteral("yes"));
        stored.sync();
        openWindow(QStringLiteral("/dev/pts/41"));
        QVERIFY(!link().QuickExchange());
    }
};

QTEST_MAIN(LinkTest)
#include "link_test.moc"
