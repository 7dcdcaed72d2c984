// Records, files and JSON for the command-line tool's tests, and the real tk515 run
// as a process (the end-to-end tests against the simulator run it too).
#pragma once

#include "files/format.h"
#include "model/configuration.h"
#include "model/cp1251.h"
#include "model/defaults.h"
#include "record_files.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tk::test {

inline const QString kTool = QStringLiteral(TK515_PROGRAM);

// One run of tk515: its exit status (-1: it crashed or did not finish), what it
// printed and how long it took.
struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

// Runs tk515 with nothing on its standard input; its standard output goes to a file
// when one is given.
inline ToolRun runTool(const QStringList& args, int timeoutMs = 90000,
                       const QString& stdoutFile = {}) {
    QProcess p;
    if (!stdoutFile.isEmpty()) {
        p.setStandardOutputFile(stdoutFile);
    }
    QElapsedTimer t;
    t.start();
    p.start(kTool, args);
    EXPECT_TRUE(p.waitForStarted(30000)) << "tk515 did not start";
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(timeoutMs)) << args.join(' ').toStdString();
    ToolRun r;
    r.ms = t.elapsed();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "tk515 crashed";
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A test with a scratch folder of its own.
class InScratchFolder : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

inline Configuration factoryRecord() {
    Configuration cfg;
    setdefault(cfg);
    return cfg;
}

// A record whose every field differs from its factory value and stays within what
// the file can store of it (TxVersion, read only, and ExtBlocksCount, derived, aside).
inline Configuration everyFieldSet() {
    Configuration c = factoryRecord();
    c.TxSerialNum = "SN-0042";
    c.TxTlfNum = "+79001234567";
    c.TxVersion = "1.05";
    c.Comments = {cp1251("Склад №2"), "", cp1251("ключи — у охраны")};
    c.ObjNum = 0x7A2F;
    c.TimeOfInp = 30;
    c.TimeOfOut = 40;
    c.TimeOfAlarmMin = 2;
    c.TimeOfAlarmSec = 15;
    for (int p = 0; p < kPartitionCount; ++p) {
        Partition& part = c.Partitions[static_cast<std::size_t>(p)];
        part = {0x10 + p, 0x100 + p, 0x200 + p, 0x3 << p, 0x400 + p, -1 - p};
    }
    for (int k = 0; k < kTelephoneCount; ++k) {
        c.TelNum[static_cast<std::size_t>(k)] = "+7900*" + std::to_string(100 + k);
    }
    c.ArmSMSText = "7A2F Armed ";
    c.DisarmSMSText = "7A2F Disarmed ";
    for (int n = 0; n <= kInputCount; ++n) {
        Input& in = c.Inputs[static_cast<std::size_t>(n)];
        in.Flags = (n == 13 || n == 64) ? 0x25 : 0x24;
        in.RepFlags = n + 1;
        in.DialUpMask = n <= 4 ? 0x3 : 100000 + n; // not stored above 4
        in.AlarmMask = 0x3C00 + n;
        in.Raw4 = 0x400 + n;
        in.Raw6 = 0x600 + n;
        in.Raw8 = n <= 4 ? 0x8100 : 0x8100 + n;
        in.Raw10 = 0xA00 + n;
        in.AlarmSMSText = "7A2F Alarm " + std::to_string(n);
        in.RestoreSMSText = cp1251("7A2F Восстановление ") + std::to_string(n);
        in.ZoneType = n == 0 ? -5 : 2;
        in.ObjNum = {0x7A, 0x2F};
        in.EvCode = {0x02, 0x31};
        in.InpNum = {-1 - n, 0x7000 + n}; // not stored
        in.PartNum = 2 + n;               // not stored
        in.Partition = 2;
    }
    c.SysEvAcFlags = 1;
    c.SysEvDcFlags = 2;
    c.SysEvPtFlags = 3;
    c.SysEvDcDialUpMask = 1;
    c.SysEvDcAlarmMask = 70000; // not stored
    c.SysEvPtDialUpMask = 2;
    c.SysEvPtAlarmMask = -70000; // not stored
    c.PerTestHours = 24;
    c.PerTestMinutes = 30;
    c.SysEvAcRaw8 = 0xAC08;
    c.SysEvAcRaw10 = 0xAC10;
    c.SysEvDcRaw10 = 0xDC10;
    c.SysEvPtRaw4 = 0xB704;
    c.SysEvPtRaw10 = 0xB710;
    c.ExtPanelObjNum = 0x4321;
    c.ExtPanelFlags = 7;
    c.ExtPanelDialUpMask = 0x0102;
    c.ExtPanelAlarmMask = 0x0304;
    c.KpdFlags = 9;
    c.KpdDialUpMask = 0x0506;
    c.KpdAlarmMask = 0xBEEF;
    c.GprsMode = 3;
    c.GprsPeriodMin = 4;
    c.GprsPeriodSec = 5;
    c.Apn = "internet.example";
    c.ApnUserName = "user";
    c.ApnPass = "pass";
    c.TkRecIp = "192.168.100.200";
    c.Email = "alarm@example.org";
    c.TelNum7316 = "+7495*1234567";
    c.Options = 0x6A;
    c.NumOfAttemptsCallMain = 10;
    c.SvingerCount = 15;
    c.AuxPeriod58 = 1535;
    c.AuxPeriod5A = 7;
    return c;
}

// The file the writer makes of a record.
inline Bytes fileOf(Configuration cfg) {
    Bytes file;
    EXPECT_EQ(wrfile(cfg, file), FileWriteError::None);
    return file;
}

inline void writeBytes(const QString& path, const Bytes& bytes) {
    ASSERT_TRUE(writeFile(path, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<qsizetype>(bytes.size()))))
        << path.toStdString();
}

inline void writeText(const QString& path, const std::string& text) {
    writeBytes(path, Bytes(text.begin(), text.end()));
}

inline Bytes readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

inline QJsonObject parseObject(const std::string& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return doc.object();
}

} // namespace tk::test
