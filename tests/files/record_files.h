// Configuration files written and read by the tests, for any test framework: the
// window tests and the command-line tool's tests alike.
#pragma once

#include "files/format.h"
#include "model/defaults.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tk::test {

// Writes `content` as the whole file at `path`.
inline bool writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// The file the writer makes of `cfg`; empty when it refuses the record.
inline QByteArray fileBytes(Configuration cfg) {
    std::vector<std::uint8_t> bytes;
    if (tk::wrfile(cfg, bytes) != FileWriteError::None) {
        return {};
    }
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

inline bool writeFile(const QString& path, const Configuration& cfg) {
    const QByteArray content = fileBytes(cfg);
    return !content.isEmpty() && writeFile(path, content);
}

// The configuration in the file at `path`, decoded over the factory record; nothing
// when the file cannot be read or is no configuration file.
inline std::optional<Configuration> readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray data = f.readAll();
    Configuration cfg;
    tk::setdefault(cfg);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    if (tk::refile(cfg, std::span(bytes, static_cast<std::size_t>(data.size()))) != StatusNone) {
        return std::nullopt;
    }
    return cfg;
}

} // namespace tk::test
