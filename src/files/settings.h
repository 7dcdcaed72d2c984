// The settings the program keeps between runs, under organisation "tkcnt",
// application "tkgps" (the registry on Windows, an INI file elsewhere): the serial
// port's name (value "pr"), the choice of the quick exchange ("quick"), the folder the
// file dialogs last used ("LastFolder") and the files last opened or saved
// ("RecentFiles"), the backup folder ("BackupFolder") and the window's two checks
// around a write ("BackupBeforeWrite", "VerifyAfterWrite").
#pragma once

#include <QString>
#include <QStringList>

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

// The backup folder chosen in the settings; nothing when none is stored.
std::optional<QString> readBackupFolder();
void storeBackupFolder(const QString& folder);

// How many recent files the "Файл" menu lists.
inline constexpr int kRecentFilesMax = 8;

// The recent files with `path` in front: taken out of its old place, and the list cut
// to kRecentFilesMax.
QStringList withRecentFile(QStringList files, const QString& path);
// The stored list, newest first (empty when none is stored; entries that are not texts
// or are empty are left out, and at most kRecentFilesMax are taken).
QStringList readRecentFiles();
void storeRecentFiles(const QStringList& files);

// The stored choice of the quick exchange: false (the normal exchange) unless the
// value stored is true.
bool reregQuick();

// Stores the choice of the quick exchange, as wrreg does the port name.
void wrregQuick(bool quick);

// Whether the window reads and keeps the transmitter's configuration before a write
// ("Сохранять копию передатчика перед записью"): true unless false is stored.
bool reregBackupBeforeWrite();
void wrregBackupBeforeWrite(bool on);

// Whether the window reads the blocks back after a write and compares them
// ("Проверять запись чтением"): false unless true is stored.
bool reregVerifyAfterWrite();
void wrregVerifyAfterWrite(bool on);

} // namespace tk
