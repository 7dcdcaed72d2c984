// The window's remote read and write against tk515-sim --modem over a real
// pseudo-terminal: the whole record with its extension blocks, the save question
// before a read, a read shown before its hang-up and a failed one that changes
// nothing, the number kept, refusals and the port held by the cable link.
//
// The test's clock runs four times faster than the wall clock (the 2 s pauses
// between modem commands take half a second); the simulator answers at once.
#include "files/settings.h"
#include "link_support.h"

#include <QAction>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QToolButton>

using namespace tk;
using tk::test::child;
using tk::test::readFile;
using tk::test::ScriptedPrompts;
using Answer = Prompts::Answer;

namespace {

constexpr int kSessionMs = 30000; // a whole remote session, real time, at most

const char* const kTel = "+79161234567";

} // namespace

class RemoteTest : public test::LinkCase {
    Q_OBJECT

    void startSimulator(const QStringList& extra = {}) {
        QStringList args{QStringLiteral("-o"), writtenFile_, QStringLiteral("--fast")};
        if (extra.contains(QStringLiteral("--modem"))) {
            args << QStringLiteral("--dialled") << dialledFile_;
        }
        launchSimulator(args + extra);
    }

    // Runs a menu command and waits for the link command's end.
    void run(const char* item) {
        runToEnd([&] { child<QAction>(window(), item)->trigger(); }, kSessionMs);
    }

    QString highlighted() {
        const QList<QTreeWidgetItem*> selected = tree().selectedItems();
        return selected.size() == 1 ? selected.first()->text(0) : QString();
    }
    QString telephoneShown() { return child<QLineEdit>(window(), "Panel000TxTlfNumEd")->text(); }

