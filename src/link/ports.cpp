#include "link/ports.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace tk::link {

std::vector<PortInfo> AvailablePorts() {
    std::vector<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString name = info.portName();
#else
        const QString name = info.systemLocation();
#endif
        ports.push_back({name.toStdString(), info.description().toStdString(),
                         info.manufacturer().toStdString()});
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.name < b.name; });
    return ports;
}

} // namespace tk::link
