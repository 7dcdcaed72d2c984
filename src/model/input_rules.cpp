#include "model/input_rules.h"

#include "model/packing.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tk {
namespace {

struct ZoneItemInfo {
    std::string_view text;
    std::int32_t bit;
};

constexpr std::array<ZoneItemInfo, kZoneItemCount> kZoneItems{{
    {"вход/выход", ZoneEntryExit},
    {"проходная", ZoneWalkThrough},
    {"периметр", ZonePerimeter},
    {"круглосуточная", ZoneTwentyFourHour},
    {"постановка/снятие", ZoneArmDisarm},
}};

// The order in which the zone-type bits are tested; a later match wins.
constexpr std::array<std::int32_t, 5> kZoneTestOrder{ZoneEntryExit, ZoneTwentyFourHour,
                                                     ZonePerimeter, ZoneWalkThrough, ZoneArmDisarm};

constexpr std::array<std::string_view, 3> kOrdinaryContacts{
    "нормально замкнуты",
    "нормально разомкнуты",
    "шлейфовый резистор",
};

constexpr std::array<std::string_view, 2> kArmDisarmContacts{
    "нормально\u00A0замкнутые (снят с охраны)",
    "постановка/снятие импульсом 0.5 сек",
};

// Contact ID event codes a zone-type choice writes: qualifier 0 and three digits.
constexpr std::array<std::int32_t, 2> kOrdinaryZoneCode{0x01, 0x30};  // 130
constexpr std::array<std::int32_t, 2> kArmDisarmZoneCode{0x04, 0x01}; // 401

bool isPrefix(char32_t ch) {
    return ch == U'E' || ch == U'R' || ch == U'e' || ch == U'r';
}

bool isDecimal(char32_t ch) {
    return ch >= U'0' && ch <= U'9';
}

bool isHex(char32_t ch) {
    return isDecimal(ch) || (ch >= U'A' && ch <= U'F') || (ch >= U'a' && ch <= U'f');
}

char upper(char32_t ch) {
    const char c = static_cast<char>(ch);
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool fullText(const EditState& edit) {
    return edit.text.size() >= kReportEditLength;
}

// Puts decimal digit ch into tetrad n of value; anything else leaves it alone.
void decimalToTetra(char ch, std::int32_t& value, int n) {
    if (isDecimal(static_cast<unsigned char>(ch))) {
        CharToTetra(ch, value, n);
    }
}

// A caption with its no-break spaces written as blanks, as a keyboard types them.
std::string withBlanks(std::string_view text) {
    constexpr std::string_view kNoBreakSpace = "\u00A0";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, kNoBreakSpace.size()) == kNoBreakSpace) {
            out += ' ';
            i += kNoBreakSpace.size() - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string_view TrimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsActivated(const Input& in) {
    return (in.Flags & InpActivated) != 0;
}

int ExtBlockOfInput(int n) {
    return n <= kBaseInputs ? 0 : (n - 1) / kInputsPerExtBlock;
}

int GetExtBlocksCount(const Configuration& cfg) {
    int blocks = 0;
    for (int n = kBaseInputs + 1; n <= kInputCount; ++n) {
        if (IsActivated(cfg.Inputs[static_cast<std::size_t>(n)])) {
            blocks = ExtBlockOfInput(n);
        }
    }
    return blocks;
}

bool SetActivated(Configuration& cfg, int n, bool on) {
    Input& in = cfg.Inputs.at(static_cast<std::size_t>(n));
    if (IsActivated(in) == on) {
        return false;
    }
    in.Flags = on ? (in.Flags | InpActivated) : (in.Flags & ~InpActivated);
    cfg.ExtBlocksCount = GetExtBlocksCount(cfg);
    return true;
}

std::string_view ZoneItemText(int item) {
    return kZoneItems.at(static_cast<std::size_t>(item)).text;
}

int ZoneItemNamed(std::string_view text) {
    for (int i = 0; i < kZoneItemCount; ++i) {
        if (ZoneItemText(i) == text) {
            return i;
        }
    }
    return kNoItem;
}

std::string_view ZoneTypeCaption(const Input& in) {
    const int item = ZoneItemOf(in.ZoneType);
    return item == kNoItem ? std::string_view("не выбран") : ZoneItemText(item);
}

std::int32_t ZoneItemBit(int item) {
    return kZoneItems.at(static_cast<std::size_t>(item)).bit;
}

int ZoneItemOf(std::int32_t zoneType) {
    int selected = kNoItem;
    for (std::int32_t bit : kZoneTestOrder) {
        if ((zoneType & bit) == 0) {
            continue;
        }
        for (int i = 0; i < kZoneItemCount; ++i) {
            if (ZoneItemBit(i) == bit) {
                selected = i;
            }
        }
    }
    return selected;
}

bool IsArmDisarmZone(std::int32_t zoneType) {
    return (zoneType & ZoneArmDisarm) != 0;
}

ContactList ContactListFor(std::int32_t zoneType) {
    return IsArmDisarmZone(zoneType) ? ContactList::ArmDisarm : ContactList::Ordinary;
}

std::span<const std::string_view> ContactItems(ContactList list) {
    if (list == ContactList::ArmDisarm) {
        return kArmDisarmContacts;
    }
    return kOrdinaryContacts;
}

int ContactItemOf(const Input& in) {
    if (ContactListFor(in.ZoneType) == ContactList::ArmDisarm) {
        return (in.Flags & kPulseContacts) != 0 ? ContactNormallyOpen : ContactNormallyClosed;
    }
    if ((in.Flags & InpFireMarker) != 0) {
        return ContactResistorLoop;
    }
    if ((in.Flags & InpNormallyOpen) != 0) {
        return ContactNormallyOpen;
    }
    if ((in.Flags & InpResistorLoop) != 0) {
        return ContactResistorLoop;
    }
    return ContactNormallyClosed;
}

std::string_view ContactTypeCaption(const Input& in) {
    return ContactItems(ContactListFor(in.ZoneType))[static_cast<std::size_t>(ContactItemOf(in))];
}

int ContactItemNamed(ContactList list, std::string_view text) {
    const auto items = ContactItems(list);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (withBlanks(items[i]) == withBlanks(text)) {
            return static_cast<int>(i);
        }
    }
    return kNoItem;
}

bool ClearFireZone(Input& in) {
    const bool had = (in.ZoneType & ZoneFire) != 0;
    in.ZoneType &= ~ZoneFire;
    return had;
}

void ChooseZoneType(Input& in, int item, int inputNumber) {
    in.ZoneType = (in.ZoneType & ~kZoneTypeByte) | ZoneItemBit(item);
    in.Flags &= ~InpFireMarker;
    if (item != ZoneItemArmDisarm) {
        in.Flags &= ~InpPulse;
        if (inputNumber == kBaseInputs) {
            // Input 4 takes a resistor loop on an ordinary zone.
            in.Flags |= InpResistorLoop;
            in.Flags &= ~kPulseContacts;
        }
        in.EvCode = kOrdinaryZoneCode;
    } else {
        in.Flags &= ~InpSiren;
        in.EvCode = kArmDisarmZoneCode;
        in.Flags |= kPulseContacts;
        in.Flags &= ~InpResistorLoop;
    }
}

void ChooseContactType(Input& in, ContactList list, int item) {
    switch (item) {
    case ContactNormallyClosed:
        in.Flags &= ~kContactBits;
        break;
    case ContactNormallyOpen:
        if (list == ContactList::ArmDisarm) {
            in.Flags |= kPulseContacts;
            in.Flags &= ~InpResistorLoop;
        } else {
            in.Flags |= InpNormallyOpen;
            in.Flags &= ~(InpResistorLoop | InpPulse);
        }
        break;
    case ContactResistorLoop:
        if (list == ContactList::Ordinary) {
            in.Flags |= InpResistorLoop;
            in.Flags &= ~kPulseContacts;
        }
        break;
    default:
        break;
    }
}

bool HasSiren(const Input& in) {
    return (in.Flags & InpSiren) != 0;
}

void SetSiren(Input& in, bool on) {
    in.Flags = on ? (in.Flags | InpSiren) : (in.Flags & ~InpSiren);
}

std::string ObjNumDigits(const Input& in) {
    return {TetraToChar(in.ObjNum[0], 1), TetraToChar(in.ObjNum[0], 0),
            TetraToChar(in.ObjNum[1], 1), TetraToChar(in.ObjNum[1], 0)};
}

std::string EvCodeDigits(const Input& in) {
    return {TetraToChar(in.EvCode[0], 0), TetraToChar(in.EvCode[1], 1),
            TetraToChar(in.EvCode[1], 0)};
}

std::string InpNumDigits(const Input& in) {
    return {TetraToChar(in.InpNum[0], 0), TetraToChar(in.InpNum[1], 1),
            TetraToChar(in.InpNum[1], 0)};
}

std::string PartNumDigits(const Input& in) {
    return {TetraToChar(in.PartNum, 1), TetraToChar(in.PartNum, 0)};
}

std::optional<char> ObjNumKey(char32_t ch, const EditState& edit) {
    if (!isHex(ch) || fullText(edit)) {
        return std::nullopt;
    }
    return upper(ch);
}

std::optional<char> EvCodeKey(char32_t ch, const EditState& edit) {
    if (!(isDecimal(ch) || isPrefix(ch)) || fullText(edit)) {
        return std::nullopt;
    }
    const std::size_t at = std::min(edit.selStart, edit.text.size());
    const std::size_t after = std::min(at + edit.selLength, edit.text.size());
    if (isPrefix(ch) && at != 0) {
        return std::nullopt; // a prefix is the first character or nothing
    }
    if (at == 0 && after < edit.text.size() && isPrefix(edit.text[after])) {
        return std::nullopt; // nothing goes in front of a prefix
    }
    return upper(ch);
}

void ApplyObjNumText(Input& in, std::string_view text) {
    std::int32_t* const bytes[] = {&in.ObjNum[0], &in.ObjNum[0], &in.ObjNum[1], &in.ObjNum[1]};
    constexpr int tetrads[] = {1, 0, 1, 0};
    for (std::size_t i = 0; i < kReportEditLength && i < text.size(); ++i) {
        CharToTetra(text[i], *bytes[i], tetrads[i]);
    }
}

void ApplyEvCodeText(Input& in, std::string_view text) {
    if (!text.empty() && isPrefix(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    std::int32_t* const bytes[] = {&in.EvCode[0], &in.EvCode[1], &in.EvCode[1]};
    constexpr int tetrads[] = {0, 1, 0};
    for (std::size_t i = 0; i < 3 && i < text.size(); ++i) {
        decimalToTetra(text[i], *bytes[i], tetrads[i]);
    }
    in.EvCode[0] &= ~0xF0; // qualifier 0
}

PartitionParse ParsePartition(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size()) {
        return {std::nullopt, PartitionError::NotANumber};
    }
    if (ec != std::errc{} || value < kMinPartition || value > kMaxPartition) {
        return {std::nullopt, PartitionError::OutOfRange};
    }
    return {static_cast<int>(value), PartitionError::None};
}

void SetPartition(Input& in, int p) {
    in.Partition = p;
    in.PartNum = p & 0xFF;
}

} // namespace tk
