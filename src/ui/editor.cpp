#include "ui/editor.h"

#include "files/settings.h"
#include "model/defaults.h"

#include <QUndoCommand>

#include <utility>

namespace tk {

// One step of the history: the record and the object number's pending flag before
// and after it. Pushing it runs no change (the change has run already); Undo puts
// the "before" back, Redo the "after", each showing the step's view.
class Editor::Step : public QUndoCommand {
public:
    Step(Editor& editor, const Edit& e, Configuration before, std::int32_t objBefore)
        : QUndoCommand(e.name), editor_(editor), view_(e.view), key_(e.mergeKey),
          generation_(editor.generation_), before_(std::move(before)), after_(editor.cfg_),
          objBefore_(objBefore), objAfter_(editor.state_.ObjNumChanged) {}

    int id() const override { return key_ != 0 ? key_ : -1; }

    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const Step*>(other);
        if (next->generation_ != generation_ || !(next->view_ == view_)) {
            return false;
        }
        after_ = next->after_;
        objAfter_ = next->objAfter_;
        // Typed and taken back: no step is left.
        setObsolete(after_ == before_ && objAfter_ == objBefore_);
        return true;
    }

    void undo() override { editor_.restore(before_, objBefore_, view_); }

    void redo() override {
        if (pushed_) {
            pushed_ = false; // the change has run already
            return;
        }
        editor_.restore(after_, objAfter_, view_);
    }

private:
    Editor& editor_;
    View view_;
    int key_;
    int generation_;
    Configuration before_;
    Configuration after_;
    std::int32_t objBefore_;
    std::int32_t objAfter_;
    bool pushed_ = true;
};

Editor::Editor(Prompts& prompts, const QString& namesFolder, QObject* parent)
    : QObject(parent), doc_(cfg_, prompts, namesFolder) {
    tk::setdefault(cfg_, state_);
    connect(&doc_, &Document::recordReset, this, [this] {
        tk::setdefault(cfg_, state_);
        startHistory();
        if (!replacing_) {
            emit recordReplaced();
        }
    });
    connect(&doc_, &Document::stateChanged, this, [this] {
        emit fileStateChanged();
        if (doc_.ConfigChanged() != markShown_) {
            markShown_ = doc_.ConfigChanged();
            emit changed(markShown_);
        }
    });
    connect(&doc_, &Document::folderChosen, this,
            [](const QString& folder) { tk::storeLastFolder(folder); });
    // Undone back to the saved step: unchanged; one step off it: changed again.
    connect(&undo_, &QUndoStack::cleanChanged, this, [this](bool clean) { showMark(!clean); });
}

Editor::~Editor() {
    // The steps refer to this editor; they go first, telling nobody (the window that
    // listens is being destroyed).
    blockSignals(true);
    undo_.blockSignals(true);
    undo_.clear();
}

bool Editor::edit(const Edit& e, const std::function<bool(Configuration&)>& change) {
    Configuration before = cfg_;
    const std::int32_t objBefore = state_.ObjNumChanged;
    if (!change(cfg_)) {
        return false;
    }
    if (cfg_ == before && state_.ObjNumChanged == objBefore) {
        markChanged(); // accepted, though it changed no field
        return true;
    }
    undo_.push(new Step(*this, e, std::move(before), objBefore));
    showMark(true);
    return true;
}

void Editor::markChanged() {
    showMark(true);
}

void Editor::showMark(bool changed) {
    doc_.updt1(changed);
}

void Editor::restore(const Configuration& cfg, std::int32_t objNumChanged, const View& view) {
    cfg_ = cfg;
    state_.ObjNumChanged = objNumChanged;
    emit stepShown(view);
}

void Editor::undo() {
    if (undo_.canUndo()) {
        step(&QUndoStack::undo);
    }
}

void Editor::redo() {
    if (undo_.canRedo()) {
        step(&QUndoStack::redo);
    }
}

void Editor::step(void (QUndoStack::*move)()) {
    ++generation_; // the step put back takes no typing into it
    (undo_.*move)();
    showMark(!undo_.isClean());
}

void Editor::startHistory() {
    ++generation_;
    undo_.clear();
}

bool Editor::New() {
    return doc_.New();
}

bool Editor::Open() {
    return opened(doc_.Open());
}

bool Editor::Open(const QString& path) {
    return opened(doc_.Open(path));
}

bool Editor::opened(bool ok) {
    if (ok) {
        state_.ObjNumChanged = 0;
        startHistory();
        emit recordReplaced();
    }
    return ok;
}

bool Editor::Save() {
    if (!doc_.Save()) {
        return false;
    }
    undo_.setClean();
    return true;
}

bool Editor::Saveas() {
    if (!doc_.Saveas()) {
        return false;
    }
    undo_.setClean();
    return true;
}

void Editor::takeRead(const Configuration& read) {
    replacing_ = true;
    // The save question was answered when the read began: New asks nothing now.
    doc_.updt1(false);
    doc_.New();
    replacing_ = false;
    cfg_ = read;
    state_.ObjNumChanged = 0;
    startHistory();
    emit recordReplaced();
}

void Editor::addEditFinisher(const QObject* owner, std::function<void()> finisher) {
    // destroyed() comes as the owner's destruction begins, when a panel's own part is
    // gone already: from then on its finisher, which calls into that part, is skipped.
    auto live = std::make_shared<bool>(true);
    QObject::connect(owner, &QObject::destroyed, [live] { *live = false; });
    finishers_.push_back(Finisher{std::move(live), std::move(finisher)});
}

void Editor::finishEdits() {
    for (const Finisher& f : finishers_) {
        if (*f.live) {
            f.finish();
        }
    }
    ++generation_; // what is typed next is a step of its own
}

void Editor::setLinkSettings(const PortSettings& settings) {
    link_ = settings;
    emit linkSettingsChanged();
}

} // namespace tk
