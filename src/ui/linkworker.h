// The link thread's worker of the window's link (LinkController): it owns the serial
// line and the clock there.
#pragma once

#include "link/clock.h"
#include "link/qserialline.h"
#include "link/serialline.h"

#include <QObject>

#include <memory>

namespace tk {

// Lives on the link thread and owns the serial line there: the line is made, used and
// destroyed on that thread only.
class LinkWorker : public QObject {
public:
    LinkWorker() : clock_(std::make_unique<link::SystemClock>()) {}

    link::SerialLine& line() {
        if (!line_) {
            line_ = std::make_unique<link::QSerialLine>();
        }
        return *line_;
    }
    link::Clock& clock() { return *clock_; }
    void setClock(std::unique_ptr<link::Clock> clock) { clock_ = std::move(clock); }

    // Closes and destroys the line; called on the link thread before it ends.
    void release() { line_.reset(); }

private:
    std::unique_ptr<link::SerialLine> line_;
    std::unique_ptr<link::Clock> clock_;
};

} // namespace tk
