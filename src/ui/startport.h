// The port name the window starts with, before the stored one replaces it.
#pragma once

#include <QString>
#include <QStringList>

namespace tk {

// The serial ports the system offers now, as the port dialog lists them: device paths
// ("/dev/ttyUSB0") on Linux, names ("COM3") on Windows.
QStringList serialPortLocations();

// On Windows "COM1"; elsewhere the first port of `found`, or "/dev/ttyUSB0" (where a
// USB serial adapter appears first) when there is none.
QString startPortName(const QStringList& found);

} // namespace tk
