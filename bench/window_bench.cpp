// Runs the real window (offscreen) through cable reads and writes against tk515-sim
// pacing its replies at 9600 baud, and measures how live the window stays: a 10 ms
// timer on the window thread notes the longest gap between two of its ticks (the
// longest stall of the event loop), and the resident memory is read before the first
// transfer, after it and after the last. Each transfer is a connect and then a read
// or a write (which disconnects), alternating, chosen through the menu items; the
// quick exchange is chosen in the port dialog, as the user chooses it.
//
// Run by hand: build/bin/window_bench [TRANSFERS] [--normal]. Not part of the test run.
#include "files/prompts.h"
#include "ui/application.h"
#include "ui/appwindows.h"
#include "ui/linkcontroller.h"
#include "ui/mainwindow.h"
#include "ui/portdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kTickMs = 10;
constexpr double kStallTargetMs = 50;
constexpr double kGrowthTargetKb = 2048;

// The end-of-command messages are counted, not shown: a message box would wait for
// a click. Questions are answered No (nothing is saved).
class CountingPrompts final : public tk::Prompts {
public:
    Answer question(const QString&) override { return Answer::No; }
    void message(const QString& text) override { messages << text; }
    void captionedMessage(const QString& caption, const QString& text) override {
        messages << caption + QStringLiteral(": ") + text;
    }
    std::optional<QString> openFileName(const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const QString&) override { return std::nullopt; }

    QStringList messages;
};

// Resident memory of this process, in kB (VmRSS).
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

// The longest gap between two ticks of a 10 ms timer on the window thread.
class StallMeter : public QObject {
public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kTickMs);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
            longestGapMs = std::max(longestGapMs, now - lastMs_);
            lastMs_ = now;
            ++ticks;
        });
    }
    void start() {
        clock_.start();
        lastMs_ = 0;
        timer_.start();
    }
    void stop() { timer_.stop(); }

    double longestGapMs = 0;
    long ticks = 0;

private:
    QTimer timer_;
    QElapsedTimer clock_;
    double lastMs_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int transfers = 20;
    bool quick = true;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--normal") {
            quick = false;
        } else {
            transfers = std::max(1, std::atoi(argv[i]));
        }
    }
    // The user's settings and folders are not touched: the dialog's OK stores the quick
    // exchange's choice.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "window_bench: no temporary folder\n");
        return 1;
    }
    qputenv("HOME", QFile::encodeName(scratch.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       scratch.filePath(QStringLiteral("settings")));

    tk::Application app(argc, argv);
    QProcess sim;
    sim.start(QStringLiteral(TK515_SIM_PROGRAM), {QStringLiteral("--quiet"), QStringLiteral("-o"),
                                                  scratch.filePath(QStringLiteral("stored.t61"))});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "window_bench: tk515-sim did not start\n");
        return 1;
    }
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();

    CountingPrompts prompts;
    tk::AppWindows windows = tk::createWindows(scratch.path(), &prompts);
    tk::MainWindow& window = *windows.main;
    tk::LinkController& link = window.link();
    window.presetPort(port);
    window.show();

    // "Параметры" -> "Порт": "Быстрый обмен" as chosen, OK.
    window.findChild<QAction*>(QStringLiteral("Port1"))->trigger();
    tk::PortDialog& dialog = link.portDialog();
    dialog.findChild<QCheckBox*>(QStringLiteral("QuickExchangeCB"))->setChecked(quick);
    dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    if (link.QuickExchange() != quick) {
        std::fprintf(stderr, "window_bench: the port dialog did not take the choice\n");
        return 1;
    }

    StallMeter meter;
    QElapsedTimer wall;
    long before = 0;
    long afterFirst = 0;
    int done = 0;
    bool connecting = true;
    bool failed = false;
    auto trigger = [&window](const char* name) {
        window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };
    // One step per command's end: connect, then read or write (which disconnects).
    QObject::connect(&link, &tk::LinkController::commandEnded, &window, [&] {
        const QString words = window.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text();
        if (connecting) {
            if (!link.LinkConnected()) {
                std::fprintf(stderr, "window_bench: no connect: %s\n", qPrintable(words));
                failed = true;
                QCoreApplication::exit(1);
                return;
            }
            connecting = false;
            QTimer::singleShot(0, &window, [&] { trigger(done % 2 == 0 ? "Read1" : "Write1"); });
            return;
        }
        if (words != QStringLiteral("Disconnect") || link.LinkConnected()) {
            std::fprintf(stderr, "window_bench: transfer %d ended with \"%s\"\n", done + 1,
                         qPrintable(words));
            failed = true;
            QCoreApplication::exit(1);
            return;
        }
        if (++done == 1) {
            afterFirst = residentKb();
        }
        if (done == transfers) {
            QCoreApplication::exit(0);
            return;
        }
        connecting = true;
        QTimer::singleShot(0, &window, [&] { trigger("Connect1"); });
    });
    QTimer::singleShot(200, &window, [&] {
        before = residentKb();
        meter.start();
        wall.start();
        trigger("Connect1");
    });
    const int status = QApplication::exec();
    meter.stop();
    const long after = residentKb();
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
    sim.terminate();
    sim.waitForFinished(3000);
    if (status != 0 || failed) {
        return 1;
    }

    const double stall = std::max(0.0, meter.longestGapMs - kTickMs);
    std::printf("window_bench: the window (offscreen) against tk515-sim on %s, 9600-baud "
                "pace, %s exchange\n",
                qPrintable(port), quick ? "quick" : "normal");
    std::printf("%d transfers (connect and read, connect and write, alternating) in %.1f s; "
                "%d end-of-command messages\n",
                transfers, seconds, static_cast<int>(prompts.messages.size()));
    std::printf("event loop: %ld ticks of the %d ms timer, longest gap %.1f ms, longest stall "
                "%.1f ms (target <= %.0f ms: %s)\n",
                meter.ticks, kTickMs, meter.longestGapMs, stall, kStallTargetMs,
                stall <= kStallTargetMs ? "met" : "MISSED");
    std::printf("resident memory: %ld kB before, %ld kB after the first transfer, %ld kB after "
                "%d; growth after the first %ld kB (target <= %.0f kB: %s)\n",
                before, afterFirst, after, transfers, after - afterFirst, kGrowthTargetKb,
                static_cast<double>(after - afterFirst) <= kGrowthTargetKb ? "met" : "MISSED");
    return 0;
}
