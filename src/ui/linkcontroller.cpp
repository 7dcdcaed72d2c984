#include "ui/linkcontroller.h"

#include "files/document.h"
#include "files/settings.h"
#include "image/image.h"
#include "link/clock.h"
#include "link/modem_session.h"
#include "link/qserialline.h"
#include "link/session.h"
#include "ui/commandbars.h"
#include "ui/panelcontext.h"
#include "ui/portdialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace tk {

const QString LinkController::kBusyText =
    QStringLiteral("Идет обмен с передатчиком. Дождитесь его окончания.");
const QString LinkController::kCloseRefusedText =
    QStringLiteral("Идет обмен с передатчиком. Окно можно будет закрыть после его окончания.");

// Lives on the link thread and owns the serial line there: the line is made, used and
// destroyed on that thread only.
class LinkWorker : public QObject {
public:
    LinkWorker() : clock_(std::make_unique<link::SystemClock>()) {}

    link::SerialLine& line() {
        if (!line_) {
            line_ = std::make_unique<link::QSerialLine>();
        }
        return *line_;
    }
    link::Clock& clock() { return *clock_; }
    void setClock(std::unique_ptr<link::Clock> clock) { clock_ = std::move(clock); }

    // Closes and destroys the line; called on the link thread before it ends.
    void release() { line_.reset(); }

private:
    std::unique_ptr<link::SerialLine> line_;
    std::unique_ptr<link::Clock> clock_;
};

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// After a command's result: what the user must still know (an unconfirmed hang-up).
void showWarning(Prompts& prompts, const link::SessionResult& result) {
    if (!result.warning.empty()) {
        prompts.message(fromUtf8(result.warning));
    }
}

} // namespace

LinkController::LinkController(QWidget* window, Widgets widgets, PanelContext& ctx, Document& doc,
                               QString& portName, Hooks hooks)
    : window_(window), w_(widgets), ctx_(ctx), doc_(doc), portName_(portName),
      hooks_(std::move(hooks)),
      portDialog_(new PortDialog(portName_, TxPause_, QuickExchange_, window,
                                 [this] { return portsOffered(); })),
      worker_(new LinkWorker) {
    QuickExchange_ = reregQuick();
    thread_.setObjectName(QStringLiteral("link"));
    worker_->moveToThread(&thread_);
    thread_.start();
    connect(portDialog_, &PortDialog::portNameChanged, this, [this](const QString& name) {
        if (hooks_.showPortName) {
            hooks_.showPortName(name);
        }
    });
    connect(portDialog_, &QDialog::accepted, this, [this] { wrregQuick(QuickExchange_); });
}

