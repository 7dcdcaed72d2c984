// The window's layout arithmetic (razmer), a pure function of the window size.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tk {

struct WindowLayout {
    int treeWidth = 0;     // T: the tree's share, the panels' left edge
    int treeViewWidth = 0; // TreeView1's width, T - 5
    QRect panels;          // the settings panels
    QPoint progressBar;    // ProgressBar1's top left
    QPoint cancelButton;   // Btotmsv's top left
};

// W and H are the window's width and height; the progress bar keeps its own width.
WindowLayout razmer(QSize window, int progressBarWidth);

} // namespace tk
