#include "ui/linkcontroller.h"
#include "ui/linkworker.h"

#include "files/document.h"
#include "files/settings.h"
#include "image/image.h"
#include "link/clock.h"
#include "link/modem_session.h"
#include "link/qserialline.h"
#include "link/session.h"
#include "model/defaults.h"
#include "model/input_rules.h"
#include "model/input_table.h"
#include "ui/commandbars.h"
#include "ui/editor.h"
#include "ui/inputtablemodel.h"
#include "ui/panelcontext.h"
#include "ui/portdialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace tk {

const QString LinkController::kBusyText =
    QStringLiteral("Идет обмен с передатчиком. Дождитесь его окончания.");
const QString LinkController::kCloseRefusedText =
    QStringLiteral("Идет обмен с передатчиком. Окно можно будет закрыть после его окончания.");

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

// How often a closing box looks again whether the box that is up has gone.
constexpr int kBoxPollMs = 100;

// The cable carries inputs 1..4 only. With inputs above 4 activated the user is told
// once which of them stay behind and chooses: Yes writes the rest, No stops.
bool cableWriteAccepted(Prompts& prompts, const Configuration& cfg) {
    const std::vector<int> above = ActivatedTableInputs(cfg);
    if (above.empty()) {
        return true;
    }
    return prompts.question(QStringLiteral("Включены входы выше 4 (%1): по кабелю записываются "
                                           "только входы 1–4, эти входы передаются только "
                                           "удаленной записью. Продолжить запись?")
                                .arg(QString::fromStdString(InputNumbersText(above)))) ==
           Prompts::Answer::Yes;
}

} // namespace

LinkController::LinkController(QWidget* window, Widgets widgets, PanelContext& ctx, Editor& editor)
    : window_(window), w_(widgets), ctx_(ctx), editor_(editor),
      portDialog_(new PortDialog(window, [this] { return portsOffered(); })),
      worker_(new LinkWorker) {
    thread_.setObjectName(QStringLiteral("link"));
    worker_->moveToThread(&thread_);
    thread_.start();
    // OK hands the dialog's settings to the editor; the quick exchange is stored then.
    connect(portDialog_, &QDialog::accepted, this, [this] {
        editor_.setLinkSettings(portDialog_->settings());
        wrregQuick(editor_.QuickExchange());
    });
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
    setRunning(command);
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

void LinkController::setRunning(Command command) {
    const bool wasBusy = busy();
    running_ = command;
    if (busy() != wasBusy) {
        emit busyChanged(busy());
    }
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
    r.step = [this](int done, int total) {
        QMetaObject::invokeMethod(
            this, [this, done, total] { setStep(done, total); }, Qt::QueuedConnection);
    };
    r.received = [this](const std::vector<std::uint8_t>& image, int blocks) {
        QMetaObject::invokeMethod(
            this, [this, image, blocks] { remoteReadReceived(image, blocks); },
            Qt::QueuedConnection);
    };
    return r;
}

link::LinkParams LinkController::params() const {
    link::LinkParams p;
    p.PortName = editor_.PortName().toStdString();
    p.TxPause = editor_.TxPause();
    p.Quick = editor_.QuickExchange();
    return p;
}

std::uint32_t LinkController::TxPause() const {
    return editor_.TxPause();
}

bool LinkController::QuickExchange() const {
    return editor_.QuickExchange();
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
    heldPort_ = editor_.PortName();
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
    endWith(result, [this] { finish(); });
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
    if (!LinkConnected_ || !mayRead(Command::Read)) {
        return;
    }
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
        // The record is as it was; the panel shows it again (edits typed meanwhile
        // were not taken).
        emit recordUnchanged();
        transferFailed(result);
        return;
    }
    std::vector<std::uint8_t> image = result.image;
    image.resize(std::max(image.size(), kBaseImageSize), 0);
    // The cable read decodes the base image only, over the factory values.
    Configuration read;
    tk::setdefault(read);
    redump(read, image);
    // Kept first, so the record shown carries the read's comment as its copy does.
    keepRead(read, BackupKind::Read, false, heldPort_);
    replaceRecord(read);
    showStatus(fromUtf8(result.status));
    endWith(result, [this] { startDisconnect(true); });
}

