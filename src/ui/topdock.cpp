#include "ui/topdock.h"

#include <QPainter>
#include <QResizeEvent>

namespace tk {

TopDock::TopDock(QWidget* parent)
    : QWidget(parent), original_(QStringLiteral(":/images/dock.png")) {
    setObjectName(QStringLiteral("TopDock"));
    setFixedHeight(kHeight);
    // The bars let the background through.
    setStyleSheet(
        QStringLiteral("QMenuBar, QToolBar { background: transparent; border: none; }"
                       "QMenuBar::item { background: transparent; padding: 2px 8px; }"
                       "QMenuBar::item:selected, QMenuBar::item:pressed {"
                       " background: palette(highlight); color: palette(highlighted-text); }"));
}

void TopDock::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    TopDockResize();
}

void TopDock::TopDockResize() {
    // Stretched from the bundled picture every time, never from the last stretched one,
    // so repeated resizes neither blur it nor eat its lowest rows. The picture is 5
    // rows higher than the dock, so that its lowest 5 rows fall outside.
    if (original_.isNull() || width() <= 0) {
        stretched_ = QPixmap();
        return;
    }
    stretched_ =
        original_.scaled(width(), height() + 5, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TopDock::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!stretched_.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, stretched_);
    }
}

} // namespace tk
