// The serial port of the link and how it is driven: what the port dialog shows and
// returns, what the editor keeps and the link sessions use.
#pragma once

#include <QString>

#include <cstdint>

namespace tk {

struct PortSettings {
    QString PortName;
    std::uint32_t TxPause = 10; // tenths of a millisecond before each byte sent
    bool Quick = false;         // "Быстрый обмен"

    bool operator==(const PortSettings&) const = default;
};

} // namespace tk
