// The rules of an input's settings as the inputs panel and the table of inputs 5..64
// edit them and the summary names them: activation, zone type, contact type, siren,
// the Contact ID report digits and the partition. Pure functions of an Input record
// (activation also keeps the record's extension block count); the panels and
// `tk515 show` share them.
//
// Texts are UTF-8 (the window and the terminal both take UTF-8).
#pragma once

#include "model/configuration.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tk {

// Bits of Input::Flags. The zone and contact choices leave bits 0, 3 and 7 alone.
enum InputFlagBit : std::int32_t {
    InpActivated = 0x01,    // the input is activated; inputs 5..64 need their block
    InpPulse = 0x02,        // with InpNormallyOpen: pulse arm/disarm contacts
    InpSiren = 0x04,        // siren on alarm
    InpNormallyOpen = 0x10, // normally open contacts
    InpResistorLoop = 0x20, // resistor loop contacts
    InpFireMarker = 0x40,   // fire-zone marker, cleared by every zone-type choice
};

// Every contact bit: none of them set means normally closed contacts.
inline constexpr std::int32_t kContactBits = InpPulse | InpNormallyOpen | InpResistorLoop;
// Pulse arm/disarm contacts.
inline constexpr std::int32_t kPulseContacts = InpPulse | InpNormallyOpen;
// The zone-type bits an input keeps in the low byte of ZoneType.
inline constexpr std::int32_t kZoneTypeByte = 0xFF;

// A text without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view s);

// --- activation and the extension blocks ----------------------------------------------

// Inputs 1..4 live in the base image; every extension block carries the next four.
inline constexpr int kInputsPerExtBlock = 4;

bool IsActivated(const Input& in);

// The extension block that carries input n: 0 for inputs 1..4 (the base image),
// (n - 1) div 4 for inputs 5..64 (5..8 give 1, 61..64 give 15).
int ExtBlockOfInput(int n);

// Number of extension blocks the record needs: the block of the highest activated
// input above 4 (0 when none is activated). Activated inputs below it do not raise
// it, and the inactive inputs inside a block are carried all the same.
int GetExtBlocksCount(const Configuration& cfg);

// Activates or deactivates input n (1..64) and sets ExtBlocksCount to the blocks the
// record now needs: activating an input above the highest raises it, deactivating
// the highest lowers it. Nothing else of any input changes. Returns false, and
// changes nothing, when the input already was so.
bool SetActivated(Configuration& cfg, int n, bool on);

// --- zone type and contacts -----------------------------------------------------------

// The zone-type radio items, in their order.
enum ZoneItem : int {
    ZoneItemEntryExit = 0,
    ZoneItemWalkThrough = 1,
    ZoneItemPerimeter = 2,
    ZoneItemTwentyFourHour = 3,
    ZoneItemArmDisarm = 4,
};
inline constexpr int kZoneItemCount = 5;
inline constexpr int kNoItem = -1;

// The caption of zone-type item i.
std::string_view ZoneItemText(int item);
// The zone item that a caption names (exactly), or kNoItem.
int ZoneItemNamed(std::string_view text);
// The zone type as the panels name it: the caption of its item, "не выбран" when no
// item is selected.
std::string_view ZoneTypeCaption(const Input& in);
// The ZoneType bit that item i sets.
std::int32_t ZoneItemBit(int item);
// The item selected for a ZoneType: its bits are tested in the order 0x01, 0x02,
// 0x04, 0x08, 0x10, each match overriding the one before; kNoItem when none is set.
int ZoneItemOf(std::int32_t zoneType);

bool IsArmDisarmZone(std::int32_t zoneType);

// The two contact lists; the arm/disarm list belongs to arm/disarm zones.
enum class ContactList { Ordinary, ArmDisarm };

enum ContactItem : int {
    ContactNormallyClosed = 0,
    ContactNormallyOpen = 1, // the pulse contacts in the arm/disarm list
    ContactResistorLoop = 2, // ordinary list only
};

ContactList ContactListFor(std::int32_t zoneType);
// The captions of a list's items. The first item of the arm/disarm list has a
// no-break space after "нормально".
std::span<const std::string_view> ContactItems(ContactList list);
// The contact item selected for the input, in the list its zone type shows.
int ContactItemOf(const Input& in);
// The caption of that item.
std::string_view ContactTypeCaption(const Input& in);
// The item of `list` that a caption names, or kNoItem: exactly, but a blank also
// stands for the no-break space of the arm/disarm list.
int ContactItemNamed(ContactList list, std::string_view text);

// Shows an input of the base image: the fire zone type (0x20) goes, as inputs 1..4
// cannot be fire zones. Returns true when the bit was set.
bool ClearFireZone(Input& in);

// Chooses zone-type item i for input `inputNumber`: the low byte of ZoneType becomes
// exactly the item's bit, the fire marker goes, the contact bits follow the zone
// (input 4 becomes a resistor loop on an ordinary zone, an arm/disarm zone takes pulse
// contacts and loses the siren) and the event code becomes 130 or 401.
void ChooseZoneType(Input& in, int item, int inputNumber);

// Chooses contact item i of the list shown.
void ChooseContactType(Input& in, ContactList list, int item);

bool HasSiren(const Input& in);
void SetSiren(Input& in, bool on);

// The report digits as the panel shows them (upper-case hexadecimal).
std::string ObjNumDigits(const Input& in);  // 4: byte 1 high, low, byte 2 high, low
std::string EvCodeDigits(const Input& in);  // 3: byte 1 low, byte 2 high, low
std::string InpNumDigits(const Input& in);  // 3: byte 1 low, byte 2 high, low
std::string PartNumDigits(const Input& in); // 2

// The longest text of the object-number and event-code edits.
inline constexpr std::size_t kReportEditLength = 4;

// The text in an edit and its selection, where a typed character lands.
struct EditState {
    std::u32string_view text;
    std::size_t selStart = 0;
    std::size_t selLength = 0;
};

// Key filters of the two report edits: the character the edit takes for a typed
// character (lower case turned upper), or nothing when the key is swallowed. A key
// is swallowed when the text already holds kReportEditLength characters, whatever
// is selected.
// Object number: hexadecimal digits.
std::optional<char> ObjNumKey(char32_t ch, const EditState& edit);
// Event code: decimal digits, and "E" or "R" as the first character only (a prefix
// of the code); nothing is typed in front of a prefix.
std::optional<char> EvCodeKey(char32_t ch, const EditState& edit);

// Change rules of the report edits, applied to the whole text on every change.
// Characters 1..4 are the object number's digits; a missing position or a
// character that is not a hexadecimal digit leaves its digit unchanged.
void ApplyObjNumText(Input& in, std::string_view text);
// After an optional "E" or "R" prefix, three characters are the event code's digits;
// a missing position or a character that is not a decimal digit leaves its digit
// unchanged. The qualifier becomes 0.
void ApplyEvCodeText(Input& in, std::string_view text);

// Partitions 1..4.
inline constexpr int kMinPartition = 1;
inline constexpr int kMaxPartition = kPartitionCount;

enum class PartitionError { None, NotANumber, OutOfRange };

struct PartitionParse {
    std::optional<int> value;
    PartitionError error = PartitionError::None;
};

// The partition a text names: a decimal integer (blanks around it and a sign
// allowed), 1..4.
PartitionParse ParsePartition(std::string_view text);

// The input belongs to partition p and reports it as its partition number byte.
void SetPartition(Input& in, int p);

} // namespace tk
