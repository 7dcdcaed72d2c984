// What the settings panels share: the editor (the record, the editing state beside
// it and the one door through which the record changes), the re-entrancy flag
// FillGuard, the prompts, and the telephone dialog with the number it receives and
// returns.
//
// Panels talk only to this context; the main window knows panels only through the
// panel stack and the tree's dispatch table.
#pragma once

#include "files/prompts.h"
#include "model/configuration.h"
#include "ui/editor.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace tk {

class PanelStack;
class TelephoneDialog;

class PanelContext {
public:
    PanelContext(Editor& editor, Prompts& prompts) : editor_(editor), prompts_(prompts) {}

    // The editor: record changes go through Editor::edit (SettingsPanel::write).
    Editor& owner() const { return editor_; }
    // The record in place, for what is no user's edit (tests set a record up here).
    Configuration& record() const { return editor_.recordInPlace(); }
    EditorState& editor() const { return editor_.state(); }
    PanelState& panelState() const { return editor_.panelState(); }
    Prompts& prompts() const { return prompts_; }

    bool fillGuard() const { return fillGuard_; }

    // Sets or clears the change mark without a step.
    void updt1(bool changed) const { editor_.document().updt1(changed); }

    // The panels shown by `stack`, and the telephone dialog the telephone list opens.
    void attach(PanelStack* stack) { stack_ = stack; }
    void attach(TelephoneDialog* dialog) { telephone_ = dialog; }

    // Hides every settings panel and sub-panel.
    void unvispan() const;
    // Shows the telephone dialog over TelDialogText; true when it was closed with OK,
    // and TelDialogText then holds the number typed.
    bool runTelephoneDialog();

    // Edit finishers (Editor::addEditFinisher), run before every command.
    void addEditFinisher(const QObject* owner, std::function<void()> finisher) const {
        editor_.addEditFinisher(owner, std::move(finisher));
    }
    void finishEdits() const { editor_.finishEdits(); }

    // The number the telephone dialog receives and returns.
    QString TelDialogText = QStringLiteral("44");

private:
    friend class FillGuard;

    Editor& editor_;
    Prompts& prompts_;
    PanelStack* stack_ = nullptr;
    TelephoneDialog* telephone_ = nullptr;
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
