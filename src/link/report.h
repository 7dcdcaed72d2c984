// How a session tells its caller what it is doing. Every callback is called on the
// session's thread; the window forwards them to its own thread as queued calls, in
// the order they happened.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tk::link {

struct Reporter {
    // The part of the running wait's time-out that has passed, 0..100 (progrbar).
    std::function<void(int percent)> progress;
    // The words for status panel 1: "Connecting", "Reading03", "Error 3", ...
    std::function<void(const std::string& words)> status;
    // (The two below are initialised, so a reporter listing only the two above is
    // complete.)
    // The session begins step `done` (from 0) of `total`: a block of a read or write
    // (of all its blocks), a probe of the connect (of the ten), a command of the
    // modem's preparation or hang-up. The progress reported after it is the share of
    // that step's answer. A total of 0 is a stage whose size is not known yet (the
    // block count has not come): nothing is done of it.
    std::function<void(int done, int total)> step = {};
    // Every block of a read has arrived: the first 128 bytes of each answer (at least
    // the base image) and the block count. The remote read says so before it hangs
    // up, so that the caller may show what was read during the hang-up.
    std::function<void(const std::vector<std::uint8_t>& image, int blocks)> received = {};

    void reportProgress(int percent) const {
        if (progress) {
            progress(percent);
        }
    }
    void reportStatus(const std::string& words) const {
        if (status) {
            status(words);
        }
    }
    void reportStep(int done, int total) const {
        if (step) {
            step(done, total);
        }
    }
    void reportReceived(const std::vector<std::uint8_t>& image, int blocks) const {
        if (received) {
            received(image, blocks);
        }
    }
};

// The share of a whole stage that a step and its answer's share come to, 0..100:
// `done` steps of `total` complete, and `percent` of the next one.
inline int StageProgress(int done, int total, int percent) {
    if (total <= 0) {
        return 0;
    }
    const int value = (done * 100 + percent) / total;
    return value < 0 ? 0 : (value > 100 ? 100 : value);
}

} // namespace tk::link
