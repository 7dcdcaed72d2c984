// What the settings panels share: the configuration record and the editing state
// beside it, the re-entrancy flag FillGuard, the change mark, the telephone number
// passed to and from the telephone dialog, and a few services of the window.
//
// Panels talk only to this context; the main window knows panels only through the
// panel stack and the tree's dispatch table.
#pragma once

#include "files/prompts.h"
#include "model/configuration.h"

#include <QString>

#include <functional>
#include <utility>

namespace tk {

class PanelContext {
public:
    struct Services {
        std::function<void(bool)> updt1;       // sets or clears the change mark
        std::function<void()> unvispan;        // hides every settings panel and sub-panel
        std::function<bool()> telephoneDialog; // runs the telephone dialog; true on OK
    };

    PanelContext(Configuration& cfg, EditorState& editor, Prompts& prompts, Services services)
        : cfg_(cfg), editor_(editor), prompts_(prompts), services_(std::move(services)) {}

    Configuration& record() const { return cfg_; }
    EditorState& editor() const { return editor_; }
    Prompts& prompts() const { return prompts_; }

    bool fillGuard() const { return fillGuard_; }

    // Marks the configuration changed (true) or unchanged (false).
    void updt1(bool changed) const;
    void unvispan() const;
    // Shows the telephone dialog over TelDialogText; true when it was closed with OK.
    bool runTelephoneDialog() const;

    // The number the telephone dialog receives and returns.
    QString TelDialogText = QStringLiteral("44");

private:
    friend class FillGuard;

    Configuration& cfg_;
    EditorState& editor_;
    Prompts& prompts_;
    Services services_;
    bool fillGuard_ = false;
};

// Holds FillGuard for its own lifetime when it was clear on construction:
//
//     FillGuard guard(ctx);
//     if (!guard) return;     // someone else holds it: do nothing
//
// so no return path can leave the flag set by mistake.
class FillGuard {
public:
    explicit FillGuard(PanelContext& ctx) : ctx_(ctx), owns_(!ctx.fillGuard_) {
        ctx_.fillGuard_ = true;
    }
    ~FillGuard() {
        if (owns_) {
            ctx_.fillGuard_ = false;
        }
    }
    FillGuard(const FillGuard&) = delete;
    FillGuard& operator=(const FillGuard&) = delete;

    // True when this guard took the flag.
    explicit operator bool() const { return owns_; }

private:
    PanelContext& ctx_;
    bool owns_;
};

} // namespace tk
