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

    QMenuBar* ToolBar1;
    QToolBar* ToolBar2;

    QMenu* File1;
    QAction* New1;
    QAction* Open1;
    QAction* Save1;
    QAction* Saveas1;
    QAction* N1;
    QAction* Exit1;

    QMenu* Command1;
    QAction* Connect1;
    QAction* Read1;
    QAction* Write1;
    QAction* Udalread1;
    QAction* Udalwrite1;

    QMenu* Setting1;
    QAction* Port1;

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

    static const QString kConnectCaption;
    static const QString kDisconnectCaption;
};

} // namespace tk
