#include "model/options_rules.h"

#include "model/packing.h"

#include <algorithm>
#include <limits>

namespace tk {

void SetSmsLanguage(Configuration& cfg, bool cyrillic) {
    cfg.Options = WithOption(cfg.Options, OptCyrillic, cyrillic);
    GenerateSmsTexts(cfg, SmsObjNums::Keep);
}

DecimalText ParseDecimal(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    bool signed_ = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        signed_ = true;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return {DecimalText::Kind::Incomplete, 0};
    }
    if (signed_ && blank(text.front())) {
        return {DecimalText::Kind::Invalid, 0};
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return {DecimalText::Kind::Invalid, 0};
        }
        const int digit = c - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return {DecimalText::Kind::Number, negative ? -value : value};
}

std::optional<int> AcceptCount(std::int64_t typed, CountRange range) {
    if (!range.contains(typed)) {
        return std::nullopt;
    }
    return static_cast<int>(typed);
}

namespace {

// 0 hours with 0 minutes would be no period at all: the least is 10 minutes.
TestPeriod atLeastTenMinutes(TestPeriod p) {
    if (p.hours == 0 && p.minutes == 0) {
        p.minutes = kPeriodMinuteStep;
    }
    return p;
}

// 24 hours is the most: no minutes on top.
TestPeriod atMostADay(TestPeriod p) {
    if (p.hours == kPeriodHoursMax) {
        p.minutes = 0;
    }
    return p;
}

} // namespace

TestPeriod PeriodFromHourSpinner(TestPeriod current, int h) {
    current.hours = std::clamp(h, 0, kPeriodHoursMax);
    return atLeastTenMinutes(atMostADay(current));
}

std::optional<TestPeriod> PeriodFromHourEdit(TestPeriod current, std::int64_t typed) {
    if (typed < 0) {
        return std::nullopt;
    }
    current.hours = static_cast<int>(std::min<std::int64_t>(typed, kPeriodHoursMax));
    return atLeastTenMinutes(atMostADay(current));
}

std::optional<TestPeriod> PeriodFromMinuteSpinner(TestPeriod current, int steps) {
    if (current.hours == kPeriodHoursMax) {
        return std::nullopt;
    }
    current.minutes = std::clamp(steps, 0, kPeriodMinuteStepsMax) * kPeriodMinuteStep;
    return atLeastTenMinutes(current);
}

std::optional<TestPeriod> PeriodFromMinuteEdit(TestPeriod current, std::int64_t typed) {
    if (typed < 0) {
        return std::nullopt;
    }
    const std::int64_t steps =
        std::min<std::int64_t>(typed / kPeriodMinuteStep, kPeriodMinuteStepsMax);
    if (current.hours >= kPeriodHoursMax && steps > 0) {
        return std::nullopt;
    }
    current.minutes = static_cast<int>(steps) * kPeriodMinuteStep;
    return atLeastTenMinutes(current);
}

} // namespace tk
