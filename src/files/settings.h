// The settings the program keeps between runs, under organisation "tkcnt", application
// "tkgps" (the registry on Windows, an INI file elsewhere): the serial port's name
// (value "pr") and the choice of the quick exchange (value "quick").
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

// The stored choice of the quick exchange: false (the normal exchange) unless the
// value stored is true.
bool reregQuick();

// Stores the choice of the quick exchange, as wrreg does the port name.
void wrregQuick(bool quick);

} // namespace tk
