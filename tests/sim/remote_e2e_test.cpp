// tk515's remote commands against tk515-sim --modem over a real pseudo-terminal.
#include "files/backups.h"
#include "files/settings.h"
#include "sim_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

namespace {

using namespace tk::test;

const QString kTel = QStringLiteral("+79161234567");

class RemoteEndToEnd : public InScratchFolder {
protected:
    // Backups go to this test's own folder.
    void SetUp() override {
        InScratchFolder::SetUp();
        tk::storeBackupFolder(path("backups"));
    }

    // A configuration with inputs 6, 9 and 13 active (three extension blocks, 16
    // transfer blocks) and the transmitter's number.
    QString configuration(const char* name, const QString& tel) {
        QJsonArray inputs;
        for (int n = 0; n <= 64; ++n) {
            QJsonObject in;
            if (n == 6 || n == 9 || n == 13) {
                in["Flags"] = 1;
                in["ZoneType"] = 2;
                in["AlarmSMSText"] = QStringLiteral("Тревога %1").arg(n);
                in["Raw8"] = 0x1234 + n;
            }
            inputs.append(in);
        }
        QJsonObject o;
        o["ObjNum"] = 4660;
        o["Inputs"] = inputs;
        if (!tel.isEmpty()) {
            o["TxTlfNum"] = tel;
        }
        const QString json = path("in.json");
        QFile f(json);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(o).toJson());
        f.close();
        const QString out = path(name);
        const ToolRun r = runTool({"import", json, "-o", out});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return out;
    }
};