bool LinkController::mayRead(Command command) {
    if (ctx_.fillGuard()) {
        return false;
    }
    setRunning(command);
    // New's question first: a changed configuration is offered for saving, and Cancel
    // (or a save that failed) abandons the read, as it abandons every other command.
    // The record itself is replaced only when the transmitter's has come, so a failed
    // read loses nothing.
    if (!editor_.document().offerSaveForNew()) {
        setRunning(Command::None);
        return false;
    }
    // Until the blocks have come New, Open and Save as do nothing, so the read cannot
    // land on a file opened meanwhile; the panels take no edits.
    guard_ = std::make_unique<FillGuard>(ctx_);
    return true;
}

void LinkController::replaceRecord(const Configuration& read) {
    guard_.reset(); // the panel on show is filled from the record read
    editor_.takeRead(read);
}

void LinkController::Write1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    if (!LinkConnected_) {
        return;
    }
    setRunning(Command::Write); // no other command while the question is up
    if (!cableWriteAccepted(ctx_.prompts(), editor_.record())) {
        setRunning(Command::None);
        return;
    }
    showProgress();
    showStatus(QStringLiteral("Writing"));
    std::vector<std::uint8_t> image(kEncodeClearSize);
    wrdump(editor_.record(), image);
    image.resize(kBaseImageSize);
    startWrite(std::move(image), kTransferBlockSize * link::kCableWriteBlocks, false, {});
}

void LinkController::writeDone(const link::SessionResult& result) {
    if (!result.ok) {
        stopWrite(result, result.cancelled ? QStringLiteral("Запись прервана: передатчик записан "
                                                            "не полностью.")
                                           : QString());
        return;
    }
    showStatus(fromUtf8(result.status));
    if (readBack()) {
        return;
    }
    endWith(withStepWarning(result), [this] { startDisconnect(true); });
}

// The remote read: New's question first (a changed configuration is offered for
// saving; Cancel abandons the read). The record, the file state and the panel stay as
// they are through the call; the blocks read are decoded into a fresh record (the
// factory values, the number dialled, then the blocks), which replaces the window's
// through New as soon as they have come, before the hang-up. A failed read changes
// nothing.
void LinkController::Udalread1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    if (ctx_.fillGuard()) {
        return;
    }
    // The connected cable link holds the port: the session could not open it. Said
    // before the save question, which would be asked for a read that cannot run.
    if (LinkConnected_) {
        showStatus(QStringLiteral("Check modem"));
        ctx_.prompts().captionedMessage(
            QString::fromUtf8(link::kPortBusyCaption),
            fromUtf8(link::PortBusyMessage(editor_.PortName().toStdString(),
                                           {link::OpenFailure::HeldHere, {}})));
        return;
    }
    if (!mayRead(Command::RemoteRead)) {
        return;
    }
    const Text telephone = editor_.record().TxTlfNum;
    readTelephone_ = telephone;
    readShown_ = false;
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

void LinkController::remoteReadReceived(const std::vector<std::uint8_t>& image, int blocks) {
    if (running_ != Command::RemoteRead || readShown_) {
        return;
    }
    readShown_ = true;
    // The number dialled survives: the blocks do not carry it.
    Configuration read;
    tk::setdefault(read);
    read.TxTlfNum = readTelephone_;
    DecodeRemoteImage(read, image, blocks);
    keepRead(read, BackupKind::Read, true, QString::fromStdString(readTelephone_));
    replaceRecord(read);
    // The hang-up goes on: held again until the command ends.
    guard_ = std::make_unique<FillGuard>(ctx_);
}

void LinkController::remoteReadDone(const link::SessionResult& result) {
    if (result.ok && !readShown_) {
        remoteReadReceived(result.image, result.blocks);
    }
    guard_.reset();
    if (!result.ok) {
        emit recordUnchanged(); // the record as it was, and nothing typed meanwhile
    }
    // The words end with "Disconnect" once the modem was asked to register.
    showStatus(fromUtf8(result.status));
    endWith(result, [this] { finish(); });
}

