#include "ui/mainwindow.h"

#include "files/settings.h"
#include "model/defaults.h"
#include "ui/aboutbox.h"
#include "ui/commandbars.h"
#include "ui/helpwindow.h"
#include "ui/layout.h"
#include "ui/linkcontroller.h"
#include "ui/navigation.h"
#include "ui/panels/generalpanel.h"
#include "ui/panelstack.h"
#include "ui/qtprompts.h"
#include "ui/recentfiles.h"
#include "ui/startport.h"
#include "ui/statuspanel.h"
#include "ui/telephonedialog.h"
#include "ui/topdock.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

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
      doc_(cfg_, prompts_, generatedNamesFolder(programFolder),
           {.setdefault = [this] { setdefault(); },
            .showState = [this] { showFileState(); },
            .folderChosen = [](const QString& folder) { tk::storeLastFolder(folder); },
            .fileUsed =
                [this](const QString& path) {
                    if (recent_ != nullptr) {
                        recent_->add(path);
                    }
                }}),
      ctx_(cfg_, editor_, prompts_,
           {.updt1 = [this](bool changed) { doc_.updt1(changed); },
            .unvispan = [this] { unvispan(); },
            .telephoneDialog =
                [this] { return telephone_ != nullptr && telephone_->exec() == QDialog::Accepted; },
            .refreshView = [this] { tv1click(); }}) {
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
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    // Every node text fits the tree of the design size.
    tree_->fitTextsTo(tk::razmer(size(), 0).treeViewWidth);
    connectCommands();

    PortName_ = startPortName(serialPortLocations());
    statusPanels_[0]->showText(PortName_);
    FormCreate();
}

MainWindow::~MainWindow() {
    // The widgets (panels, dialogs) hold references into the record, the document and
    // the panel context, which are members and die after this body. Delete the widget
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

    link_ = std::make_unique<LinkController>(
        this,
        LinkController::Widgets{.bars = *bars_,
                                .ProgressBar1 = progress_,
                                .Btotmsv = cancel_,
                                .statusPanel1 = statusPanels_[1]},
        ctx_, doc_, PortName_,
        LinkController::Hooks{
            .refreshPanel = [this] { tv1click(); },
            .showPortName = [this](const QString& name) { statusPanels_[0]->showText(name); }});
}

void MainWindow::connectCommands() {
    const CommandBars& b = *bars_;
    // A write to the transmitter encodes the record as it is: edits that a panel
    // finishes only when the focus leaves it are finished first. Connected before any
    // handler of these commands, so they run first.
    const auto finishEdits = [this] { ctx_.finishEdits(); };
    connect(b.Write1, &QAction::triggered, this, finishEdits);
    connect(b.ToolButton6, &QToolButton::clicked, this, finishEdits);
    connect(b.Udalwrite1, &QAction::triggered, this, finishEdits);
    connect(b.New1, &QAction::triggered, this, &MainWindow::New1Click);
    connect(b.ToolButton1, &QToolButton::clicked, this, &MainWindow::New1Click);
    connect(b.Open1, &QAction::triggered, this, &MainWindow::Open1Click);
    connect(b.ToolButton2, &QToolButton::clicked, this, &MainWindow::Open1Click);
    connect(b.Save1, &QAction::triggered, this, &MainWindow::Save1Click);
    connect(b.ToolButton3, &QToolButton::clicked, this, &MainWindow::Save1Click);
    connect(b.Saveas1, &QAction::triggered, this, &MainWindow::Saveas1Click);
    connect(b.Exit1, &QAction::triggered, this, &MainWindow::Exit1Click);
    connect(b.Help2, &QAction::triggered, this, &MainWindow::Help2Click);
    connect(b.About1, &QAction::triggered, this, &MainWindow::About1Click);
    connect(tree_, &NavigationTree::treeClicked, this, &MainWindow::tv1click);
    LinkController* link = link_.get();
    connect(b.Connect1, &QAction::triggered, link, &LinkController::ToolButton7Click);
    connect(b.ToolButton7, &QToolButton::clicked, link, &LinkController::ToolButton7Click);
    connect(b.ToolButton9, &QToolButton::clicked, link, &LinkController::ToolButton7Click);
    connect(b.Read1, &QAction::triggered, link, &LinkController::Read1Click);
    connect(b.ToolButton4, &QToolButton::clicked, link, &LinkController::Read1Click);
    connect(b.Write1, &QAction::triggered, link, &LinkController::Write1Click);
    connect(b.ToolButton6, &QToolButton::clicked, link, &LinkController::Write1Click);
    connect(b.Udalread1, &QAction::triggered, link, &LinkController::Udalread1Click);
    connect(b.Udalwrite1, &QAction::triggered, link, &LinkController::Udalwrite1Click);
    connect(cancel_, &QPushButton::clicked, link, &LinkController::BtotmsvClick);
    connect(b.Port1, &QAction::triggered, link, &LinkController::Port1Click);
}

void MainWindow::attachDialogs(TelephoneDialog* telephone, AboutBox* about) {
    telephone_ = telephone;
    about_ = about;
}

void MainWindow::FormCreate() {
    setdefault();
    razmer();
    rereg();
    doc_.setLastFolder(tk::readLastFolder().value_or(QString()));
    New1Click();
    updt2(false);
}

void MainWindow::setdefault() {
    unvispan();
    tk::setdefault(cfg_, editor_);
    tree_->selectFirst();
    panels_->general().setobsch();
    tree_->markShown();
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
    ctx_.finishEdits();
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
    PortName_ = portName;
    presetPort_ = portName;
    statusPanels_[0]->showText(PortName_);
}

void MainWindow::rereg() {
    if (const std::optional<QString> stored = tk::rereg()) {
        PortName_ = *stored;
        statusPanels_[0]->showText(PortName_);
    }
}

void MainWindow::showFileState() {
    setWindowTitle(doc_.caption(ProductCaption));
    if (statusPanels_[2] != nullptr) { // gone only while the window is deleted
        // The path gives way in its middle, so that the change mark always shows.
        const QString text = doc_.statusText();
        const qsizetype mark = doc_.ConfigChanged() ? 1 : 0;
        statusPanels_[2]->showText(text.chopped(mark), text.right(mark));
    }
}

void MainWindow::New1Click() {
    if (ctx_.fillGuard()) {
        return;
    }
    ctx_.finishEdits();
    doc_.New();
}

void MainWindow::Open1Click() {
    if (ctx_.fillGuard()) {
        return;
    }
    ctx_.finishEdits();
    if (doc_.Open()) {
        showOpened();
    }
}

void MainWindow::showOpened() {
    ctx_.recordReplaced();
    tree_->selectFirst();
    tv1click();
    panels_->general().setobsch();
}

void MainWindow::Save1Click() {
    // Save itself ignores FillGuard; an untitled configuration goes through Save as,
    // which does not.
    ctx_.finishEdits();
    if (doc_.Untitled()) {
        Saveas1Click();
        return;
    }
    doc_.Save();
}

void MainWindow::Saveas1Click() {
    if (ctx_.fillGuard()) {
        return;
    }
    ctx_.finishEdits();
    doc_.Saveas();
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
    if (!doc_.Close()) {
        event->ignore();
        return;
    }
    link_->closeLine();
    if (!presetPort_ || PortName_ != *presetPort_) {
        tk::wrreg(PortName_);
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
    if (ctx_.fillGuard()) {
        return;
    }
    ctx_.finishEdits();
    if (doc_.Open(path)) {
        showOpened();
    }
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
