#include "ui/widgets/tickgrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace tk {

namespace {

const QColor kTickColour(0, 128, 0);

} // namespace

TickGrid::TickGrid(int columns, int rows, int columnWidth, int rowHeight, int textLeft,
                   QWidget* parent)
    : QFrame(parent), columns_(columns), rows_(rows), columnWidth_(columnWidth),
      rowHeight_(rowHeight), textLeft_(textLeft), texts_(columns * rows) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFixedSize(2 * frameWidth() + columns * (columnWidth + 1),
                 2 * frameWidth() + rows * (rowHeight + 1));
}

QString TickGrid::cellText(int col, int row) const {
    if (col < 0 || col >= columns_ || row < 0 || row >= rows_) {
        return {};
    }
    return texts_[row * columns_ + col];
}

void TickGrid::setCellText(int col, int row, const QString& text) {
    if (col < 0 || col >= columns_ || row < 0 || row >= rows_) {
        return;
    }
    texts_[row * columns_ + col] = text;
    update(cellRect(col, row));
}

void TickGrid::setCurrentCell(int col, int row) {
    const QPoint cell(std::clamp(col, 0, columns_ - 1), std::clamp(row, 0, rows_ - 1));
    if (cell != current_) {
        update(cellRect(current_.x(), current_.y()));
        current_ = cell;
        update(cellRect(current_.x(), current_.y()));
    }
}

QRect TickGrid::cellRect(int col, int row) const {
    const QRect area = contentsRect();
    return {area.left() + col * (columnWidth_ + 1), area.top() + row * (rowHeight_ + 1),
            columnWidth_, rowHeight_};
}

QPoint TickGrid::cellAt(QPoint pos) const {
    for (int row = 0; row < rows_; ++row) {
        for (int col = 0; col < columns_; ++col) {
            if (cellRect(col, row).contains(pos)) {
                return {col, row};
            }
        }
    }
    return {-1, -1};
}

void TickGrid::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.fillRect(contentsRect(), palette().color(QPalette::Mid)); // the grid lines
    painter.setFont(font());
    for (int row = 0; row < rows_; ++row) {
        for (int col = 0; col < columns_; ++col) {
            const QRect rect = cellRect(col, row);
            const bool enabled = cellEnabled && cellEnabled(col, row);
            painter.fillRect(rect, enabled ? QColor(Qt::white) : palette().color(QPalette::Button));
            if (enabled) {
                painter.setPen(kTickColour);
                painter.drawText(rect.adjusted(textLeft_, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                                 cellText(col, row));
            }
        }
    }
    if (hasFocus()) {
        QPen dotted(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cellRect(current_.x(), current_.y()).adjusted(1, 1, -2, -2));
    }
}

void TickGrid::mousePressEvent(QMouseEvent* event) {
    pressed_ = {-1, -1};
    if (event->button() == Qt::LeftButton) {
        const QPoint cell = cellAt(event->position().toPoint());
        if (cell.x() >= 0) {
            setCurrentCell(cell.x(), cell.y());
            pressed_ = cell;
        }
    }
    QFrame::mousePressEvent(event);
}

void TickGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pressed = pressed_;
    pressed_ = {-1, -1};
    if (event->button() == Qt::LeftButton && pressed.x() >= 0 &&
        cellAt(event->position().toPoint()) == pressed) {
        emit cellClicked(pressed.x(), pressed.y());
    }
    QFrame::mouseReleaseEvent(event);
}

void TickGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint cell = cellAt(event->position().toPoint());
    emit mouseMovedOver(cell.x(), cell.y());
    QFrame::mouseMoveEvent(event);
}

void TickGrid::enterEvent(QEnterEvent* event) {
    // Coming from another grid, the stored hint cell belongs to that grid.
    emit mouseMovedOver(-1, -1);
    QFrame::enterEvent(event);
}

void TickGrid::leaveEvent(QEvent* event) {
    emit mouseMovedOver(-1, -1);
    QFrame::leaveEvent(event);
}

void TickGrid::keyPressEvent(QKeyEvent* event) {
    const int col = current_.x();
    const int row = current_.y();
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrentCell(col - 1, row);
        break;
    case Qt::Key_Right:
        setCurrentCell(col + 1, row);
        break;
    case Qt::Key_Up:
        setCurrentCell(col, row - 1);
        break;
    case Qt::Key_Down:
        setCurrentCell(col, row + 1);
        break;
    case Qt::Key_Home:
        setCurrentCell(0, row);
        break;
    case Qt::Key_End:
        setCurrentCell(columns_ - 1, row);
        break;
    case Qt::Key_Space:
        if (!event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
            emit cellClicked(col, row);
        }
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace tk
