#include "cli/terminal.h"

#include <cstdint>
#include <cstdio>

namespace tk::cli {
namespace {

// Characters a terminal acts on or that reorder or break lines: C0 and C1 controls,
// DEL, the line and paragraph separators and the bidirectional controls.
bool isControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 ||
           (cp >= 0x200E && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

// Length of a well-formed UTF-8 sequence starting at text[i] and its code point; 0
// when the bytes there are not one.
std::size_t decode(std::string_view text, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
    const std::uint8_t b0 = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1Fu;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0Fu;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07u;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0u) != 0x80u) {
            return 0;
        }
        cp = (cp << 6) | (byte(k) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void escape(char32_t cp, std::string& out) {
    switch (cp) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    char code[8];
    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(cp));
    out += code;
}

} // namespace

std::string TerminalText(std::string_view utf8, std::size_t maxChars) {
    std::string out;
    std::size_t shown = 0;
    std::size_t total = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = decode(utf8, i, cp);
        ++total;
        if (shown < maxChars) {
            ++shown;
            if (length == 0) {
                char code[8];
                std::snprintf(code, sizeof code, "\\x%02x",
                              static_cast<unsigned>(static_cast<std::uint8_t>(utf8[i])));
                out += code;
            } else if (isControl(cp)) {
                escape(cp, out);
            } else {
                out.append(utf8.substr(i, length));
            }
        }
        i += length == 0 ? 1 : length;
    }
    if (total > shown) {
        out += "… (всего знаков: " + std::to_string(total) + ")";
    }
    return out;
}

} // namespace tk::cli
