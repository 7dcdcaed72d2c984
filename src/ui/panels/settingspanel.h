// The contract every settings panel keeps.
//
// - Build: the constructor creates the panel's controls, each with its given name as
//   objectName, at the given positions relative to the panel.
// - Fill: fill(view) shows one of the panel's views: it takes FillGuard, shows the
//   panel and the sub-panels the view needs, and copies record fields into the
//   controls, through the view's given fill operation (setobsch, setinp, ...). It does
//   nothing while FillGuard is held, and answers false for another panel's view.
// - Handlers: private slots named after the control and the event. Each does nothing
//   while FillGuard is held; otherwise it takes it and writes the record through the
//   editor's one door, as a step named for the "Правка" menu (write()).
//
// The main window knows a panel only through this class and the tree's dispatch
// table; all of them share one rectangle and the panel stack lays them out.
//
// The helpers below make a handler a line or two:
//
//     void OtherPanel::SomeCbClick() {
//         write(u"Параметр X"_s, [&](Configuration& cfg) {
//             return setFlag(cfg.Options, OptX, SomeCb->isChecked());
//         });
//     }
#pragma once

#include "files/recordtext.h"
#include "ui/navigation.h"
#include "ui/panelcontext.h"
#include "ui/widgets/checkededit.h"
#include "ui/widgets/keyfilter.h"
#include "ui/widgets/radiogroup.h"
#include "ui/widgets/updown.h"

#include <QFrame>
#include <QGroupBox>
#include <QList>

#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace tk {

class SettingsPanel : public QFrame {
    Q_OBJECT
public:
    SettingsPanel(PanelContext& ctx, const QString& name, QWidget* parent);
    ~SettingsPanel() override;

    // Shows `view` when it is one of this panel's views (see the contract above);
    // false for another panel's.
    virtual bool fill(const View& view) = 0;
    // The view shown last: the one the panel's edits are made in.
    const View& shownView() const { return shown_; }

    // The sub-panels unvispan hides with the panel.
    const QList<QWidget*>& subPanels() const { return subPanels_; }
    // Hides the panel and its sub-panels.
    void hideWithSubPanels();

    // A control's font: character height in pixels and weight, over the panel's face.
    struct Font {
        int pixels = 11;
        bool bold = false;
    };

protected:
    PanelContext& context() const { return ctx_; }
    const Configuration& record() const { return ctx_.owner().record(); }
    EditorState& editor() const { return ctx_.editor(); }
    // A fill records the view it shows (fill operations call it).
    void setShownView(const View& view) { shown_ = view; }

    // --- Guarded writes -------------------------------------------------------------
    // The handler pattern: nothing while FillGuard is held; otherwise take it and run
    // `change` on the record through the editor's door, as the step `name` of the
    // view shown (the configuration is marked changed). When `change` returns bool,
    // false means "nothing changed": no step, the mark alone. With `typedInto`, the
    // control being typed into, consecutive changes from it are one step. Returns
    // whether the change ran.
    template <class Change> bool write(const QString& name, Change&& change) {
        return write(name, nullptr, std::forward<Change>(change));
    }
    template <class Change> bool write(const QString& name, QObject* typedInto, Change&& change) {
        FillGuard guard(ctx_);
        if (!guard) {
            return false;
        }
        ctx_.owner().edit({name, shown_, typingKey(typedInto)}, [&](Configuration& cfg) {
            if constexpr (std::is_same_v<std::invoke_result_t<Change, Configuration&>, bool>) {
                return change(cfg);
            } else {
                change(cfg);
                return true;
            }
        });
        return true;
    }
    // The merge key of typing into `control` (0 for none): the same for one control
    // as long as the program runs.
    static int typingKey(QObject* control);
    // Runs `update` under FillGuard (nothing while it is held): widget updates that
    // must not reach the handlers. Returns whether it ran.
    template <class Update> bool guarded(Update&& update) {
        FillGuard guard(ctx_);
        if (!guard) {
            return false;
        }
        update();
        return true;
    }
    // Sets or clears `bit` in `flags`; true when that changed the value.
    static bool setFlag(std::int32_t& flags, std::int32_t bit, bool on);

