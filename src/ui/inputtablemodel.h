// The record's inputs 5..64 as a table model: one row an input, the columns of
// model/input_table. It reads the record it is given and changes it only through its
// door, one door call for every user step (a cell, a column set for several rows, a
// paste), so each step is one undo step of whoever owns the record.
#pragma once

#include "model/input_table.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>

namespace tk {

class InputTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A change of the record; returns false when it changed nothing.
    using Change = std::function<bool(Configuration&)>;
    // The one way to the record: runs the change as one step named `stepName` and
    // returns whether the record changed.
    using Door = std::function<bool(const QString& stepName, const Change& change)>;

    InputTableModel(const Configuration& record, Door door, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // One cell: the edit role takes the cell's text, the check state role a tick.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static int inputOfRow(int row) { return kFirstTableInput + row; }
    static InputColumn columnAt(int column) { return static_cast<InputColumn>(column); }

    // Sets one column of every row in `rows` from the same text: one step. Returns
    // whether the record changed; the refused cells are marked and reported.
    bool setColumn(const QList<int>& rows, int column, const QString& text);
    // Ticks or clears a tick column of every row in `rows`: one step.
    bool setTicks(const QList<int>& rows, int column, bool on);
    // Pastes tab-separated rows with their first cell at (rows.first(), column): one
    // step. A single line pasted over several rows goes into each of them.
    bool paste(const QList<int>& rows, int column, const QString& text);
    // The cells of rows top..bottom, columns left..right as tab-separated text.
    QString copy(int top, int left, int bottom, int right) const;

    // The items of a choice cell.
    QStringList choices(const QModelIndex& index) const;
    // "Расширение: N блоков; передаются только удаленной записью"
    QString extensionLine() const;
    // The refusals of the last step, and its word on rows cut at input 64; they stay
    // until the next step or recordChanged.
    const QStringList& lastRefusals() const { return refusals_; }

public slots:
    // The record changed behind the model (undo, a file, a read): every cell is
    // shown again, the marks of refused cells and the refusals go.
    void recordChanged();

private:
    // Runs one step through the door, collecting the refusals of `apply`.
    bool step(const QString& name, const std::function<PasteReport(Configuration&)>& apply);
    void showAll();

    const Configuration& record_;
    Door door_;
    QStringList refusals_;
    QHash<quint32, QString> marked_; // refused cells (row << 8 | column) and why
};

// "5–9, 12": input numbers, runs of them as ranges.
QString InputNumbersText(const QList<int>& inputs);
// "Вход 7", "Входы 5–9, 12": the inputs of some rows, for a step's name.
QString InputRowsName(const QList<int>& rows);

} // namespace tk
