// Strict JSON (RFC 8259) for the tool's input: nothing Qt's lenient parser would let
// through (trailing dots, unknown escapes, raw control characters in strings,
// unpaired surrogates, duplicate keys) reaches the record.
#pragma once

#include <QJsonObject>

#include <optional>
#include <string>
#include <string_view>

namespace tk::cli {

// Deepest nesting of arrays and objects taken; the form itself needs three levels.
inline constexpr std::size_t kMaxJsonDepth = 64;
// Most elements of one array or members of one object; the longest list of the form,
// the comment lines, stays far below.
inline constexpr std::size_t kMaxJsonElements = 65536;

// Parses `text` (UTF-8, optionally after a byte order mark), which must hold one
// object. On failure returns nothing and sets `error` to a Russian message with the
// line and column and, where it lies inside a value, the key; a duplicate key and an
// unpaired surrogate are named too.
std::optional<QJsonObject> ParseJsonObject(std::string_view text, std::string& error);

} // namespace tk::cli
