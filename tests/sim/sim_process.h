// tk515-sim on a new pseudo-terminal, for any test framework: the end-to-end tests of
// tk515 and the window's link tests start it alike.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tk::test {

inline const QString kSim = QStringLiteral(TK515_SIM_PROGRAM);

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
