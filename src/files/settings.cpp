#include "files/settings.h"

#include <QSettings>
#include <QVariant>

namespace tk {
namespace {

const QString kOrganisation = QStringLiteral("tkcnt");
const QString kApplication = QStringLiteral("tkgps");
const QString kPortValue = QStringLiteral("pr");
const QString kQuickValue = QStringLiteral("quick");

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

bool reregQuick() {
    const QSettings settings(kOrganisation, kApplication);
    if (settings.status() != QSettings::NoError) {
        return false;
    }
    // An INI file gives the text back, the registry may give either.
    const QVariant value = settings.value(kQuickValue);
    return value.typeId() == QMetaType::Bool ? value.toBool()
                                             : value.toString() == QStringLiteral("true");
}

void wrregQuick(bool quick) {
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(kQuickValue, quick);
    settings.sync();
}

} // namespace tk
