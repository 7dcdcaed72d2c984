// The editor: the one owner of the configuration being edited. It holds the record,
// the editing state beside it, the document (file state and file commands) and the
// link settings, and it is the one door through which a record changes:
//
//     editor.edit({QStringLiteral("Задержка на вход"), {View::ArmDisarm}},
//                 [&](Configuration& cfg) { cfg.TimeOfInp = 30; return true; });
//
// Every accepted edit becomes a step on the undo stack (the record before and after
// it, and the object number's pending flag), named for the "Правка" menu and bound to
// the view it was made in, so that Undo and Redo show that view again. Consecutive
// edits with the same merge key (typing into one edit) are one step. New, Open and
// every read replace the record and start a new history; Save marks the saved step.
//
// Everything the window shows of the record follows the editor's signals: the change
// mark and the file name (fileStateChanged, changed), a record replaced as a whole
// (recordReplaced), a step undone or redone (stepShown), the port and its pause
// (linkSettingsChanged).
#pragma once

#include "files/document.h"
#include "model/configuration.h"
#include "ui/navigation.h"
#include "ui/portsettings.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tk {

class Prompts;

// What the panels show beside the record and keep between fills: never stored,
// never undone.
struct PanelState {
    int TelInput = 5; // the input whose report telephones the input grids show
    int HintCol = 0;  // the grid cell under the mouse, whose hint is shown
    int HintRow = 0;
};

class Editor : public QObject {
    Q_OBJECT
public:
    // A named change of the record: `name` is what the undo menu says ("Отменить: "
    // + name), `view` the view the change was made in. Consecutive edits with the
    // same `mergeKey` (not 0) merge into one step.
    struct Edit {
        QString name;
        View view;
        int mergeKey = 0;
    };

    // `namesFolder` is where the document puts generated names.
    Editor(Prompts& prompts, const QString& namesFolder, QObject* parent = nullptr);
    ~Editor() override;

    // The door. `change` runs on the record; false from it means nothing changed: no
    // step, the change mark untouched. Returns whether the change was taken (a change
    // that leaves every field as it was sets the mark but makes no step).
    bool edit(const Edit& e, const std::function<bool(Configuration&)>& change);

    const Configuration& record() const { return cfg_; }
    // Direct access for what is no user's edit: a fill that makes the record take
    // what a panel shows (the comment lines) and test set-ups.
    Configuration& recordInPlace() { return cfg_; }
    EditorState& state() { return state_; }
    const EditorState& state() const { return state_; }
    PanelState& panelState() { return panelState_; }
    Document& document() { return doc_; }
    const Document& document() const { return doc_; }
    QUndoStack& undoStack() { return undo_; }

    // Sets the change mark without a step: a key accepted before its text arrives.
    void markChanged();

    // The file commands: each replaces the record (or saves it) through the document
    // and keeps the history true: New and Open start a new one, a save marks the
    // saved step.
    bool New();
    bool Open();
    bool Open(const QString& path);
    bool Save();
    bool Saveas();
    // A read from the transmitter has come: New (its question was asked when the
    // read began), then the record read.
    void takeRead(const Configuration& read);

    // Edits a panel finishes only when the focus leaves it register here; runs once
    // before every command of the window (finishEdits), so that no command sees a
    // half-finished edit, and ends the typing step: the next key is a new step. A
    // finisher lives as long as its owner: once the owner's destruction has begun it
    // is skipped.
    void addEditFinisher(const QObject* owner, std::function<void()> finisher);
    void finishEdits();

    // Undo and Redo of the step before or after the current one.
    void undo();
    void redo();

    // The link settings.
    const PortSettings& linkSettings() const { return link_; }
    const QString& PortName() const { return link_.PortName; }
    std::uint32_t TxPause() const { return link_.TxPause; }
    bool QuickExchange() const { return link_.Quick; }
    void setLinkSettings(const PortSettings& settings);

signals:
    // The change mark was set or cleared (emitted when it flips).
    void changed(bool changed);
    // The record was replaced as a whole (New, Open, a read): the general view shows.
    void recordReplaced();
    // The change mark or the file name changed: caption and status bar.
    void fileStateChanged();
    // Undo or Redo put a step's record back: its view shows and is filled.
    void stepShown(const View& view);
    void linkSettingsChanged();

private:
    class Step;
    // The record and state after a step (undone: before it) are put back.
    void restore(const Configuration& cfg, std::int32_t objNumChanged, const View& view);
    void startHistory();
    // Undo or Redo on the stack, the change mark after it.
    void step(void (QUndoStack::*move)());
    // After Open: a file read replaces the record and starts a new history.
    bool opened(bool ok);
    void showMark(bool changed);

    Configuration cfg_;
    EditorState state_;
    PanelState panelState_;
    Document doc_;
    QUndoStack undo_;
    PortSettings link_;
    // Raised by finishEdits and by Undo/Redo: a step made before it takes no merge.
    int generation_ = 0;
    bool replacing_ = false; // a read passes through New: one recordReplaced
    bool markShown_ = false; // the change mark last told (changed)
    struct Finisher {
        std::shared_ptr<bool> live; // false once the owner's destruction has begun
        std::function<void()> finish;
    };
    std::vector<Finisher> finishers_;
};

} // namespace tk
