// The one setting the program keeps between runs: the serial port's name, stored
// under organisation "tkcnt", application "tkgps", value "pr" (the registry on
// Windows, an INI file elsewhere).
#pragma once

#include <QString>

#include <optional>

namespace tk {

inline const QString kDefaultPortName = QStringLiteral("COM1");

// The stored port name; nothing when none is stored or it cannot be read (the
// caller then keeps its port name).
std::optional<QString> rereg();

// Stores the port name. A store that cannot be written loses the setting silently.
void wrreg(const QString& portName);

} // namespace tk
