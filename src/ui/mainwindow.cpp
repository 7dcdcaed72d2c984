#include "ui/mainwindow.h"

#include "files/backups.h"
#include "files/settings.h"
#include "model/defaults.h"
#include "ui/aboutbox.h"
#include "ui/commandbars.h"
#include "ui/fileextras.h"
#include "ui/helpwindow.h"
#include "ui/layout.h"
#include "ui/linkcontroller.h"
#include "ui/navigation.h"
#include "ui/panelstack.h"
#include "ui/qtprompts.h"
#include "ui/recentfiles.h"
#include "ui/startport.h"
#include "ui/statuspanel.h"
#include "ui/telephonedialog.h"
#include "ui/topdock.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

namespace tk {

const QString MainWindow::ProductCaption = QStringLiteral("TK 515 Pro");

namespace {

const QColor kWindowColour(0xE6, 0xE6, 0xE6);
constexpr int kStatusWidths[3] = {75, 200, 50};
// Panel 0 is at least as wide as this port name needs.
const QString kLongPortName = QStringLiteral("/dev/ttyACM10");

} // namespace

MainWindow::MainWindow(const QString& programFolder, Prompts* prompts)
    : qtPrompts_(std::make_unique<QtPrompts>(this)),
      prompts_(prompts != nullptr ? *prompts : *qtPrompts_),
      editor_(prompts_, generatedNamesFolder(programFolder)), ctx_(editor_, prompts_) {
    setObjectName(QStringLiteral("TForm1"));
    setGeometry(145, 121, 696, 490);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    setPalette(palette);
    setAutoFillBackground(true);
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);

    buildControls();
    recent_ = new RecentFilesMenu(bars_->File1, bars_->N1);
    connect(recent_, &RecentFilesMenu::chosen, this, &MainWindow::openRecentFile,
            Qt::QueuedConnection);
    connect(&editor_.document(), &Document::fileUsed, recent_, &RecentFilesMenu::add);
    connect(&editor_, &Editor::fileStateChanged, this, &MainWindow::showFileState);
    connect(&editor_, &Editor::recordReplaced, this, &MainWindow::showReplaced);
    connect(&editor_, &Editor::stepShown, this, &MainWindow::showStep);
    connect(&editor_, &Editor::linkSettingsChanged, this, &MainWindow::showPortName);
    QUndoStack& undo = editor_.undoStack();
    connect(&undo, &QUndoStack::indexChanged, this, &MainWindow::showUndoState);
    connect(&undo, &QUndoStack::cleanChanged, this, &MainWindow::showUndoState);
    connect(link_.get(), &LinkController::busyChanged, this, &MainWindow::showUndoState);
    connect(link_.get(), &LinkController::recordUnchanged, this, &MainWindow::tv1click);
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    // Every node text fits the tree of the design size.
    tree_->fitTextsTo(tk::razmer(size(), 0).treeViewWidth);
    connectCommands();

    editor_.setLinkSettings({startPortName(serialPortLocations()), 10, reregQuick()});
    FormCreate();
}

MainWindow::~MainWindow() {
    // From here on the editor and the link tell the window nothing: its controls go.
    disconnect(&editor_, nullptr, this, nullptr);
    disconnect(&editor_.undoStack(), nullptr, this, nullptr);
    disconnect(link_.get(), nullptr, this, nullptr);
    // The widgets (panels, dialogs) hold references to the editor and the panel
    // context, which are members and die after this body. Delete the widget
    // tree first, while all of them still live: a focus-out handler that runs as a
    // focused edit goes then still finds its record. The panels and the dialogs go
    // before the status bar that the change mark updates, and the status bar last.
    delete takeCentralWidget();
    const auto nextChild = [this]() -> QWidget* {
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w != status_) {
                return w;
            }
        }
        return nullptr;
    };
    while (QWidget* w = nextChild()) {
        delete w;
    }
    delete status_;
    status_ = nullptr;
    std::fill(std::begin(statusPanels_), std::end(statusPanels_), nullptr);
}

