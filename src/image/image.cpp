#include "image/image.h"

#include "model/packing.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tk {
namespace {

// The field lists below drive both directions: the encoder visits a const record,
// the decoder a mutable one, over the same offsets and encodings.

class Encoder {
public:
    explicit Encoder(std::span<std::uint8_t> area) : a_(area) {}

    void byte(std::size_t off, std::int32_t v) { a_[off] = low8(v); }
    void word(std::size_t off, std::int32_t v) {
        a_[off] = low8(static_cast<std::int32_t>(static_cast<std::uint32_t>(v) >> 8));
        a_[off + 1] = low8(v);
    }
    // Only bits 8..15 are kept.
    void highByte(std::size_t off, std::int32_t v) {
        a_[off] = low8(static_cast<std::int32_t>(static_cast<std::uint32_t>(v) >> 8));
    }
    // Quotient and remainder by 6 in two bytes.
    void quotRem6(std::size_t off, std::int32_t v) {
        a_[off] = low8(v / 6);
        a_[off + 1] = low8(v % 6);
    }
    // Minutes and tens of seconds combined into one byte: min·6 + sec, modulo 256.
    void combined6(std::size_t off, std::int32_t min, std::int32_t sec) {
        a_[off] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(min) * 6U +
                                            static_cast<std::uint32_t>(sec));
    }
    void text(std::size_t off, std::size_t width, const Text& t) {
        strtobuf(a_.subspan(off, width), t);
    }
    void phone(std::size_t off, const Text& t) { convtel(a_.subspan(off).first<kPhoneBytes>(), t); }

private:
    static std::uint8_t low8(std::int32_t v) {
        return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFFU);
    }
    std::span<std::uint8_t> a_;
};

class Decoder {
public:
    explicit Decoder(std::span<const std::uint8_t> area) : a_(area) {}

    void byte(std::size_t off, std::int32_t& v) const { v = a_[off]; }
    void word(std::size_t off, std::int32_t& v) const { v = a_[off] * 256 + a_[off + 1]; }
    void highByte(std::size_t off, std::int32_t& v) const { v = a_[off] * 256; }
    void quotRem6(std::size_t off, std::int32_t& v) const { v = a_[off] * 6 + a_[off + 1]; }
    void combined6(std::size_t off, std::int32_t& min, std::int32_t& sec) const {
        min = a_[off] / 6;
        sec = a_[off] % 6;
    }
    void text(std::size_t off, std::size_t width, Text& t) const {
        t = buftostr(a_.subspan(off, width));
    }
    void phone(std::size_t off, Text& t) const {
        t = raspactel(a_.subspan(off).first<kPhoneBytes>());
    }

private:
    std::span<const std::uint8_t> a_;
};

constexpr std::size_t kSmsText = 32;

// The 16-byte input record. Base image records keep only the high byte of Raw8 at +8
// and the DialUp mask at +9; extension blocks keep Raw8 whole and no DialUp mask.
enum class InputSlot { Base, Extension };

template <class In, class V> void inputRecord(In& in, std::size_t at, InputSlot slot, V& v) {
    v.byte(at + 0, in.Flags);
    v.byte(at + 1, in.ZoneType);
    v.byte(at + 2, in.Partition);
    v.byte(at + 3, in.RepFlags);
    v.word(at + 4, in.Raw4);
    v.word(at + 6, in.Raw6);
    if (slot == InputSlot::Base) {
        v.highByte(at + 8, in.Raw8);
        v.byte(at + 9, in.DialUpMask);
    } else {
        v.word(at + 8, in.Raw8);
    }
    v.word(at + 10, in.Raw10);
    v.word(at + 12, in.AlarmMask);
}

// Contact ID object number and event code of an input, four bytes.
template <class In, class V> void contactIdBytes(In& in, std::size_t at, V& v) {
    v.byte(at + 0, in.ObjNum[0]);
    v.byte(at + 1, in.ObjNum[1]);
    v.byte(at + 2, in.EvCode[0]);
    v.byte(at + 3, in.EvCode[1]);
}

