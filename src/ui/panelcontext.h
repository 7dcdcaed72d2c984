// What the settings panels share: the configuration record and the editing state
// beside it, the re-entrancy flag FillGuard, the change mark, the telephone number
// passed to and from the telephone dialog, and a few services of the window.
//
// Panels talk only to this context; the main window knows panels only through the
// panel stack and the tree's dispatch table.
#pragma once

#include "files/prompts.h"
#include "model/configuration.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tk {

class PanelContext {
public:
    struct Services {
        std::function<void(bool)> updt1;       // sets or clears the change mark
        std::function<void()> unvispan;        // hides every settings panel and sub-panel
        std::function<bool()> telephoneDialog; // runs the telephone dialog; true on OK
        // Fills the selected tree node's view again (the window's tv1click).
        std::function<void()> refreshView;
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

    // Fills the current view again from the record, as a click on the selected node
    // does. Call it with FillGuard clear (after the handler's guard is gone).
    void refreshView() const;

    // Edits that a panel completes only when the focus leaves it (the object number's
    // SMS texts) register a finisher here. The window runs finishEdits() before the
    // record is saved, written to the transmitter, replaced or another view is shown,
    // so no command ever sees a half-finished edit. A finisher lives as long as its
    // owner: once the owner is gone (the window's teardown) it is skipped.
    void addEditFinisher(const QObject* owner, std::function<void()> finisher);
    void finishEdits() const;

    // The record was replaced as a whole (New, Open, a read): editing state that
    // belongs to the old record is dropped (ObjNumChanged).
    void recordReplaced() const;

    // The number the telephone dialog receives and returns.
    QString TelDialogText = QStringLiteral("44");

private:
    friend class FillGuard;

    Configuration& cfg_;
    EditorState& editor_;
    Prompts& prompts_;
    Services services_;
    struct Finisher {
        std::shared_ptr<bool> live; // false once the owner's destruction has begun
        std::function<void()> finish;
    };
    std::vector<Finisher> finishers_;
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
