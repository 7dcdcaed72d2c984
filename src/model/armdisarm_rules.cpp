#include "model/armdisarm_rules.h"

#include "model/packing.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace tk::armdisarm {

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > std::int64_t{INT32_MAX} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > INT32_MAX || value < INT32_MIN) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

Typed DelayFromText(std::string_view text) {
    const std::optional<std::int32_t> v = ParseWholeNumber(text);
    if (!v) {
        // A lone sign is the start of a signed number, which is refused as a whole.
        if (text == "-") {
            return {.refused = true};
        }
        return {.value = kDelayStep};
    }
    if (*v < 0) {
        return {.refused = true};
    }
    return {.value = std::min(*v / kDelayStep, kDelayMaxSteps) * kDelayStep};
}

Typed CappedFromText(std::string_view text, std::int32_t max) {
    const std::optional<std::int32_t> v = ParseWholeNumber(text);
    if (!v || *v < 0) {
        return {.refused = true};
    }
    return {.value = std::min(*v, max)};
}

bool IsStartOfLongerValue(std::string_view text, std::int32_t max, std::int32_t step) {
    if (text.empty()) {
        return false;
    }
    for (std::int32_t v = 0; v <= max; v += step) {
        const std::string shown = std::to_string(v);
        if (shown.size() > text.size() && shown.starts_with(text)) {
            return true;
        }
    }
    return false;
}

Siren SirenMinutesSet(std::int32_t m, std::int32_t seconds) {
    if (m >= kSirenMaxMinutes) {
        return {kSirenMaxMinutes, 0};
    }
    if (m <= 0 && seconds <= 0) {
        return {0, 1};
    }
    return {m, std::nullopt};
}

std::optional<std::int32_t> SirenSecondsSet(std::int32_t s, std::int32_t minutes) {
    if (minutes >= kSirenMaxMinutes) {
        return s == 0 ? std::optional<std::int32_t>{0} : std::nullopt;
    }
    return s <= 0 && minutes <= 0 ? 1 : s;
}

bool SetObjNumDigit(std::int32_t& objNum, int k, char ch) {
    if (k < 1 || k > kObjNumDigits) {
        return false;
    }
    return CharToTetra(ch, objNum, tetradOfDigit(k));
}

bool SetFlag(std::int32_t& flags, std::int32_t bit, bool on) {
    const std::int32_t before = flags;
    flags = on ? (flags | bit) : (flags & ~bit);
    return flags != before;
}

bool FinishObjNumEdit(Configuration& cfg, EditorState& editor) {
    if (editor.ObjNumChanged == 0) {
        return false;
    }
    GenerateSmsTexts(cfg, SmsObjNums::Rewrite);
    editor.ObjNumChanged = 0;
    return true;
}

} // namespace tk::armdisarm