    // --- Control factories ------------------------------------------------------------
    // Each creates the control inside `parent` with `name` as objectName, at the given
    // position (and size, where one is given; otherwise its natural size) in `font`.

    // The heading centred across the top of the panel, 24 pixels high.
    QLabel* addTitle(const QString& name, const QString& text, int pixelSize, bool bold);
    // A plain frame inside `parent` that fill operations show and hide.
    QFrame* addSubPanel(const QString& name, QWidget* parent, const QRect& bounds);
    QLabel* addLabel(const QString& name, const QString& text, QWidget* parent, QPoint at);
    QLabel* addLabel(const QString& name, const QString& text, QWidget* parent, QPoint at,
                     Font font);
    QLineEdit* addEdit(const QString& name, QWidget* parent, const QRect& bounds, Font font);
    QCheckBox* addCheckBox(const QString& name, const QString& text, QWidget* parent, QPoint at,
                           Font font);
    // A drop-down list of fixed items (no typing); `editable` allows typed text.
    QComboBox* addCombo(const QString& name, const QStringList& items, QWidget* parent,
                        const QRect& bounds, Font font, bool editable = false);
    RadioGroup* addRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                              QWidget* parent, const QRect& bounds, Font font, int columns = 1);
    // A spinner at `bounds` (16 wide beside its edit) over [minimum, maximum]; the Up
    // and Down keys in `edit` (when given) click it.
    UpDown* addUpDown(const QString& name, QWidget* parent, const QRect& bounds, int minimum,
                      int maximum, QLineEdit* edit = nullptr);
    QPlainTextEdit* addMemo(const QString& name, QWidget* parent, const QRect& bounds, Font font);

    // --- Checked texts ----------------------------------------------------------------
    // Key filters (onKeyPress, ui/widgets/keyfilter.h) only swallow keys and limit
    // length; the record's texts are converted by fromRecordText and toRecordText
    // (files/recordtext.h).

    // Keeps `edit` to what the record can keep (CheckedEdit: Windows-1251, at most
    // `maxLength` characters, only `allowed` ones when given) and points out every
    // refusal; under FillGuard a text is taken as it is.
    void limitText(QLineEdit* edit, int maxLength, const QString& allowed = {});
    // Runs `done` when the user leaves `edit` (or presses Enter) and before every
    // command of the window (an edit finisher): the place to show the stored value
    // again, so that no command ever runs while an edit shows something else.
    void whenDone(QLineEdit* edit, std::function<void()> done);
    // For a memo: removes characters without a Windows-1251 byte as they arrive and
    // points out why. Returns true when it removed any; call it first in the memo's
    // change handler (it does not touch FillGuard).
    bool dropNonCp1251(QPlainTextEdit* memo);

    // --- Pointing out ------------------------------------------------------------------
    // Marks `control` as holding a text that was not taken (the refusal mark of
    // ui/widgets/refusalmark.h: a pink background and the reason as its tool tip): no
    // message box, so the user can go on typing. The
    // reason also shows at once in the panel's hint, beside the control where it covers
    // no other control and takes no click. clearPointOut() removes the mark; so do a
    // fill and, for a Passing mark, the focus leaving the control. A Lasting mark
    // tells of what the control holds (a number that cannot be dialled) and stays
    // until the panel clears it.
    enum class Mark { Passing, Lasting };
    void pointOut(QWidget* control, const QString& reason, Mark mark = Mark::Passing);
    void clearPointOut(QWidget* control);
    void clearPointOuts();
    bool isPointedOut(const QWidget* control) const;

    void resizeEvent(QResizeEvent* event) override;

private:
    // Where the hint of `control` goes: beside it, below or above it, in the first
    // place inside the panel that overlaps no other visible control.
    QRect hintPlace(const QWidget* control) const;
    void focusChanged(QWidget* old, QWidget* now);

    PanelContext& ctx_;
    View shown_;
    QList<QWidget*> subPanels_;
    QLabel* title_ = nullptr;
    QLabel* hint_ = nullptr; // "<panel>Hint", made on the first point-out
    QWidget* hintFor_ = nullptr;
    QTimer* hintTimer_ = nullptr;
    QMetaObject::Connection focusWatch_;
};

} // namespace tk
