// tk515 against tk515-sim over a real pseudo-terminal: the real programs, the real
// serial port code, the real timing of the line.
#include "files/backups.h"
#include "files/settings.h"
#include "sim_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tk::test;

class EndToEnd : public InScratchFolder {
protected:
    // Backups go to this test's own folder.
    void SetUp() override {
        InScratchFolder::SetUp();
        tk::storeBackupFolder(backups());
    }
    QString backups() const { return path("backups"); }

    // A configuration that differs from the factory one in the first 512 image bytes.
    QString changedConfiguration(const char* name) {
        const QString json = path("changes.json");
        QFile f(json);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"ObjNum": 4660, "TimeOfInp": 33, "TimeOfOut": 41})");
        f.close();
        const QString out = path(name);
        EXPECT_EQ(runTool({"import", json, "-o", out}).exitCode, 0);
        return out;
    }
};

// The read's file is the served configuration with one comment line more, which says
// what was read, from which port and when; its backup is the same bytes.
TEST_F(EndToEnd, ReadGivesTheServedFileAndKeepsItsBackup) {
    const QString served = changedConfiguration("served.t61");
    Sim sim({served, "--fast", "--quiet"});
    ASSERT_FALSE(sim.port.isEmpty());
    const QString out = path("read.t61");
    const QString trace = path("trace.txt");
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const ToolRun r = runTool({"read", "--port", sim.port, "-o", out, "--trace", trace});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    tk::Configuration read = factoryRecord();
    ASSERT_EQ(tk::refile(read, readBytes(out)), tk::StatusNone);
    ASSERT_EQ(read.Comments.size(), 1U);
    const auto origin = tk::ParseReadComment(read.Comments[0]);
    ASSERT_TRUE(origin.has_value()) << read.Comments[0];
    EXPECT_EQ(origin->kind, tk::BackupKind::Read);
    EXPECT_FALSE(origin->remote);
    EXPECT_EQ(origin->via, sim.port);
    EXPECT_GE(origin->when, before);
    read.Comments.clear();
    EXPECT_EQ(fileOf(read), readBytes(served));
    const std::vector<tk::BackupEntry> kept = tk::ListBackups(backups());
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_EQ(kept[0].transmitter, "unknown");
    EXPECT_EQ(kept[0].when, origin->when);
    EXPECT_EQ(contents(kept[0].path), contents(out));
    EXPECT_TRUE(r.out.contains("Резервная копия (чтение): " + kept[0].path));
    EXPECT_TRUE(r.err.startsWith("Connecting\nConnect\nReading\nReading00\n"));
    EXPECT_TRUE(r.err.contains("Reading06\nRead OK. It was readed 7 blocks.\nDisconnect\n"));
    EXPECT_TRUE(r.out.contains("Операция чтения завершена успешно!"));
    const QByteArray t = contents(trace);
    EXPECT_TRUE(t.contains("open " + sim.port.toUtf8()));
    EXPECT_TRUE(t.contains("> 4D  |M|"));
    EXPECT_TRUE(t.contains("< 4D 4F 4B 0D 0A  |MOK..|"));
    EXPECT_TRUE(t.contains("close"));
}

