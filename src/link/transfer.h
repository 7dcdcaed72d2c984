// The block transfer of an established link, the same over the programming cable and
// over a modem call: the count, the blocks one by one, and the result they make. The
// sessions around it (connect and disconnect, the modem's preparation and hang-up)
// decide what an ending means; the transfer only moves the blocks and says so.
#pragma once

#include "link/clock.h"
#include "link/exchange.h"
#include "link/report.h"
#include "link/serialline.h"
#include "link/session.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tk::link {

// The two upper-case hexadecimal digits of a block number or count ("pdum04",
// "read0C", "блок 0C").
std::string Hex2(int value);

// A write read back: what was read against what was written, byte for byte but for
// the firmware version (the transmitter's, not the file's). `back` holds at least
// written.size() bytes.
struct WriteCheck {
    bool ok = false;
    int block = 0;          // the first block that differs
    std::size_t offset = 0; // its first differing byte in the image
    // "Проверка: записанные блоки 00-03 прочитаны без различий." or
    // "проверка: блок 02 прочитан не таким, каким записан (байт 300)"
    std::string text;
};
WriteCheck CheckWritten(std::span<const std::uint8_t> written, std::span<const std::uint8_t> back);

// An exchange over the line with the session's port, pacing and quick exchange.
Exchange MakeExchange(SerialLine& line, Clock& clock, const LinkParams& params,
                      const Reporter& reporter);

// Reports the status words and keeps them as the result's last.
void Say(SessionResult& result, const Reporter& reporter, std::string words);

// "Reading", then "rdump\r" gives the count N; for each block i: 300 ms, "Reading" hh,
// step i of N, "read" hh "\r", its answer landing in ReplyArea at 128·i over bytes
// cleared first. When every block came, the result holds the image (the first 128
// bytes of each answer, at least the base image, the rest zero), blocks N, ok and the
// code, "Read OK. It was readed N blocks." is said, and the answer is true. Otherwise
// false with nothing but the status words changed in the result: the exchange says
// why (Cancelled, StatusCode, LineLost).
bool ReadBlocks(Exchange& x, SessionResult& result, const Reporter& reporter);

// "Writing", "pdum" + N "\r" (N = count); then for each block i: 300 ms, "Writing" hh,
// step i of N, "prog" hh "\r" unanswered, and bytes 128·i.. of image with their sum.
// When every block was taken: ok, the code and blocks N in the result; true. Otherwise
// false, as ReadBlocks. image holds at least 128·count bytes.
bool WriteBlocks(Exchange& x, SessionResult& result, const Reporter& reporter,
                 std::span<const std::uint8_t> image, int count);

} // namespace tk::link