template <class Cfg, class V> void baseFields(Cfg& c, V& v) {
    for (std::size_t n = 1; n <= static_cast<std::size_t>(kBaseInputs); ++n) {
        auto& in = c.Inputs[n];
        inputRecord(in, 0x010 + 16 * (n - 1), InputSlot::Base, v);
        v.text(0x1C0 + 64 * n, kSmsText, in.AlarmSMSText);
        v.text(0x1E0 + 64 * n, kSmsText, in.RestoreSMSText);
        contactIdBytes(in, 0x16C + 16 * n, v);
    }

    v.word(0x1BC, c.ExtPanelObjNum);
    v.byte(0x051, c.Options);
    v.byte(0x052, c.TimeOfInp);
    v.byte(0x053, c.TimeOfOut);
    v.byte(0x054, c.TimeOfAlarmMin);
    v.byte(0x055, c.TimeOfAlarmSec);
    v.word(0x056, c.ObjNum);
    v.quotRem6(0x058, c.AuxPeriod58);
    v.quotRem6(0x05A, c.AuxPeriod5A);
    v.byte(0x05C, c.NumOfAttemptsCallMain);
    v.byte(0x05D, c.PerTestHours);
    v.byte(0x05E, c.PerTestMinutes);
    v.byte(0x060, c.GprsMode);
    v.combined6(0x061, c.GprsPeriodMin, c.GprsPeriodSec);
    v.byte(0x062, c.SvingerCount);

    for (std::size_t k = 0; k + 1 < static_cast<std::size_t>(kTelephoneCount); ++k) {
        v.phone(0x070 + 8 * k, c.TelNum[k]);
    }
    v.phone(0x0E8, c.TelNum7316);
    v.text(0x0F0, 32, c.Apn);
    v.text(0x110, 16, c.ApnUserName);
    v.text(0x120, 16, c.ApnPass);
    v.text(0x130, 16, c.TkRecIp);
    v.text(0x140, 48, c.Email);

    // Partition slots: bytes +12..+15 belong to input p+1 (written above).
    for (std::size_t p = 0; p < static_cast<std::size_t>(kPartitionCount); ++p) {
        auto& part = c.Partitions[p];
        const std::size_t at = 0x170 + 16 * p;
        v.byte(at + 3, part.Flags);
        v.word(at + 4, part.Raw4);
        v.word(at + 6, part.Raw6);
        v.word(at + 8, part.DialUpMask);
        v.word(at + 10, part.Raw10);
    }

    // Event records and the two single-byte DialUp masks.
    v.byte(0x1F3, c.KpdFlags);
    v.word(0x1F8, c.KpdDialUpMask);
    v.word(0x1FA, c.KpdAlarmMask);
    v.byte(0x343, c.SysEvAcFlags);
    v.word(0x348, c.SysEvAcRaw8);
    v.word(0x34A, c.SysEvAcRaw10);
    v.byte(0x353, c.SysEvDcFlags);
    v.word(0x35A, c.SysEvDcRaw10);
    v.byte(0x1B9, c.SysEvDcDialUpMask);
    v.byte(0x363, c.SysEvPtFlags);
    v.word(0x364, c.SysEvPtRaw4);
    v.word(0x36A, c.SysEvPtRaw10);
    v.byte(0x1C9, c.SysEvPtDialUpMask);
    v.byte(0x373, c.ExtPanelFlags);
    v.word(0x378, c.ExtPanelDialUpMask);
    v.word(0x37A, c.ExtPanelAlarmMask);

    v.text(0x300, kSmsText, c.ArmSMSText);
    v.text(0x320, kSmsText, c.DisarmSMSText);
}

template <class Cfg, class V> void extBlockFields(Cfg& c, int k, V& v) {
    const std::size_t base = ExtBlockOffset(k);
    constexpr auto perBlock = static_cast<std::size_t>(kInputsPerExtBlock);
    for (std::size_t j = 0; j < perBlock; ++j) {
        auto& in = c.Inputs[perBlock * static_cast<std::size_t>(k) + j + 1];
        inputRecord(in, base + 16 * j, InputSlot::Extension, v);
        contactIdBytes(in, base + 64 + 16 * j, v);
        v.text(base + 128 + 64 * j, kSmsText, in.AlarmSMSText);
        v.text(base + 160 + 64 * j, kSmsText, in.RestoreSMSText);
    }
}