// The write first reads what the transmitter holds, with its own connect and
// disconnect, and keeps it as a "before write" backup under the serial number of the
// file written; then it connects again and writes.
TEST_F(EndToEnd, WriteKeepsWhatTheTransmitterHeldAndStoresTheFile) {
    tk::Configuration held = factoryRecord();
    held.TimeOfInp = 55;
    held.ObjNum = 0x2468;
    const QString device = path("device.t61");
    writeBytes(device, fileOf(held));
    const QByteArray heldBytes = contents(device);
    tk::Configuration site = factoryRecord();
    site.TxSerialNum = "SN/77 A";
    site.TimeOfInp = 33;
    const QString written = path("written.t61");
    writeBytes(written, fileOf(site));
    const QString stored = path("stored.t61");
    Sim sim({device, "-o", stored, "--fast"});
    ASSERT_FALSE(sim.port.isEmpty());
    const ToolRun r = runTool({"write", "--port", sim.port, written, "--verify", "--pause", "5"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("Connecting\nConnect\nReading\nReading00\n"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Read OK. It was readed 7 blocks.\nDisconnect\nConnecting\nConnect\n"
                               "Writing\nWriting00\nWriting01\nWriting02\nWriting03\n"
                               "Write OK. It was writed 4 blocks.\nDisconnect\n"));
    EXPECT_TRUE(r.out.contains("Операция записи завершена успешно!"));
    EXPECT_TRUE(r.out.contains("без различий"));
    tk::Configuration storedRecord = factoryRecord();
    ASSERT_EQ(tk::refile(storedRecord, readBytes(stored)), tk::StatusNone);
    site.TxSerialNum.clear(); // the transmitter keeps no serial number
    EXPECT_EQ(fileOf(storedRecord), fileOf(site));

    const std::vector<tk::BackupEntry> kept = tk::ListBackups(backups());
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_EQ(kept[0].transmitter, "SN_77_A");
    EXPECT_EQ(kept[0].kind, tk::BackupKind::BeforeWrite);
    EXPECT_EQ(kept[0].via, sim.port);
    tk::Configuration backup = factoryRecord();
    ASSERT_EQ(tk::refile(backup, readBytes(kept[0].path)), tk::StatusNone);
    ASSERT_EQ(backup.Comments.size(), 1U);
    EXPECT_EQ(tk::ParseReadComment(backup.Comments[0])->kind, tk::BackupKind::BeforeWrite);
    backup.Comments.clear();
    backup.TxSerialNum.clear();
    EXPECT_EQ(fileOf(backup), Bytes(heldBytes.begin(), heldBytes.end()));
}

// A read before the write that fails stops the write: nothing is written, nothing kept.
// A backup folder that takes no file stops a write too, but never a read.
TEST_F(EndToEnd, NoWriteWithoutACopyAndNoReadLostForOne) {
    const QString written = changedConfiguration("written.t61");
    const QString stored = path("stored.t61");
    {
        Sim sim({"--fast", "--fault", "drop-reply", "-o", stored});
        ASSERT_FALSE(sim.port.isEmpty());
        const ToolRun r = runTool({"write", "--port", sim.port, written, "--quick"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("Reading02\nError 3\nDisconnect\n")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("запись не выполнена: конфигурация передатчика не прочитана"))
            << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("Writing"));
        EXPECT_FALSE(QFile::exists(stored));
        EXPECT_TRUE(tk::ListBackups(backups()).empty());
    }
    // A file where the folder should be: no folder can be made under it.
    writeText(path("blocked"), "x");
    tk::storeBackupFolder(path("blocked/backups"));
    Sim sim({written, "-o", stored, "--fast", "--quiet"});
    ASSERT_FALSE(sim.port.isEmpty());
    const ToolRun read = runTool({"read", "--port", sim.port, "-o", path("read.t61"), "--quick"});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_TRUE(
        read.err.contains("tk515: резервная копия не сохранена в " + path("blocked/backups")))
        << read.err.toStdString();
    EXPECT_TRUE(read.out.contains("Операция чтения завершена успешно!"));
    tk::Configuration back = factoryRecord();
    EXPECT_EQ(tk::refile(back, readBytes(path("read.t61"))), tk::StatusNone);
    const ToolRun write = runTool({"write", "--port", sim.port, written, "--quick"});
    EXPECT_EQ(write.exitCode, 1);
    EXPECT_TRUE(write.err.contains("запись не выполнена: копия передатчика не сохранена"))
        << write.err.toStdString();
    EXPECT_FALSE(write.err.contains("Writing"));
    EXPECT_FALSE(QFile::exists(stored));
}

// Each fault of the simulator once: the command ends with its message and status 1,
// and the port is closed (a second command on the same line works). The quick
// exchange ends every fault as the normal one does.
TEST_F(EndToEnd, FaultsEndWithTheirMessage) {
    struct Case {
        const char* fault;
        const char* command;
        const char* status;  // last words before Disconnect
        const char* message; // in the failure message
        bool quick = false;
    };
    // The writes here are the write alone (the read before it has cases of its own).
    const Case cases[] = {
        {"bad-tail", "read", "Reading02\nError 4\nDisconnect\n", "неверный ответ"},
        {"wrong-count", "read", "Reading\nError 4\nDisconnect\n", "неверный ответ"},
        {"count-00", "read", "Reading\nError 0\nDisconnect\n", "0 блоков"},
        {"long-reply", "read", "Reading02\nError 4\nDisconnect\n", "неверный ответ"},
        {"refuse-sum", "write", "Writing02\nError 4\nDisconnect\n",
         "Операция записи завершена с ошибкой."},
        {"bad-tail", "read", "Reading02\nError 4\nDisconnect\n", "неверный ответ", true},
        {"wrong-count", "read", "Reading\nError 4\nDisconnect\n", "неверный ответ", true},
        {"count-00", "read", "Reading\nError 0\nDisconnect\n", "0 блоков", true},
        {"long-reply", "read", "Reading02\nError 4\nDisconnect\n", "неверный ответ", true},
        {"refuse-sum", "write", "Writing02\nError 4\nDisconnect\n",
         "Операция записи завершена с ошибкой.", true},
        {"drop-reply", "read", "Reading02\nError 3\nDisconnect\n", "не ответил вовремя", true},
        {"drop-reply", "write", "Writing02\nError 3\nDisconnect\n",
         "Операция записи завершена с ошибкой. Error 3, передатчик не ответил вовремя", true},
        {"hang-up", "read", "Reading02\nError 4\n", "линия пропала", true},
        {"no-answer", "read", "Connecting\nNo connect\n", "нет связи с передатчиком", true},
    };
    const QString file = changedConfiguration("file.t61");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.quick ? ", quick" : ""));
        Sim sim({"--fast", "--fault", c.fault, "-o", path("stored.t61")});
        ASSERT_FALSE(sim.port.isEmpty());
        QStringList args = std::string(c.command) == "read"
                               ? QStringList{"read", "--port", sim.port, "-o", path("out.t61")}
                               : QStringList{"write", "--port", sim.port, file, "--no-backup"};
        if (c.quick) {
            args << "--quick";
        }
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.status))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        // Nothing read is saved, nothing written is stored.
        EXPECT_FALSE(QFile::exists(path("out.t61")));
        EXPECT_FALSE(QFile::exists(path("stored.t61")));
        if (std::string(c.fault) == "refuse-sum" || std::string(c.fault) == "drop-reply") {
            // Faults strike once: the port was closed and is free for the next command.
            EXPECT_EQ(runTool(args).exitCode, 0);
            QFile::remove(path("out.t61"));
            QFile::remove(path("stored.t61"));
        }
    }
}