    QString dialled() {
        QFile f(dialledFile_);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // A record with inputs 6 and 9 active (two extension blocks) and the number.
    void prepareRecord() {
        Configuration& cfg = record();
        cfg.TxTlfNum = kTel;
        cfg.Inputs[6].Flags |= 1;
        cfg.Inputs[6].AlarmSMSText = "Okno";
        cfg.Inputs[9].Flags |= 1;
        cfg.Inputs[9].Raw8 = 0x1234;
        cfg.ObjNum = 0x2345;
    }

private slots:
    void init() {
        prompts_ = ScriptedPrompts{};
        QFile::remove(writtenFile_);
        QFile::remove(dialledFile_);
        // These cases are about the write's own call; the call before it that keeps
        // the transmitter's copy has its own cases (safety_test.cpp).
        wrregBackupBeforeWrite(false);
    }

    // Write the whole record, then read it back over a configuration opened from a
    // file: the file stays on show through the call, the blocks replace it through
    // New before the hang-up, the dialled number survives, inputs above 4 come back.
    void writeThenReadOverAnOpenedFile() {
        startSimulator({QStringLiteral("--modem")});
        openWindow(pty_);
        prepareRecord();
        run("Udalwrite1");
        QCOMPARE(prompts_.log, QStringList{"! Удаленная запись успешно завершена."});
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(progress().isHidden());
        QCOMPARE(record().ExtBlocksCount, 2);
        QCOMPARE(dialled(), QStringLiteral("+79161234567\n"));
        QTRY_VERIFY(QFile::exists(writtenFile_));
        const std::optional<Configuration> stored = readFile(writtenFile_);
        QVERIFY(stored.has_value());
        QCOMPARE(stored->Inputs[9].Raw8, 0x1234);
        QCOMPARE(stored->ObjNum, 0x2345);

        // The site's file, opened: other settings, the same transmitter's number.
        Configuration site = record();
        site.ObjNum = 0x1111;
        site.Inputs[6].Flags = 0;
        site.Inputs[9].Flags = 0;
        site.Inputs[20].Flags |= 1; // not in the transmitter: reset by New
        std::vector<std::uint8_t> bytes;
        QCOMPARE(tk::wrfile(site, bytes), FileWriteError::None);
        const QString sitePath = scratch_.filePath(QStringLiteral("site.tk515"));
        {
            QFile f(sitePath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        }
        prompts_.files = {sitePath};
        child<QAction>(window(), "Open1")->trigger();
        QCOMPARE(record().ObjNum, 0x1111);
        // A digit typed into the object number and not finished: finished first (the
        // texts follow it, the configuration is changed), so New asks; No drops it.
        window().panelContext().editor().ObjNumChanged = 1;
        prompts_.log.clear();
        prompts_.answers = {Answer::No};

        QSignalSpy ended(&link(), &LinkController::commandEnded);
        child<QAction>(window(), "Udalread1")->trigger();
        // Through the call the site's file stays as it is, on show with its number.
        QVERIFY(link().busy());
        QVERIFY(window().panelContext().fillGuard());
        QVERIFY(!window().document().Untitled());
        QCOMPARE(window().document().FilePath(), QFileInfo(sitePath).absoluteFilePath());
        QCOMPARE(record().ObjNum, 0x1111);
        QCOMPARE(telephoneShown(), QString::fromLatin1(kTel));
        QCOMPARE(QString::fromStdString(record().TxTlfNum), QString::fromLatin1(kTel));
        // What was read is on show while the call is cleared.
        QTRY_VERIFY_WITH_TIMEOUT(record().ObjNum == 0x2345, kSessionMs);
        QVERIFY(link().busy());
        QVERIFY(window().document().Untitled());
        QCOMPARE(telephoneShown(), QString::fromLatin1(kTel));
        QCOMPARE(child<QLabel>(window(), "Panel000TxVerLabel")->text().trimmed(),
                 QStringLiteral("Версия передатчика:   1.05"));
        QVERIFY(ended.wait(kSessionMs));

        QCOMPARE(prompts_.log, (QStringList{"? Файл был изменен. Сохранить изменения?",
                                            "! Удаленное чтение успешно завершено!"}));
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(!window().panelContext().fillGuard());
        QVERIFY(progress().isHidden());
        QCOMPARE(record().ObjNum, 0x2345);
        QCOMPARE(record().Inputs[6].Flags & 1, 1);
        QCOMPARE(QString::fromStdString(record().Inputs[6].AlarmSMSText), QStringLiteral("Okno"));
        QCOMPARE(record().Inputs[9].Raw8, 0x1234);
        QCOMPARE(record().Inputs[20].Flags & 1, 0);
        QCOMPARE(record().ExtBlocksCount, 2);
        QCOMPARE(QString::fromStdString(record().TxTlfNum), QString::fromLatin1(kTel));
        QVERIFY(!window().document().ConfigChanged());
        // The site's file was not touched: the read landed on a new configuration.
        QVERIFY(window().document().FilePath() != QFileInfo(sitePath).absoluteFilePath());
        QCOMPARE(dialled(), QStringLiteral("+79161234567\n+79161234567\n"));
        QVERIFY(prompts_.done());
    }

    // Inputs 5..64 edited in the window's table go wherever the record goes: into the
    // saved file, as tk515 export reads it, and by the remote write into the
    // transmitter's memory. A cell still being typed is taken before the save.
    void tableEditsReachTheFileAndTheTransmitter() {
        startSimulator({QStringLiteral("--modem")});
        openWindow(pty_);
        record().TxTlfNum = kTel;
        click("Входы 5–64");
        f_.goToCell(18, InputColumn::Active);
        QTest::keyClick(f_.inputTable(), Qt::Key_Space);
        f_.typeIntoCell(18, InputColumn::AlarmSms, QStringLiteral("Склад, ворота"));
        f_.typeIntoCell(17, InputColumn::ObjNum, QStringLiteral("abcd")); // inactive, block 4
        f_.typeIntoCell(18, InputColumn::RestoreSms, QStringLiteral("Закрыто"), false);
        const QString path = scratch_.filePath(QStringLiteral("table.tk515"));
        f_.saveAs(path);
        QVERIFY(!changed());

        QProcess tool;
        tool.start(QStringLiteral(TK515_PROGRAM), {QStringLiteral("export"), path});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QJsonValue inputs = QJsonDocument::fromJson(tool.readAllStandardOutput())["Inputs"];
        QCOMPARE(inputs[18]["Flags"].toInt() & 1, 1);
        QCOMPARE(inputs[18]["AlarmSMSText"].toString(), QStringLiteral("Склад, ворота"));
        QCOMPARE(inputs[18]["RestoreSMSText"].toString(), QStringLiteral("Закрыто"));
        QCOMPARE(inputs[17]["ObjNum"][0].toInt(), 0xAB);
        QCOMPARE(record().ExtBlocksCount, 4);

        prompts_.log.clear();
        run("Udalwrite1");
        QCOMPARE(prompts_.log, QStringList{"! Удаленная запись успешно завершена."});
        QTRY_VERIFY(QFile::exists(writtenFile_));
        const std::optional<Configuration> stored = readFile(writtenFile_);
        QVERIFY(stored.has_value());
        QCOMPARE(stored->Inputs[18].AlarmSMSText,
                 Text("\xD1\xEA\xEB\xE0\xE4, \xE2\xEE\xF0\xEE\xF2\xE0"));
        QVERIFY(stored->Inputs[17] == record().Inputs[17]);
        QVERIFY(stored->Inputs[18] == record().Inputs[18]);
    }

    // A changed configuration is offered for saving first: Cancel abandons the read
    // (nothing is dialled), Yes saves it to its path and reads. An untitled
    // configuration is reset too: nothing of an earlier transmitter stays.
    void saveQuestionBeforeTheRead() {
        startSimulator({QStringLiteral("--modem")});
        openWindow(pty_);
        record().TxTlfNum = kTel;
        record().Inputs[30].Flags = 1;
        record().ObjNum = 0x0777;
        window().panelContext().updt1(true);

        prompts_.answers = {Answer::Cancel};
        child<QAction>(window(), "Udalread1")->trigger();
        QCOMPARE(prompts_.log, QStringList{"? Файл был изменен. Сохранить изменения?"});
        QVERIFY(!link().busy());
        QVERIFY(!window().panelContext().fillGuard());
        QCOMPARE(record().ObjNum, 0x0777);
        QVERIFY(window().document().ConfigChanged());
        QVERIFY(progress().isHidden());
        QTest::qWait(200);
        QCOMPARE(dialled(), QString());

        const QString savedPath = window().document().FilePath();
        prompts_.answers = {Answer::Yes};
        prompts_.log.clear();
        run("Udalread1");
        QCOMPARE(prompts_.log, (QStringList{"? Файл был изменен. Сохранить изменения?",
                                            "! Удаленное чтение успешно завершено!"}));
        const std::optional<Configuration> saved = readFile(savedPath);
        QVERIFY(saved.has_value());
        QCOMPARE(saved->ObjNum, 0x0777);
        // The simulated transmitter holds the factory configuration.
        QCOMPARE(record().Inputs[30].Flags & 1, 0);
        QCOMPARE(record().ExtBlocksCount, 0);
        QCOMPARE(QString::fromStdString(record().TxTlfNum), QString::fromLatin1(kTel));
        QVERIFY(prompts_.done());
    }

    // The modem's failures: their message after the hang-up. A failed read changes
    // nothing: the record (read earlier and not saved, or changed), the file state,
    // the panel shown and the number on show. A hang-up the modem never confirmed is a
    // warning after the result.
    void failures_data() {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("changed"); // the configuration is changed (answered No)
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("not registered") << QStringList{"--creg", "2"} << "Udalread1" << false
                                        << QStringList{"! Модем не зарегистрирован в сети"};
        QTest::newRow("not registered, changed")
            << QStringList{"--creg", "2"} << "Udalread1" << true
            << QStringList{"! Модем не зарегистрирован в сети"};
        QTest::newRow("read, no carrier")
            << QStringList{"--dial", "no-carrier"} << "Udalread1" << false
            << QStringList{"! Нет связи с удаленным объектом"};
        QTest::newRow("read, bad block") << QStringList{"--fault", "bad-tail"} << "Udalread1"
                                         << false << QStringList{"! Ошибка! Нет ответа от объекта"};
        QTest::newRow("read, line closed")
            << QStringList{"--fault", "hang-up"} << "Udalread1" << true
            << QStringList{"! Ошибка! Нет ответа от объекта"};
        QTest::newRow("no carrier") << QStringList{"--dial", "no-carrier"} << "Udalwrite1" << false
                                    << QStringList{"! Нет связи с удаленным объектом"};
        QTest::newRow("deaf hang-up")
            << QStringList{"--deaf-hang-up"} << "Udalwrite1" << false
            << QStringList{"! Удаленная запись успешно завершена.",
                           "! Отбой не подтвержден (нет ответа «OK» на «+++AT» и «ATH»). Модем "
                           "может оставаться на связи с объектом: выключите и снова включите "
                           "модем, прежде чем звонить снова."};
    }
    void failures() {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, item);
        QFETCH(bool, changed);
        QFETCH(QStringList, messages);
        startSimulator(QStringList{"--modem"} + simArgs);
        openWindow(pty_);
        record().TxTlfNum = kTel;
        record().ObjNum = 0x0BAD;
        record().Inputs[7].Flags |= 1;
        record().ExtBlocksCount = 1; // as a write counts it
        if (changed) {
            window().panelContext().updt1(true);
            prompts_.answers = {Answer::No};
            messages.prepend(QStringLiteral("? Файл был изменен. Сохранить изменения?"));
        }
        test::clickNode(tree(), test::node(tree(), QStringLiteral("Разное")));
        const Configuration before = record();
        const QString path = window().document().FilePath();
        run(qPrintable(item));
        QCOMPARE(prompts_.log, messages);
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(progress().isHidden());
        QVERIFY(!window().panelContext().fillGuard());
        QVERIFY(record() == before);
        QCOMPARE(window().document().FilePath(), path);
        QVERIFY(window().document().Untitled());
        QCOMPARE(window().document().ConfigChanged(), changed);
        QVERIFY(child(window(), "Panel013")->isVisible());
        QCOMPARE(highlighted(), QStringLiteral("Разное"));
        test::clickNode(tree(), test::node(tree(), QStringLiteral("Общие")));
        QCOMPARE(telephoneShown(), QString::fromLatin1(kTel));
        QVERIFY(prompts_.done());
    }

    void emptyTelephone() {
        startSimulator({QStringLiteral("--modem")});
        openWindow(pty_);
        run("Udalwrite1");
        QCOMPARE(prompts_.log, QStringList{"! Не введен телефон модуля"});
        QCOMPARE(status(1), QStringLiteral("Check modem"));
        QCOMPARE(dialled(), QString());
    }

    // While a remote session runs, a second link command and closing the window are
    // refused with a word; with the cable link connected the port is busy.
    void refusalsAndThePortHeldByTheCableLink() {
        startSimulator({QStringLiteral("--modem")});
        openWindow(pty_);
        record().TxTlfNum = kTel;
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        child<QAction>(window(), "Udalwrite1")->trigger();
        QVERIFY(link().busy());
        child<QAction>(window(), "Udalread1")->trigger();
        QCOMPARE(refusal(), LinkController::kBusyText);
        QTest::mouseClick(child<QToolButton>(window(), "ToolButton7"), Qt::LeftButton);
        QCOMPARE(refusal(), LinkController::kBusyText);
        QVERIFY(!window().close());
        QCOMPARE(refusal(), LinkController::kCloseRefusedText);
        QVERIFY(ended.wait(kSessionMs));
        QCOMPARE(prompts_.log, QStringList{"! Удаленная запись успешно завершена."});
        QVERIFY(window().close());
    }

    // Cancel stops a connect loop; it does not reach the next remote command.
    void aCancelledConnectDoesNotStopTheNextRemoteCommand() {
        startSimulator({QStringLiteral("--modem")}); // the modem ignores the probe "M"
        openWindow(pty_);
        record().TxTlfNum = kTel;
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        QTest::mouseClick(child<QToolButton>(window(), "ToolButton7"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window(), "Btotmsv"), Qt::LeftButton);
        QVERIFY(ended.wait(10000));
        QCOMPARE(status(1), QStringLiteral("No connect"));
        run("Udalwrite1");
        QCOMPARE(prompts_.log, QStringList{"! Удаленная запись успешно завершена."});
    }

    void portBusyWhileTheCableLinkIsConnected() {
        startSimulator(); // the transmitter on the cable
        openWindow(pty_);
        record().TxTlfNum = kTel;
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        QTest::mouseClick(child<QToolButton>(window(), "ToolButton7"), Qt::LeftButton);
        QVERIFY(ended.wait(10000));
        QVERIFY(link().LinkConnected());
        record().ObjNum = 0x0555;
        window().panelContext().updt1(true);
        for (const char* item : {"Udalread1", "Udalwrite1"}) {
            prompts_.log.clear();
            run(item);
            QCOMPARE(prompts_.log, QStringList{"! [Порт занят] error\n" + pty_ +
                                               ": Порт уже открыт этой программой: установлена "
                                               "связь по кабелю."});
            QVERIFY(link().LinkConnected());
            QVERIFY(!window().panelContext().fillGuard());
            QVERIFY(progress().isHidden());
        }
        // The refused read did not run New: nothing was asked, nothing was reset.
        QCOMPARE(record().ObjNum, 0x0555);
        QVERIFY(window().document().ConfigChanged());
        QCOMPARE(QString::fromStdString(record().TxTlfNum), QString::fromLatin1(kTel));
        // The cable link still works.
        prompts_.answers = {Answer::No};
        QTest::mouseClick(child<QToolButton>(window(), "ToolButton4"), Qt::LeftButton);
        QVERIFY(ended.wait(20000));
        QTRY_VERIFY(!link().busy());
        QVERIFY(prompts_.log.contains("! Операция чтения завершена успешно!"));
    }
};

QTEST_MAIN(RemoteTest)
#include "remote_test.moc"
