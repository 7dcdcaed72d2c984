// The cable sessions: connect, read, write and disconnect, as plain synchronous
// functions over a SerialLine and a Clock. They move image bytes and never touch the
// configuration record: the caller encodes before a write and decodes after a read.
// Status words go to the reporter as they happen; the result carries the last of
// them, the message box to show (if any) and whether the port is still open.
#pragma once

#include "link/clock.h"
#include "link/report.h"
#include "link/serialline.h"
#include "model/status.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tk::link {

// The link parameters a session starts with.
struct LinkParams {
    std::string PortName;
    unsigned TxPause = 10; // tenths of a millisecond before each sent byte
    // The quick exchange: replies end at their tail, the modem's preparation waits for
    // its "OK" and a settle time (Exchange::Quick, kModemSettleMs).
    bool Quick = false;
};

// Message texts of the sessions (UTF-8).
inline constexpr const char* kPortBusyText = "error";
inline constexpr const char* kPortBusyCaption = "Порт занят";
inline constexpr const char* kReadOkText = "Операция чтения завершена успешно!";
inline constexpr const char* kWriteOkText = "Операция записи завершена успешно!";
inline constexpr const char* kWriteFailedText = "Операция записи завершена с ошибкой.";

// Why the port could not be opened, for the user: the port, the system's words and
// what to do ("/dev/ttyUSB0: Permission denied. Нет прав на порт: ... dialout ...").
std::string PortRefusalText(const std::string& port, const PortRefusal& refusal);
// The text of the "Порт занят" box: "error", then PortRefusalText on a line of its own.
std::string PortBusyMessage(const std::string& port, const PortRefusal& refusal);

inline constexpr int kConnectAttempts = 10;
inline constexpr int kCableWriteBlocks = 4;

struct SessionResult {
    bool ok = false;
    ::tk::StatusCode code = StatusNone; // StatusCode of the last exchange
    std::string status;                 // the last status words, as reported
    std::string message;                // message box text; empty: no box
    std::string caption;                // its caption; empty: the program's title
    // Said after the message, in a box of its own: something the user must know
    // although the command did what it could (a hang-up the modem never confirmed).
    std::string warning;
    bool portOpen = false;  // the line is open (connected) afterwards
    bool cancelled = false; // the session stopped at the cancel flag (no message)
    bool lineLost = false;  // the line failed under the session (the device vanished)
    PortRefusal refusal;    // why the port did not open ("Порт занят")
    // Read: the first 128 bytes of each block's answer, block i at 128·i, and at least
    // the 896 bytes of the base image; blocks never received are zero.
    std::vector<std::uint8_t> image;
    int blocks = 0; // read: the block count N; write: the blocks written
};

// Connect (ToolButton7Click while disconnected): "Connecting", setdcb(5), then up to
// 10 probes "M\r" answered "MOK\r\n" within 2 s each. `cancel` (Cancel, Btotmsv) is
// read once before each probe (a loop it stopped ends `cancelled`). Success: "Connect",
// the line stays open. Otherwise "No connect" and the line is closed; an open that
// fails gives "error" / "Порт занят" with the port and the reason.
SessionResult CableConnect(SerialLine& line, Clock& clock, const LinkParams& params,
                           const std::atomic<bool>& cancel, const Reporter& reporter = {});

// Read (Read1Click after the New command): "rdump\r" gives N, then for each block
// 300 ms, "Reading" hh, "read" hh "\r". Success: "Read OK. It was readed N blocks.",
// message "Операция чтения завершена успешно!"; the line stays open (the caller
// disconnects after the message). Failure: "Error " + code, no message.
//
// Read and write read `cancel` once per wait slice (pauses and answers alike): set, it
// ends the session within 10 ms with `cancelled`, no further command and no message;
// the line stays open for the caller to close.
SessionResult CableRead(SerialLine& line, Clock& clock, const LinkParams& params,
                        const std::atomic<bool>& cancel, const Reporter& reporter = {});

// Write (Write1Click): "pdum04\r", then for blocks 0..3 300 ms, "Writing" hh,
// "prog" hh "\r" and the block with its sum. baseImage holds the encoded base image
// (896 bytes; the first 512 are sent). Success: "Write OK. It was writed 4 blocks.",
// "Операция записи завершена успешно!". Failure: "Error " + code,
// "Операция записи завершена с ошибкой.". The line stays open either way.
SessionResult CableWrite(SerialLine& line, Clock& clock, const LinkParams& params,
                         std::span<const std::uint8_t> baseImage, const std::atomic<bool>& cancel,
                         const Reporter& reporter = {});

// Disconnect (ToolButton7Click while connected): closes the line, "Disconnect".
// Nothing is sent.
SessionResult CableDisconnect(SerialLine& line, const Reporter& reporter = {});

} // namespace tk::link
