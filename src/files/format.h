// The configuration file: a 16-byte header, the memory image (base image and the
// extension blocks the configuration needs), the transmitter's telephone and serial
// numbers and the comment lines. Numbers in the header are little-endian.
//
// The byte functions here are shared by the window, the command-line tool and the
// tests; openf is the only one that touches the file system (through files/fileio.h).
#pragma once

#include "model/configuration.h"
#include "model/status.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tk {

inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kFileTextSize = 16; // TxTlfNum, TxSerialNum
inline constexpr std::size_t kFileTextMax = kFileTextSize - 1;
inline constexpr std::size_t kFileTrailerSize = 2 * kFileTextSize;
inline constexpr std::size_t kMaxFileSize = 32768;
inline constexpr std::size_t kEmptyFileSize = 944; // no blocks, no comments
inline constexpr std::uint8_t kFileMarker8 = 0x22;
inline constexpr std::uint8_t kFileMarker9 = 0x33;
inline constexpr std::uint8_t kFileMarker11 = 0x44;

// Why the writer refused a configuration; nothing is built then.
enum class FileWriteError {
    None,
    TelNumTooLong,    // TxTlfNum over 15 characters
    SerialTooLong,    // TxSerialNum over 15 characters
    CommentLineBreak, // a comment line holding CR or LF
    TooLarge,         // the file would pass 32768 bytes
};

// Russian text of a refusal, in UTF-8.
std::string FileWriteErrorText(FileWriteError error);

// Builds the file image of the configuration into `file` (replacing its content) and
// stores the block count in cfg.ExtBlocksCount. On a refusal `file` is left empty.
FileWriteError wrfile(Configuration& cfg, std::vector<std::uint8_t>& file);

// StatusNone when `file` is a configuration file the reader can decode whole,
// StatusNotConfig otherwise: wrong length or markers, a block count outside 0..15, a
// comment area that does not fit or does not end in CR LF.
StatusCode CheckFileImage(std::span<const std::uint8_t> file);

// Checks and decodes a file image over the record. On StatusNotConfig the record is
// untouched.
StatusCode refile(Configuration& cfg, std::span<const std::uint8_t> file);

// Reads the regular file at `path` (opened for reading and writing, so a read-only
// file is refused) and decodes it with refile: StatusNone, StatusCannotOpen or
// StatusNotConfig. The record is untouched unless the result is StatusNone. On
// StatusCannotOpen `reason` (when given) gets the system's text and ours.
StatusCode openf(Configuration& cfg, const std::filesystem::path& path,
                 std::string* reason = nullptr);

} // namespace tk
