#include "files/settings.h"

#include <QSettings>
#include <QVariant>

namespace tk {
namespace {

const QString kOrganisation = QStringLiteral("tkcnt");
const QString kApplication = QStringLiteral("tkgps");
const QString kPortValue = QStringLiteral("pr");

} // namespace

std::optional<QString> rereg() {
    const QSettings settings(kOrganisation, kApplication);
    if (settings.status() != QSettings::NoError || !settings.contains(kPortValue)) {
        return std::nullopt;
    }
    const QVariant value = settings.value(kPortValue);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

void wrreg(const QString& portName) {
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(kPortValue, portName);
    settings.sync();
}

} // namespace tk
