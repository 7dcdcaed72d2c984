// Small helpers shared by the tests of the record and its image, of the link, of the
// simulator and of the command-line tool: bytes, and the blocks as the line moves them.
#pragma once

#include "model/cp1251.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tk::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Two upper-case hexadecimal digits: a block number or count as the line carries it.
inline std::string hex2(int i) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(i >> 4) & 15], digits[i & 15]};
}

// A block followed by its byte sum modulo 65536, high byte first; `adjust` makes the
// sum wrong.
inline Bytes withSum(Bytes b, int adjust = 0) {
    unsigned sum = static_cast<unsigned>(adjust);
    for (std::uint8_t v : b) {
        sum += v;
    }
    b.push_back(static_cast<std::uint8_t>((sum >> 8) & 0xFF));
    b.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return b;
}

// n bytes that tell their places apart: byte i is i·7 mod 251.
inline Bytes patterned(std::size_t n) {
    Bytes image(n);
    for (std::size_t i = 0; i < n; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 % 251);
    }
    return image;
}

// Block i (128 bytes) of an image.
inline Bytes block(const Bytes& image, int i) {
    const auto at = image.begin() + static_cast<std::ptrdiff_t>(i) * 128;
    return Bytes(at, at + 128);
}

// The answer to "read" hh: block i of the image, then "OK" CR LF; without an image, of
// the patterned one.
inline std::string blockAnswer(const Bytes& image, int i) {
    const Bytes b = block(image, i);
    return std::string(b.begin(), b.end()) + "OK\r\n";
}
inline std::string blockAnswer(int i) {
    return blockAnswer(patterned(128 * static_cast<std::size_t>(i + 1)), i);
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