LinkController::~LinkController() {
    // A connect loop stops before its next probe; a read or write runs to its end.
    cancel_.store(true);
    LinkWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->release(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void LinkController::useClock(std::unique_ptr<link::Clock> clock) {
    // Between commands the link thread does not touch its clock, and the next command
    // reaches it through the thread's event queue, after this change.
    Q_ASSERT(!busy());
    worker_->setClock(std::move(clock));
}

void LinkController::start(
    Command command,
    std::function<link::SessionResult(LinkWorker&, const std::atomic<bool>&)> session,
    void (LinkController::*done)(const link::SessionResult&)) {
    running_ = command;
    LinkWorker* worker = worker_;
    const std::atomic<bool>* cancel = &cancel_;
    // The controller outlives every session: its destructor waits for the link thread.
    QMetaObject::invokeMethod(
        worker,
        [this, worker, cancel, session = std::move(session), done] {
            link::SessionResult result;
            try {
                result = session(*worker, *cancel);
            } catch (const std::exception& e) {
                // A fault of the program, not of the line: the command still ends, so
                // the window is not left waiting for it.
                result = {};
                result.code = StatusBadReply;
                result.status = "Error " + std::to_string(static_cast<int>(StatusBadReply));
                result.message = std::string("Ошибка обмена: ") + e.what();
                result.portOpen = worker->line().isOpen();
            }
            QMetaObject::invokeMethod(
                this, [this, done, result = std::move(result)] { (this->*done)(result); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

link::Reporter LinkController::reporter() {
    // Called on the link thread; the window takes the words and the progress in order
    // on its own.
    link::Reporter r;
    r.progress = [this](int percent) {
        QMetaObject::invokeMethod(
            this, [this, percent] { setProgress(percent); }, Qt::QueuedConnection);
    };
    r.status = [this](const std::string& words) {
        QMetaObject::invokeMethod(
            this, [this, text = fromUtf8(words)] { showStatus(text); }, Qt::QueuedConnection);
    };
    return r;
}

link::LinkParams LinkController::params() const {
    link::LinkParams p;
    p.PortName = portName_.toStdString();
    p.TxPause = TxPause_;
    p.Quick = QuickExchange_;
    return p;
}

void LinkController::ToolButton7Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    if (LinkConnected_) {
        startDisconnect(false);
        return;
    }
    // FillGuard is held from here to the end of the connect loop.
    guard_ = std::make_unique<FillGuard>(ctx_);
    if (!*guard_) {
        guard_.reset();
        return;
    }
    showStatus(QStringLiteral("Connecting"));
    w_.Btotmsv->show();
    ConnectRetryAllowed_ = true;
    cancel_.store(false);
    showProgress();
    heldPort_ = portName_;
    start(
        Command::Connect,
        [p = params(), r = reporter()](LinkWorker& worker, const std::atomic<bool>& cancel) {
            return link::CableConnect(worker.line(), worker.clock(), p, cancel, r);
        },
        &LinkController::connectDone);
}

void LinkController::connectDone(const link::SessionResult& result) {
    hideProgress();
    if (result.ok) {
        updt2(true); // hides Btotmsv
    } else {
        w_.Btotmsv->hide();
        ConnectRetryAllowed_ = false;
        heldPort_.clear();
    }
    showStatus(fromUtf8(result.status));
    guard_.reset();
    showMessage(result);
    finish();
}

void LinkController::startDisconnect(bool afterTransfer) {
    guard_ = std::make_unique<FillGuard>(ctx_);
    if (!*guard_) {
        guard_.reset();
        if (afterTransfer) {
            hideProgress();
            finish();
        }
        return;
    }
    disconnectEndsTransfer_ = afterTransfer;
    start(
        Command::Disconnect,
        [r = reporter()](LinkWorker& worker, const std::atomic<bool>&) {
            return link::CableDisconnect(worker.line(), r);
        },
        &LinkController::disconnectDone);
}

void LinkController::disconnectDone(const link::SessionResult& result) {
    showStatus(fromUtf8(result.status));
    heldPort_.clear();
    updt2(false);
    guard_.reset();
    if (disconnectEndsTransfer_) {
        hideProgress();
    }
    finish();
}

void LinkController::Read1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    if (!LinkConnected_) {
        return;
    }
    running_ = Command::Read;
    ctx_.finishEdits();
    // New first: a changed configuration is offered for saving. Cancel (or a save that
    // failed) abandons the read, as it abandons every other command: the read would
    // otherwise overwrite the changes.
    if (ctx_.fillGuard() || !doc_.New()) {
        running_ = Command::None;
        return;
    }
    // Until the blocks have arrived New, Open and Save as do nothing, so the read
    // cannot land on a file opened meanwhile.
    guard_ = std::make_unique<FillGuard>(ctx_);
    cancel_.store(false); // set only when the window goes
    showProgress();
    showStatus(QStringLiteral("Reading"));
    start(
        Command::Read,
        [p = params(), r = reporter()](LinkWorker& worker, const std::atomic<bool>& cancel) {
            return link::CableRead(worker.line(), worker.clock(), p, cancel, r);
        },
        &LinkController::readDone);
}

void LinkController::readDone(const link::SessionResult& result) {
    guard_.reset();
    if (!result.ok) {
        transferFailed(result);
        return;
    }
    std::vector<std::uint8_t> image = result.image;
    image.resize(std::max(image.size(), kBaseImageSize), 0);
    // The cable read decodes the base image only.
    redump(ctx_.record(), image);
    ctx_.recordReplaced();
    if (hooks_.refreshPanel) {
        hooks_.refreshPanel();
    }
    showStatus(fromUtf8(result.status));
    showMessage(result);
    startDisconnect(true);
}

void LinkController::Write1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    if (!LinkConnected_) {
        return;
    }
    showProgress();
    showStatus(QStringLiteral("Writing"));
    std::vector<std::uint8_t> image(kEncodeClearSize);
    wrdump(ctx_.record(), image);
    image.resize(kBaseImageSize);
    cancel_.store(false); // set only when the window goes
    start(
        Command::Write,
        [p = params(), r = reporter(), image = std::move(image)](LinkWorker& worker,
                                                                 const std::atomic<bool>& cancel) {
            return link::CableWrite(worker.line(), worker.clock(), p, image, cancel, r);
        },
        &LinkController::writeDone);
}

void LinkController::writeDone(const link::SessionResult& result) {
    if (!result.ok) {
        showStatus(fromUtf8(result.status));
        showMessage(result);
        transferFailed(result);
        return;
    }
    showStatus(fromUtf8(result.status));
    showMessage(result);
    startDisconnect(true);
}

// The remote read: New first (a changed configuration is offered for saving; Cancel
// abandons the read), so the record is the factory one whatever it held, with the
// number to dial kept. FillGuard is taken only after that (New itself must run) and
// released before the refresh, which is a fill.
void LinkController::Udalread1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    if (ctx_.fillGuard()) {
        return;
    }
    // The connected cable link holds the port: the session could not open it. Said
    // before New, so the configuration on screen is not reset for a read that cannot
    // run.
    if (LinkConnected_) {
        showStatus(QStringLiteral("Check modem"));
        ctx_.prompts().captionedMessage(
            QString::fromUtf8(link::kPortBusyCaption),
            fromUtf8(
                link::PortBusyMessage(portName_.toStdString(), {link::OpenFailure::HeldHere, {}})));
        return;
    }
    running_ = Command::RemoteRead;
    ctx_.finishEdits(); // as New does: no half-finished edit is offered for saving
    const Text telephone = ctx_.record().TxTlfNum;
    if (!doc_.New()) {
        running_ = Command::None;
        return;
    }
    // Back without the change mark: the number belongs to the transmitter being read.
    ctx_.record().TxTlfNum = telephone;
    ctx_.recordReplaced();
    guard_ = std::make_unique<FillGuard>(ctx_);
    cancel_.store(false); // a Cancel of an earlier connect loop is not for this session
    showProgress();
    showStatus(QStringLiteral("Check modem"));
    start(
        Command::RemoteRead,
        [p = params(), r = reporter(), telephone](LinkWorker& worker,
                                                  const std::atomic<bool>& cancel) {
            return link::SessionResult(
                link::RemoteRead(worker.line(), worker.clock(), p, telephone, cancel, r));
        },
        &LinkController::remoteReadDone);
}

void LinkController::remoteReadDone(const link::SessionResult& result) {
    guard_.reset();
    hideProgress();
    if (result.ok) {
        link::DecodeRemoteImage(ctx_.record(), result.image, result.blocks);
        ctx_.recordReplaced();
        if (hooks_.refreshPanel) {
            hooks_.refreshPanel();
        }
    }
    // The words end with "Disconnect" once the modem was asked to register.
    showStatus(fromUtf8(result.status));
    showMessage(result);
    showWarning(ctx_.prompts(), result);
    finish();
}

// The remote write sends the whole record: the base image and the extension blocks
// its inputs above 4 need (ExtBlocksCount is set from them).
void LinkController::Udalwrite1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    running_ = Command::RemoteWrite;
    ctx_.finishEdits(); // the image carries what the panels show
    std::vector<std::uint8_t> image = EncodeImage(ctx_.record());
    const Text telephone = ctx_.record().TxTlfNum;
    cancel_.store(false);
    showProgress();
    showStatus(QStringLiteral("Check modem"));
    start(
        Command::RemoteWrite,
        [p = params(), r = reporter(), telephone,
         image = std::move(image)](LinkWorker& worker, const std::atomic<bool>& cancel) {
            return link::SessionResult(
                link::RemoteWrite(worker.line(), worker.clock(), p, telephone, image, cancel, r));
        },
        &LinkController::remoteWriteDone);
}

void LinkController::remoteWriteDone(const link::SessionResult& result) {
    hideProgress();
    showStatus(fromUtf8(result.status));
    showMessage(result);
    showWarning(ctx_.prompts(), result);
    finish();
}

void LinkController::transferFailed(const link::SessionResult& result) {
    showStatus(fromUtf8(result.status));
    hideProgress();
    // The line went away (the cable pulled, the adapter unplugged): the link is no
    // longer connected, and the commands say so.
    if (!result.portOpen) {
        heldPort_.clear();
        updt2(false);
    }
    finish();
}

void LinkController::finish() {
    running_ = Command::None;
    emit commandEnded();
}

void LinkController::BtotmsvClick() {
    if (ConnectRetryAllowed_) {
        ConnectRetryAllowed_ = false;
        cancel_.store(true);
    }
}

void LinkController::Port1Click() {
    portDialog_->open();
}

QStringList LinkController::portsOffered() const {
    QStringList ports = presentSerialPorts();
    // The port this program holds cannot be opened again: it is in use.
    if (!heldPort_.isEmpty()) {
        ports.removeAll(heldPort_);
    }
    return ports;
}

void LinkController::updt2(bool connected) {
    LinkConnected_ = connected;
    w_.bars.updt2(connected);
    w_.Btotmsv->hide();
}

bool LinkController::mayClose() {
    if (busy()) {
        tell(kCloseRefusedText);
        return false;
    }
    return true;
}

void LinkController::closeLine() {
    if (busy() || !LinkConnected_) {
        return;
    }
    // The link thread is idle (no command runs): the port is closed at once, before the
    // window goes.
    LinkWorker* worker = worker_;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->line().close(); }, Qt::BlockingQueuedConnection);
    heldPort_.clear();
    updt2(false);
}

