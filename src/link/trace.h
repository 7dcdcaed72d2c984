// A SerialLine that passes everything to another line and writes every byte sent and
// received to a text stream, with the time in milliseconds since the trace began, in
// hexadecimal and as printable characters: for support, `tk515 --trace FILE`.
#pragma once

#include "link/clock.h"
#include "link/serialline.h"

#include <cstdint>
#include <ostream>

namespace tk::link {

class TracingLine final : public SerialLine {
public:
    TracingLine(SerialLine& inner, Clock& clock, std::ostream& out);

    bool open(const std::string& name) override;
    OpenFailure openFailure() const override;
    bool configure(const LineSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    void purge() override;
    bool writeByte(std::uint8_t byte, int waitMs) override;
    LineRead read(std::span<std::uint8_t> dest, int waitMs) override;
    std::string error() const override;

private:
    void note(const char* what, std::span<const std::uint8_t> bytes);
    void line(const std::string& text);

    SerialLine& inner_;
    Clock& clock_;
    std::ostream& out_;
    std::int64_t start_;
};

} // namespace tk::link
