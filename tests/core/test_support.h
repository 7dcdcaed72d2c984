// Small helpers shared by the core tests.
#pragma once

#include "model/cp1251.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tk::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// The Windows-1251 bytes of a UTF-8 literal.
inline std::string w(const char* utf8) {
    return cp1251(utf8);
}

// A text field as the image holds it: the characters, then zeros up to width.
inline Bytes textField(const std::string& cp1251Text, std::size_t width) {
    Bytes b(width, 0);
    for (std::size_t i = 0; i < cp1251Text.size() && i < width; ++i) {
        b[i] = static_cast<std::uint8_t>(cp1251Text[i]);
    }
    return b;
}

inline Bytes slice(const Bytes& b, std::size_t off, std::size_t len) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(off),
                 b.begin() + static_cast<std::ptrdiff_t>(off + len));
}

} // namespace tk::test
