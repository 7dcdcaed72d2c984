#include "files/format.h"

#include "files/fileio.h"
#include "image/image.h"
#include "model/packing.h"

#include <algorithm>

namespace tk {
namespace {

constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;

void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

std::uint32_t getLe32(std::span<const std::uint8_t> b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
    }
    return v;
}

// The layout of a file image as the reader derives it from the header.
struct FileLayout {
    int blocks = 0;
    std::size_t imageSize = 0;
    std::size_t commentAt = 0;
    std::size_t commentSize = 0;
};

// Derives the layout; false when the file is no configuration file or its parts do
// not fit the bytes it has.
bool deriveLayout(std::span<const std::uint8_t> file, FileLayout& layout) {
    if (file.size() < kEmptyFileSize || file.size() > kMaxFileSize) {
        return false;
    }
    const std::uint32_t total = getLe32(file, 0);
    const std::uint32_t comment = getLe32(file, 4);
    if (total != file.size() || file[8] != kFileMarker8 || file[9] != kFileMarker9 ||
        file[11] != kFileMarker11) {
        return false;
    }
    if (comment > total - kEmptyFileSize) {
        return false;
    }
    // The writer makes total = 48 + 896 + 384·k + C; the reader takes k back as
    // (total - 32 - C - 896) div 384, which is k for every file the writer makes.
    const std::size_t blocks =
        (total - comment - kFileTrailerSize - kBaseImageSize) / kExtBlockSize;
    if (blocks > static_cast<std::size_t>(kMaxExtBlocks)) {
        return false;
    }
    layout.blocks = static_cast<int>(blocks);
    layout.imageSize = ImageSize(layout.blocks);
    layout.commentAt = kFileHeaderSize + layout.imageSize + kFileTrailerSize;
    layout.commentSize = comment;
    return layout.commentAt + layout.commentSize <= file.size();
}

// Splits the comment area into lines: each line runs up to a CR, and the CR and the
// byte after it end it. False when a line has no CR, or its CR is the area's last
// byte.
bool splitComments(std::span<const std::uint8_t> area, std::vector<Text>* lines) {
    std::size_t pos = 0;
    while (pos < area.size()) {
        const auto cr = std::find(area.begin() + static_cast<std::ptrdiff_t>(pos), area.end(), kCR);
        const auto crAt = static_cast<std::size_t>(cr - area.begin());
        if (cr == area.end() || crAt + 1 >= area.size()) {
            return false;
        }
        if (lines != nullptr) {
            lines->emplace_back(area.begin() + static_cast<std::ptrdiff_t>(pos), cr);
        }
        pos = crAt + 2;
    }
    return true;
}

} // namespace

std::string FileWriteErrorText(FileWriteError error) {
    switch (error) {
    case FileWriteError::None:
        return {};
    case FileWriteError::TelNumTooLong:
        return "Номер телефона передатчика длиннее 15 символов";
    case FileWriteError::SerialTooLong:
        return "Серийный номер передатчика длиннее 15 символов";
    case FileWriteError::CommentLineBreak:
        return "Строка комментария содержит перевод строки";
    case FileWriteError::TooLarge:
        return "Комментарий слишком длинный: файл превысил бы 32768 байт";
    }
    return {};
}

FileWriteError wrfile(Configuration& cfg, std::vector<std::uint8_t>& file) {
    file.clear();
    if (cfg.TxTlfNum.size() > kFileTextMax) {
        return FileWriteError::TelNumTooLong;
    }
    if (cfg.TxSerialNum.size() > kFileTextMax) {
        return FileWriteError::SerialTooLong;
    }
    std::size_t commentSize = 0;
    for (const Text& line : cfg.Comments) {
        if (line.find_first_of("\r\n") != Text::npos) {
            return FileWriteError::CommentLineBreak;
        }
        commentSize += line.size() + 2;
    }
    const int blocks = GetExtBlocksCount(cfg);
    const std::size_t imageSize = ImageSize(blocks);
    const std::size_t total = kFileHeaderSize + imageSize + kFileTrailerSize + commentSize;
    if (total > kMaxFileSize) {
        return FileWriteError::TooLarge;
    }

    // The encoder clears 2048 bytes behind the header, so the work area is never
    // smaller than that.
    file.assign(std::max(total, kFileHeaderSize + kEncodeClearSize), 0);
    file[8] = kFileMarker8;
    file[9] = kFileMarker9;
    file[11] = kFileMarker11;
    const auto image = std::span(file).subspan(kFileHeaderSize);
    std::size_t length = wrdump(cfg, image);
    cfg.ExtBlocksCount = blocks;
    for (int k = 1; k <= blocks; ++k) {
        wrdumpExtBlock(cfg, image, length, k);
    }
    strtobuf(image.subspan(length, kFileTextSize), cfg.TxTlfNum);
    strtobuf(image.subspan(length + kFileTextSize, kFileTextSize), cfg.TxSerialNum);
    auto out =
        file.begin() + static_cast<std::ptrdiff_t>(kFileHeaderSize + length + kFileTrailerSize);
    for (const Text& line : cfg.Comments) {
        out = std::copy(line.begin(), line.end(), out);
        *out++ = kCR;
        *out++ = kLF;
    }
    file.resize(total);
    putLe32(file, 0, static_cast<std::uint32_t>(total));
    putLe32(file, 4, static_cast<std::uint32_t>(commentSize));
    return FileWriteError::None;
}

StatusCode CheckFileImage(std::span<const std::uint8_t> file) {
    FileLayout layout;
    if (!deriveLayout(file, layout) ||
        !splitComments(file.subspan(layout.commentAt, layout.commentSize), nullptr)) {
        return StatusNotConfig;
    }
    return StatusNone;
}

StatusCode refile(Configuration& cfg, std::span<const std::uint8_t> file) {
    FileLayout layout;
    std::vector<Text> comments;
    if (!deriveLayout(file, layout) ||
        !splitComments(file.subspan(layout.commentAt, layout.commentSize), &comments)) {
        return StatusNotConfig;
    }
    const auto image = file.subspan(kFileHeaderSize, layout.imageSize);
    std::size_t length = redump(cfg, image);
    cfg.ExtBlocksCount = layout.blocks;
    for (int k = 1; k <= layout.blocks; ++k) {
        redumpExtBlock(cfg, image, length, k);
    }
    const auto trailer = file.subspan(kFileHeaderSize + length, kFileTrailerSize);
    cfg.TxTlfNum = buftostr(trailer.first(kFileTextSize));
    cfg.TxSerialNum = buftostr(trailer.subspan(kFileTextSize));
    cfg.Comments = std::move(comments);
    return StatusNone;
}

StatusCode openf(Configuration& cfg, const std::filesystem::path& path, std::string* reason) {
    // Opened for reading and writing, as the transmitter's own tools do, so that a
    // read-only or locked file is refused before anything is read. One byte more than
    // the largest file is read, so that a longer file is seen as such.
    ReadResult read = readFile(path, kMaxFileSize + 1, true);
    if (!read.ok()) {
        if (reason != nullptr) {
            *reason = read.reason;
        }
        return StatusCannotOpen;
    }
    return refile(cfg, read.bytes);
}

} // namespace tk
