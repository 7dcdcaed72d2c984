// SerialLine over QSerialPort. Create, use and destroy it on one thread: the port
// object is made on the first open, on the calling thread.
#pragma once

#include "link/serialline.h"

#include <memory>

class QSerialPort;

namespace tk::link {

class QSerialLine final : public SerialLine {
public:
    QSerialLine();
    ~QSerialLine() override;

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
    // Closes the port when it reports an error after which it is of no use.
    bool closeOnFatalError();

    std::unique_ptr<QSerialPort> port_;
    std::string error_;
    OpenFailure failure_ = OpenFailure::None;
};

} // namespace tk::link