// The quick exchange moves the same bytes as the normal one, also when every answer
// stops in its middle for longer than the guard (--fault split): the same bytes sent,
// the same file read, the same configuration stored in the transmitter. Its --verify
// sends what a write and then a read send.
TEST_F(EndToEnd, QuickMovesTheSameBytesAsTheNormalExchange) {
    const QString served = changedConfiguration("served.t61");
    const QString written = changedConfiguration("written.t61");
    for (const QStringList& fault : {QStringList{}, QStringList{"--fault", "split"}}) {
        SCOPED_TRACE(fault.join(' ').toStdString());
        QByteArray sentRead[2];
        QByteArray sentWrite[2];
        QByteArray read[2];
        QByteArray stored[2];
        for (const bool quick : {false, true}) {
            SCOPED_TRACE(quick ? "quick" : "normal");
            QFile::copy(served, path("device.t61"));
            Sim sim(QStringList{path("device.t61"), "--fast"} + fault);
            ASSERT_FALSE(sim.port.isEmpty());
            const QStringList mode = quick ? QStringList{"--quick", "--verify"} : QStringList{};
            const ToolRun r = runTool(QStringList{"read", "--port", sim.port, "-o", path("r.t61"),
                                                  "--trace", path("r.txt"), "--no-backup"} +
                                      (quick ? QStringList{"--quick"} : QStringList{}));
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
            // The normal write reads first for its backup; the quick one reads after, for
            // --verify.
            const ToolRun w = runTool(
                QStringList{"write", "--port", sim.port, written, "--trace", path("w.txt")} + mode +
                (quick ? QStringList{"--no-backup"} : QStringList{}));
            EXPECT_EQ(w.exitCode, 0) << w.err.toStdString();
            sentRead[quick] = sentBytes(contents(path("r.txt")));
            sentWrite[quick] = sentBytes(contents(path("w.txt")));
            read[quick] = contents(path("r.t61"));
            stored[quick] = contents(path("device.t61"));
            QFile::remove(path("r.t61"));
            QFile::remove(path("device.t61"));
        }
        EXPECT_EQ(read[0], contents(served));
        EXPECT_EQ(read[1], read[0]);
        EXPECT_EQ(stored[0], contents(written));
        EXPECT_EQ(stored[1], stored[0]);
        EXPECT_EQ(sentRead[1], sentRead[0]);
        // The read before the write sends what the read command sends, the write after
        // it what the write alone sends.
        ASSERT_TRUE(sentWrite[0].startsWith(sentRead[0]));
        EXPECT_EQ(sentWrite[1], sentWrite[0].mid(sentRead[0].size()) + sentRead[0]);
        EXPECT_TRUE(sentRead[0].startsWith("M\rrdump\rread00\r"))
            << sentRead[0].left(40).toStdString();
    }
}

