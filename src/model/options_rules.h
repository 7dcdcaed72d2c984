// Editing rules of the option bits, the dialling counts and the periodic-test period.
//
// The panels only convert text and call these; `tk515 show` reads the option bits
// through the same names. Every function is pure: the current values in, the values
// to store out, or "refused" when the input cannot be taken.
#pragma once

#include "model/configuration.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tk {

// ---- Option bits ------------------------------------------------------------------

// The bits of Options edited by the miscellaneous options panel. OptCyrillic also
// chooses the language of the generated SMS texts (set: Russian, clear: English).
inline constexpr std::int32_t kMiscOptionBits = OptCyrillic | OptToneDialling | OptZoneNotReady;

constexpr bool HasOption(std::int32_t options, OptionBit bit) {
    return (options & bit) != 0;
}

// Options with `bit` set (on) or cleared (off); every other bit is kept.
constexpr std::int32_t WithOption(std::int32_t options, OptionBit bit, bool on) {
    return on ? (options | bit) : (options & ~static_cast<std::int32_t>(bit));
}

// Sets or clears the Cyrillic bit and rewrites the arm, disarm and every input's alarm
// and restore texts in the chosen language. The inputs' object numbers are kept.
void SetSmsLanguage(Configuration& cfg, bool cyrillic);

// ---- Decimal text -----------------------------------------------------------------

// What a decimal text in an edit holds.
struct DecimalText {
    enum class Kind {
        Number,     // value holds it
        Incomplete, // empty, blanks only, or a lone sign: the user is still typing
        Invalid,    // anything else: a conversion error
    };
    Kind kind = Kind::Invalid;
    // The value, saturated to the range of std::int64_t for very long digit strings,
    // so that "99999999999999999999" still reads as "far too large".
    std::int64_t value = 0;
};

// Reads an optional sign and decimal digits, with blanks allowed around them.
DecimalText ParseDecimal(std::string_view text);

// ---- Dialling attempts and swinger limit --------------------------------------------

struct CountRange {
    int min;
    int max;
    constexpr bool contains(std::int64_t v) const { return v >= min && v <= max; }
};

// The values the combo boxes offer as items.
inline constexpr CountRange kAttemptsRange{1, 10}; // NumOfAttemptsCallMain
inline constexpr CountRange kSvingerRange{1, 15};  // SvingerCount
// What a typed count may be: any number its byte holds is stored as typed, also one
// outside the items; a number the byte cannot hold is refused, since it would wrap
// (256 -> 0, -1 -> 255).
inline constexpr CountRange kCountByteRange{0, 255};

// The count to store for a typed value, or nothing when it is out of range.
std::optional<int> AcceptCount(std::int64_t typed, CountRange range);

// ---- Periodic-test period -----------------------------------------------------------
//
// The period is PerTestHours hours plus PerTestMinutes minutes, minutes in steps of
// 10. Every path keeps it between 10 minutes and 24 hours: 24 hours force the minutes
// to 0, 0 hours lift them to at least 10, and no minutes are taken on top of 24 hours.

inline constexpr int kPeriodHoursMax = 24;      // hour spinner 0 .. 24
inline constexpr int kPeriodMinuteStep = 10;    // one step of the minute spinner
inline constexpr int kPeriodMinuteStepsMax = 5; // minute spinner 0 .. 5 (0 .. 50 min)

struct TestPeriod {
    int hours = 0;
    int minutes = 0; // 0, 10, ... 50
    friend bool operator==(const TestPeriod&, const TestPeriod&) = default;
};

// The hour spinner moved to h (0 .. 24).
TestPeriod PeriodFromHourSpinner(TestPeriod current, int h);

// The hour edit holds the number `typed`: above 24 it counts as 24; below 0 it is
// refused (nothing).
std::optional<TestPeriod> PeriodFromHourEdit(TestPeriod current, std::int64_t typed);

// The minute spinner moved to `steps` (0 .. 5). With 24 hours nothing changes
// (nothing is returned).
std::optional<TestPeriod> PeriodFromMinuteSpinner(TestPeriod current, int steps);

// The minute edit holds the number `typed`: tens of minutes, the remainder dropped,
// at most 50; below 0 it is refused (nothing), and so is any number of tens above 0
// while the hours are 24.
std::optional<TestPeriod> PeriodFromMinuteEdit(TestPeriod current, std::int64_t typed);

} // namespace tk
