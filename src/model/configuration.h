// The configuration record of one TK 515 Pro transmitter.
//
// Every numeric field is a signed 32-bit integer whatever width the memory image
// keeps of it; texts are Windows-1251 bytes. The record is a plain aggregate: the
// codec, the file format and the settings panels work on it directly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tk {

// A text in the Windows-1251 code page, one byte per character.
using Text = std::string;

inline constexpr int kPartitionCount = 4;
inline constexpr int kInputCount = 64;      // inputs 1..64; element 0 is never used
inline constexpr int kTelephoneCount = 16;  // TelNum[0..15]
inline constexpr int kReportTelephones = 6; // telephones 1..6 carry the report masks
inline constexpr int kBaseInputs = 4;       // inputs 1..4 live in the base image

// Arm/disarm reporting of one partition.
struct Partition {
    std::int32_t Flags = 0;
    std::int32_t Raw4 = 0;
    std::int32_t Raw6 = 0;
    std::int32_t DialUpMask = 0;
    std::int32_t Raw10 = 0;
    std::int32_t AlarmMask = 0; // not stored in the image

    bool operator==(const Partition&) const = default;
};

// One alarm input (zone).
struct Input {
    std::int32_t Flags = 0; // bit 0: input activated
    std::int32_t RepFlags = 0;
    std::int32_t DialUpMask = 0; // stored for inputs 1..4 only
    std::int32_t AlarmMask = 0;
    std::int32_t Raw4 = 0;
    std::int32_t Raw6 = 0;
    std::int32_t Raw8 = 0; // inputs 1..4 keep only bits 8..15 in the image
    std::int32_t Raw10 = 0;
    Text AlarmSMSText;
    Text RestoreSMSText;
    std::int32_t ZoneType = 0;
    std::array<std::int32_t, 2> ObjNum{}; // Contact ID object number: high byte, low byte
    std::array<std::int32_t, 2> EvCode{}; // qualifier + first digit, second + third digits
    std::array<std::int32_t, 2> InpNum{}; // Contact ID zone number; not stored
    std::int32_t PartNum = 0;             // Contact ID partition number; not stored
    std::int32_t Partition = 0;           // partition 1..4 the input belongs to

    bool operator==(const Input&) const = default;
};

// Input zone types (the low byte of Input::ZoneType holds exactly one of them).
enum ZoneTypeBit : std::int32_t {
    ZoneEntryExit = 1,
    ZoneTwentyFourHour = 2,
    ZonePerimeter = 4,
    ZoneWalkThrough = 8,
    ZoneArmDisarm = 16,
    ZoneFire = 32,
};

// Bits of Configuration::Options.
enum OptionBit : std::int32_t {
    OptCyrillic = 1,         // also the language of generated SMS texts
    OptToneDialling = 2,     // V110FormatDataRepCb
    OptArmOpenDoor = 4,      // ArmWithOpenedDoorCb
    OptCidSmsWithData = 8,   // carried
    OptArmConfirm = 16,      // CheckAboutArmingCb
    OptZoneNotReady = 32,    // ZoneNotReadyVoiceCb
    OptSecondSimSmsOnly = 64 // carried
};

struct Configuration {
    // General
    Text TxSerialNum; // file only
    Text TxTlfNum;    // file only
    Text TxVersion;   // built by the decoder, never encoded
    std::vector<Text> Comments;

    // Arming and disarming
    std::int32_t ObjNum = 0;
    std::int32_t TimeOfInp = 0;
    std::int32_t TimeOfOut = 0;
    std::int32_t TimeOfAlarmMin = 0;
    std::int32_t TimeOfAlarmSec = 0;
    std::array<Partition, kPartitionCount> Partitions{};

    // Telephones
    std::array<Text, kTelephoneCount> TelNum{};

    // SMS texts
    Text ArmSMSText;
    Text DisarmSMSText;

    // Inputs, indexed by input number
    std::array<Input, kInputCount + 1> Inputs{};

    // System events
    std::int32_t SysEvAcFlags = 0;
    std::int32_t SysEvDcFlags = 0;
    std::int32_t SysEvPtFlags = 0;
    std::int32_t SysEvDcDialUpMask = 0;
    std::int32_t SysEvDcAlarmMask = 0; // not stored
    std::int32_t SysEvPtDialUpMask = 0;
    std::int32_t SysEvPtAlarmMask = 0; // not stored
    std::int32_t PerTestHours = 0;
    std::int32_t PerTestMinutes = 0;
    std::int32_t SysEvAcRaw8 = 0;
    std::int32_t SysEvAcRaw10 = 0;
    std::int32_t SysEvDcRaw10 = 0;
    std::int32_t SysEvPtRaw4 = 0;
    std::int32_t SysEvPtRaw10 = 0;

    // External keypad panel
    std::int32_t ExtPanelObjNum = 0;
    std::int32_t ExtPanelFlags = 0;
    std::int32_t ExtPanelDialUpMask = 0;
    std::int32_t ExtPanelAlarmMask = 0;
    std::int32_t KpdFlags = 0;
    std::int32_t KpdDialUpMask = 0;
    std::int32_t KpdAlarmMask = 0;

    // GPRS
    std::int32_t GprsMode = 0;
    std::int32_t GprsPeriodMin = 0;
    std::int32_t GprsPeriodSec = 0;
    Text Apn;
    Text ApnUserName;
    Text ApnPass;
    Text TkRecIp;
    Text Email;
    Text TelNum7316;

    // Other options
    std::int32_t Options = 0;
    std::int32_t NumOfAttemptsCallMain = 0;
    std::int32_t SvingerCount = 0;
    std::int32_t AuxPeriod58 = 0;
    std::int32_t AuxPeriod5A = 0;

    // Number of extension blocks of the image last saved, written or loaded.
    // Derived from the inputs; not a setting of its own.
    std::int32_t ExtBlocksCount = 0;

    bool operator==(const Configuration&) const = default;
};

// Editing state the window keeps beside the record: the object number's pending
// texts, which input and partition the panels show and the telephone grids' enabled
// cells. Never stored.
struct EditorState {
    static constexpr int kTelGrids = 3; // system events, inputs, arm/disarm
    static constexpr int kGridCols = 11;
    static constexpr int kGridRows = 16;
    using CellTable = std::array<std::array<std::uint8_t, kGridRows>, kGridCols>;

    std::int32_t ObjNumChanged = 0;
    std::int32_t CurInput = 0;
    std::int32_t CurPartition = 0;
    std::array<CellTable, kTelGrids> TelCellEnabled{};
};

} // namespace tk
