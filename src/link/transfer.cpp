#include "link/transfer.h"

#include "image/image.h"
#include "model/packing.h"

#include <algorithm>

namespace tk::link {
namespace {

constexpr int kCountTimeout = 100;    // 10 s: "rdump", "pdum", a block written
constexpr int kBlockReadTimeout = 80; // 8 s
constexpr int kBlockPauseMs = 300;    // before every block command

std::size_t blockOffset(int i) {
    return kTransferBlockSize * static_cast<std::size_t>(i);
}

// A transfer that the cancel flag ended during a pause has every block so far good,
// and is over all the same.
bool ended(bool good, const Exchange& x) {
    return good && !x.Cancelled;
}

} // namespace

std::string Hex2(int value) {
    return {TetraToChar(value, 1), TetraToChar(value, 0)};
}

WriteCheck CheckWritten(std::span<const std::uint8_t> written, std::span<const std::uint8_t> back) {
    WriteCheck check;
    for (std::size_t at = 0; at < written.size(); ++at) {
        if (at == kVersionMajorOffset || at == kVersionMinorOffset) {
            continue;
        }
        if (at >= back.size() || back[at] != written[at]) {
            check.block = static_cast<int>(at / kTransferBlockSize);
            check.offset = at;
            check.text = "проверка: блок " + Hex2(check.block) +
                         " прочитан не таким, каким записан (байт " + std::to_string(at) + ")";
            return check;
        }
    }
    check.ok = true;
    const int blocks = static_cast<int>(written.size() / kTransferBlockSize);
    check.text = "Проверка: записанные блоки 00-" + Hex2(blocks - 1) + " прочитаны без различий.";
    return check;
}

Exchange MakeExchange(SerialLine& line, Clock& clock, const LinkParams& params,
                      const Reporter& reporter) {
    Exchange x(line, clock, reporter);
    x.PortName = params.PortName;
    x.TxPause = params.TxPause;
    x.Quick = params.Quick;
    return x;
}

void Say(SessionResult& result, const Reporter& reporter, std::string words) {
    reporter.reportStatus(words);
    result.status = std::move(words);
}

bool ReadBlocks(Exchange& x, SessionResult& result, const Reporter& reporter) {
    Say(result, reporter, "Reading");
    const int count = x.vvodXX("rdump\r", 0, kCountTimeout);
    bool good = count > 0;
    for (int i = 0; good && i < count; ++i) {
        if (!x.pause(kBlockPauseMs)) {
            break;
        }
        Say(result, reporter, "Reading" + Hex2(i));
        reporter.reportStep(i, count);
        // Block i lands at 128·i. What lies there (the tail of the previous answer, or
        // nothing) is cleared first, so an answer shorter than a block never leaves
        // bytes of another exchange in the image.
        const std::size_t at = blockOffset(i);
        std::fill(x.ReplyArea.begin() + static_cast<std::ptrdiff_t>(at), x.ReplyArea.end(), 0);
        good = x.vvodBlock("read" + Hex2(i) + "\r", at, kBlockReadTimeout);
    }
    if (!ended(good, x)) {
        return false;
    }
    // The first 128 bytes of each answer; the tail of the last one is not image.
    const std::size_t length = blockOffset(count);
    result.image.assign(x.ReplyArea.begin(),
                        x.ReplyArea.begin() + static_cast<std::ptrdiff_t>(length));
    result.image.resize(std::max(length, kBaseImageSize), 0);
    result.blocks = count;
    result.ok = true;
    result.code = x.StatusCode;
    Say(result, reporter, "Read OK. It was readed " + std::to_string(count) + " blocks.");
    return true;
}

bool WriteBlocks(Exchange& x, SessionResult& result, const Reporter& reporter,
                 std::span<const std::uint8_t> image, int count) {
    Say(result, reporter, "Writing");
    bool good = x.vvod("pdum" + Hex2(count) + "\r", 0, kCountTimeout);
    for (int i = 0; good && i < count; ++i) {
        if (!x.pause(kBlockPauseMs)) {
            break;
        }
        Say(result, reporter, "Writing" + Hex2(i));
        reporter.reportStep(i, count);
        x.vvod1("prog" + Hex2(i) + "\r");
        good = x.vvodsum(image.subspan(blockOffset(i), kTransferBlockSize), 0, kCountTimeout);
    }
    if (!ended(good, x)) {
        return false;
    }
    result.ok = true;
    result.code = x.StatusCode;
    result.blocks = count;
    return true;
}

} // namespace tk::link
