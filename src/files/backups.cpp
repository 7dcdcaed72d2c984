#include "files/backups.h"

#include "files/fileio.h"
#include "files/format.h"
#include "files/recordtext.h"
#include "files/settings.h"
#include "model/defaults.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <map>

namespace tk {
namespace {

const QString kUnknownTransmitter = QStringLiteral("unknown");
const QString kNameFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString kCommentTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kExtension = QStringLiteral(".tk515");
constexpr qsizetype kMaxFolderName = 64;
// Copies of one second beyond this many are refused rather than searched for ever.
constexpr int kMaxSameSecond = 1000;

const QRegularExpression& nameExpression() {
    static const QRegularExpression e(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:-(\\d+))?\\.tk515$"));
    return e;
}

const QRegularExpression& commentExpression() {
    static const QRegularExpression e(QStringLiteral(
        "^Прочитано из передатчика( перед записью)? (\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d), "
        "(порт|телефон) (.*)$"));
    return e;
}

// A copy's time by its name and its number within that second (1 for the first);
// nothing for a name the store does not give.
std::optional<std::pair<QDateTime, int>> timeOfName(const QString& name) {
    const QRegularExpressionMatch m = nameExpression().match(name);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QDateTime t = QDateTime::fromString(m.captured(1), kNameFormat);
    if (!t.isValid()) {
        return std::nullopt;
    }
    return std::pair(t, m.captured(2).isEmpty() ? 1 : m.captured(2).toInt());
}

// Windows-1251 of a text, "?" for each character the code page lacks.
Text lossyCp1251(const QString& text) {
    Text out;
    for (const QChar c : text) {
        out += toRecordText(QString(c)).value_or(Text("?"));
    }
    return out;
}

QString safeName(const QString& name) {
    QString out;
    for (const QChar c : name) {
        const bool kept = c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'_' ||
                          (c == u'.' && !out.isEmpty());
        out += kept ? c : QChar(u'_');
    }
    return out.left(kMaxFolderName);
}

QString systemText(int error) {
    return QString::fromStdString(systemErrorText(error));
}

} // namespace

Text ReadComment(const ReadOrigin& origin) {
    const QString text =
        QStringLiteral("Прочитано из передатчика%1 %2, %3 %4")
            .arg(origin.kind == BackupKind::BeforeWrite ? QStringLiteral(" перед записью")
                                                        : QString(),
                 origin.when.toString(kCommentTimeFormat),
                 origin.remote ? QStringLiteral("телефон") : QStringLiteral("порт"), origin.via);
    return lossyCp1251(text);
}

std::optional<ReadOrigin> ParseReadComment(const Text& line) {
    const QRegularExpressionMatch m = commentExpression().match(fromRecordText(line));
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    ReadOrigin origin;
    origin.kind = m.captured(1).isEmpty() ? BackupKind::Read : BackupKind::BeforeWrite;
    origin.when = QDateTime::fromString(m.captured(2), kCommentTimeFormat);
    origin.remote = m.captured(3) == QStringLiteral("телефон");
    origin.via = m.captured(4);
    if (!origin.when.isValid()) {
        return std::nullopt;
    }
    return origin;
}

void AddReadComment(Configuration& cfg, const ReadOrigin& origin) {
    cfg.Comments.push_back(ReadComment(origin));
}

QString DefaultBackupFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("backups"));
}

QString BackupFolder() {
    const std::optional<QString> stored = readBackupFolder();
    return stored && !stored->isEmpty() ? *stored : DefaultBackupFolder();
}

QString TransmitterFolderName(const Configuration& cfg) {
    for (const Text* id : {&cfg.TxSerialNum, &cfg.TxTlfNum}) {
        const QString name = safeName(fromRecordText(*id).trimmed());
        if (!name.isEmpty() && name.count(u'_') < name.size()) {
            return name;
        }
    }
    return kUnknownTransmitter;
}