void MainWindow::buildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    dock_ = new TopDock(client);
    bars_ = std::make_unique<CommandBars>(dock_);

    tree_ = new NavigationTree(client);
    tree_->setLocked([this] { return ctx_.fillGuard(); });
    panels_ = std::make_unique<PanelStack>(ctx_, client);

    progress_ = new QProgressBar(client);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 100);
    progress_->resize(289, 20);
    progress_->hide();

    cancel_ = new QPushButton(QStringLiteral("Отмена"), client);
    cancel_->setObjectName(QStringLiteral("Btotmsv"));
    cancel_->resize(65, 20);
    cancel_->hide();

    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    status_->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new StatusPanel(QStringLiteral("StatusPanel%1").arg(i), status_);
        if (i < 2) {
            statusPanels_[i]->setFixedWidth(
                i == 0 ? std::max(kStatusWidths[0], statusPanels_[0]->widthFor(kLongPortName))
                       : kStatusWidths[i]);
            status_->addWidget(statusPanels_[i]);
        } else {
            // The last panel reaches to the right edge.
            statusPanels_[i]->setMinimumWidth(kStatusWidths[i]);
            status_->addWidget(statusPanels_[i], 1);
        }
    }
    setStatusBar(status_);

    link_ =
        std::make_unique<LinkController>(this,
                                         LinkController::Widgets{.bars = *bars_,
                                                                 .ProgressBar1 = progress_,
                                                                 .Btotmsv = cancel_,
                                                                 .statusPanel1 = statusPanels_[1]},
                                         ctx_, editor_);
    extras_ = new FileExtras(this, *bars_, editor_, ctx_, prompts_,
                             [this](const View& view) { showStep(view); });
}

void MainWindow::command(const std::function<void()>& run) {
    // Edits that a panel finishes only when the focus leaves it (a half-typed number,
    // the object number's SMS texts) are finished before any command sees the record.
    ctx_.finishEdits();
    run();
}

void MainWindow::connectCommands() {
    const CommandBars& b = *bars_;
    LinkController* link = link_.get();
    // Each command is bound once, for its menu item and its button, through command().
    const auto bind = [this](std::initializer_list<QObject*> senders, std::function<void()> run) {
        for (QObject* sender : senders) {
            if (auto* action = qobject_cast<QAction*>(sender)) {
                connect(action, &QAction::triggered, this, [this, run] { command(run); });
            } else if (auto* button = qobject_cast<QAbstractButton*>(sender)) {
                connect(button, &QAbstractButton::clicked, this, [this, run] { command(run); });
            }
        }
    };
    bind({b.New1, b.ToolButton1}, [this] { New1Click(); });
    bind({b.Open1, b.ToolButton2}, [this] { Open1Click(); });
    bind({b.Save1, b.ToolButton3}, [this] { Save1Click(); });
    bind({b.Saveas1}, [this] { Saveas1Click(); });
    bind({b.Undo1, b.ToolButton11}, [this] { Undo1Click(); });
    bind({b.Redo1, b.ToolButton12}, [this] { Redo1Click(); });
    bind({b.Connect1, b.ToolButton7, b.ToolButton9}, [link] { link->ToolButton7Click(); });
    bind({b.Read1, b.ToolButton4}, [link] { link->Read1Click(); });
    bind({b.Write1, b.ToolButton6}, [link] { link->Write1Click(); });
    bind({b.Udalread1}, [link] { link->Udalread1Click(); });
    bind({b.Udalwrite1}, [link] { link->Udalwrite1Click(); });
    FileExtras* extras = extras_;
    bind({b.Compare1}, [extras] { extras->Compare1Click(); });
    bind({b.Backups1}, [extras] { extras->Backups1Click(); });
    bind({b.Print1}, [extras] { extras->Print1Click(); });
    bind({b.Pdf1}, [extras] { extras->Pdf1Click(); });
    // Closing finishes the edits itself (closeEvent), whichever way the window closes;
    // the dialogs, help and Cancel touch no record.
    connect(b.Exit1, &QAction::triggered, this, &MainWindow::Exit1Click);
    connect(b.Help2, &QAction::triggered, this, &MainWindow::Help2Click);
    connect(b.About1, &QAction::triggered, this, &MainWindow::About1Click);
    connect(b.Port1, &QAction::triggered, link, &LinkController::Port1Click);
    connect(cancel_, &QPushButton::clicked, link, &LinkController::BtotmsvClick);
    connect(tree_, &NavigationTree::treeClicked, this, [this] { command([this] { tv1click(); }); });
    showUndoState();
}

