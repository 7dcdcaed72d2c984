// The backup store: a copy of every configuration read from a transmitter, and of what
// a transmitter held before every write, kept as configuration files.
//
// Layout: the backup folder (the settings value "BackupFolder", by default the
// application data folder + "backups"), one sub-folder per transmitter (its serial
// number, else its telephone, else "unknown", made safe as a file name), one file per
// copy named by the local time of the read: "2026-12-08_17-42-05.tk515", then
// "2026-12-08_17-42-05-2.tk515" for a second read in the same second. A copy is never
// written over an earlier one: its name is taken exclusively before it is written.
//
// What a copy holds, where it came from and when is its last comment line
// (ReadComment), which the read puts into the configuration itself, so the copy and
// the file the read is saved to are the same bytes.
#pragma once

#include "model/configuration.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tk {

// The application name under which the window and the command-line tool keep their
// data (QStandardPaths::AppDataLocation); the programs set it at start.
inline const QString kDataApplicationName = QStringLiteral("TK515Pro");

// Backups older than this many days are pruned; the newest of each transmitter stays.
inline constexpr int kBackupKeepDays = 365;

enum class BackupKind {
    Read,        // a read ("чтение")
    BeforeWrite, // the read before a write ("перед записью")
};

// Where a configuration read came from.
struct ReadOrigin {
    BackupKind kind = BackupKind::Read;
    bool remote = false; // `via` is the telephone dialled through the modem, else a port
    QString via;
    QDateTime when; // local time, whole seconds

    bool operator==(const ReadOrigin&) const = default;
};

// The comment line of a read, in Windows-1251 (a character it lacks becomes "?"):
// "Прочитано из передатчика 2026-12-08 17:42:05, порт /dev/ttyUSB0"
// "Прочитано из передатчика перед записью 2026-12-08 17:42:05, телефон +79161234567"
Text ReadComment(const ReadOrigin& origin);
// The origin a comment line names; nothing when it is no such line.
std::optional<ReadOrigin> ParseReadComment(const Text& line);
// A read's record gets the line as its last comment.
void AddReadComment(Configuration& cfg, const ReadOrigin& origin);

// AppDataLocation + "/backups".
QString DefaultBackupFolder();
// The folder of the settings, or the default when none is stored.
QString BackupFolder();

// The sub-folder of a transmitter: its serial number, else its telephone, else
// "unknown"; characters other than letters, digits, "+", "-", "_" and "." become "_",
// a leading "." too, at most 64 characters.
QString TransmitterFolderName(const Configuration& cfg);

struct BackupResult {
    QString path;  // the copy written
    QString error; // why none was written, in Russian; empty when written

    bool ok() const { return error.isEmpty(); }
};

// Writes the record as a new copy under `root` through the checked file writer, named
// by `when`. The record should carry its ReadComment.
BackupResult KeepBackup(const QString& root, Configuration cfg, const QDateTime& when);

// A configuration just read is kept: the origin takes the local time now (whole
// seconds), the record its ReadComment as its last comment line, and the record is
// kept under `root`. The record keeps the line whether or not the copy was written.
BackupResult KeepRead(const QString& root, Configuration& cfg, ReadOrigin origin);

// One copy found in the store.
struct BackupEntry {
    QString transmitter; // the sub-folder's name
    QDateTime when;
    BackupKind kind = BackupKind::Read;
    bool remote = false;
    QString via;     // port or telephone; empty when the file does not say
    QString path;    // full path
    bool unreadable; // damaged or not a configuration file: listed, not opened
};

// Every file in the transmitters' sub-folders, newest first. The time is the file's
// comment's, else its name's, else its modification time.
std::vector<BackupEntry> ListBackups(const QString& root);

// "чтение" or "перед записью".
QString BackupKindText(BackupKind kind);

struct PruneResult {
    int removed = 0;
    QStringList errors; // files that could not be removed, with the reason
};

// Removes the copies named by a time more than kBackupKeepDays days before `now`,
// except the newest copy of each transmitter. Files named otherwise are left alone.
PruneResult PruneBackups(const QString& root, const QDateTime& now);

} // namespace tk