BackupResult KeepBackup(const QString& root, Configuration cfg, const QDateTime& when) {
    BackupResult result;
    std::vector<std::uint8_t> bytes;
    const FileWriteError refusal = wrfile(cfg, bytes);
    if (refusal != FileWriteError::None) {
        result.error = QString::fromStdString(FileWriteErrorText(refusal));
        return result;
    }
    const QString folder = QDir(root).filePath(TransmitterFolderName(cfg));
    if (!QDir().mkpath(folder)) {
        result.error =
            QStringLiteral("не удаётся создать папку %1").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    // The name is taken exclusively first, so a copy made meanwhile by another
    // program is never replaced; the writer then replaces only this empty file.
    const QString stem = when.toString(kNameFormat);
    for (int n = 1; n <= kMaxSameSecond; ++n) {
        const QString name =
            n == 1 ? stem + kExtension : QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(kExtension);
        const QString path = QDir(folder).filePath(name);
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            result.error =
                QDir::toNativeSeparators(path) + QStringLiteral(": ") + systemText(errno);
            return result;
        }
        ::close(fd);
        const WriteResult written = writeFileWhole(native.toStdString(), bytes);
        if (!written.ok()) {
            ::unlink(native.constData());
            result.error = QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                           QString::fromStdString(written.reason);
            return result;
        }
        result.path = path;
        return result;
    }
    result.error = QStringLiteral("в папке %1 уже %2 копий за %3")
                       .arg(QDir::toNativeSeparators(folder))
                       .arg(kMaxSameSecond)
                       .arg(when.toString(kCommentTimeFormat));
    return result;
}

BackupResult KeepRead(const QString& root, Configuration& cfg, ReadOrigin origin) {
    const QDateTime now = QDateTime::currentDateTime();
    origin.when =
        QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    AddReadComment(cfg, origin);
    return KeepBackup(root, cfg, origin.when);
}

QString BackupKindText(BackupKind kind) {
    return kind == BackupKind::BeforeWrite ? QStringLiteral("перед записью")
                                           : QStringLiteral("чтение");
}

std::vector<BackupEntry> ListBackups(const QString& root) {
    std::vector<std::pair<BackupEntry, int>> found;
    const QDir base(root);
    for (const QFileInfo& sub : base.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir folder(sub.filePath());
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
            BackupEntry e{sub.fileName(), {}, BackupKind::Read, false, {}, file.filePath(), true};
            const auto named = timeOfName(file.fileName());
            e.when = named ? named->first : file.lastModified();
            const int number = named ? named->second : 0;
            const ReadResult read =
                readFile(QFile::encodeName(file.filePath()).toStdString(), kMaxFileSize + 1, false);
            Configuration cfg;
            setdefault(cfg);
            if (read.ok() && refile(cfg, read.bytes) == StatusNone) {
                e.unreadable = false;
                for (auto line = cfg.Comments.rbegin(); line != cfg.Comments.rend(); ++line) {
                    if (const auto origin = ParseReadComment(*line)) {
                        e.kind = origin->kind;
                        e.remote = origin->remote;
                        e.via = origin->via;
                        e.when = origin->when;
                        break;
                    }
                }
            }
            found.emplace_back(std::move(e), number);
        }
    }
    // Newest first; a second copy of the same second before the first.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.when != b.first.when ? a.first.when > b.first.when : a.second > b.second;
    });
    std::vector<BackupEntry> out;
    out.reserve(found.size());
    for (auto& [entry, number] : found) {
        out.push_back(std::move(entry));
    }
    return out;
}

PruneResult PruneBackups(const QString& root, const QDateTime& now) {
    PruneResult result;
    const QDateTime limit = now.addDays(-kBackupKeepDays);
    const QDir base(root);
    for (const QFileInfo& sub : base.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // The store's own copies of this transmitter by time, the newest last.
        std::map<std::pair<QDateTime, int>, QString> copies;
        for (const QFileInfo& file : QDir(sub.filePath()).entryInfoList(QDir::Files)) {
            if (const auto t = timeOfName(file.fileName())) {
                copies.emplace(*t, file.filePath());
            }
        }
        if (copies.empty()) {
            continue;
        }
        copies.erase(std::prev(copies.end()));
        for (const auto& [key, path] : copies) {
            if (key.first >= limit) {
                continue;
            }
            if (::unlink(QFile::encodeName(path).constData()) == 0) {
                ++result.removed;
            } else {
                result.errors << QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                                     systemText(errno);
            }
        }
    }
    return result;
}

} // namespace tk