void MainWindow::attachDialogs(TelephoneDialog* telephone, AboutBox* about) {
    telephone_ = telephone;
    about_ = about;
    ctx_.attach(telephone);
}

void MainWindow::FormCreate() {
    setdefault();
    razmer();
    rereg();
    editor_.document().setLastFolder(tk::readLastFolder().value_or(QString()));
    // Copies older than a year go, the newest of each transmitter stays.
    PruneBackups(BackupFolder(), QDateTime::currentDateTime());
    New1Click();
    updt2(false);
}

void MainWindow::setdefault() {
    tk::setdefault(ctx_.record(), editor_.state());
    showReplaced();
}

void MainWindow::showReplaced() {
    unvispan();
    tree_->selectFirst();
    panels_->show({View::Obsch});
    tree_->markShown();
}

void MainWindow::showStep(const View& view) {
    // Hiding the panels moves the focus away; the control that had it gets it back
    // when the step's view shows it again (Ctrl+Z in the table, then the arrows).
    const QPointer<QWidget> focused = QApplication::focusWidget();
    tree_->selectView(view);
    unvispan();
    panels_->show(view);
    tree_->markShown();
    if (focused != nullptr && focused->isVisible()) {
        focused->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::showUndoState() {
    const QUndoStack& undo = editor_.undoStack();
    const bool free = !link_->busy();
    bars_->showUndo(free && undo.canUndo(), undo.undoText(), free && undo.canRedo(),
                    undo.redoText());
}

void MainWindow::razmer() {
    const WindowLayout layout = tk::razmer(size(), progress_->width());
    dock_->setGeometry(0, 0, width(), TopDock::kHeight);
    tree_->setGeometry(0, TopDock::kHeight, layout.treeViewWidth,
                       std::max(0, centralWidget()->height() - TopDock::kHeight));
    panels_->raspolpan(layout.panels);
    progress_->move(layout.progressBar);
    cancel_->move(layout.cancelButton);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    razmer(); // FormResize
}

void MainWindow::tv1click() {
    if (ctx_.fillGuard()) {
        // A fill or a link command runs: the flag stays theirs, and the highlight
        // stays on the panel shown.
        tree_->selectShown();
        return;
    }
    if (const std::optional<NodePosition> position = tree_->selectedPosition()) {
        unvispan();
        if (const std::optional<View> view = viewFor(*position)) {
            panels_->show(*view);
        }
        tree_->markShown();
    } else {
        tree_->selectShown(); // a click beside the nodes shows nothing
    }
    // Every fill operation releases FillGuard on its way out, so it is clear here.
}

void MainWindow::unvispan() {
    panels_->unvispan();
}

void MainWindow::updt2(bool connected) {
    link_->updt2(connected);
}

bool MainWindow::LinkConnected() const {
    return link_->LinkConnected();
}

bool MainWindow::ConnectRetryAllowed() const {
    return link_->ConnectRetryAllowed();
}

void MainWindow::presetPort(const QString& portName) {
    presetPort_ = portName;
    PortSettings settings = editor_.linkSettings();
    settings.PortName = portName;
    editor_.setLinkSettings(settings);
}

void MainWindow::rereg() {
    if (const std::optional<QString> stored = tk::rereg()) {
        PortSettings settings = editor_.linkSettings();
        settings.PortName = *stored;
        editor_.setLinkSettings(settings);
    }
}

void MainWindow::showPortName() {
    statusPanels_[0]->showText(editor_.PortName());
}

void MainWindow::showFileState() {
    const Document& doc = editor_.document();
    setWindowTitle(doc.caption(ProductCaption));
    if (statusPanels_[2] != nullptr) { // gone only while the window is deleted
        // The path gives way in its middle, so that the change mark always shows.
        const QString text = doc.statusText();
        const qsizetype mark = doc.ConfigChanged() ? 1 : 0;
        statusPanels_[2]->showText(text.chopped(mark), text.right(mark));
    }
}

void MainWindow::New1Click() {
    if (ctx_.fillGuard()) {
        return;
    }
    editor_.New();
}

void MainWindow::Open1Click() {
    if (ctx_.fillGuard()) {
        return;
    }
    editor_.Open();
}

void MainWindow::Save1Click() {
    // Save itself ignores FillGuard; an untitled configuration goes through Save as,
    // which does not.
    if (editor_.document().Untitled()) {
        Saveas1Click();
        return;
    }
    editor_.Save();
}

void MainWindow::Saveas1Click() {
    if (ctx_.fillGuard()) {
        return;
    }
    editor_.Saveas();
}

void MainWindow::Undo1Click() {
    if (ctx_.fillGuard() || link_->busy()) {
        return;
    }
    editor_.undo();
}

void MainWindow::Redo1Click() {
    if (ctx_.fillGuard() || link_->busy()) {
        return;
    }
    editor_.redo();
}

void MainWindow::Exit1Click() {
    close();
}

void MainWindow::Help2Click() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MainWindow::About1Click() {
    if (about_ != nullptr) {
        about_->exec();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A transfer in progress is not cut off: the window stays and says why.
    if (!link_->mayClose()) {
        event->ignore();
        return;
    }
    // FormClose: a changed configuration is offered for saving; Cancel, or a save
    // that failed, keeps the window open.
    ctx_.finishEdits();
    if (!editor_.document().Close()) {
        event->ignore();
        return;
    }
    link_->closeLine();
    if (!presetPort_ || editor_.PortName() != *presetPort_) {
        tk::wrreg(editor_.PortName());
    }
    event->accept();
}

// Files dropped or given on the command line --------------------------------------------

namespace {

// The local files among dragged data; none when anything else is dragged.
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

} // namespace

void MainWindow::openGivenFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    // Queued: the window is up, and a drop is over, before any box shows.
    QTimer::singleShot(0, this, [this, paths] { openFilesNow(paths); });
}

void MainWindow::openFilesNow(const QStringList& paths) {
    if (ctx_.fillGuard()) {
        return; // a link command runs: Open does nothing meanwhile either
    }
    if (paths.size() > 1) {
        prompts_.message(QStringLiteral("Открывается только один файл за раз, первый из %1:\n%2")
                             .arg(paths.size())
                             .arg(QDir::toNativeSeparators(paths.constFirst())));
    }
    openPath(paths.constFirst());
}

void MainWindow::openPath(const QString& path) {
    command([this, path] {
        if (!ctx_.fillGuard()) {
            editor_.Open(path);
        }
    });
}

void MainWindow::openRecentFile(const QString& path) {
    if (ctx_.fillGuard()) {
        return;
    }
    if (!QFileInfo::exists(path)) {
        recent_->remove(path);
        prompts_.message(
            QStringLiteral("Файла больше нет:\n%1\nОн убран из списка последних файлов.")
                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    openPath(path);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride) {
        // Ctrl+Z and Ctrl+Y in an edit of the window are the window's Undo and Redo,
        // not the edit's own: one history for every control.
        auto* widget = qobject_cast<QWidget*>(watched);
        const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
        if (widget != nullptr && widget->window() == this &&
            (bars_->Undo1->shortcuts().contains(keys) ||
             bars_->Redo1->shortcuts().contains(keys))) {
            return true; // not accepted: the shortcut goes to the menu item
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* drop = static_cast<QDropEvent*>(event);
    if (widget == nullptr || widget->window() != this) {
        return QMainWindow::eventFilter(watched, event);
    }
    const QStringList files = droppedFiles(drop->mimeData());
    if (files.isEmpty()) {
        return QMainWindow::eventFilter(watched, event);
    }
    // While a link command holds FillGuard, Open would do nothing: the drop is refused
    // where it is made.
    if (ctx_.fillGuard()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        openGivenFiles(files);
    }
    return true;
}

} // namespace tk
