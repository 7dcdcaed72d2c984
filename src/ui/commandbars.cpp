#include "ui/commandbars.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace tk {

const QString CommandBars::kConnectCaption = QStringLiteral("Установить связь");
const QString CommandBars::kDisconnectCaption = QStringLiteral("Разорвать связь");
const QString CommandBars::kUndoCaption = QStringLiteral("Отменить");
const QString CommandBars::kRedoCaption = QStringLiteral("Повторить");

namespace {

// Picture `index` of the menu and button pictures.
QIcon picture(int index) {
    return QIcon(QStringLiteral(":/icons/toolbar/%1.png").arg(index, 2, 10, QLatin1Char('0')));
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption, int pictureIndex,
                 const QKeySequence& keys = {}) {
    QAction* action = menu->addAction(picture(pictureIndex), caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

// A caption whose first letter is its Alt letter.
QString mnemonic(const QString& caption) {
    return QLatin1Char('&') + caption;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QToolButton* addButton(QToolBar* bar, const char* name, const QString& hint, int pictureIndex) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(picture(pictureIndex));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

void addSeparator(QToolBar* bar, const char* name) {
    QAction* separator = bar->addSeparator();
    if (QWidget* widget = bar->widgetForAction(separator)) {
        widget->setObjectName(QString::fromLatin1(name));
    }
}

} // namespace

CommandBars::CommandBars(QWidget* dock) {
    auto* rows = new QVBoxLayout(dock);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    ToolBar1 = new QMenuBar(dock);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setNativeMenuBar(false);
    rows->addWidget(ToolBar1);

    // "&" marks each caption's Alt letter, unique within its menu.
    File1 = addMenu(ToolBar1, "File1", QStringLiteral("&Файл"));
    New1 = addItem(File1, "New1", QStringLiteral("&Новый"), 0, QKeySequence::New);
    Open1 = addItem(File1, "Open1", QStringLiteral("&Открыть"), 1, QKeySequence::Open);
    Save1 = addItem(File1, "Save1", QStringLiteral("&Сохранить"), 2, QKeySequence::Save);
    // Not every desktop binds Save as and Quit keys; these are the ones they use.
    Saveas1 = addItem(File1, "Saveas1", QStringLiteral("Сохранить &как"), 3,
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    File1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Compare1 = addItem(File1, "Compare1", QStringLiteral("Ср&авнить с файлом…"), 3);
    Compare1->setIcon({});
    Backups1 = addItem(File1, "Backups1", QStringLiteral("&Резервные копии…"), 1);
    Backups1->setIcon({});
    File1->addSeparator()->setObjectName(QStringLiteral("N3"));
    Print1 = addItem(File1, "Print1", QStringLiteral("&Печать…"), 2, QKeySequence::Print);
    Print1->setIcon({});
    Pdf1 = addItem(File1, "Pdf1", QStringLiteral("&Экспорт в PDF…"), 2);
    Pdf1->setIcon({});
    N1 = File1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Exit1 =
        addItem(File1, "Exit1", QStringLiteral("&Выход"), 4, QKeySequence(Qt::CTRL | Qt::Key_Q));

    Edit1 = addMenu(ToolBar1, "Edit1", QStringLiteral("Пра&вка"));
    Undo1 = addItem(Edit1, "Undo1", mnemonic(kUndoCaption), 14, QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = addItem(Edit1, "Redo1", mnemonic(kRedoCaption), 15, QKeySequence(Qt::CTRL | Qt::Key_Y));
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    Command1 = addMenu(ToolBar1, "Command1", QStringLiteral("&Команды"));
    Connect1 = addItem(Command1, "Connect1", mnemonic(kConnectCaption), 5);
    Read1 = addItem(Command1, "Read1", QStringLiteral("&Чтение"), 6);
    Write1 = addItem(Command1, "Write1", QStringLiteral("&Запись"), 7);
    Udalread1 = addItem(Command1, "Udalread1", QStringLiteral("Уда&ленное чтение"), 8);
    Udalwrite1 = addItem(Command1, "Udalwrite1", QStringLiteral("Удаленная за&пись"), 9);

    Setting1 = addMenu(ToolBar1, "Setting1", QStringLiteral("&Параметры"));
    Port1 = addItem(Setting1, "Port1", QStringLiteral("&Порт"), 11);
    Setting1->addSeparator()->setObjectName(QStringLiteral("N4"));
    BackupBeforeWrite1 =
        Setting1->addAction(QStringLiteral("Со&хранять копию передатчика перед записью"));
    BackupBeforeWrite1->setObjectName(QStringLiteral("BackupBeforeWrite1"));
    BackupBeforeWrite1->setCheckable(true);
    VerifyWrite1 = Setting1->addAction(QStringLiteral("Про&верять запись чтением"));
    VerifyWrite1->setObjectName(QStringLiteral("VerifyWrite1"));
    VerifyWrite1->setCheckable(true);

    Help1 = addMenu(ToolBar1, "Help1", QStringLiteral("&Справка"));
    Help2 = addItem(Help1, "Help2", QStringLiteral("&TK 515"), 12, QKeySequence(Qt::Key_F1));
    Help2->setShortcutContext(Qt::ApplicationShortcut);
    About1 = addItem(Help1, "About1", QStringLiteral("&О программе"), 13);

    ToolBar2 = new QToolBar(dock);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setIconSize(QSize(16, 16));
    rows->addWidget(ToolBar2);

    ToolButton1 = addButton(ToolBar2, "ToolButton1", QStringLiteral("Новый"), 0);
    ToolButton2 = addButton(ToolBar2, "ToolButton2", QStringLiteral("Открыть"), 1);
    ToolButton3 = addButton(ToolBar2, "ToolButton3", QStringLiteral("Сохранить"), 2);
    addSeparator(ToolBar2, "ToolButton5");
    ToolButton4 = addButton(ToolBar2, "ToolButton4", QStringLiteral("Прочитать данные"), 6);
    ToolButton6 = addButton(ToolBar2, "ToolButton6", QStringLiteral("Записать данные"), 7);
    addSeparator(ToolBar2, "ToolButton8");
    ToolButton7 = addButton(ToolBar2, "ToolButton7", kConnectCaption, 19);
    ToolButton9 = addButton(ToolBar2, "ToolButton9", kDisconnectCaption, 20);
    addSeparator(ToolBar2, "ToolButton10");
    ToolButton11 = addButton(ToolBar2, "ToolButton11", kUndoCaption, 14);
    ToolButton12 = addButton(ToolBar2, "ToolButton12", kRedoCaption, 15);
}

void CommandBars::showUndo(bool canUndo, const QString& undoStep, bool canRedo,
                           const QString& redoStep) {
    const auto named = [](const QString& caption, const QString& step) {
        return step.isEmpty() ? caption : caption + QStringLiteral(": ") + step;
    };
    Undo1->setEnabled(canUndo);
    Undo1->setText(mnemonic(named(kUndoCaption, canUndo ? undoStep : QString())));
    ToolButton11->setEnabled(canUndo);
    ToolButton11->setToolTip(named(kUndoCaption, canUndo ? undoStep : QString()));
    Redo1->setEnabled(canRedo);
    Redo1->setText(mnemonic(named(kRedoCaption, canRedo ? redoStep : QString())));
    ToolButton12->setEnabled(canRedo);
    ToolButton12->setToolTip(named(kRedoCaption, canRedo ? redoStep : QString()));
}

void CommandBars::updt2(bool connected) {
    for (QAction* item : {Read1, Write1}) {
        item->setEnabled(connected);
    }
    for (QToolButton* button : {ToolButton4, ToolButton6, ToolButton9}) {
        button->setEnabled(connected);
    }
    ToolButton7->setEnabled(!connected);
    Connect1->setText(mnemonic(connected ? kDisconnectCaption : kConnectCaption));
}

} // namespace tk
