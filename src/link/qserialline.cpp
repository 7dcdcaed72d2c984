#include "link/qserialline.h"

#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>
#endif

namespace tk::link {

QSerialLine::QSerialLine() = default;

QSerialLine::~QSerialLine() {
    close();
}

namespace {

// Why QSerialPort refused to open `name`. Qt reports a port locked by another program
// and a device the user may not use alike (PermissionError), so the device's own
// permissions decide between them.
OpenFailure classify(QSerialPort::SerialPortError error, [[maybe_unused]] const std::string& name) {
#ifdef Q_OS_UNIX
    if (::access(name.c_str(), R_OK | W_OK) != 0) {
        if (errno == EACCES || errno == EPERM) {
            return OpenFailure::Permission;
        }
        if (errno == ENOENT) {
            return OpenFailure::Absent;
        }
    }
#endif
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::Absent;
    case QSerialPort::PermissionError:
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

} // namespace

bool QSerialLine::open(const std::string& name) {
    error_.clear();
    failure_ = OpenFailure::None;
    if (!port_) {
        port_ = std::make_unique<QSerialPort>();
    }
    if (port_->isOpen()) {
        error_ = "the line is open already";
        failure_ = OpenFailure::HeldHere;
        return false;
    }
    port_->setPortName(QString::fromStdString(name));
    // Qt opens the device exclusively (a lock file and TIOCEXCL on Unix, no sharing on
    // Windows).
    if (!port_->open(QIODevice::ReadWrite)) {
        error_ = port_->errorString().toStdString();
        failure_ = classify(port_->error(), name);
        port_->clearError();
        return false;
    }
    return true;
}

OpenFailure QSerialLine::openFailure() const {
    return failure_;
}

bool QSerialLine::configure(const LineSettings& settings) {
    if (!isOpen()) {
        return false;
    }
    const bool applied =
        port_->setBaudRate(settings.baudRate) && port_->setDataBits(QSerialPort::Data8) &&
        port_->setParity(QSerialPort::NoParity) && port_->setStopBits(QSerialPort::OneStop) &&
        port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        error_ = port_->errorString().toStdString();
        port_->clearError();
        return false;
    }
    // DTR and RTS off. A pseudo-terminal has neither and refuses both; that is no
    // reason to refuse the line.
    port_->setDataTerminalReady(false);
    port_->setRequestToSend(false);
    port_->clearError();
    return true;
}

void QSerialLine::close() {
    if (port_ && port_->isOpen()) {
        port_->close();
    }
    if (port_) {
        port_->clearError();
    }
}

bool QSerialLine::isOpen() const {
    return port_ && port_->isOpen();
}

void QSerialLine::purge() {
    if (isOpen()) {
        // What has arrived is discarded. Bytes written are handed to the driver one at a
        // time and are on their way: flushing the output would lose the end of the last
        // command (a pseudo-terminal drops what its far end has not read yet, a UART what
        // is still in its queue).
        port_->clear(QSerialPort::Input);
        port_->clearError();
    }
}

bool QSerialLine::closeOnFatalError() {
    const QSerialPort::SerialPortError e = port_->error();
    // A vanished device keeps reporting read errors for ever while the port stays
    // "open": close it. A time-out is only the end of a wait.
    if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError ||
        e == QSerialPort::WriteError) {
        error_ = port_->errorString().toStdString();
        port_->close();
        port_->clearError();
        return true;
    }
    port_->clearError();
    return false;
}

bool QSerialLine::writeByte(std::uint8_t byte, int waitMs) {
    if (!isOpen()) {
        return false;
    }
    const char c = static_cast<char>(byte);
    if (port_->write(&c, 1) != 1) {
        closeOnFatalError();
        return false;
    }
    // Handed to the driver at once: one write call. Only a driver buffer that is full
    // leaves the byte with Qt, and then it waits.
    port_->flush();
    if (port_->bytesToWrite() > 0) {
        port_->waitForBytesWritten(waitMs);
    }
    return !closeOnFatalError();
}

LineRead QSerialLine::read(std::span<std::uint8_t> dest, int waitMs) {
    LineRead result;
    if (!isOpen()) {
        result.failed = true;
        return result;
    }
    if (port_->bytesAvailable() == 0 && !port_->waitForReadyRead(waitMs)) {
        result.failed = closeOnFatalError();
        return result;
    }
    if (dest.empty()) {
        return result;
    }
    const qint64 n =
        port_->read(reinterpret_cast<char*>(dest.data()), static_cast<qint64>(dest.size()));
    if (n < 0) {
        result.failed = closeOnFatalError() || !isOpen();
        return result;
    }
    result.count = static_cast<std::size_t>(n);
    return result;
}

std::string QSerialLine::error() const {
    return error_;
}

} // namespace tk::link
