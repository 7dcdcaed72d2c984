// Reading records from configuration files and JSON files, and writing files whole.
#pragma once

#include "model/configuration.h"

#include <QByteArray>
#include <QJsonObject>

#include <optional>
#include <string>
#include <vector>

namespace tk::cli {

// Largest JSON file the tool reads.
inline constexpr qsizetype kMaxJsonSize = 16 * 1024 * 1024;

// The record as the window builds it for New: construction, then the factory values.
Configuration FactoryRecord();

// A record, or the Russian messages that say why there is none (each names the file
// and, for JSON, the key).
struct Loaded {
    std::optional<Configuration> cfg;
    std::vector<std::string> errors;
};

// Reads a configuration file, or a JSON file (recognised by its ".json" name or by a
// leading "{" or "["), and decodes it over the factory record. Files are only read:
// a read-only file is fine.
Loaded LoadRecord(const std::string& path);

// Parses JSON text that must hold one object; on failure returns nothing and sets
// error to a Russian message with the line and column.
std::optional<QJsonObject> ParseJsonObject(const QByteArray& text, std::string& error);

// Writes data to path whole, through a temporary file renamed over path, so that a
// failure leaves no half-written file and an existing file as it was. Returns an
// empty string on success, otherwise the Russian message naming the file.
std::string SaveWhole(const std::string& path, const QByteArray& data);

} // namespace tk::cli
