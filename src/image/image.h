// The transmitter's configuration memory image: the 896-byte base image and the
// 384-byte extension blocks that carry inputs 5..64. Multi-byte values are
// big-endian. The encoder never changes the record; the decoder takes whatever the
// image holds and never looks at bytes it does not decode.
#pragma once

#include "model/configuration.h"
#include "model/input_rules.h" // GetExtBlocksCount: the block the highest activated input needs

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tk {

inline constexpr std::size_t kBaseImageSize = 896;
inline constexpr std::size_t kExtBlockSize = 384;
inline constexpr int kMaxExtBlocks = 15;
inline constexpr std::size_t kMaxImageSize = kBaseImageSize + kExtBlockSize * kMaxExtBlocks;
// The link moves the image in blocks of 128 bytes: the base image is 7 of them, an
// extension block 3.
inline constexpr std::size_t kTransferBlockSize = 128;
inline constexpr int kBaseImageBlocks = static_cast<int>(kBaseImageSize / kTransferBlockSize);
inline constexpr int kExtBlockBlocks = static_cast<int>(kExtBlockSize / kTransferBlockSize);
static_assert(kBaseImageBlocks * kTransferBlockSize == kBaseImageSize &&
              kExtBlockBlocks * kTransferBlockSize == kExtBlockSize);
inline constexpr std::size_t kEncodeClearSize = 2048; // bytes wrdump clears

// Offsets of the firmware version bytes (read only).
inline constexpr std::size_t kVersionMajorOffset = 0x06E;
inline constexpr std::size_t kVersionMinorOffset = 0x06F;

// Length of an image with `blocks` extension blocks.
constexpr std::size_t ImageSize(int blocks) {
    return kBaseImageSize + kExtBlockSize * static_cast<std::size_t>(blocks);
}

// The extension blocks that a transfer of `blocks` 128-byte blocks carries: those
// whole beyond the base image, (blocks - 7) div 3, never more than 15 (a count above
// 52 would reach beyond input 64).
constexpr int ExtBlocksOfTransfer(int blocks) {
    if (blocks <= kBaseImageBlocks) {
        return 0;
    }
    const int whole = (blocks - kBaseImageBlocks) / kExtBlockBlocks;
    return whole < kMaxExtBlocks ? whole : kMaxExtBlocks;
}

// Image offset of extension block k (1..15).
constexpr std::size_t ExtBlockOffset(int k) {
    return 512 + kExtBlockSize * static_cast<std::size_t>(k);
}

// Encodes the base image into area (at least 896 bytes; the first 2048 bytes, or
// all of a smaller area, are cleared first). Returns the image length, 896.
std::size_t wrdump(const Configuration& cfg, std::span<std::uint8_t> area);

// Decodes the base image (at least 896 bytes) into the record; fields that have no
// place in the image keep their values. Returns the length consumed, 896.
std::size_t redump(Configuration& cfg, std::span<const std::uint8_t> area);

// The firmware version text of the two version bytes: "1.05", "12.34", "A.0B".
Text TxVersionText(std::uint8_t major, std::uint8_t minor);

// Writes extension block k (1..15) behind the blocks before it and sets length to
// 896 + 384·k; bytes no field covers are zero. k = 0 does nothing.
void wrdumpExtBlock(const Configuration& cfg, std::span<std::uint8_t> area, std::size_t& length,
                    int k);

// Decodes extension block k (1..15) into inputs 4k+1..4k+4 and sets length to
// 896 + 384·k. k = 0 does nothing.
void redumpExtBlock(Configuration& cfg, std::span<const std::uint8_t> area, std::size_t& length,
                    int k);

// The whole image of the record: base image and the extension blocks it needs.
// Stores the block count in cfg.ExtBlocksCount.
std::vector<std::uint8_t> EncodeImage(Configuration& cfg);

// Decodes a base image followed by `blocks` extension blocks and stores the count in
// cfg.ExtBlocksCount. image must hold ImageSize(blocks) bytes.
void DecodeImage(Configuration& cfg, std::span<const std::uint8_t> image, int blocks);

// Decodes what a read of `blocks` 128-byte blocks brought (the remote read): the base
// image, then, when blocks > 7, the ExtBlocksOfTransfer(blocks) extension blocks, their
// count stored in ExtBlocksCount; with blocks <= 7 ExtBlocksCount is left as it is.
// image holds at least max(896, 128·blocks) bytes. Returns the extension blocks decoded.
int DecodeRemoteImage(Configuration& cfg, std::span<const std::uint8_t> image, int blocks);

} // namespace tk
