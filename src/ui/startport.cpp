#include "ui/startport.h"

#include "files/settings.h"
#include "link/ports.h"

namespace tk {

QStringList serialPortLocations() {
    QStringList locations;
    for (const link::PortInfo& port : link::AvailablePorts()) {
        locations << QString::fromStdString(port.name);
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
