#include "sim/transmitter.h"

#include <cstdio>

namespace tk::sim {
namespace {

constexpr std::size_t kBlock = 128;
constexpr std::size_t kBlockWithSum = kBlock + 2;
constexpr int kBaseBlocks = 7;
constexpr int kMaxBlocks = 7 + 3 * 15;
constexpr std::size_t kMaxCommand = 64;
constexpr std::size_t kLongReply = 532; // more than the 500 bytes a reply may have

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string hex2(int value) {
    char s[3];
    std::snprintf(s, sizeof s, "%02X", value & 0xFF);
    return s;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The two hexadecimal digits after `keyword` at the end of a command ("read0A"), or -1.
int numberAfter(const std::string& cmd, const std::string& keyword) {
    if (cmd.size() != keyword.size() + 2) {
        return -1;
    }
    const int hi = hexValue(cmd[keyword.size()]);
    const int lo = hexValue(cmd[keyword.size() + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

void add(Answer& to, Answer&& more) {
    for (Bytes& r : more.replies) {
        to.replies.push_back(std::move(r));
    }
    to.hangUp = to.hangUp || more.hangUp;
}

} // namespace

std::optional<Fault> FaultByName(const std::string& name) {
    static const std::pair<const char*, Fault> names[] = {
        {"none", Fault::None},
        {"no-answer", Fault::NoAnswer},
        {"drop-reply", Fault::DropReply},
        {"bad-tail", Fault::BadTail},
        {"wrong-count", Fault::WrongCount},
        {"count-00", Fault::CountZero},
        {"refuse-sum", Fault::RefuseSum},
        {"hang-up", Fault::HangUp},
        {"long-reply", Fault::LongReply},
        {"split", Fault::Split},
    };
    for (const auto& [n, f] : names) {
        if (name == n) {
            return f;
        }
    }
    return std::nullopt;
}

const char* FaultNames() {
    return "no-answer, drop-reply, bad-tail, wrong-count, count-00, refuse-sum, hang-up, "
           "long-reply, split";
}

Transmitter::Transmitter(Bytes image, Fault fault, int faultBlock)
    : image_(std::move(image)), fault_(fault), faultBlock_(faultBlock) {}

void Transmitter::note(const std::string& line) const {
    if (log) {
        log(line);
    }
}

Answer Transmitter::receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
    Answer answer;
    if (bytes.empty()) {
        return answer;
    }
    // A command or block that stopped half-way is forgotten.
    if (nowMs - lastByteMs_ > kCommandSilenceMs) {
        pending_.clear();
        blockToReceive_ = -1;
    }
    lastByteMs_ = nowMs;
    if (fault_ == Fault::NoAnswer) {
        return answer;
    }
    for (const std::uint8_t b : bytes) {
        pending_.push_back(b);
        if (blockToReceive_ >= 0) {
            if (pending_.size() == kBlockWithSum) {
                add(answer, block());
                pending_.clear();
                blockToReceive_ = -1;
            }
        } else if (b == '\r') {
            pending_.pop_back();
            add(answer, command(std::string(pending_.begin(), pending_.end())));
            pending_.clear();
        } else if (pending_.size() > kMaxCommand) {
            pending_.erase(pending_.begin());
        }
        if (answer.hangUp) {
            break;
        }
    }
    return answer;
}

Answer Transmitter::command(const std::string& raw) {
    // Noise before a command (a stray line end) does not count.
    std::string cmd = raw;
    const std::size_t start = cmd.find_first_not_of("\r\n");
    cmd = start == std::string::npos ? std::string() : cmd.substr(start);
    const int blocks = static_cast<int>(image_.size() / kBlock);
    const bool faultHere = !faultUsed_;
    Answer a;

    if (cmd == "M") {
        note("probe");
        a.replies.push_back(text("MOK\r\n"));
    } else if (cmd == "rdump") {
        std::string count = hex2(blocks);
        if (fault_ == Fault::WrongCount) {
            count = count.substr(0, 1) + "G";
        } else if (fault_ == Fault::CountZero) {
            count = "00";
        }
        note("rdump: " + count);
        a.replies.push_back(text(count));
    } else if (const int i = numberAfter(cmd, "read"); cmd.rfind("read", 0) == 0) {
        if (i < 0 || i >= blocks) {
            note(cmd + ": no such block");
            a.replies.push_back(text("ER\r\n"));
            return a;
        }
        Bytes reply(image_.begin() + static_cast<std::ptrdiff_t>(kBlock * i),
                    image_.begin() + static_cast<std::ptrdiff_t>(kBlock * (i + 1)));
        std::string tail = "OK\r\n";
        if (i == faultBlock_ && faultHere) {
            switch (fault_) {
            case Fault::DropReply:
                faultUsed_ = true;
                note(cmd + ": answer dropped");
                return a;
            case Fault::HangUp:
                faultUsed_ = true;
                note(cmd + ": line closed");
                a.hangUp = true;
                return a;
            case Fault::BadTail:
                faultUsed_ = true;
                tail = "ER\r\n";
                break;
            case Fault::LongReply:
                faultUsed_ = true;
                reply.resize(kLongReply - 4, ' ');
                break;
            default:
                break;
            }
        }
        note(cmd);
        reply.insert(reply.end(), tail.begin(), tail.end());
        a.replies.push_back(std::move(reply));
    } else if (const int n = numberAfter(cmd, "pdum"); cmd.rfind("pdum", 0) == 0) {
        if (n < 1 || n > kMaxBlocks) {
            note(cmd + ": refused");
            a.replies.push_back(text("ER\r\n"));
            return a;
        }
        announced_ = n;
        received_ = 0;
        staged_ = image_;
        // A whole configuration (the base image and more) replaces the old one; fewer
        // blocks replace only their own bytes.
        if (n >= kBaseBlocks) {
            staged_.resize(kBlock * static_cast<std::size_t>(n), 0);
        }
        note(cmd + ": " + std::to_string(n) + " blocks to come");
        a.replies.push_back(text("OK\r\n"));
    } else if (const int p = numberAfter(cmd, "prog"); cmd.rfind("prog", 0) == 0 && p >= 0) {
        if (p == faultBlock_ && faultHere && fault_ == Fault::HangUp) {
            faultUsed_ = true;
            note(cmd + ": line closed");
            a.hangUp = true;
            return a;
        }
        blockToReceive_ = p;
        // The answer to "prog" is never looked at; the transmitter sends none.
    } else {
        note("unknown command \"" + cmd + "\"");
        a.replies.push_back(text("ER\r\n"));
    }
    return a;
}

Answer Transmitter::block() {
    Answer a;
    const int i = blockToReceive_;
    unsigned sum = 0;
    for (std::size_t k = 0; k < kBlock; ++k) {
        sum += pending_[k];
    }
    const unsigned given = pending_[kBlock] * 256u + pending_[kBlock + 1];
    const std::string name = "block " + hex2(i);
    if (i == faultBlock_ && !faultUsed_) {
        if (fault_ == Fault::RefuseSum) {
            faultUsed_ = true;
            note(name + ": sum refused");
            a.replies.push_back(text("ER\r\n"));
            return a;
        }
        if (fault_ == Fault::DropReply) {
            faultUsed_ = true;
            note(name + ": answer dropped");
            return a;
        }
    }
    if ((sum & 0xFFFFu) != given || announced_ == 0 || i >= announced_ ||
        kBlock * static_cast<std::size_t>(i + 1) > staged_.size()) {
        note(name + ": refused (sum or block number wrong)");
        a.replies.push_back(text("ER\r\n"));
        return a;
    }
    std::copy(pending_.begin(), pending_.begin() + kBlock,
              staged_.begin() + static_cast<std::ptrdiff_t>(kBlock * i));
    ++received_;
    note(name + ": stored");
    a.replies.push_back(text("OK\r\n"));
    if (received_ == announced_) {
        image_ = staged_;
        for (const auto& [at, value] : readOnlyBytes) {
            if (at < image_.size()) {
                image_[at] = value;
            }
        }
        const int written = announced_;
        announced_ = 0;
        if (onWritten) {
            onWritten(image_, written);
        }
    }
    return a;
}

} // namespace tk::sim
