#include "files/document.h"

#include "files/fileio.h"
#include "model/defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <filesystem>
#include <utility>
#include <vector>

namespace tk {
namespace {

const QString kChangedQuestion = QStringLiteral("Файл был изменен. Сохранить изменения?");
const QString kReplaceQuestion = QStringLiteral("есть такой файл, заменить?");
const QString kNewSaveFailed = QStringLiteral("не сохраняется");
const QString kSaveFailed = QStringLiteral("Не сохраняется");
const QString kCloseSaveFailed = QStringLiteral("Не сохраняется. Последняя ошибка: ");
const QString kCannotOpen = QStringLiteral("Не могу открыть файл");
const QString kNotConfig = QStringLiteral("Это файл не для программы TekoraCentre");
const QString kGeneratedExtension = QStringLiteral(".t61");

std::filesystem::path toPath(const QString& name) {
#ifdef _WIN32
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

} // namespace

SaveResult saveConfiguration(Configuration& cfg, const QString& path) {
    std::vector<std::uint8_t> image;
    if (const FileWriteError refused = wrfile(cfg, image); refused != FileWriteError::None) {
        return {SaveResult::Refused, QString::fromStdString(FileWriteErrorText(refused))};
    }
    // A FIFO nobody reads is refused rather than freezing the window.
    if (const WriteResult written = writeFileWhole(toPath(path), image, PipeWait::Refuse);
        !written.ok()) {
        return {SaveResult::Failed, QString::fromStdString(written.reason)};
    }
    return {};
}

QString generatedNamesFolder(const QString& programFolder) {
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable()) {
        return QDir(programFolder).absolutePath() + QLatin1Char('/');
    }
    // Created only when a generated name is written there (Document::saveTo).
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty()) {
        return QDir(documents).absolutePath() + QLatin1Char('/');
    }
    // Nowhere writable: keep the program's folder, a save there reports the failure.
    return QDir(programFolder).absolutePath() + QLatin1Char('/');
}

QString trimmedErrorText(const QString& text) {
    QString t = text;
    while (!t.isEmpty() && (t.back().isSpace() || t.back() == QLatin1Char('.'))) {
        t.chop(1);
    }
    return t;
}

Document::Document(Configuration& cfg, Prompts& prompts, QString namesFolder, QObject* parent)
    : QObject(parent), cfg_(cfg), prompts_(prompts), namesFolder_(std::move(namesFolder)) {}

void Document::updt1(bool changed) {
    ConfigChanged_ = changed;
    emit stateChanged();
}

QString Document::caption(const QString& productCaption) const {
    return FileTitle_ + (ConfigChanged_ ? QStringLiteral("* - ") : QStringLiteral(" - ")) +
           productCaption;
}

QString Document::statusText() const {
    const QString path = QDir::toNativeSeparators(FilePath_);
    return ConfigChanged_ ? path + QLatin1Char('*') : path;
}

namespace {

// Any entry of that name counts, a dangling link too: a save would follow it.
bool entryExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString generatedTitle(int number) {
    return QStringLiteral("Object") + QString::number(number);
}

} // namespace

int Document::nextFreeGeneratedNumber() const {
    int number = NewFileCounter_ + 1;
    while (entryExists(namesFolder_ + generatedTitle(number) + kGeneratedExtension)) {
        ++number;
    }
    return number;
}

void Document::takeGeneratedName(int number) {
    NewFileCounter_ = number;
    FileTitle_ = generatedTitle(number);
    FilePath_ = namesFolder_ + FileTitle_ + kGeneratedExtension;
    GeneratedPathFree_ = true;
}

void Document::takeChosenPath(const QString& chosen) {
    const QFileInfo info(chosen);
    FilePath_ = info.absoluteFilePath();
    FileTitle_ = info.fileName();
    GeneratedPathFree_ = false;
    LastFolder_ = info.absolutePath();
    emit folderChosen(LastFolder_);
}

QString Document::savePreset() const {
    if (GeneratedPathFree_ && !LastFolder_.isEmpty()) {
        return QDir(LastFolder_).filePath(QFileInfo(FilePath_).fileName());
    }
    return FilePath_;
}

void Document::tellFileUsed() {
    emit fileUsed(FilePath_);
}

