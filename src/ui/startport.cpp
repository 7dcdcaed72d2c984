#include "ui/startport.h"

#include "files/settings.h"

#include <QSerialPortInfo>

namespace tk {

QStringList serialPortLocations() {
    QStringList locations;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        locations << port.portName();
#else
        locations << port.systemLocation();
#endif
    }
    return locations;
}

QString startPortName(const QStringList& found) {
#ifdef Q_OS_WIN
    Q_UNUSED(found);
    return kDefaultPortName;
#else
    return found.isEmpty() ? QStringLiteral("/dev/ttyUSB0") : found.constFirst();
#endif
}

} // namespace tk
