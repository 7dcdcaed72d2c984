#include "model/packing.h"

#include "model/cp1251.h"

#include <algorithm>
#include <string_view>

namespace tk {
namespace {

constexpr std::string_view kHexUpper = "0123456789ABCDEF";
constexpr std::string_view kHexBoth = "0123456789ABCDEFabcdef";

constexpr std::uint8_t kNibblePlus = 0xA;
constexpr std::uint8_t kNibbleEnd = 0xB;
constexpr std::uint8_t kNibbleStar = 0xC;

std::uint8_t telNibble(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c == '+') {
        return kNibblePlus;
    }
    if (c == '*') {
        return kNibbleStar;
    }
    return 0; // "#" and anything else
}

struct SmsSuffixes {
    Text alarm, restore, arm, disarm;
};

const SmsSuffixes& suffixes(bool russian) {
    static const SmsSuffixes ru{cp1251(" Тревога "), cp1251(" Восстановление "),
                                cp1251(" Постановка "), cp1251(" Снятие ")};
    static const SmsSuffixes en{" Alarm ", " Restore ", " Armed ", " Disarmed "};
    return russian ? ru : en;
}

} // namespace

char TetraToChar(std::int32_t value, int n) {
    const auto u = static_cast<std::uint32_t>(value);
    return kHexUpper[(u >> (4 * n)) & 0xFU];
}

bool CharToTetra(char ch, std::int32_t& value, int n) {
    const auto pos = kHexBoth.find(ch);
    if (ch == '\0' || pos == std::string_view::npos) {
        return false;
    }
    const std::uint32_t digit =
        pos < 16 ? static_cast<std::uint32_t>(pos) : static_cast<std::uint32_t>(pos - 6);
    auto u = static_cast<std::uint32_t>(value);
    u &= ~(0xFU << (4 * n));
    u |= digit << (4 * n);
    value = static_cast<std::int32_t>(u);
    return true;
}

void convtel(std::span<std::uint8_t, kPhoneBytes> dst, std::string_view tel) {
    std::fill(dst.begin(), dst.end(), std::uint8_t{0});
    const std::size_t len = std::min(tel.size(), kPhoneDigits);
    std::size_t byte = 0;
    for (std::size_t i = 0; i < len; i += 2, ++byte) {
        std::uint8_t v = static_cast<std::uint8_t>(telNibble(tel[i]) << 4);
        if (i + 1 < len) {
            v = static_cast<std::uint8_t>(v + telNibble(tel[i + 1]));
        } else {
            dst[byte] = static_cast<std::uint8_t>(v | kNibbleEnd);
            return;
        }
        dst[byte] = v;
    }
    if (byte < kPhoneBytes) {
        dst[byte] = kNibbleEnd << 4;
    }
}

Text raspactel(std::span<const std::uint8_t, kPhoneBytes> src) {
    Text out;
    for (const std::uint8_t b : src) {
        for (const std::uint8_t nib :
             {static_cast<std::uint8_t>(b >> 4), static_cast<std::uint8_t>(b & 0xF)}) {
            if (nib == kNibbleEnd) {
                return out;
            }
            if (nib == kNibblePlus) {
                out += '+';
            } else if (nib == kNibbleStar) {
                out += '*';
            } else if (nib <= 9) {
                out += static_cast<char>('0' + nib);
            }
        }
    }
    return out;
}

void strtobuf(std::span<std::uint8_t> dst, std::string_view text) {
    if (dst.empty()) {
        return;
    }
    const std::size_t n = std::min(text.size(), dst.size() - 1);
    std::copy_n(text.begin(), n, dst.begin());
    std::fill(dst.begin() + static_cast<std::ptrdiff_t>(n), dst.end(), std::uint8_t{0});
}

Text buftostr(std::span<const std::uint8_t> src) {
    if (src.empty()) {
        return {};
    }
    const auto end = std::find(src.begin(), src.end() - 1, std::uint8_t{0});
    return Text(src.begin(), end);
}

Text ObjNumText(std::int32_t objNum) {
    return {TetraToChar(objNum, 3), TetraToChar(objNum, 2), TetraToChar(objNum, 1),
            TetraToChar(objNum, 0)};
}

void GenerateSmsTexts(Configuration& cfg, SmsObjNums objNums) {
    const Text n = ObjNumText(cfg.ObjNum);
    const SmsSuffixes& s = suffixes((cfg.Options & OptCyrillic) != 0);
    for (int i = 1; i <= kInputCount; ++i) {
        Input& in = cfg.Inputs[static_cast<std::size_t>(i)];
        in.AlarmSMSText = n + s.alarm;
        in.RestoreSMSText = n + s.restore;
        if (objNums == SmsObjNums::Rewrite) {
            in.ObjNum = {(cfg.ObjNum >> 8) & 0xFF, cfg.ObjNum & 0xFF};
        }
    }
    cfg.ArmSMSText = n + s.arm;
    cfg.DisarmSMSText = n + s.disarm;
}

} // namespace tk