SaveResult Document::saveToCurrentPath() {
    if (GeneratedPathFree_ && entryExists(FilePath_)) {
        takeGeneratedName(nextFreeGeneratedNumber());
        emit stateChanged();
    }
    SaveResult saved = saveTo(FilePath_);
    if (saved.ok()) {
        GeneratedPathFree_ = false;
        tellFileUsed();
    }
    return saved;
}

SaveResult Document::saveTo(const QString& path) {
    // The folder of generated names may not exist yet (the documents folder of a new
    // user): it is made when a file goes into it, and only then.
    if (QFileInfo(path).absoluteDir() == QDir(namesFolder_)) {
        QDir().mkpath(namesFolder_);
    }
    return saveConfiguration(cfg_, path);
}

void Document::report(const QString& failed, const SaveResult& result) {
    prompts_.message(failed + QStringLiteral(": ") + result.reason);
}

bool Document::offerSave(const std::function<void(const SaveResult&)>& reportFailure) {
    if (!ConfigChanged_) {
        return true;
    }
    switch (prompts_.question(kChangedQuestion)) {
    case Prompts::Answer::Yes:
        if (const SaveResult saved = saveToCurrentPath(); !saved.ok()) {
            reportFailure(saved);
            return false;
        }
        return true;
    case Prompts::Answer::No:
        return true;
    case Prompts::Answer::Cancel:
        break;
    }
    return false;
}

bool Document::offerSaveForNew() {
    return offerSave([this](const SaveResult& r) { report(kNewSaveFailed, r); });
}

bool Document::New() {
    if (!offerSaveForNew()) {
        return false;
    }
    // A name that an earlier run (or another program) saved is skipped, so that a
    // later save without a dialog never replaces that file.
    takeGeneratedName(nextFreeGeneratedNumber());
    tk::setdefault(cfg_);
    emit recordReset();
    Untitled_ = true;
    updt1(false);
    return true;
}

bool Document::Open() {
    if (!offerSave([this](const SaveResult& r) { report(kSaveFailed, r); })) {
        return false;
    }
    const std::optional<QString> chosen = prompts_.openFileName(LastFolder_);
    if (!chosen) {
        return false;
    }
    return openChosen(*chosen);
}

bool Document::Open(const QString& path) {
    if (!offerSave([this](const SaveResult& r) { report(kSaveFailed, r); })) {
        return false;
    }
    return openChosen(path);
}

bool Document::openChosen(const QString& chosen) {
    OpenFileName_ = chosen;
    std::string reason;
    StatusCode_ = openf(cfg_, toPath(OpenFileName_), &reason);
    switch (StatusCode_) {
    case StatusNone:
        break;
    case StatusNotConfig:
        prompts_.message(kNotConfig);
        return false;
    default:
        prompts_.message(kCannotOpen + QStringLiteral(": ") + QString::fromStdString(reason));
        return false;
    }
    takeChosenPath(OpenFileName_);
    Untitled_ = false;
    updt1(false);
    tellFileUsed();
    return true;
}

bool Document::Save() {
    if (Untitled_) {
        return Saveas();
    }
    if (const SaveResult saved = saveToCurrentPath(); !saved.ok()) {
        report(kSaveFailed, saved);
        return false;
    }
    Untitled_ = false;
    updt1(false);
    return true;
}

bool Document::Saveas() {
    // Cleared at once: a later Save writes to FilePath without a dialog even when this
    // Save as is cancelled.
    Untitled_ = false;
    QString preset = savePreset();
    for (;;) {
        const std::optional<QString> chosen = prompts_.saveFileName(preset);
        if (!chosen) {
            return false;
        }
        // No to the question brings the dialog back with this choice, not the preset:
        // Enter there must not replace a file the user never chose.
        preset = *chosen;
        if (entryExists(*chosen) &&
            prompts_.question(kReplaceQuestion + QLatin1Char('\n') +
                              QDir::toNativeSeparators(QFileInfo(*chosen).absoluteFilePath())) !=
                Prompts::Answer::Yes) {
            continue;
        }
        if (const SaveResult saved = saveTo(*chosen); !saved.ok()) {
            report(kSaveFailed, saved);
            return false;
        }
        takeChosenPath(*chosen);
        updt1(false);
        tellFileUsed();
        return true;
    }
}

bool Document::Close() {
    // A save that fails keeps the window open, so that the edits are not lost.
    return offerSave([this](const SaveResult& r) {
        prompts_.message(kCloseSaveFailed + trimmedErrorText(r.reason));
    });
}

} // namespace tk
