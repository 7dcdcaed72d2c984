// A scripted serial line on a virtual clock: the far end answers each expected command
// with a reply whose bytes arrive at given virtual times. Nothing waits for real time,
// so time-outs, silence framing and pacing are counted exactly.
#pragma once

#include "link/clock.h"
#include "link/report.h"
#include "link/serialline.h"
#include "link/session.h"
#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tk::test {

class VirtualClock final : public link::Clock {
public:
    std::int64_t nowMs() override { return us / 1000; }
    void sleep(std::chrono::microseconds d) override {
        if (d.count() > 0) {
            us += d.count();
            ring();
        }
    }
    // Runs onAlarm once, when the time has reached alarmAtUs.
    void ring() {
        if (alarmAtUs && *alarmAtUs <= us) {
            alarmAtUs.reset();
            onAlarm();
        }
    }
    std::int64_t us = 1'000'000; // not zero, so nothing relies on a zero start
    // Something that happens at a moment of its own (Ctrl+C 3 s into a dial), during a
    // pause or a wait on the line.
    std::optional<std::int64_t> alarmAtUs;
    std::function<void()> onAlarm;
};

// One exchange the far end expects: when the bytes written since the last purge are
// exactly `expect`, the reply is sent (or nothing, for a silent step).
struct Step {
    Bytes expect;
    std::optional<Bytes> reply;
    std::int64_t delayUs = 2000;   // from the command's last byte to the reply's first
    std::int64_t perByteUs = 1042; // 9600 baud
    std::function<void()> onMatch; // runs when the command is complete
};

class FakeLine final : public link::SerialLine {
public:
    explicit FakeLine(VirtualClock& clock) : clock_(clock) {}

    // Adds an expected command and its reply.
    FakeLine& expect(const std::string& cmd, std::optional<std::string> reply) {
        Step s;
        s.expect = bytes(cmd);
        if (reply) {
            s.reply = bytes(*reply);
        }
        steps.push_back(std::move(s));
        return *this;
    }
    FakeLine& expect(Step s) {
        steps.push_back(std::move(s));
        return *this;
    }

    bool open(const std::string& name) override {
        opened.push_back(name);
        failure_ = refuseOpen ? refusal.failure
                   : open_    ? link::OpenFailure::HeldHere
                              : link::OpenFailure::None;
        if (refuseOpen || open_) {
            return false;
        }
        open_ = true;
        return true;
    }
    link::OpenFailure openFailure() const override { return failure_; }
    bool configure(const link::LineSettings& s) override {
        settings = s;
        return !refuseSettings;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void purge() override {
        ++purges;
        sincePurge.clear();
        // Whatever has arrived by now is discarded; bytes still on their way are not.
        std::erase_if(pending, [&](const auto& p) { return p.first <= clock_.us; });
    }
    bool writeByte(std::uint8_t b, int) override {
        if (!open_) {
            return false;
        }
        written.push_back(b);
        writeTimesUs.push_back(clock_.us);
        sincePurge.push_back(b);
        if (!steps.empty() && sincePurge == steps.front().expect) {
            Step s = std::move(steps.front());
            steps.pop_front();
            sincePurge.clear();
            ++matched;
            if (s.reply) {
                std::int64_t t = clock_.us + s.delayUs;
                for (std::uint8_t r : *s.reply) {
                    pending.emplace_back(t, r);
                    t += s.perByteUs;
                }
                std::stable_sort(pending.begin(), pending.end(),
                                 [](const auto& p, const auto& q) { return p.first < q.first; });
            }
            if (s.onMatch) {
                s.onMatch();
            }
        }
        return true;
    }
    link::LineRead read(std::span<std::uint8_t> dest, int waitMs) override {
        ++reads;
        link::LineRead r;
        if (!open_) {
            r.failed = true;
            return r;
        }
        const std::int64_t deadline = clock_.us + std::int64_t{waitMs} * 1000;
        std::int64_t next = deadline;
        if (!pending.empty()) {
            next = std::min(next, std::max(pending.front().first, clock_.us));
        }
        if (clock_.alarmAtUs && *clock_.alarmAtUs <= next) {
            // The wait is woken at the alarm with nothing received.
            clock_.us = std::max(clock_.us, *clock_.alarmAtUs);
            clock_.ring();
            return r;
        }
        if (failAtUs && *failAtUs <= next) {
            clock_.us = std::max(clock_.us, *failAtUs);
            open_ = false;
            r.failed = true;
            return r;
        }
        clock_.us = next;
        while (!pending.empty() && pending.front().first <= clock_.us && r.count < dest.size()) {
            dest[r.count++] = pending.front().second;
            pending.pop_front();
        }
        return r;
    }
    std::string error() const override {
        return failure_ == link::OpenFailure::None ? std::string() : refusal.reason;
    }

    std::deque<Step> steps;
    std::deque<std::pair<std::int64_t, std::uint8_t>> pending;
    Bytes written;
    std::vector<std::int64_t> writeTimesUs;
    Bytes sincePurge;
    std::vector<std::string> opened;
    link::LineSettings settings;
    std::optional<std::int64_t> failAtUs; // the line vanishes at this virtual time
    // What a refused open (refuseOpen) reports.
    link::PortRefusal refusal{link::OpenFailure::InUse, "Device or resource busy"};
    bool refuseOpen = false;
    bool refuseSettings = false;
    int purges = 0;
    int reads = 0;
    int matched = 0;

private:
    VirtualClock& clock_;
    bool open_ = false;
    link::OpenFailure failure_ = link::OpenFailure::None;
};

// A session's ground: the scripted line on its clock, the link parameters, the status
// words the reporter heard, and the cancel flag.
struct ScriptedLink {
    VirtualClock clock;
    FakeLine line{clock};
    std::vector<std::string> words;
    link::LinkParams params{"/dev/ttyUSB0", 10};
    link::Reporter reporter{{}, [this](const std::string& w) { words.push_back(w); }};
    std::atomic<bool> cancel{false};
};

} // namespace tk::test
