#include "cli/record_io.h"

#include "cli/json_form.h"
#include "cli/json_parse.h"
#include "cli/terminal.h"
#include "files/fileio.h"
#include "files/format.h"
#include "model/defaults.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>

namespace tk::cli {
namespace {

// The system's own texts for a file that cannot be opened or is foreign.
constexpr const char* kCannotOpen = "Не могу открыть файл";
constexpr const char* kNotConfig = "Это файл не для программы TekoraCentre";
constexpr const char* kNotSaved = "Не сохраняется";

Loaded failure(const std::string& path, const std::string& reason) {
    return Loaded{std::nullopt, {Shown(path) + ": " + reason}};
}

bool endsWithJson(const std::string& path) {
    if (path.size() < 5) {
        return false;
    }
    std::string tail = path.substr(path.size() - 5);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return tail == ".json";
}

} // namespace

Configuration FactoryRecord() {
    Configuration cfg;
    setdefault(cfg);
    return cfg;
}

std::string Shown(const std::string& path) {
    return TerminalText(path, kPathChars);
}

FileKind KindOf(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (CheckFileImage(bytes) == StatusNone) {
        return FileKind::Configuration;
    }
    // The header's lengths never reach 2^16, so their high bytes are zero; text, JSON
    // included, holds no zero byte.
    const auto header = bytes.first(std::min(bytes.size(), kFileHeaderSize));
    if (std::find(header.begin(), header.end(), std::uint8_t{0}) != header.end()) {
        return FileKind::Damaged;
    }
    std::size_t i = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        i = 3;
    }
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    if (i < bytes.size() && bytes[i] == '{') {
        return FileKind::Json;
    }
    return endsWithJson(path) ? FileKind::Json : FileKind::Foreign;
}

Loaded LoadRecord(const std::string& path) {
    const ReadResult read = readFile(path, kMaxJsonSize + 1, false);
    if (!read.ok()) {
        return failure(path, std::string(kCannotOpen) + ": " + read.reason);
    }
    const std::span<const std::uint8_t> raw(read.bytes);
    switch (KindOf(path, raw)) {
    case FileKind::Configuration: {
        Configuration cfg = FactoryRecord();
        refile(cfg, raw);
        return Loaded{std::move(cfg), {}};
    }
    case FileKind::Damaged:
    case FileKind::Foreign:
        return failure(path, kNotConfig);
    case FileKind::Json:
        break;
    }
    if (raw.size() > kMaxJsonSize) {
        return failure(path, "файл JSON больше " + std::to_string(kMaxJsonSize) + " байт");
    }
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(raw.data()), raw.size());
    const auto json = ParseJsonObject(text, error);
    if (!json) {
        return failure(path, error);
    }
    Configuration cfg = FactoryRecord();
    Loaded loaded;
    std::size_t total = 0;
    for (const JsonError& e : ApplyJson(*json, cfg, &total)) {
        std::string line = Shown(path) + ": ";
        if (!e.key.empty()) {
            line += TerminalText(e.key, kEchoedChars) + ": ";
        }
        loaded.errors.push_back(line + TerminalText(e.reason, kPathChars));
    }
    if (total > loaded.errors.size()) {
        loaded.errors.push_back(Shown(path) + ": всего отказов: " + std::to_string(total) +
                                ", показаны первые " + std::to_string(loaded.errors.size()));
    }
    if (total == 0) {
        loaded.cfg = std::move(cfg);
    }
    return loaded;
}

std::string OutputProblem(const std::string& path) {
    struct stat st {};
    int error = 0;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = EISDIR;
        } else if (::access(path.c_str(), W_OK) != 0) {
            error = errno;
        }
    } else if (errno != ENOENT) {
        error = errno;
    } else {
        // A new file: its folder must exist and take new files.
        std::string folder = std::filesystem::path(path).parent_path().string();
        if (folder.empty()) {
            folder = ".";
        }
        if (::stat(folder.c_str(), &st) != 0) {
            error = errno;
        } else if (!S_ISDIR(st.st_mode)) {
            error = ENOTDIR;
        } else if (::access(folder.c_str(), W_OK | X_OK) != 0) {
            error = errno;
        }
    }
    if (error == 0) {
        return {};
    }
    return Shown(path) + ": " + kNotSaved + ": " + systemErrorText(error);
}

std::string SaveWhole(const std::string& path, std::span<const std::uint8_t> data) {
    const WriteResult written = writeFileWhole(path, data);
    if (written.ok()) {
        return {};
    }
    return Shown(path) + ": " + kNotSaved + ": " + written.reason;
}

std::string SaveRecord(Configuration& cfg, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    const FileWriteError refusal = wrfile(cfg, bytes);
    if (refusal != FileWriteError::None) {
        return Shown(path) + ": " + kNotSaved + ": " + FileWriteErrorText(refusal);
    }
    return SaveWhole(path, bytes);
}

} // namespace tk::cli