// Inputs above 4 survive a remote round trip: written with --verify (the number from
// the file), read back into a file equal to the written one byte for byte. The quick
// exchange writes and reads the same, sending the same bytes.
TEST_F(RemoteEndToEnd, WriteThenReadKeepsExtensionBlocks) {
    const QString written = configuration("written.t61", kTel);
    const QString dialled = path("dialled.txt");
    Sim sim({"--modem", "--fast", "--dialled", dialled, "-o", path("stored.t61")});
    ASSERT_FALSE(sim.port.isEmpty());

    // A call of its own reads what the transmitter holds first (the factory
    // configuration, 7 blocks) and keeps it under the number dialled.
    const ToolRun w = runTool({"remote-write", "--port", sim.port, written, "--verify"});
    EXPECT_EQ(w.exitCode, 0) << w.err.toStdString();
    EXPECT_TRUE(w.err.startsWith("Check modem\nChecking GSMNet\nConnecting\nReading\nReading00\n"))
        << w.err.toStdString();
    EXPECT_TRUE(w.err.contains("Read OK. It was readed 7 blocks.\nDisconnect\nCheck modem\n"
                               "Checking GSMNet\nConnecting\nWriting\nWriting00\n"))
        << w.err.toStdString();
    EXPECT_TRUE(w.err.contains("Writing0F\nDisconnect\n"));
    EXPECT_FALSE(w.err.contains("Writing10"));
    EXPECT_TRUE(w.out.contains("Удаленная запись успешно завершена."));
    EXPECT_TRUE(w.out.contains("блоки 00-0F прочитаны без различий"));
    EXPECT_EQ(contents(dialled), (kTel + "\n" + kTel + "\n" + kTel + "\n").toUtf8());
    const std::vector<tk::BackupEntry> kept = tk::ListBackups(path("backups"));
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_EQ(kept[0].transmitter, "+79161234567");
    EXPECT_EQ(kept[0].kind, tk::BackupKind::BeforeWrite);
    EXPECT_TRUE(kept[0].remote);
    EXPECT_EQ(kept[0].via, kTel);
    tk::Configuration held = factoryRecord();
    ASSERT_EQ(tk::refile(held, readBytes(kept[0].path)), tk::StatusNone);
    held.Comments.clear();
    tk::Configuration factory = factoryRecord();
    factory.TxTlfNum = kTel.toStdString();
    factory.TxVersion = held.TxVersion; // the firmware's, not a setting
    EXPECT_EQ(held, factory);

    const QString read = path("read.t61");
    const QString trace = path("trace.txt");
    const ToolRun r = runTool({"remote-read", "--port", sim.port, "--tel", kTel, "-o", read,
                               "--trace", trace, "--no-backup"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Reading0F\nRead OK. It was readed 16 blocks.\nDisconnect\n"));
    EXPECT_TRUE(r.out.contains("Удаленное чтение успешно завершено!"));
    EXPECT_EQ(contents(read), contents(written));
    const QByteArray t = contents(trace);
    const QByteArray sent = sentBytes(t);
    EXPECT_TRUE(sent.startsWith("ATE=0\rAT\rAT+CBST=71,0,1\rAT+CREG?\rATD+79161234567\rrdump\r"))
        << sent.left(200).toStdString();
    EXPECT_TRUE(sent.endsWith("read0F\r+++AT\rATH\r"));
    EXPECT_TRUE(t.contains("close"));

    const QByteArray storedNormal = contents(path("stored.t61"));
    ASSERT_TRUE(QFile::remove(path("stored.t61")));
    const ToolRun qw = runTool(
        {"remote-write", "--port", sim.port, written, "--verify", "--quick", "--no-backup"});
    EXPECT_EQ(qw.exitCode, 0) << qw.err.toStdString();
    EXPECT_TRUE(qw.out.contains("блоки 00-0F прочитаны без различий"));
    EXPECT_EQ(contents(path("stored.t61")), storedNormal);
    const QString quickRead = path("quick.t61");
    const ToolRun qr = runTool({"remote-read", "--port", sim.port, "--tel", kTel, "-o", quickRead,
                                "--trace", path("quick.txt"), "--quick", "--no-backup"});
    EXPECT_EQ(qr.exitCode, 0) << qr.err.toStdString();
    EXPECT_EQ(qr.err, r.err);
    EXPECT_EQ(contents(quickRead), contents(written));
    EXPECT_EQ(sentBytes(contents(path("quick.txt"))), sent);
    const QString log = sim.stopAndLog();
    EXPECT_TRUE(log.contains("ATH: call cleared")) << log.toStdString();
}

// The modem's failures end with their message, after the hang-up, with status 1; a
// hang-up the modem does not confirm keeps the data's result and warns on stderr; a
// save that fails after the call never passes for success. The quick exchange ends
// each the same way, and reads answers split in their middle through its fallback.
TEST_F(RemoteEndToEnd, ModemFailuresEndWithTheirMessage) {
    struct Case {
        QStringList simArgs;
        const char* output; // in the test folder, or an absolute path
        int exitCode;
        const char* message; // on stderr
        const char* words;   // on stderr
        bool saved;          // the read succeeded and the file holds it
        bool quick = false;
    };
    const Case cases[] = {
        {{"--creg", "2"},
         "x.t61",
         1,
         "Модем не зарегистрирован в сети",
         "Checking GSMNet\nDisconnect\n",
         false},
        {{"--dial", "no-carrier"},
         "x.t61",
         1,
         "Нет связи с удаленным объектом",
         "Connecting\nDisconnect\n",
         false},
        {{"--deaf-hang-up"},
         "x.t61",
         0,
         "Отбой не подтвержден (нет ответа «OK» на «+++AT» и «ATH»). Модем может оставаться "
         "на связи с объектом",
         "Read OK. It was readed 7 blocks.\nDisconnect\n",
         true},
        {{"--fault", "hang-up", "--fault-block", "3"},
         "x.t61",
         1,
         "Ошибка! Нет ответа от объекта: линия пропала (порт закрыт)\n",
         "Reading03\nDisconnect\n",
         false},
        {{}, "/dev/full", 1, "/dev/full: Не сохраняется: ", "Disconnect\n", false},
        {{"--creg", "2"},
         "x.t61",
         1,
         "Модем не зарегистрирован в сети",
         "Checking GSMNet\nDisconnect\n",
         false,
         true},
        {{"--dial", "no-carrier"},
         "x.t61",
         1,
         "Нет связи с удаленным объектом",
         "Connecting\nDisconnect\n",
         false,
         true},
        {{"--deaf-hang-up"},
         "x.t61",
         0,
         "Отбой не подтвержден (нет ответа «OK» на «+++AT» и «ATH»)",
         "Read OK. It was readed 7 blocks.\nDisconnect\n",
         true,
         true},
        {{"--fault", "hang-up", "--fault-block", "3"},
         "x.t61",
         1,
         "Ошибка! Нет ответа от объекта: линия пропала (порт закрыт)\n",
         "Reading03\nDisconnect\n",
         false,
         true},
        {{"--fault", "bad-tail"},
         "x.t61",
         1,
         "Ошибка! Нет ответа от объекта\n",
         "Reading02\nDisconnect\n",
         false,
         true},
        {{"--fault", "drop-reply"},
         "x.t61",
         1,
         "Ошибка! Нет ответа от объекта (нет ответа вовремя)",
         "Reading02\nDisconnect\n",
         false,
         true},
        {{"--fault", "split"},
         "x.t61",
         0,
         "",
         "Read OK. It was readed 7 blocks.\nDisconnect\n",
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.message) + (c.quick ? ", quick" : ""));
        QFile::remove(path("x.t61"));
        Sim sim(QStringList{"--modem", "--fast"} + c.simArgs);
        ASSERT_FALSE(sim.port.isEmpty());
        const QString output = c.output[0] == '/' ? QString::fromUtf8(c.output) : path(c.output);
        const ToolRun r =
            runTool(QStringList{"remote-read", "--port", sim.port, "--tel", kTel, "-o", output} +
                    (c.quick ? QStringList{"--quick"} : QStringList{}));
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.words))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("Inappropriate ioctl")) << r.err.toStdString();
        EXPECT_EQ(r.out.contains("Удаленное чтение успешно завершено!"), c.saved)
            << r.out.toStdString();
        EXPECT_EQ(QFile::exists(path("x.t61")), c.saved);
    }
}

