// The panel of inputs 5..64: the extension line, one table of the inputs, and the
// refusals of the last step under it.
//
// The table works as a spreadsheet: the arrow keys move, F2 or typing opens the
// cell's editor (a list for the zone type, the contacts and the partition, an edit
// for the others), Enter commits and moves down, Escape drops the edit, Space ticks
// "Вкл." and "Сирена", Ctrl+C copies the selected cells as tab-separated text and
// Ctrl+V pastes such text from the current cell on. A value set in a cell that is
// part of the selection goes into every selected row of its column, as one step.
//
// InputTablePanel stands alone over a record and a door; InputTableFrame puts it on
// the panel stack as the view "Входы 5–64", its door bound to the editor.
#pragma once

#include "ui/inputtablemodel.h"
#include "ui/panels/settingspanel.h"

#include <QPointer>
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
    // Commits the cell editor that is open, if any, and closes it.
    void commitEditing();
    // The delegate tells of every editor it opens.
    void editorOpened(QWidget* editor) { editor_ = editor; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void moveDown();

    QPointer<QWidget> editor_;
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

// The table on the panel stack: the view View::InpTable. Every step of the table is
// an edit of the editor in that view (so Undo shows the table again), nothing while
// FillGuard is held; a cell being typed is committed before every command. The table
// shows the record again on every fill, after Undo and Redo and when the record is
// replaced.
class InputTableFrame : public SettingsPanel {
    Q_OBJECT
public:
    InputTableFrame(PanelContext& ctx, QWidget* parent);

    bool fill(const View& view) override;
    void setinptable();

private:
    InputTablePanel* panel_;
};

} // namespace tk
