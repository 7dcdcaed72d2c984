// The ground of the window's link tests: tk515-sim on a new pseudo-terminal, the
// window opened on its port with a fast clock, a link command run to its end, and the
// simulator stopped after each case (what it logged shown when the case failed).
//
// Only the test's own clock shortens the waits: it runs four times faster than the
// wall clock, so a 500 ms silence is 125 ms of real silence, which the simulator
// (answering at once with --fast) keeps easily.
#pragma once

#include "link/clock.h"
#include "model/defaults.h"
#include "panel_support.h"
#include "sim_process.h"
#include "ui/linkcontroller.h"

#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <functional>

namespace tk::test {

inline constexpr int kSpeedUp = 4;

// What the simulated transmitter holds in the cable cases: fields of the first four
// blocks.
inline Configuration transmitterRecord() {
    Configuration cfg;
    tk::setdefault(cfg);
    cfg.ObjNum = 0x4321;
    cfg.TelNum[0] = "89001112233";
    cfg.TimeOfInp = 45;
    return cfg;
}

class FastClock final : public link::Clock {
public:
    std::int64_t nowMs() override { return real_.nowMs() * kSpeedUp; }
    void sleep(std::chrono::microseconds duration) override { real_.sleep(duration / kSpeedUp); }

private:
    link::SystemClock real_;
};

class LinkCase : public WindowCase {
    Q_OBJECT

protected:
    // What the simulator serves, what it keeps of a write, the numbers it dialled.
    const QString deviceFile_ = scratch_.filePath(QStringLiteral("device.tk515"));
    const QString writtenFile_ = scratch_.filePath(QStringLiteral("written.tk515"));
    const QString dialledFile_ = scratch_.filePath(QStringLiteral("dialled.txt"));
    std::unique_ptr<Sim> sim_;
    QString pty_;

    LinkController& link() { return window().link(); }
    QString status(int i) { return statusPanel(i); }
    QProgressBar& progress() { return *child<QProgressBar>(window(), "ProgressBar1"); }
    QPushButton& cancel() { return *child<QPushButton>(window(), "Btotmsv"); }

    // Starts tk515-sim with `args` on a new pseudo-terminal, its path in pty_.
    void launchSimulator(const QStringList& args) {
        sim_ = std::make_unique<Sim>(args);
        pty_ = sim_->port;
        QVERIFY(pty_.startsWith(QStringLiteral("/dev/")));
    }

    // Opens the window on `port`, as `tk515pro --port PORT` does.
    void openWindow(const QString& port) {
        f_.create();
        window().presetPort(port);
        link().useClock(std::make_unique<FastClock>());
        f_.show();
    }

    // Starts a link command by `start` and waits up to `timeoutMs` for its end.
    void runToEnd(const std::function<void()>& start, int timeoutMs) {
        QSignalSpy ended(&link(), &LinkController::commandEnded);
        start();
        if (link().busy()) {
            QVERIFY(ended.wait(timeoutMs));
        }
        QVERIFY(!link().busy());
    }

    // The text of the box that refused a command while the link was busy, closed;
    // nothing when no such box is on show.
    QString refusal() {
        auto* box = window().findChild<QMessageBox*>(QStringLiteral("LinkBusyBox"));
        if (box == nullptr || !box->isVisible()) {
            return {};
        }
        const QString text = box->text();
        box->close();
        return text;
    }

private slots:
    void cleanup() {
        app_.reset();
        if (sim_) {
            // What the simulator was asked, to see why a case failed.
            const QString log = sim_->stopAndLog();
            if (QTest::currentTestFailed()) {
                qInfo("tk515-sim:\n%s", qPrintable(log));
            }
            sim_.reset();
        }
    }
};

} // namespace tk::test
