// The menu bar (ToolBar1) and the button bar (ToolBar2) in the top dock, and the
// connection state they show (updt2).
#pragma once

#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class QWidget;

namespace tk {

class CommandBars {
public:
    // Builds both bars into `dock`, one above the other.
    explicit CommandBars(QWidget* dock);

    // Shows the connected or disconnected state on menu items and buttons.
    void updt2(bool connected);
    // Undo and Redo, enabled or not, with the names of the steps they would take back
    // or make again ("Отменить: Задержка на вход").
    void showUndo(bool canUndo, const QString& undoStep, bool canRedo, const QString& redoStep);

    QMenuBar* ToolBar1;
    QToolBar* ToolBar2;

    QMenu* File1;
    QAction* New1;
    QAction* Open1;
    QAction* Save1;
    QAction* Saveas1;
    QAction* Compare1; // "Сравнить с файлом…"
    QAction* Backups1; // "Резервные копии…"
    QAction* Print1;   // "Печать…"
    QAction* Pdf1;     // "Экспорт в PDF…"
    QAction* N1;
    QAction* Exit1;

    QMenu* Edit1;
    QAction* Undo1;
    QAction* Redo1;

    QMenu* Command1;
    QAction* Connect1;
    QAction* Read1;
    QAction* Write1;
    QAction* Udalread1;
    QAction* Udalwrite1;

    QMenu* Setting1;
    QAction* Port1;
    QAction* BackupBeforeWrite1; // checked: the transmitter is kept before a write
    QAction* VerifyWrite1;       // checked: a write is read back and compared

    QMenu* Help1;
    QAction* Help2;
    QAction* About1;

    QToolButton* ToolButton1;
    QToolButton* ToolButton2;
    QToolButton* ToolButton3;
    QToolButton* ToolButton4;
    QToolButton* ToolButton6;
    QToolButton* ToolButton7;
    QToolButton* ToolButton9;
    QToolButton* ToolButton11; // Undo
    QToolButton* ToolButton12; // Redo

    static const QString kConnectCaption;
    static const QString kDisconnectCaption;
    static const QString kUndoCaption;
    static const QString kRedoCaption;
};

} // namespace tk
