// Shared by the end-to-end tests: tk515-sim on a new pseudo-terminal, and what a trace
// shows as sent (tk515 itself runs through cli_support.h).
#pragma once

#include "cli_support.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace tk::test {

inline const QString kSim = QStringLiteral(TK515_SIM_PROGRAM);

inline QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The bytes a trace shows as sent ("   12 ms  > 41 54  |AT|"), joined.
inline QByteArray sentBytes(const QByteArray& trace) {
    QByteArray sent;
    for (const QByteArray& line : trace.split('\n')) {
        const qsizetype at = line.indexOf("ms  > ");
        if (at < 0) {
            continue;
        }
        const QByteArray hex = line.mid(at + 6, line.indexOf("  |", at) - at - 6);
        sent += QByteArray::fromHex(hex.simplified().replace(' ', ""));
    }
    return sent;
}

// A simulator on a new pseudo-terminal, stopped at the end of the test.
class Sim {
public:
    explicit Sim(const QStringList& args) {
        proc_.start(kSim, args);
        if (proc_.waitForStarted(5000)) {
            while (!proc_.canReadLine() && proc_.waitForReadyRead(5000)) {
            }
            port = QString::fromUtf8(proc_.readLine()).trimmed();
        }
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;
    ~Sim() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.terminate();
            if (!proc_.waitForFinished(3000)) {
                proc_.kill();
                proc_.waitForFinished(3000);
            }
        }
    }
    bool finished(int ms) { return proc_.waitForFinished(ms); }
    QString log() { return QString::fromUtf8(proc_.readAllStandardError()); }
    // Stops the simulator and gives everything it logged.
    QString stopAndLog() {
        proc_.terminate();
        proc_.waitForFinished(3000);
        return log();
    }

    QString port;

private:
    QProcess proc_;
};

} // namespace tk::test
