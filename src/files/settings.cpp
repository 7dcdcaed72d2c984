#include "files/settings.h"

#include <QSettings>
#include <QVariant>

namespace tk {
namespace {

const QString kOrganisation = QStringLiteral("tkcnt");
const QString kApplication = QStringLiteral("tkgps");
const QString kPortValue = QStringLiteral("pr");
const QString kLastFolderValue = QStringLiteral("LastFolder");
const QString kRecentFilesValue = QStringLiteral("RecentFiles");
const QString kQuickValue = QStringLiteral("quick");
const QString kBackupFolderValue = QStringLiteral("BackupFolder");
const QString kBackupBeforeWriteValue = QStringLiteral("BackupBeforeWrite");
const QString kVerifyAfterWriteValue = QStringLiteral("VerifyAfterWrite");

// A stored text; nothing when the store cannot be read, the value is missing or is
// not a text.
std::optional<QString> storedText(const QString& name) {
    const QSettings settings(kOrganisation, kApplication);
    if (settings.status() != QSettings::NoError || !settings.contains(name)) {
        return std::nullopt;
    }
    const QVariant value = settings.value(name);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

void store(const QString& name, const QVariant& value) {
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(name, value);
    settings.sync();
}

} // namespace

std::optional<QString> rereg() {
    return storedText(kPortValue);
}

void wrreg(const QString& portName) {
    store(kPortValue, portName);
}

std::optional<QString> readLastFolder() {
    return storedText(kLastFolderValue);
}

void storeLastFolder(const QString& folder) {
    store(kLastFolderValue, folder);
}

std::optional<QString> readBackupFolder() {
    return storedText(kBackupFolderValue);
}

void storeBackupFolder(const QString& folder) {
    store(kBackupFolderValue, folder);
}

QStringList withRecentFile(QStringList files, const QString& path) {
    files.removeAll(path);
    files.prepend(path);
    if (files.size() > kRecentFilesMax) {
        files.resize(kRecentFilesMax);
    }
    return files;
}

QStringList readRecentFiles() {
    const QSettings settings(kOrganisation, kApplication);
    QStringList files;
    if (settings.status() != QSettings::NoError) {
        return files;
    }
    // One entry is stored as a plain text, several as a list.
    const QVariant value = settings.value(kRecentFilesValue);
    const QVariantList entries =
        value.typeId() == QMetaType::QString ? QVariantList{value} : value.toList();
    for (const QVariant& entry : entries) {
        if (entry.typeId() == QMetaType::QString && !entry.toString().isEmpty() &&
            !files.contains(entry.toString()) && files.size() < kRecentFilesMax) {
            files << entry.toString();
        }
    }
    return files;
}

void storeRecentFiles(const QStringList& files) {
    store(kRecentFilesValue, files);
}

// A stored choice: `otherwise` unless the value stored is the other one.
bool storedChoice(const QString& name, bool otherwise) {
    const QSettings settings(kOrganisation, kApplication);
    if (settings.status() != QSettings::NoError || !settings.contains(name)) {
        return otherwise;
    }
    // An INI file gives the text back, the registry may give either.
    const QVariant value = settings.value(name);
    const QString other = otherwise ? QStringLiteral("false") : QStringLiteral("true");
    const bool isOther =
        value.typeId() == QMetaType::Bool ? value.toBool() != otherwise : value.toString() == other;
    return isOther ? !otherwise : otherwise;
}

bool reregQuick() {
    return storedChoice(kQuickValue, false);
}

void wrregQuick(bool quick) {
    store(kQuickValue, quick);
}

bool reregBackupBeforeWrite() {
    return storedChoice(kBackupBeforeWriteValue, true);
}

void wrregBackupBeforeWrite(bool on) {
    store(kBackupBeforeWriteValue, on);
}

bool reregVerifyAfterWrite() {
    return storedChoice(kVerifyAfterWriteValue, false);
}

void wrregVerifyAfterWrite(bool on) {
    store(kVerifyAfterWriteValue, on);
}

} // namespace tk