// Ended in the middle of the call (Ctrl+C, SIGTERM, a closed terminal) or while an
// answer is pending, the command stops within a wait slice, hangs up, closes the port
// and says "прервано"; a closed pipe on stderr never stops it. The next command works.
TEST_F(RemoteEndToEnd, InterruptedCommandHangsUp) {
    struct Case {
        const char* name;
        QStringList simArgs;
        const char* when; // the status word after which it happens
        int signal;       // 0: stderr's pipe is closed instead
        qint64 hangUpMs;  // the command then ends within this time
        bool tryNext;     // a second command on the same modem follows
    };
    const Case cases[] = {
        {"SIGTERM mid-transfer", {}, "Reading01", SIGTERM, 6000, false},
        {"SIGHUP mid-transfer", {}, "Reading01", SIGHUP, 6000, true},
        // The dial's 40 s are not waited out, and no "rdump" follows.
        {"SIGINT during the dial", {"--dial", "silence"}, "Connecting", SIGINT, 6000, false},
        {"stderr closed", {}, "Reading01", 0, 20000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        struct sigaction given {};
        if (c.signal != 0 && sigaction(c.signal, nullptr, &given) == 0 &&
            given.sa_handler == SIG_IGN) {
            // Ignored by whoever started the tests (nohup), so by tk515 too.
            continue;
        }
        QFile::remove(path("x.t61"));
        Sim sim(QStringList{"--modem", "--fast"} + c.simArgs);
        ASSERT_FALSE(sim.port.isEmpty());
        QProcess tool;
        const QString trace = path("trace.txt");
        tool.start(kTool, {"remote-read", "--port", sim.port, "--tel", kTel, "-o", path("x.t61"),
                           "--trace", trace});
        ASSERT_TRUE(tool.waitForStarted(5000));
        tool.setReadChannel(QProcess::StandardError); // the status words
        QByteArray err;
        QElapsedTimer t;
        t.start();
        while (!err.contains(c.when) && t.elapsed() < 30000 && tool.waitForReadyRead(30000)) {
            err += tool.readAllStandardError();
        }
        ASSERT_TRUE(err.contains(c.when)) << err.toStdString();
        QThread::msleep(300); // into the wait
        t.restart();
        if (c.signal != 0) {
            ::kill(static_cast<pid_t>(tool.processId()), c.signal);
        } else {
            tool.closeReadChannel(QProcess::StandardError);
        }
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_LT(t.elapsed(), c.hangUpMs);
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        const QByteArray sent = sentBytes(contents(trace));
        EXPECT_TRUE(sent.endsWith("+++AT\rATH\r")) << sent.right(40).toStdString();
        EXPECT_FALSE(c.signal == SIGINT && sent.contains("rdump"));
        if (c.signal != 0) {
            err += tool.readAllStandardError();
            EXPECT_EQ(tool.exitCode(), 1);
            EXPECT_TRUE(err.contains("Disconnect\n")) << err.toStdString();
            EXPECT_TRUE(err.contains("прервано, трубка положена, порт закрыт"))
                << err.toStdString();
            EXPECT_FALSE(QFile::exists(path("x.t61")));
        } else {
            EXPECT_EQ(tool.exitCode(), 0);
            EXPECT_TRUE(QFile::exists(path("x.t61")));
        }
        if (c.tryNext) {
            // The call was cleared: the next command finds the modem ready.
            const ToolRun next =
                runTool({"remote-read", "--port", sim.port, "--tel", kTel, "-o", path("y.t61")});
            EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
        }
        const QString log = sim.stopAndLog();
        EXPECT_TRUE(log.contains(c.simArgs.isEmpty() ? "ATH: call cleared" : "ATH: no call"))
            << log.toStdString();
    }
}

// Without a number the write does not start; a number that a modem would take as
// commands is refused on the command line.
TEST_F(RemoteEndToEnd, TelephoneRequiredAndChecked) {
    const QString noTel = configuration("notel.t61", {});
    const ToolRun w = runTool({"remote-write", "--port", "/dev/null", noTel});
    EXPECT_EQ(w.exitCode, 1);
    EXPECT_EQ(w.err, "tk515: " + noTel +
                         ": Не введен телефон модуля (в файле нет телефона передатчика; укажите "
                         "--tel НОМЕР)\n");

    const ToolRun bad =
        runTool({"remote-read", "--port", "/dev/null", "--tel", "123;H", "-o", "x"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("допустимы цифры")) << bad.err.toStdString();
    const ToolRun help = runTool({"--help"});
    EXPECT_TRUE(help.out.contains("remote-read --port ПОРТ --tel НОМЕР -o ФАЙЛ"));
}

} // namespace