// The remote write sends the whole record: the base image and the extension blocks
// its inputs above 4 need (ExtBlocksCount is set from them).
void LinkController::Udalwrite1Click() {
    if (busy()) {
        tell(kBusyText);
        return;
    }
    setRunning(Command::RemoteWrite);
    // The window has finished the edits: the image carries what the panels show.
    // The encoder sets ExtBlocksCount, derived from the inputs: no edit of the user.
    std::vector<std::uint8_t> image = EncodeImage(editor_.recordInPlace());
    const Text telephone = editor_.record().TxTlfNum;
    showProgress();
    showStatus(QStringLiteral("Check modem"));
    const std::size_t sent = image.size();
    startWrite(std::move(image), sent, true, telephone);
}

void LinkController::remoteWriteDone(const link::SessionResult& result) {
    showStatus(fromUtf8(result.status));
    if (!result.ok) {
        stopWrite(result, result.cancelled ? QStringLiteral("Удаленная запись прервана: "
                                                            "передатчик записан не полностью.")
                                           : QString());
        return;
    }
    if (readBack()) {
        return;
    }
    endWith(withStepWarning(result), [this] { finish(); });
}

void LinkController::transferFailed(const link::SessionResult& result) {
    showStatus(fromUtf8(result.status));
    // The line went away (the cable pulled, the adapter unplugged): the port is closed,
    // the link is no longer connected, and the commands and the words say so.
    if (!result.portOpen) {
        heldPort_.clear();
        updt2(false);
        showStatus(QStringLiteral("Disconnect"));
    }
    endWith(result, [this] { finish(); });
}

void LinkController::endWith(const link::SessionResult& result, std::function<void()> then) {
    hideProgress();
    // The wait is over: the box that asked to wait for it goes.
    if (refusal_ != nullptr && refusal_->isVisible()) {
        refusal_->close();
    }
    if (result.message.empty() && result.warning.empty()) {
        then();
        return;
    }
    afterOpenBoxes([this, result, then = std::move(then)] {
        showMessage(result);
        showWarning(ctx_.prompts(), result);
        then();
    });
}

void LinkController::afterOpenBoxes(std::function<void()> next) {
    // One box at a time: the closing box waits for a dialog or box the user has open
    // (the port dialog, the about box, a box of a panel).
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(kBoxPollMs, this,
                           [this, next = std::move(next)]() mutable { afterOpenBoxes(next); });
        return;
    }
    next();
}

void LinkController::finish() {
    if (write_.step != WriteStep::None) {
        write_ = {};
        w_.Btotmsv->hide();
    }
    setRunning(Command::None);
    emit commandEnded();
}

void LinkController::BtotmsvClick() {
    if (ConnectRetryAllowed_) {
        ConnectRetryAllowed_ = false;
        cancel_.store(true);
    } else if (write_.step != WriteStep::None) {
        cancel_.store(true); // the write's steps stop at their next wait
    }
}

void LinkController::Port1Click() {
    portDialog_->setSettings(editor_.linkSettings());
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
    stepDone_ = 0;
    stepTotal_ = 0;
    phase_ = 0;
    phases_ = 1;
    w_.ProgressBar1->setValue(0);
    w_.ProgressBar1->show();
}

void LinkController::hideProgress() {
    w_.ProgressBar1->hide();
}

void LinkController::setProgress(int percent) {
    // The share of the running answer counts within its step: the bar shows the whole
    // transfer, or the connect's probes, or the modem's commands.
    if (w_.ProgressBar1->isVisible()) {
        w_.ProgressBar1->setValue(
            (phase_ * 100 + link::StageProgress(stepDone_, stepTotal_, percent)) / phases_);
    }
}

void LinkController::setStep(int done, int total) {
    stepDone_ = done;
    stepTotal_ = total;
    setProgress(0);
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
