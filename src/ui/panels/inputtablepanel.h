// The panel of inputs 5..64: the extension line, one table of the inputs, and the
// refusals of the last step under it.
//
// The table works as a spreadsheet: the arrow keys move, F2 or typing opens the
// cell's editor (a list for the zone type, the contacts and the partition, an edit
// for the others), Enter commits and moves down, Escape drops the edit, Space ticks
// "Вкл." and "Сирена", Ctrl+C copies the selected cells as tab-separated text and
// Ctrl+V pastes such text from the current cell on. A value set in a cell that is
// part of the selection goes into every selected row of its column, as one step.
#pragma once

#include "ui/inputtablemodel.h"

#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

class QLabel;

namespace tk {

class InputTableView : public QTableView {
    Q_OBJECT
public:
    explicit InputTableView(QWidget* parent = nullptr);

    InputTableModel* inputModel() const;
    // The rows a value set in `index` goes into: the selected rows when the index is
    // selected, otherwise its own.
    QList<int> rowsFor(const QModelIndex& index) const;

    // Ctrl+C and Ctrl+V.
    void copySelection();
    void pasteClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void moveDown();
};

// The cells' editors; a committed value goes into every row rowsFor() names.
class InputTableDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit InputTableDelegate(InputTableView* view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    InputTableView* view_;
};

class InputTablePanel : public QWidget {
    Q_OBJECT
public:
    InputTablePanel(const Configuration& record, InputTableModel::Door door,
                    QWidget* parent = nullptr);

    InputTableModel& model() { return *model_; }
    InputTableView& table() { return *table_; }

public slots:
    // The record changed behind the panel (undo, a file, a read).
    void recordChanged();

private:
    // The extension line and the refusals of the last step.
    void showState();

    InputTableModel* model_;
    QLabel* title_;
    QLabel* extension_;
    InputTableView* table_;
    QLabel* hint_;
};

} // namespace tk
