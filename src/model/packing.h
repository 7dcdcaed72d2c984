// Tetrads, packed telephone numbers, image texts and the generated SMS texts.
#pragma once

#include "model/configuration.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tk {

inline constexpr std::size_t kPhoneBytes = 8;   // 16 nibbles
inline constexpr std::size_t kPhoneDigits = 16; // 15 + end nibble, or 16 without it

// Character of tetrad n (bits 4n..4n+3) of value: "0".."9", "A".."F".
char TetraToChar(std::int32_t value, int n);

// Puts the hexadecimal digit ch (either case) into tetrad n of value and returns
// true; returns false and leaves value alone when ch is not a hexadecimal digit.
bool CharToTetra(char ch, std::int32_t& value, int n);

// The characters a packed telephone number keeps: the digits, "+" and "*". Anything
// else has no nibble (a "#" would be dialled as "0"), so the places where report
// telephones are entered refuse it.
inline constexpr std::string_view kPackedTelephoneChars = "0123456789+*";
constexpr bool IsPackedTelephoneChar(char32_t c) {
    return c < 0x80 && kPackedTelephoneChars.find(static_cast<char>(c)) != std::string_view::npos;
}

// Packs a telephone number into 8 bytes, two nibbles a byte, high nibble first.
// "0".."9" are digits, "+" is 0xA, "*" is 0xC, anything else packs as 0; 0xB ends
// the number. A 16-character number fills all 16 nibbles and has no
// end nibble; characters beyond the 16th are dropped.
void convtel(std::span<std::uint8_t, kPhoneBytes> dst, std::string_view tel);

// Unpacks a telephone number; stops at the end nibble or after 16 nibbles.
Text raspactel(std::span<const std::uint8_t, kPhoneBytes> src);

// Writes the text into a field of dst.size() bytes: at most dst.size() - 1
// characters, then zero bytes up to the field's end. A longer text is cut so that it
// never reaches the next field.
void strtobuf(std::span<std::uint8_t> dst, std::string_view text);

// Reads a text field: the bytes up to the first zero. A field without a zero byte
// gives its first size - 1 bytes, the most the encoder can have written there.
Text buftostr(std::span<const std::uint8_t> src);

// The object number's four tetrads as shown: tetrad 3 first ("1111", "00A0").
Text ObjNumText(std::int32_t objNum);

// Which fields the SMS text generation rewrites besides the texts.
enum class SmsObjNums { Keep, Rewrite };

// Regenerates ArmSMSText, DisarmSMSText and every input's alarm and restore texts
// from ObjNum, in Russian when bit 0 of Options is set and in English otherwise.
// With SmsObjNums::Rewrite it also sets every Inputs[n].ObjNum from ObjNum.
void GenerateSmsTexts(Configuration& cfg, SmsObjNums objNums);

} // namespace tk
