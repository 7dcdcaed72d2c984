// The editing rules of the arm/disarm settings: the object number's digits, the
// entry and exit delays, the siren time and the arming options. Pure functions of
// their arguments, used by the arm/disarm panel and the command-line summary.
#pragma once

#include "model/configuration.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tk::armdisarm {

// Options bits shown on the arm/disarm panel.
inline constexpr std::int32_t kArmConfirmBit = OptArmConfirm; // "Подтверждение о постановке"
inline constexpr std::int32_t kArmOpenDoorBit = OptArmOpenDoor; // "Постановка с открытой дверью"
inline constexpr std::int32_t kCyrillicBit = OptCyrillic; // language of the SMS texts

// Entry and exit delays: seconds in steps of 10, the spinner counts the steps.
inline constexpr int kDelayStep = 10;
inline constexpr int kDelayMaxSteps = 16; // 160 s
// Siren time: 0 min 1 s .. 10 min 0 s as the spinners keep it.
inline constexpr int kSirenMaxMinutes = 10;
inline constexpr int kSirenMaxSeconds = 59;

// The object number's digit edits: edit k (1..4) holds tetrad 4 - k.
inline constexpr int kObjNumDigits = 4;
constexpr int tetradOfDigit(int k) {
    return kObjNumDigits - k;
}

// A whole number as typed: an optional sign and decimal digits, nothing else; nothing
// when the text is no whole number or does not fit 32 bits.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// What a typed number comes to: the value to store, or a refusal (the field keeps
// its value and the edit shows it again).
struct Typed {
    bool refused = false;
    std::int32_t value = 0;
};

// Delay edit text (not empty): a whole number cut to a multiple of 10 and capped at
// 160; a text that is no whole number gives 10; a negative number is refused.
Typed DelayFromText(std::string_view text);
// Siren minutes or seconds edit text (not empty): capped at `max`; a text that is no
// whole number and a negative number are refused.
Typed CappedFromText(std::string_view text, std::int32_t max);

// While typing: true when `text` is the start of a longer number the edit could
// still become (0..max in steps of `step`), so the edit is not rewritten yet ("1"
// on the way to "160"). Whole values and texts that can lead nowhere are rewritten.
bool IsStartOfLongerValue(std::string_view text, std::int32_t max, std::int32_t step = 1);

// The siren rules. Every path (spinner, typing, pasting) keeps the duration between
// 0 min 1 s and 10 min 0 s; each rule takes the other part as the record holds it,
// never as an edit shows it, so a half-typed edit cannot lead out of the range.
struct Siren {
    std::int32_t minutes = 0;
    std::optional<std::int32_t> seconds; // set: the seconds change too
};
// Minutes m (0..10, spun or typed): 10 minutes force 0 seconds; 0 minutes with
// 0 seconds make them 1.
Siren SirenMinutesSet(std::int32_t m, std::int32_t seconds);
// Seconds s (0..59, spun or typed) beside `minutes`: ten minutes take no seconds
// (nothing: the seconds stay 0); 0 seconds at 0 minutes become 1.
std::optional<std::int32_t> SirenSecondsSet(std::int32_t s, std::int32_t minutes);

// Puts hexadecimal digit `ch` into digit k (1..4) of the object number; false and
// nothing changed when ch is no hexadecimal digit.
bool SetObjNumDigit(std::int32_t& objNum, int k, char ch);

// Sets or clears `bit` in `flags`; true when the value changed.
bool SetFlag(std::int32_t& flags, std::int32_t bit, bool on);

// After the object number was edited (editor.ObjNumChanged): rewrites the SMS texts
// and every input's object number from ObjNum and clears the flag. True when it ran
// (the configuration then changed).
bool FinishObjNumEdit(Configuration& cfg, EditorState& editor);

} // namespace tk::armdisarm
