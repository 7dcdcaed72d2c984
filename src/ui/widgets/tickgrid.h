#pragma once

#include <QFrame>
#include <QList>
#include <QPoint>
#include <QString>

#include <functional>

namespace tk {

// A small string grid of tick cells: fixed columns and rows, one-pixel grid lines,
// each cell drawn by the owner's rules (white when enabled, button face when not,
// green text at a fixed offset). A mouse click on a cell, or Space on the current
// cell, reports the cell; the arrow keys, Home and End only move the current cell.
class TickGrid : public QFrame {
    Q_OBJECT
public:
    TickGrid(int columns, int rows, int columnWidth, int rowHeight, int textLeft, QWidget* parent);

    int columns() const { return columns_; }
    int rows() const { return rows_; }

    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString& text);

    // The current cell, where Space acts and the focus frame is drawn.
    QPoint currentCell() const { return current_; }
    void setCurrentCell(int col, int row);

    // The rectangle of a cell in the grid's coordinates.
    QRect cellRect(int col, int row) const;
    // The cell under a point, or (-1, -1).
    QPoint cellAt(QPoint pos) const;

    // Whether a cell is drawn as enabled (white, with its text).
    std::function<bool(int col, int row)> cellEnabled;

signals:
    void cellClicked(int col, int row);
    // The mouse moved over the grid; (-1, -1) when it is on no cell or left the grid.
    void mouseMovedOver(int col, int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int columns_;
    int rows_;
    int columnWidth_;
    int rowHeight_;
    int textLeft_;
    QList<QString> texts_; // row by row
    QPoint current_{0, 0};
    QPoint pressed_{-1, -1};
};

} // namespace tk
