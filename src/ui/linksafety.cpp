// The steps around a write of the window's link: the read before it and its copy in the
// backup store, the write, and the read back with its check; and the copy of every read.
//
// Each step is a session of its own on the link thread (the read, disconnect and
// connect of the cable; a call of the modem), so the bytes of each are those of the
// command alone. The window stays busy with the one write command from the first step
// to the last: nothing else starts in between.
#include "files/settings.h"
#include "image/image.h"
#include "link/modem_session.h"
#include "link/session.h"
#include "link/transfer.h"
#include "model/defaults.h"
#include "ui/editor.h"
#include "ui/linkcontroller.h"
#include "ui/linkworker.h"

#include <QDir>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <span>
#include <utility>

namespace tk {

namespace {

// How long the status bar says why a copy was not kept.
constexpr int kNotKeptShownMs = 10000;

const QString kNotKeptBeforeWrite =
    QStringLiteral("Запись не выполнена: конфигурация передатчика не прочитана, копия не "
                   "сохранена.");

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "проверка: ..." as the first words of a box.
QString sentence(const std::string& text) {
    QString s = fromUtf8(text);
    if (!s.isEmpty()) {
        s[0] = s[0].toUpper();
    }
    if (!s.endsWith(QLatin1Char('.'))) {
        s += QLatin1Char('.');
    }
    return s;
}

} // namespace

link::Reporter LinkController::quietReporter() {
    // A connect between two steps: its words are shown, its probes do not move the bar.
    link::Reporter r = reporter();
    r.progress = {};
    r.step = {};
    return r;
}

link::SessionResult LinkController::withStepWarning(link::SessionResult result) const {
    if (result.warning.empty()) {
        result.warning = write_.warning;
    }
    return result;
}

void LinkController::nextPhase() {
    ++phase_;
    stepDone_ = 0;
    stepTotal_ = 0;
    setProgress(0);
}

bool LinkController::keepRead(Configuration& read, BackupKind kind, bool remote,
                              const QString& via) {
    const QString root = BackupFolder();
    const BackupResult kept = KeepRead(root, read, {kind, remote, via, {}});
    // Only a failure is said: a message covers the status panels while it shows.
    auto* main = qobject_cast<QMainWindow*>(window_);
    if (!kept.ok() && main != nullptr) {
        main->statusBar()->showMessage(QStringLiteral("Резервная копия не сохранена в %1: %2")
                                           .arg(QDir::toNativeSeparators(root), kept.error),
                                       kNotKeptShownMs);
    }
    return kept.ok();
}

void LinkController::startWrite(std::vector<std::uint8_t> image, std::size_t sent, bool remote,
                                const Text& telephone) {
    setRunning(remote ? Command::RemoteWrite : Command::Write);
    write_ = {};
    write_.remote = remote;
    write_.verify = reregVerifyAfterWrite();
    write_.image = std::move(image);
    write_.sent = sent;
    write_.record = editor_.record();
    write_.telephone = telephone;
    cancel_.store(false); // a Cancel of an earlier command is not for this one
    const bool before = reregBackupBeforeWrite();
    phases_ = (before ? 1 : 0) + 1 + (write_.verify ? 1 : 0);
    if (phases_ > 1) {
        w_.Btotmsv->show();
    }
    if (!before) {
        writeNow();
        return;
    }
    write_.step = WriteStep::ReadBefore;
    if (remote) {
        start(
            Command::RemoteWrite,
            [p = params(), r = reporter(), telephone](LinkWorker& worker,
                                                      const std::atomic<bool>& cancel) {
                return link::SessionResult(
                    link::RemoteRead(worker.line(), worker.clock(), p, telephone, cancel, r));
            },
            &LinkController::readBeforeWriteDone);
        return;
    }
    showStatus(QStringLiteral("Reading"));
    // The read as the read command makes it, then its disconnect.
    start(
        Command::Write,
        [p = params(), r = reporter()](LinkWorker& worker, const std::atomic<bool>& cancel) {
            link::SessionResult read = link::CableRead(worker.line(), worker.clock(), p, cancel, r);
            if (read.ok) {
                const link::SessionResult closed = link::CableDisconnect(worker.line(), r);
                read.status = closed.status;
                read.portOpen = closed.portOpen;
            }
            return read;
        },
        &LinkController::readBeforeWriteDone);
}

void LinkController::readBeforeWriteDone(const link::SessionResult& result) {
    if (!result.ok) {
        stopWrite(result, result.cancelled ? QStringLiteral("Запись отменена: в передатчик ничего "
                                                            "не записано.")
                                           : kNotKeptBeforeWrite);
        return;
    }
    if (!write_.remote) {
        // The read's own disconnect has closed the port.
        LinkConnected_ = false;
    }
    write_.warning = result.warning;
    // What the transmitter held, decoded as its read decodes it; the copy is the
    // transmitter's that the record written names.
    std::vector<std::uint8_t> image = result.image;
    Configuration held;
    tk::setdefault(held);
    if (write_.remote) {
        held.TxTlfNum = write_.telephone;
        DecodeRemoteImage(held, image, result.blocks);
    } else {
        image.resize(std::max(image.size(), kBaseImageSize), 0);
        redump(held, image);
        held.TxTlfNum = write_.record.TxTlfNum;
    }
    held.TxSerialNum = write_.record.TxSerialNum;
    showStatus(fromUtf8(result.status));
    if (!keepRead(held, BackupKind::BeforeWrite, write_.remote,
                  write_.remote ? fromUtf8(write_.telephone) : heldPort_)) {
        link::SessionResult stopped = result;
        stopped.ok = false;
        stopped.message.clear(); // the read's own success is no news now
        stopWrite(stopped, QStringLiteral("Запись не выполнена: копия передатчика не сохранена "
                                          "в резервных копиях (%1). Без копии можно записать, "
                                          "сняв отметку «Сохранять копию передатчика перед "
                                          "записью» в меню «Параметры».")
                               .arg(QDir::toNativeSeparators(BackupFolder())));
        return;
    }
    nextPhase();
    if (write_.remote) {
        writeNow();
        return;
    }
    // A new connect for the write.
    write_.step = WriteStep::Reconnect;
    start(
        Command::Write,
        [p = params(), r = quietReporter()](LinkWorker& worker, const std::atomic<bool>& cancel) {
            return link::CableConnect(worker.line(), worker.clock(), p, cancel, r);
        },
        &LinkController::reconnectDone);
}

void LinkController::reconnectDone(const link::SessionResult& result) {
    if (!result.ok) {
        stopWrite(result, result.cancelled
                              ? QStringLiteral("Запись отменена: в передатчик ничего не "
                                               "записано, копия сохранена.")
                              : QStringLiteral("Запись не выполнена: после чтения связь с "
                                               "передатчиком не установлена. Копия сохранена."));
        return;
    }
    LinkConnected_ = true;
    writeNow();
}

void LinkController::writeNow() {
    write_.step = WriteStep::Write;
    if (write_.remote) {
        showStatus(QStringLiteral("Check modem"));
        start(
            Command::RemoteWrite,
            [p = params(), r = reporter(), telephone = write_.telephone,
             image = write_.image](LinkWorker& worker, const std::atomic<bool>& cancel) {
                return link::SessionResult(link::RemoteWrite(worker.line(), worker.clock(), p,
                                                             telephone, image, cancel, r));
            },
            &LinkController::remoteWriteDone);
        return;
    }
    showStatus(QStringLiteral("Writing"));
    start(
        Command::Write,
        [p = params(), r = reporter(), image = write_.image](LinkWorker& worker,
                                                             const std::atomic<bool>& cancel) {
            return link::CableWrite(worker.line(), worker.clock(), p, image, cancel, r);
        },
        &LinkController::writeDone);
}

bool LinkController::readBack() {
    if (!write_.verify) {
        return false;
    }
    write_.step = WriteStep::ReadBack;
    nextPhase();
    if (write_.remote) {
        start(
            Command::RemoteWrite,
            [p = params(), r = reporter(),
             telephone = write_.telephone](LinkWorker& worker, const std::atomic<bool>& cancel) {
                return link::SessionResult(
                    link::RemoteRead(worker.line(), worker.clock(), p, telephone, cancel, r));
            },
            &LinkController::readBackDone);
        return true;
    }
    // As the read command reads: the write's disconnect, a new connect, the read.
    start(
        Command::Write,
        [p = params(), r = reporter(), quiet = quietReporter()](LinkWorker& worker,
                                                                const std::atomic<bool>& cancel) {
            link::CableDisconnect(worker.line(), r);
            link::SessionResult connected =
                link::CableConnect(worker.line(), worker.clock(), p, cancel, quiet);
            if (!connected.ok) {
                return connected;
            }
            return link::CableRead(worker.line(), worker.clock(), p, cancel, r);
        },
        &LinkController::readBackDone);
    return true;
}

void LinkController::readBackDone(const link::SessionResult& result) {
    LinkConnected_ = write_.remote ? LinkConnected_ : result.portOpen;
    if (!result.ok) {
        stopWrite(result, result.cancelled ? QStringLiteral("Запись выполнена, проверка прервана.")
                                           : QStringLiteral("Запись выполнена, но не проверена: "
                                                            "конфигурация не прочитана обратно."));
        return;
    }
    showStatus(fromUtf8(result.status));
    link::SessionResult shown = result;
    const std::span<const std::uint8_t> sent(write_.image.data(), write_.sent);
    const link::WriteCheck check = link::CheckWritten(sent, result.image);
    const int blocks = static_cast<int>(write_.sent / kTransferBlockSize);
    QString message;
    if (write_.remote && result.blocks != blocks) {
        message = QStringLiteral("%1\nПроверка: передатчик сообщил блоков: %2, записано: %3.")
                      .arg(QString::fromUtf8(link::kWriteFailedText))
                      .arg(result.blocks)
                      .arg(blocks);
    } else if (!check.ok) {
        message =
            QString::fromUtf8(link::kWriteFailedText) + QLatin1Char('\n') + sentence(check.text);
    } else {
        message = QString::fromUtf8(write_.remote ? link::kRemoteWriteOkText : link::kWriteOkText) +
                  QLatin1Char('\n') + fromUtf8(check.text);
    }
    shown.message = message.toStdString();
    shown.caption.clear();
    shown = withStepWarning(std::move(shown));
    if (write_.remote) {
        endWith(shown, [this] { finish(); });
    } else {
        endWith(shown, [this] { startDisconnect(true); });
    }
}

void LinkController::stopWrite(link::SessionResult result, const QString& why) {
    if (!why.isEmpty()) {
        const std::string own = why.toStdString();
        result.message = result.message.empty() ? own : own + "\n" + result.message;
    }
    result = withStepWarning(std::move(result));
    if (write_.remote) {
        showStatus(fromUtf8(result.status));
        endWith(result, [this] { finish(); });
        return;
    }
    LinkConnected_ = result.portOpen;
    transferFailed(result);
}

} // namespace tk
