// The settings the program keeps between runs, under organisation "tkcnt",
// application "tkgps" (the registry on Windows, an INI file elsewhere): the serial
// port's name (value "pr") and the folder the file dialogs last used ("LastFolder").
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

// The folder of the file last opened or saved through a dialog; nothing when none is
// stored.
std::optional<QString> readLastFolder();
// Stores it at once, so that a run that ends abnormally keeps it too.
void storeLastFolder(const QString& folder);

} // namespace tk