void requireSize(std::size_t have, std::size_t need, const char* what) {
    if (have < need) {
        throw std::length_error(std::string(what) + ": image area too small");
    }
}

void requireBlock(int k, const char* what) {
    if (k < 0 || k > kMaxExtBlocks) {
        throw std::out_of_range(std::string(what) + ": extension block number out of range");
    }
}

} // namespace

std::size_t wrdump(const Configuration& cfg, std::span<std::uint8_t> area) {
    requireSize(area.size(), kBaseImageSize, "wrdump");
    const auto cleared = std::min(area.size(), kEncodeClearSize);
    std::fill_n(area.begin(), cleared, std::uint8_t{0});
    Encoder enc(area);
    baseFields(cfg, enc);
    return kBaseImageSize;
}

std::size_t redump(Configuration& cfg, std::span<const std::uint8_t> area) {
    requireSize(area.size(), kBaseImageSize, "redump");
    const Decoder dec(area);
    baseFields(cfg, dec);
    cfg.TxVersion = TxVersionText(area[kVersionMajorOffset], area[kVersionMinorOffset]);
    return kBaseImageSize;
}

Text TxVersionText(std::uint8_t major, std::uint8_t minor) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    Text out;
    if ((major >> 4) != 0) {
        out += kHex[major >> 4];
    }
    out += kHex[major & 0xF];
    out += '.';
    out += kHex[minor >> 4];
    out += kHex[minor & 0xF];
    return out;
}

void wrdumpExtBlock(const Configuration& cfg, std::span<std::uint8_t> area, std::size_t& length,
                    int k) {
    requireBlock(k, "wrdumpExtBlock");
    if (k == 0) {
        return;
    }
    requireSize(area.size(), ImageSize(k), "wrdumpExtBlock");
    std::fill_n(area.begin() + static_cast<std::ptrdiff_t>(ExtBlockOffset(k)), kExtBlockSize,
                std::uint8_t{0});
    Encoder enc(area);
    extBlockFields(cfg, k, enc);
    length = ImageSize(k);
}

void redumpExtBlock(Configuration& cfg, std::span<const std::uint8_t> area, std::size_t& length,
                    int k) {
    requireBlock(k, "redumpExtBlock");
    if (k == 0) {
        return;
    }
    requireSize(area.size(), ImageSize(k), "redumpExtBlock");
    const Decoder dec(area);
    extBlockFields(cfg, k, dec);
    length = ImageSize(k);
}

std::vector<std::uint8_t> EncodeImage(Configuration& cfg) {
    cfg.ExtBlocksCount = GetExtBlocksCount(cfg);
    std::vector<std::uint8_t> image(ImageSize(cfg.ExtBlocksCount));
    std::size_t length = wrdump(cfg, image);
    for (int k = 1; k <= cfg.ExtBlocksCount; ++k) {
        wrdumpExtBlock(cfg, image, length, k);
    }
    return image;
}

void DecodeImage(Configuration& cfg, std::span<const std::uint8_t> image, int blocks) {
    requireBlock(blocks, "DecodeImage");
    requireSize(image.size(), ImageSize(blocks), "DecodeImage");
    std::size_t length = redump(cfg, image);
    cfg.ExtBlocksCount = blocks;
    for (int k = 1; k <= blocks; ++k) {
        redumpExtBlock(cfg, image, length, k);
    }
}

int DecodeRemoteImage(Configuration& cfg, std::span<const std::uint8_t> image, int blocks) {
    std::size_t length = redump(cfg, image);
    if (blocks <= kBaseImageBlocks) {
        return 0;
    }
    const int extension = ExtBlocksOfTransfer(blocks);
    requireSize(image.size(), ImageSize(extension), "DecodeRemoteImage");
    cfg.ExtBlocksCount = extension;
    for (int k = 1; k <= extension; ++k) {
        redumpExtBlock(cfg, image, length, k);
    }
    return extension;
}

} // namespace tk
