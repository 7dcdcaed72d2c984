#include "model/cp1251.h"

#include <array>
#include <stdexcept>

namespace tk {
namespace {

// Unicode of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char32_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

constexpr unsigned kUnassigned = 0x98;

char32_t toUnicode(unsigned char b) {
    if (b < 0x80) {
        return b;
    }
    if (b >= 0xC0) {
        return 0x0410 + static_cast<char32_t>(b - 0xC0);
    }
    return kHigh[b - 0x80];
}

// The Windows-1251 byte of a code point, or -1.
int fromUnicode(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<int>(cp);
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<int>(0xC0 + (cp - 0x0410));
    }
    for (unsigned i = 0; i < kHigh.size(); ++i) {
        if (i + 0x80 != kUnassigned && kHigh[i] == cp) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at pos; returns false on malformed input.
bool nextCodePoint(std::string_view s, std::size_t& pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    if (lead < 0x80) {
        cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        cp = lead & 0x1F;
        extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
        cp = lead & 0x0F;
        extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
        cp = lead & 0x07;
        extra = 3;
    } else {
        return false;
    }
    if (pos + static_cast<std::size_t>(extra) >= s.size()) {
        return false; // sequence cut short
    }
    for (int i = 1; i <= extra; ++i) {
        const auto c = static_cast<unsigned char>(s[pos + static_cast<std::size_t>(i)]);
        if ((c & 0xC0) != 0x80) {
            return false;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr std::array<char32_t, 4> kMin = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[static_cast<std::size_t>(extra)] || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
        return false;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return true;
}

} // namespace

std::optional<std::u32string> utf8ToCodePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        if (!nextCodePoint(utf8, pos, cp)) {
            return std::nullopt;
        }
        out += cp;
    }
    return out;
}

std::optional<std::string> utf8ToCp1251(std::string_view utf8, char32_t* badChar) {
    const std::optional<std::u32string> points = utf8ToCodePoints(utf8);
    if (!points) {
        if (badChar != nullptr) {
            *badChar = 0;
        }
        return std::nullopt;
    }
    std::string out;
    out.reserve(points->size());
    for (const char32_t cp : *points) {
        const int b = fromUnicode(cp);
        if (b < 0) {
            if (badChar != nullptr) {
                *badChar = cp;
            }
            return std::nullopt;
        }
        out += static_cast<char>(b);
    }
    return out;
}

std::string codePointsToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t cp : text) {
        appendUtf8(out, cp);
    }
    return out;
}

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251) {
        appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string cp1251(std::string_view utf8) {
    auto converted = utf8ToCp1251(utf8);
    if (!converted) {
        throw std::invalid_argument("text not representable in Windows-1251");
    }
    return *converted;
}

} // namespace tk
