// The window side of the cable link: connect and disconnect, read, write, Cancel, the
// port dialog, the progress bar and the link words in status panel 1.
//
// The sessions run on the link thread, in a worker that owns the serial line for the
// life of the program, so a connection stays open between commands. The window thread
// only starts a command and takes its progress, words and result as queued calls:
// it never waits on the line. One link command runs at a time; a second one, and
// closing the window meanwhile, are refused with a word to the user.
#pragma once

#include "files/backups.h"
#include "model/configuration.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QWidget;

namespace tk {

class CommandBars;
class Editor;
class FillGuard;
class PanelContext;
class PortDialog;

namespace link {
class Clock;
struct LinkParams;
struct Reporter;
struct SessionResult;
} // namespace link

class LinkWorker;

class LinkController : public QObject {
    Q_OBJECT
public:
    // The window's controls the link drives.
    struct Widgets {
        CommandBars& bars;
        QProgressBar* ProgressBar1;
        QPushButton* Btotmsv;
        QLabel* statusPanel1;
    };
    // The link settings are the editor's: read when a command starts, replaced by the
    // port dialog's OK. Boxes are shown over `window`.
    LinkController(QWidget* window, Widgets widgets, PanelContext& ctx, Editor& editor);
    ~LinkController() override;

    // The clock of the link thread (the system's steady clock unless set). Takes
    // effect from the next command.
    void useClock(std::unique_ptr<link::Clock> clock);

    // The commands.
    void ToolButton7Click(); // connect or disconnect
    void Read1Click();
    void Write1Click();
    void Udalread1Click();  // remote read through the GSM modem
    void Udalwrite1Click(); // remote write through the GSM modem
    void BtotmsvClick();    // Cancel of the connect loop
    void Port1Click();

    // Shows the connected or disconnected state on menus and buttons.
    void updt2(bool connected);

    // Asked by the window before it closes: false while a link command runs (the user
    // is told why). Once the window closes, closeLine() lets the port go.
    bool mayClose();
    void closeLine();

    bool busy() const { return running_ != Command::None; }
    bool LinkConnected() const { return LinkConnected_; }
    bool ConnectRetryAllowed() const { return ConnectRetryAllowed_; }
    std::uint32_t TxPause() const;
    bool QuickExchange() const;
    PortDialog& portDialog() const { return *portDialog_; }

    // What the user is told when a link command or closing is refused.
    static const QString kBusyText;
    static const QString kCloseRefusedText;

signals:
    // A link command has ended: its words, messages and state are shown.
    void commandEnded();
    // A read failed: the record is as it was, and the panel on show is to show it
    // again (edits typed meanwhile were not taken).
    void recordUnchanged();
    // A link command began (true) or ended (false).
    void busyChanged(bool busy);

private:
    enum class Command { None, Connect, Disconnect, Read, Write, RemoteRead, RemoteWrite };
    void setRunning(Command command);

    // Runs `session` on the link thread; `done` gets its result on this thread.
    void start(Command command,
               std::function<link::SessionResult(LinkWorker&, const std::atomic<bool>&)> session,
               void (LinkController::*done)(const link::SessionResult&));
    void startDisconnect(bool afterTransfer);
    void connectDone(const link::SessionResult& result);
    void disconnectDone(const link::SessionResult& result);
    void readDone(const link::SessionResult& result);
    void writeDone(const link::SessionResult& result);
    void remoteReadDone(const link::SessionResult& result);
    void remoteWriteDone(const link::SessionResult& result);
    // The remote read's blocks have come (before its hang-up): they are shown at once.
    void remoteReadReceived(const std::vector<std::uint8_t>& image, int blocks);
    // A transfer that failed: its words stay, the link stays connected unless the line
    // went away (then "Disconnect").
    void transferFailed(const link::SessionResult& result);
    // The start of a read: FillGuard free, the save question of New asked (Cancel, or
    // a save that failed, abandons the read). True when the read may run.
    bool mayRead(Command command);
    // A read has come: New (which asks nothing now), then `read` as the record.
    void replaceRecord(const Configuration& read);
    // The end of a command: the progress bar hidden and the wait box closed, then the
    // closing box (once no other box is up), then `then`.
    void endWith(const link::SessionResult& result, std::function<void()> then);
    void afterOpenBoxes(std::function<void()> next);
    void finish();
    link::Reporter reporter();
    link::LinkParams params() const;

    void showStatus(const QString& words);
    void showProgress();
    void hideProgress();
    void setProgress(int percent);
    void setStep(int done, int total);
    void showMessage(const link::SessionResult& result);
    void tell(const QString& text);
    QStringList portsOffered() const;

    // The steps around a write (linksafety.cpp). Before a write the transmitter is read
    // as the read command reads it (the cable: the read, its disconnect, a new connect;
    // the modem: a call of its own) and kept as a "before write" copy; a read or a copy
    // that fails stops the write. After it, when asked, the blocks are read back the
    // same way and compared with what was sent. Progress and Cancel span every step.
    enum class WriteStep { None, ReadBefore, Reconnect, Write, ReadBack };
    struct WriteRun {
        WriteStep step = WriteStep::None;
        bool remote = false;
        bool verify = false;
        std::vector<std::uint8_t> image; // what is sent
        std::size_t sent = 0;            // the bytes of it that reach the transmitter
        Configuration record;            // the record written: its transmitter's copy
        Text telephone;                  // the number dialled
        std::string warning;             // a step's warning, told at the end
    };
    void startWrite(std::vector<std::uint8_t> image, std::size_t sent, bool remote,
                    const Text& telephone);
    void readBeforeWriteDone(const link::SessionResult& result);
    void reconnectDone(const link::SessionResult& result);
    void writeNow();
    bool readBack();
    void readBackDone(const link::SessionResult& result);
    // The end of a write that did not go to its end: the words and the box.
    void stopWrite(link::SessionResult result, const QString& why);
    // A read just decoded: kept through the backup store, its comment added to `read`;
    // the status bar says where, or why it was not kept.
    bool keepRead(Configuration& read, BackupKind kind, bool remote, const QString& via);
    void nextPhase();
    // The result with the warning of an earlier step when it has none of its own.
    link::SessionResult withStepWarning(link::SessionResult result) const;
    link::Reporter quietReporter();

    QWidget* window_;
    Widgets w_;
    PanelContext& ctx_;
    Editor& editor_;
    PortDialog* portDialog_;
    QMessageBox* refusal_ = nullptr;

    bool LinkConnected_ = false;
    bool ConnectRetryAllowed_ = false;
    QString heldPort_; // the port the connected link holds
    Command running_ = Command::None;
    bool disconnectEndsTransfer_ = false;
    std::unique_ptr<FillGuard> guard_;
    // The step the progress bar stands at (link::Reporter::step).
    int stepDone_ = 0;
    int stepTotal_ = 0;
    // A command of several sessions: the bar goes once through all of them.
    int phase_ = 0;
    int phases_ = 1;
    WriteRun write_;
    // The remote read: the number dialled, and whether its blocks are shown already.
    Text readTelephone_;
    bool readShown_ = false;

    std::atomic<bool> cancel_{false};
    QThread thread_;
    LinkWorker* worker_;
};

} // namespace tk