void LinkController::showStatus(const QString& words) {
    w_.statusPanel1->setText(words);
}

void LinkController::showProgress() {
    w_.ProgressBar1->setValue(0);
    w_.ProgressBar1->show();
}

void LinkController::hideProgress() {
    w_.ProgressBar1->hide();
}

void LinkController::setProgress(int percent) {
    if (w_.ProgressBar1->isVisible()) {
        w_.ProgressBar1->setValue(percent);
    }
}

void LinkController::showMessage(const link::SessionResult& result) {
    if (result.message.empty()) {
        return;
    }
    if (result.caption.empty()) {
        ctx_.prompts().message(fromUtf8(result.message));
    } else {
        ctx_.prompts().captionedMessage(fromUtf8(result.caption), fromUtf8(result.message));
    }
}

void LinkController::tell(const QString& text) {
    // Said without waiting for an answer: the window thread goes on taking the link's
    // progress while the box is up.
    if (refusal_ == nullptr) {
        refusal_ = new QMessageBox(QMessageBox::Information, QString(), QString(), QMessageBox::Ok,
                                   window_);
        refusal_->setObjectName(QStringLiteral("LinkBusyBox"));
        refusal_->setWindowTitle(QApplication::applicationDisplayName());
    }
    refusal_->setText(text);
    refusal_->open();
}

} // namespace tk
