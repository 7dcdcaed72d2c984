// The record's texts as Qt strings: the one place where a QString becomes the
// Windows-1251 bytes the record keeps, and back. The window, the JSON form of the
// command-line tool and anything else that holds texts as QString use these; the
// byte table itself is the model's (model/cp1251.h).
#pragma once

#include "model/configuration.h"

#include <QString>

#include <optional>

namespace tk {

// The record's bytes as text; the one unassigned byte 0x98 shows as U+FFFD.
QString fromRecordText(const Text& bytes);

// The text as record bytes. Nothing when a character has no Windows-1251 byte; `bad`
// then receives that character (when given).
std::optional<Text> toRecordText(const QString& text, char32_t* bad = nullptr);

} // namespace tk
