#include "link/trace.h"

#include <cstdio>

namespace tk::link {

TracingLine::TracingLine(SerialLine& inner, Clock& clock, std::ostream& out)
    : inner_(inner), clock_(clock), out_(out), start_(clock.nowMs()) {}

void TracingLine::line(const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%10lld ms  ",
                  static_cast<long long>(clock_.nowMs() - start_));
    out_ << stamp << text << '\n';
    out_.flush();
}

void TracingLine::note(const char* what, std::span<const std::uint8_t> bytes) {
    std::string hex;
    std::string text;
    for (const std::uint8_t b : bytes) {
        char h[4];
        std::snprintf(h, sizeof h, "%02X ", b);
        hex += h;
        text += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
    }
    line(std::string(what) + hex + " |" + text + "|");
}

bool TracingLine::open(const std::string& name) {
    const bool ok = inner_.open(name);
    line("open " + name + (ok ? "" : " refused: " + inner_.error()));
    return ok;
}

OpenFailure TracingLine::openFailure() const {
    return inner_.openFailure();
}

bool TracingLine::configure(const LineSettings& settings) {
    const bool ok = inner_.configure(settings);
    line("settings " + std::to_string(settings.baudRate) + " 8N1, reply ends after " +
         std::to_string(settings.readIntervalMs) + " ms of silence" +
         (ok ? "" : ", refused: " + inner_.error()));
    return ok;
}

void TracingLine::close() {
    if (inner_.isOpen()) {
        line("close");
    }
    inner_.close();
}

bool TracingLine::isOpen() const {
    return inner_.isOpen();
}

void TracingLine::purge() {
    inner_.purge();
}

bool TracingLine::writeByte(std::uint8_t byte, int waitMs) {
    const bool ok = inner_.writeByte(byte, waitMs);
    note(ok ? "> " : "> failed ", std::span<const std::uint8_t>(&byte, 1));
    return ok;
}

LineRead TracingLine::read(std::span<std::uint8_t> dest, int waitMs) {
    const LineRead got = inner_.read(dest, waitMs);
    if (got.count > 0) {
        note("< ", dest.first(got.count));
    }
    if (got.failed) {
        line("line failed: " + inner_.error());
    }
    return got;
}

std::string TracingLine::error() const {
    return inner_.error();
}

} // namespace tk::link
