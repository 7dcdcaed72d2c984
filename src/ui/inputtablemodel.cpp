#include "ui/inputtablemodel.h"

#include <QColor>

#include <algorithm>

namespace tk {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

quint32 cellKey(int row, int column) {
    return (static_cast<quint32>(row) << 8) | static_cast<quint32>(column);
}

QList<int> sortedRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([](int row) { return row < 0 || row >= kTableInputs; });
    return rows;
}

// The same colour as a control pointed out in the panels.
const QColor kRefusedCell(0xFF, 0xD0, 0xD0);

} // namespace

QString InputNumbersText(const QList<int>& inputs) {
    return QString::fromStdString(
        tk::InputNumbersText(std::vector<int>(inputs.begin(), inputs.end())));
}

QString InputRowsName(const QList<int>& rows) {
    QList<int> inputs;
    for (int row : sortedRows(rows)) {
        inputs << InputTableModel::inputOfRow(row);
    }
    return (inputs.size() == 1 ? QStringLiteral("Вход ") : QStringLiteral("Входы ")) +
           InputNumbersText(inputs);
}

InputTableModel::InputTableModel(const Configuration& record, Door door, QObject* parent)
    : QAbstractTableModel(parent), record_(record), door_(std::move(door)) {}

int InputTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTableInputs;
}

int InputTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kInputColumnCount;
}

QVariant InputTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int n = inputOfRow(index.row());
    const InputColumn column = columnAt(index.column());
    const bool tick = InputColumnKind(column) == CellKind::Tick;
    switch (role) {
    case Qt::DisplayRole:
        if (tick) {
            return {};
        }
        [[fallthrough]];
    case Qt::EditRole:
        return fromUtf8(InputCellText(record_, n, column));
    case Qt::CheckStateRole:
        if (!tick) {
            return {};
        }
        return InputCellTicked(record_, n, column) ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
        // Greyed as the inputs panel greys the controls of an arm/disarm zone.
        if (!InputCellEditable(record_, n, column)) {
            return QColor(Qt::gray);
        }
        return {};
    case Qt::BackgroundRole:
        if (marked_.contains(cellKey(index.row(), index.column()))) {
            return kRefusedCell;
        }
        return {};
    case Qt::ToolTipRole: {
        const auto it = marked_.constFind(cellKey(index.row(), index.column()));
        return it == marked_.constEnd() ? QVariant() : QVariant(*it);
    }
    default:
        return {};
    }
}

QVariant InputTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= kInputColumnCount) {
            return {};
        }
        return fromUtf8(InputColumnCaption(columnAt(section)));
    }
    return QString::number(inputOfRow(section));
}

Qt::ItemFlags InputTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const InputColumn column = columnAt(index.column());
    if (!InputCellEditable(record_, inputOfRow(index.row()), column)) {
        return f;
    }
    return f | (InputColumnKind(column) == CellKind::Tick ? Qt::ItemIsUserCheckable
                                                          : Qt::ItemIsEditable);
}

bool InputTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid()) {
        return false;
    }
    if (role == Qt::CheckStateRole) {
        const bool on = value.toInt() == Qt::Checked;
        return setColumn({index.row()}, index.column(), fromUtf8(on ? kTickedText : kUntickedText));
    }
    if (role != Qt::EditRole) {
        return false;
    }
    return setColumn({index.row()}, index.column(), value.toString());
}

bool InputTableModel::setColumn(const QList<int>& rows, int column, const QString& text) {
    const QList<int> sorted = sortedRows(rows);
    if (sorted.isEmpty() || column < 0 || column >= kInputColumnCount) {
        return false;
    }
    const InputColumn c = columnAt(column);
    const std::string value = text.toStdString();
    const QString name =
        InputRowsName(sorted) + QStringLiteral(": ") + fromUtf8(InputColumnCaption(c));
    return step(name, [&](Configuration& cfg) {
        PasteReport report;
        for (int row : sorted) {
            const int n = inputOfRow(row);
            if (auto refusal = SetInputCell(cfg, n, c, value)) {
                report.refusals.push_back({n, c, InputCellName(n, c) + ": " + *refusal});
            }
        }
        return report;
    });
}

bool InputTableModel::setTicks(const QList<int>& rows, int column, bool on) {
    return setColumn(rows, column, fromUtf8(on ? kTickedText : kUntickedText));
}

bool InputTableModel::paste(const QList<int>& rows, int column, const QString& text) {
    const QList<int> sorted = sortedRows(rows);
    if (sorted.isEmpty() || column < 0 || column >= kInputColumnCount) {
        return false;
    }
    const std::string value = text.toStdString();
    const bool oneLine = SplitTabText(value).size() == 1;
    const QList<int> targets = oneLine ? sorted : QList<int>{sorted.first()};
    return step(QStringLiteral("Вставка: ") + InputRowsName(targets), [&](Configuration& cfg) {
        PasteReport all;
        for (int row : targets) {
            PasteReport one = PasteInputRows(cfg, inputOfRow(row), columnAt(column), value);
            all.refusals.insert(all.refusals.end(), one.refusals.begin(), one.refusals.end());
            if (all.cut.empty()) {
                all.cut = one.cut;
            }
        }
        return all;
    });
}

QString InputTableModel::copy(int top, int left, int bottom, int right) const {
    top = std::clamp(top, 0, kTableInputs - 1);
    bottom = std::clamp(bottom, top, kTableInputs - 1);
    left = std::clamp(left, 0, kInputColumnCount - 1);
    right = std::clamp(right, left, kInputColumnCount - 1);
    return fromUtf8(InputRowsText(record_, inputOfRow(top), inputOfRow(bottom), columnAt(left),
                                  columnAt(right)));
}

QStringList InputTableModel::choices(const QModelIndex& index) const {
    QStringList items;
    if (!index.isValid()) {
        return items;
    }
    for (const std::string& item :
         InputCellChoices(record_, inputOfRow(index.row()), columnAt(index.column()))) {
        items << fromUtf8(item);
    }
    return items;
}

QString InputTableModel::extensionLine() const {
    return fromUtf8(ExtensionLine(record_));
}

void InputTableModel::recordChanged() {
    marked_.clear();
    refusals_.clear();
    showAll();
}

bool InputTableModel::step(const QString& name,
                           const std::function<PasteReport(Configuration&)>& apply) {
    PasteReport report;
    const bool changed = door_(name, [&](Configuration& cfg) {
        const auto inputs = cfg.Inputs;
        const auto blocks = cfg.ExtBlocksCount;
        report = apply(cfg); // a door may run a change more than once: the last run counts
        return !(cfg.Inputs == inputs) || cfg.ExtBlocksCount != blocks;
    });
    marked_.clear();
    refusals_.clear();
    for (const CellRefusal& r : report.refusals) {
        const QString text = fromUtf8(r.text);
        refusals_ << text;
        if (r.column) {
            marked_.insert(cellKey(r.input - kFirstTableInput, static_cast<int>(*r.column)), text);
        }
    }
    if (!report.cut.empty()) {
        refusals_ << fromUtf8(report.cut);
    }
    showAll();
    return changed;
}

void InputTableModel::showAll() {
    emit dataChanged(index(0, 0), index(kTableInputs - 1, kInputColumnCount - 1));
}

} // namespace tk
