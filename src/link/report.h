// How a session tells its caller what it is doing. Both callbacks are called on the
// session's thread; the window forwards them to its own thread as queued signals.
#pragma once

#include <functional>
#include <string>

namespace tk::link {

struct Reporter {
    // The part of the running wait's time-out that has passed, 0..100 (progrbar).
    std::function<void(int percent)> progress;
    // The words for status panel 1: "Connecting", "Reading03", "Error 3", ...
    std::function<void(const std::string& words)> status;

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
};

} // namespace tk::link
