// TForm1: the frame of the program. It owns the editor (the configuration record, the
// file state and the link settings) and wires menus, buttons, tree, status bar and
// panels to the commands; the commands' logic lives in the editor, the document
// (files) and the link. Every command finishes the pending edits first, once, in one
// place (command()).
#pragma once

#include "files/document.h"
#include "model/configuration.h"
#include "ui/editor.h"
#include "ui/panelcontext.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tk {

class AboutBox;
class CommandBars;
class FileExtras;
class HelpWindow;
class LinkController;
class NavigationTree;
class PanelStack;
class QtPrompts;
class RecentFilesMenu;
class StatusPanel;
class TelephoneDialog;
class TopDock;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static const QString ProductCaption;

    // `programFolder` is the folder of the running program (generated names go there
    // when it is writable). Questions and dialogs go to `prompts` when given,
    // otherwise to message boxes and file dialogs.
    explicit MainWindow(const QString& programFolder, Prompts* prompts = nullptr);
    ~MainWindow() override;

    // The dialogs created after the window.
    void attachDialogs(TelephoneDialog* telephone, AboutBox* about);

    Editor& editor() { return editor_; }
    PanelContext& panelContext() { return ctx_; }
    Document& document() { return editor_.document(); }
    LinkController& link() { return *link_; }
    FileExtras& extras() { return *extras_; }
    const Configuration& record() const { return editor_.record(); }
    const QString& PortName() const { return editor_.PortName(); }
    bool LinkConnected() const;
    bool ConnectRetryAllowed() const;

    // A port given on the command line: used for this run and shown, but stored at
    // close only when the user chooses another one.
    void presetPort(const QString& portName);

    // Factory configuration with its window steps: panels hidden, first node and the
    // general panel shown.
    void setdefault();
    void razmer();
    void tv1click();
    void unvispan();
    void updt2(bool connected);
    void rereg();

    void New1Click();
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void Undo1Click();
    void Redo1Click();
    void Exit1Click();
    void Help2Click();
    void About1Click();

    // Files given on the command line or dropped on the window: the first is opened
    // as by Open (the save question first, the same messages), once the window's
    // event loop runs; of several the first is opened and the window says so.
    void openGivenFiles(const QStringList& paths);
    // A recent file chosen in "Файл": opened, or, when it is gone, removed from the
    // list with a word.
    void openRecentFile(const QString& path);
    RecentFilesMenu& recentFiles() { return *recent_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Files dragged anywhere over the window, its edits included, are taken by the
    // window (an edit would take the path as text).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildControls();
    void connectCommands();
    // Runs a command of the window: the pending edits are finished first (once, here
    // and nowhere else), so that no command sees a half-finished edit.
    void command(const std::function<void()>& run);
    void showFileState();
    void showPortName();
    // The record was replaced as a whole: the first node and the general view show it.
    void showReplaced();
    // A step was undone or redone: its view shows, filled from the record.
    void showStep(const View& view);
    // Undo and Redo: enabled while there is a step and no link command runs; their
    // texts name the step.
    void showUndoState();
    void openFilesNow(const QStringList& paths);
    void openPath(const QString& path);

    std::unique_ptr<QtPrompts> qtPrompts_;
    Prompts& prompts_;
    Editor editor_;
    PanelContext ctx_;

    std::optional<QString> presetPort_;

    TopDock* dock_ = nullptr;
    std::unique_ptr<CommandBars> bars_;
    NavigationTree* tree_ = nullptr;
    std::unique_ptr<PanelStack> panels_;
    QStatusBar* status_ = nullptr;
    StatusPanel* statusPanels_[3] = {};
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;

    TelephoneDialog* telephone_ = nullptr;
    AboutBox* about_ = nullptr;
    HelpWindow* help_ = nullptr;
    RecentFilesMenu* recent_ = nullptr; // owned by the "Файл" menu
    FileExtras* extras_ = nullptr;      // compare, backups, the sheet; a child
    // Last, so that it goes first: its link thread ends before the controls go.
    std::unique_ptr<LinkController> link_;
};

} // namespace tk
