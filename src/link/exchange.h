// The exchange primitives: paced sending, replies framed by silence, time-outs and the
// reply checks. One Exchange is the link state of one session: the line, the clock,
// PortName, TxPause, StatusCode, ReplyArea and SendArea.
//
// Waiting happens in 10 ms slices on the line (never a busy loop); after each slice in
// which the reply is not complete the progress is reported as elapsed / T. With a
// cancel flag set, every wait (a reply, a pause) reads it once per slice and ends
// there: the caller stops within 10 ms of the request.
//
// The quick exchange (Quick) sends the same bytes with the same pauses and time-outs,
// and only ends a reply sooner: once the bytes received end with the tail its check
// looks for and kQuickGuardMs of silence have followed, instead of the read interval's
// silence; a block answer ends at its 132nd byte when its tail checks there. A reply
// whose tail has not come when the guard passes goes on to the read interval's silence
// exactly as in the normal exchange, so the quick exchange ends a reply the normal one
// would accept with the same bytes.
#pragma once

#include "link/clock.h"
#include "link/report.h"
#include "link/serialline.h"
#include "model/status.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tk::link {

inline constexpr std::size_t kReplyAreaSize = 32768;
inline constexpr std::size_t kSendAreaSize = 512;
inline constexpr std::size_t kMaxReply = 500;   // bytes one receive takes at most
inline constexpr int kWaitSliceMs = 10;         // one wait on the line
inline constexpr unsigned kDefaultTxPause = 10; // tenths of a millisecond
// Quick exchange: the silence after an answer's tail that ends it, a little over three
// byte times at 9600 baud (3.1 ms), counted on the millisecond clock as more than 3 ms.
inline constexpr int kQuickGuardMs = 3;
// The answer to "read" hh: the 128 bytes of the block, then "OK" CR LF.
inline constexpr std::size_t kBlockAnswerSize = 132;

// formsum: copies the block to dest and appends its byte sum modulo 65536, high byte
// first. dest must hold block.size() + 2 bytes. Returns block.size() + 2.
std::size_t formsum(std::span<std::uint8_t> dest, std::span<const std::uint8_t> block);

// strncmp1: 0 when the first n bytes are equal (also for n <= 0), otherwise 1 + the
// index of the first difference.
int strncmp1(const std::uint8_t* a, const std::uint8_t* b, int n);

class Exchange {
public:
    Exchange(SerialLine& line, Clock& clock, Reporter reporter = {});

    // setdcb(I): opens PortName and applies 9600 8N1 with a read interval of I x 100 ms.
    // An open that fails (absent, held elsewhere, or this line open already) sets
    // OpenRefused and Refusal: the caller shows "error" / "Порт занят" with the reason.
    // Refused settings return false with OpenRefused clear; the line stays open for the
    // caller to close.
    bool setdcb(int I);

    // A plain delay of ms milliseconds (the pauses between commands). With a cancel
    // flag it sleeps in slices and returns false, setting Cancelled, once the flag is
    // set; otherwise it always returns true.
    bool pause(int ms);

    // Sends cmd paced and waits for nothing. Always true; StatusCode is left alone.
    bool vvod1(std::string_view cmd);

    // Each sends cmd paced, then receives one reply of at most 500 bytes into ReplyArea
    // at dest within T tenths of a second and checks its tail:
    //   vvod      "OK" starting 4 bytes before the end
    //   vvodconn  "CONN" starting 14 bytes before the end
    //   vvodReg   "+CREG: 0,1" or "+CREG: 0,5" starting 18 bytes before the end
    //   vvodM     "MOK\r\n" as the last 5 bytes
    // False with StatusCode 3 on a time-out, 4 on a bad reply (or a failed line:
    // LineLost), and with Cancelled set when the cancel flag ended the wait.
    bool vvod(std::string_view cmd, std::size_t dest, int T);
    bool vvodconn(std::string_view cmd, std::size_t dest, int T);
    bool vvodReg(std::string_view cmd, std::size_t dest, int T);
    bool vvodM(std::string_view cmd, std::size_t dest, int T);

    // As vvod, for the answer to "read" hh (kBlockAnswerSize bytes): in the quick
    // exchange it ends at its 132nd byte when the tail checks there, without a silence.
    bool vvodBlock(std::string_view cmd, std::size_t dest, int T);

    // Sends the block and its sum (formsum into SendArea) paced and receives a reply
    // checked as by vvod.
    bool vvodsum(std::span<const std::uint8_t> block, std::size_t dest, int T);

    // As vvod, the reply's last two bytes being hexadecimal digits: their value
    // 0..255. 0 on failure (StatusCode 3 or 4) and for the digits 00 (StatusCode 0).
    int vvodXX(std::string_view cmd, std::size_t dest, int T);

    // The bytes of the last reply, as received into ReplyArea at its dest.
    std::span<const std::uint8_t> lastReply() const;

    // Closes the line.
    void close();

    SerialLine& line() { return line_; }
    Clock& clock() { return clock_; }
    const Reporter& reporter() const { return reporter_; }

    std::string PortName;
    unsigned TxPause = kDefaultTxPause; // pause before each sent byte, 0.1 ms units
    bool Quick = false;                 // the quick exchange (see above)
    ::tk::StatusCode StatusCode = StatusNone;
    bool OpenRefused = false; // the last setdcb could not open the port
    PortRefusal Refusal;      // why, when OpenRefused
    // Read once per wait slice when set; the exchange that sees it set ends at once.
    const std::atomic<bool>* Cancel = nullptr;
    bool Cancelled = false;              // a wait ended because Cancel was set
    bool LineLost = false;               // the line failed (vanished) during an exchange
    std::vector<std::uint8_t> ReplyArea; // kReplyAreaSize bytes
    std::vector<std::uint8_t> SendArea;  // kSendAreaSize bytes
    std::size_t TransferCount = 0;       // length of the last reply
    std::size_t ReplyStart = 0;          // where the last reply landed

private:
    enum class Tail { Ok, Conn, Reg, MOk, Hex };

    void sendPaced(std::span<const std::uint8_t> bytes);
    bool cancelRequested();
    static bool tailChecks(std::span<const std::uint8_t> reply, Tail tail);
    // knownLength: the reply's length when it is known (a block answer), else 0.
    bool receive(std::size_t dest, int T, Tail tail, std::size_t knownLength = 0);
    bool exchange(std::string_view cmd, std::size_t dest, int T, Tail tail,
                  std::size_t knownLength = 0);

    SerialLine& line_;
    Clock& clock_;
    Reporter reporter_;
    int readIntervalMs_ = 500;
};

} // namespace tk::link