TEST_F(EndToEnd, DroppedReplyTimesOutAndThePortIsFreeAgain) {
    Sim sim({"--fast", "--fault", "drop-reply", "--fault-block", "1"});
    const QString out = path("out.t61");
    const ToolRun r = runTool({"read", "--port", sim.port, "-o", out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Reading01\nError 3\nDisconnect\n")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("не ответил вовремя"));
    EXPECT_GE(r.ms, 8000); // the block's 8 s time-out
    const ToolRun again = runTool({"read", "--port", sim.port, "-o", out});
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
}

// The far end closes the line mid-transfer: the wait ends at once with a bad reply,
// the port is closed, and the tool does not spin on the vanished line.
TEST_F(EndToEnd, LineClosedMidTransferEndsAtOnce) {
    Sim sim({"--fast", "--fault", "hang-up", "--fault-block", "3"});
    const ToolRun r = runTool({"read", "--port", sim.port, "-o", path("out.t61")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Reading03\nError 4\n")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Disconnect")); // closed already
    EXPECT_TRUE(r.err.contains("линия пропала"));
    EXPECT_LT(r.ms, 7000); // 4 blocks of about 0.8 s, not the 8 s time-out
    EXPECT_TRUE(sim.finished(3000));
}

// A silent transmitter: 10 probes of 2 s, "No connect". Meanwhile the port is held,
// and a second command on it is refused with "Порт занят" at once.
TEST_F(EndToEnd, NoAnswerAndPortBusy) {
    Sim sim({"--fast", "--fault", "no-answer"});
    QProcess first;
    first.start(kTool, {"read", "--port", sim.port, "-o", path("out.t61")});
    ASSERT_TRUE(first.waitForStarted());
    QThread::msleep(1500);
    const ToolRun busy = runTool({"read", "--port", sim.port, "-o", path("out2.t61")});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_TRUE(busy.err.contains("Порт занят")) << busy.err.toStdString();
    EXPECT_TRUE(busy.err.contains("Connecting\nNo connect\n"));
    EXPECT_LT(busy.ms, 3000);

    ASSERT_TRUE(first.waitForFinished(40000));
    EXPECT_EQ(first.exitCode(), 1);
    const QString err = QString::fromUtf8(first.readAllStandardError());
    EXPECT_TRUE(err.contains("Connecting\nNo connect\n")) << err.toStdString();
    EXPECT_TRUE(err.contains("нет связи"));
}

TEST_F(EndToEnd, AbsentPortIsBusy) {
    const ToolRun r = runTool({"read", "--port", path("no-such-tty"), "-o", path("out.t61")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Порт занят"));
}

TEST(CommandLine, UsageErrorsAndHelp) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* text;
    };
    const Case cases[] = {
        {{"read", "-o", "x.t61"}, 2, "--port"},
        {{"read", "--port", "/dev/null"}, 2, "-o"},
        {{"write", "--port", "/dev/null"}, 2, "ожидается файлов: 1"},
        {{"read", "--port", "p", "-o", "x", "--pause", "0"}, 2, "от 1 до 990"},
        {{"read", "--port", "p", "-o", "x", "--pause", "991"}, 2, "от 1 до 990"},
        {{"read", "--port", "p", "-o", "x", "--verify"}, 2, "--verify"},
        {{"read", "--port=p", "--output=x", "--pause=0"}, 2, "от 1 до 990"},
        {{"read", "--port=", "-o", "x"}, 2, "после --port нужно значение"},
        {{"read", "--port=p", "--output=x", "--quick=1"}, 2, "--quick указывается без значения"},
        {{"remote-read", "--port=p", "--output=x"}, 2, "нужен параметр --tel НОМЕР"},
        {{"read", "--help"}, 0, "--trace"},
        {{"read", "--help"}, 0, "--quick"},
        {{"write", "--help"}, 0, "--quick"},
        {{"remote-read", "--help"}, 0, "--quick"},
        {{"write", "--help"}, 0, "--verify"},
        {{"--help"}, 0, "write --port"},
        {{"ports"}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun r = runTool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.text)));
    }
}

TEST(Simulator, HelpAndBadOptions) {
    QProcess help;
    help.start(kSim, {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char* fault : {"no-answer", "drop-reply", "bad-tail", "wrong-count", "count-00",
                              "refuse-sum", "hang-up", "long-reply", "split", "--fast"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(fault))) << fault;
    }
    for (const QStringList& bad :
         {QStringList{"--fault", "fire"}, QStringList{"--fault-block", "x"},
          QStringList{"a.t61", "b.t61"}}) {
        QProcess p;
        p.start(kSim, bad);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2);
    }
}

} // namespace
