// The serial line the exchange primitives talk through. The program's own line is a
// QSerialPort (QSerialLine); the tests script one on a virtual clock.
//
// A line is used from one thread only: the link thread in the window, the main thread
// in tk515.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tk::link {

// Line settings. Always 8 data bits, no parity, 1 stop bit, no flow control (neither
// hardware nor XON/XOFF, which would swallow 0x11 and 0x13 in binary blocks), DTR and
// RTS off.
struct LineSettings {
    std::int32_t baudRate = 9600;
    // Silence that ends a reply: no byte for longer than this after at least one byte.
    // setdcb(I) makes it I x 100 ms. The primitives frame replies with it; a line may
    // use it as a hint.
    int readIntervalMs = 500;
};

// Why the last open of a line failed.
enum class OpenFailure {
    None,       // the line opened (or no open was tried)
    Absent,     // no such device
    InUse,      // held by another program (its lock file or an exclusive open)
    Permission, // the system refused access: the user may not use the device
    HeldHere,   // this line is open already (the connected cable link holds it)
    Other,      // any other refusal (not a serial device, a driver failure)
};

// A refused open: which kind of refusal, and the system's own words for it (English,
// from the driver; empty when the program itself refused).
struct PortRefusal {
    OpenFailure failure = OpenFailure::None;
    std::string reason;
};

// Outcome of one wait for received bytes.
struct LineRead {
    std::size_t count = 0; // bytes stored at the start of the destination
    bool failed = false;   // the line failed (read or resource error); it is closed now
};

class SerialLine {
public:
    SerialLine() = default;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;
    virtual ~SerialLine() = default;

    // Opens the device by name (a device path on Linux, "COM3" on Windows) for
    // exclusive reading and writing. False when it is absent or held by another
    // program or another line of this program; openFailure() then says which of these
    // it was and error() gives the system's own words.
    virtual bool open(const std::string& name) = 0;

    // Why the last open failed; None after an open that succeeded.
    virtual OpenFailure openFailure() const = 0;

    // Applies the settings to the open line. False when the driver refuses one of
    // them; the line stays open and the caller closes it. Refused DTR/RTS control
    // (a pseudo-terminal has none) does not count as a refusal.
    virtual bool configure(const LineSettings& settings) = 0;

    // Closes the line; nothing happens when it is closed already.
    virtual void close() = 0;

    virtual bool isOpen() const = 0;

    // Discards whatever has arrived and not been read (driver queue and own buffers).
    // Bytes already written are not recalled: they are on the line.
    virtual void purge() = 0;

    // Starts writing one byte and waits at most waitMs for it to leave. False when
    // the line is closed or failed.
    virtual bool writeByte(std::uint8_t byte, int waitMs) = 0;

    // Stores bytes that have arrived (at most dest.size()) at the start of dest. When
    // none is waiting, blocks at most waitMs for the first to arrive, without
    // spinning. A read or resource error (the device vanished, the far end of a
    // pseudo-terminal closed) closes the line and reports failed, so the caller never
    // spins on an error that repeats for ever.
    virtual LineRead read(std::span<std::uint8_t> dest, int waitMs) = 0;

    // The last error in words (English, from the driver), empty when none.
    virtual std::string error() const = 0;
};

} // namespace tk::link
