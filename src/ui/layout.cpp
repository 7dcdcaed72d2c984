#include "ui/layout.h"

namespace tk {

WindowLayout razmer(QSize window, int progressBarWidth) {
    const int w = window.width();
    const int h = window.height();
    WindowLayout layout;
    layout.treeWidth = w / 4 + 5; // C++ division truncates toward zero, as required
    layout.treeViewWidth = layout.treeWidth - 5;
    layout.panels = QRect(layout.treeWidth, 54, w - layout.treeWidth - 13, h - 128);
    layout.progressBar = QPoint(layout.treeWidth, h - 71);
    layout.cancelButton = QPoint(layout.treeWidth + progressBarWidth + 30, h - 71);
    return layout;
}

} // namespace tk
