// Reading records from configuration files and JSON files, and writing files whole.
#pragma once

#include "model/configuration.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tk::cli {

// Largest JSON file the tool reads.
inline constexpr std::size_t kMaxJsonSize = 16 * 1024 * 1024;

// The record as the window builds it for New: construction, then the factory values.
Configuration FactoryRecord();

// A record, or the Russian messages that say why there is none (each names the file
// and, for JSON, the key; file names, keys and values are escaped for the terminal).
// A flood of refusals lists the first few and then their count.
struct Loaded {
    std::optional<Configuration> cfg;
    std::vector<std::string> errors;
};

// What a file holds, decided by its first bytes.
enum class FileKind {
    Configuration, // passes the configuration file checks
    Damaged,       // a binary file (zero bytes in its header) that does not
    Json,          // optional byte order mark and blanks, then "{"; or a ".json" name
    Foreign,       // anything else
};
FileKind KindOf(const std::string& path, std::span<const std::uint8_t> bytes);

// Reads a configuration file or a JSON file and decodes it over the factory record.
// Files are only read: a read-only file is fine.
Loaded LoadRecord(const std::string& path);

// Writes data as the whole content of path through the checked writer
// (files/fileio.h). Returns an empty string on success, otherwise the Russian message
// naming the file and saying why, after which the old file is as it was.
std::string SaveWhole(const std::string& path, std::span<const std::uint8_t> data);

// Writes the record as a configuration file at path, whole (wrfile, then SaveWhole).
// Empty on success, otherwise the message; a record the file cannot hold writes nothing.
std::string SaveRecord(Configuration& cfg, const std::string& path);

// Whether `path` can be written as an output file, found without touching it: an
// existing file (or device, or pipe) that may be written, or a new file in a folder
// that takes one. Empty when it can, otherwise the message SaveWhole would give.
std::string OutputProblem(const std::string& path);

// A path as messages show it: escaped for the terminal.
std::string Shown(const std::string& path);

} // namespace tk::cli
