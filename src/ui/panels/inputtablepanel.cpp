#include "ui/panels/inputtablepanel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace tk {
namespace {

// The refusals shown under the table; the rest are counted.
constexpr qsizetype kShownRefusals = 10;

bool isTick(const QModelIndex& index) {
    return InputColumnKind(InputTableModel::columnAt(index.column())) == CellKind::Tick;
}

} // namespace

// --- the table ---------------------------------------------------------------------------

InputTableView::InputTableView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("InputTable"));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(false); // Tab leaves the table, as in the other panels
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new InputTableDelegate(this));
}

InputTableModel* InputTableView::inputModel() const {
    return qobject_cast<InputTableModel*>(model());
}

QList<int> InputTableView::rowsFor(const QModelIndex& index) const {
    if (selectionModel() == nullptr || !selectionModel()->isSelected(index)) {
        return {index.row()};
    }
    std::set<int> rows;
    for (const QModelIndex& i : selectionModel()->selectedIndexes()) {
        rows.insert(i.row());
    }
    return QList<int>(rows.begin(), rows.end());
}

void InputTableView::copySelection() {
    InputTableModel* m = inputModel();
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (m == nullptr || (selected.isEmpty() && !currentIndex().isValid())) {
        return;
    }
    // The rectangle around the selection, or the current cell.
    const QModelIndexList cells = selected.isEmpty() ? QModelIndexList{currentIndex()} : selected;
    int top = cells.front().row();
    int bottom = top;
    int left = cells.front().column();
    int right = left;
    for (const QModelIndex& i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    QApplication::clipboard()->setText(m->copy(top, left, bottom, right));
}

void InputTableView::pasteClipboard() {
    InputTableModel* m = inputModel();
    const QModelIndex current = currentIndex();
    if (m == nullptr || !current.isValid()) {
        return;
    }
    // From the selection's top left corner (the current cell when it is outside it),
    // over the selected rows.
    QList<int> rows = rowsFor(current);
    int column = current.column();
    if (selectionModel()->isSelected(current)) {
        for (const QModelIndex& i : selectionModel()->selectedIndexes()) {
            column = std::min(column, i.column());
        }
    }
    m->paste(rows, column, QApplication::clipboard()->text());
}

void InputTableView::commitEditing() {
    if (state() != QAbstractItemView::EditingState || editor_.isNull()) {
        return;
    }
    QWidget* editor = editor_;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void InputTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteClipboard();
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState) {
        moveDown();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void InputTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Enter commits with SubmitModelCache; a spreadsheet then moves down a row.
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache) {
        moveDown();
    }
}

void InputTableView::moveDown() {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || current.row() + 1 >= model()->rowCount()) {
        return;
    }
    setCurrentIndex(model()->index(current.row() + 1, current.column()));
}

// --- the editors -------------------------------------------------------------------------

InputTableDelegate::InputTableDelegate(InputTableView* view)
    : QStyledItemDelegate(view), view_(view) {}

QWidget* InputTableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const {
    const InputColumn column = InputTableModel::columnAt(index.column());
    switch (InputColumnKind(column)) {
    case CellKind::Tick:
        return nullptr;
    case CellKind::Choice: {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("InputTableCombo"));
        combo->addItems(view_->inputModel()->choices(index));
        view_->editorOpened(combo);
        return combo;
    }
    case CellKind::Typed:
        break;
    }
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("InputTableEdit"));
    edit->setFrame(false);
    view_->editorOpened(edit);
    return edit;
}

void InputTableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
    }
}

void InputTableDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                      const QModelIndex& index) const {
    QString text;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() < 0) {
            return; // nothing chosen ("не выбран" shown)
        }
        text = combo->currentText();
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        text = edit->text();
    } else {
        return;
    }
    if (index.data(Qt::EditRole).toString() == text && view_->rowsFor(index).size() == 1) {
        return; // the editor left as it was: no step
    }
    view_->inputModel()->setColumn(view_->rowsFor(index), index.column(), text);
}

bool InputTableDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    // Space ticks or clears every selected row of the column, after the current cell.
    if (event->type() == QEvent::KeyPress && isTick(index) &&
        (index.flags() & Qt::ItemIsUserCheckable)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Select) {
            const bool on = index.data(Qt::CheckStateRole).toInt() != Qt::Checked;
            view_->inputModel()->setTicks(view_->rowsFor(index), index.column(), on);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

// --- the panel ---------------------------------------------------------------------------

InputTablePanel::InputTablePanel(const Configuration& record, InputTableModel::Door door,
                                 QWidget* parent)
    : QWidget(parent), model_(new InputTableModel(record, std::move(door), this)) {
    setObjectName(QStringLiteral("InputTablePanel"));
    title_ = new QLabel(QStringLiteral("Входы 5–64"), this);
    title_->setObjectName(QStringLiteral("InputTableTitle"));
    title_->setAlignment(Qt::AlignCenter);
    QFont bold = title_->font();
    bold.setPixelSize(16);
    bold.setBold(true);
    title_->setFont(bold);

    extension_ = new QLabel(this);
    extension_->setObjectName(QStringLiteral("InputTableExtension"));

    table_ = new InputTableView(this);
    table_->setModel(model_);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    table_->setCurrentIndex(model_->index(0, 0));

    hint_ = new QLabel(this);
    hint_->setObjectName(QStringLiteral("InputTableHint"));
    hint_->setWordWrap(true);
    hint_->setTextFormat(Qt::PlainText);
    hint_->setStyleSheet(QStringLiteral("color: #A00000;"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addWidget(title_);
    layout->addWidget(extension_);
    layout->addWidget(table_, 1);
    layout->addWidget(hint_);

    connect(model_, &QAbstractItemModel::dataChanged, this, &InputTablePanel::showState);
    showState();
}

void InputTablePanel::recordChanged() {
    model_->recordChanged();
}

void InputTablePanel::showState() {
    extension_->setText(model_->extensionLine());
    const QStringList& refusals = model_->lastRefusals();
    QStringList shown = refusals.mid(0, kShownRefusals);
    if (refusals.size() > kShownRefusals) {
        shown << QStringLiteral("всего отказов: %1, показаны первые %2")
                     .arg(refusals.size())
                     .arg(kShownRefusals);
    }
    hint_->setText(shown.join(u'\n'));
    hint_->setVisible(!shown.isEmpty());
}

// --- on the panel stack -------------------------------------------------------------------

InputTableFrame::InputTableFrame(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("InputTableFrame"), parent) {
    Editor& editor = ctx.owner();
    panel_ = new InputTablePanel(
        editor.record(),
        [this](const QString& name, const InputTableModel::Change& change) {
            FillGuard guard(context());
            if (!guard) {
                return false; // a fill or a link command runs: no edit meanwhile
            }
            return context().owner().edit({name, {View::InpTable}}, change);
        },
        this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel_);
    InputTableView* table = &panel_->table();
    ctx.addEditFinisher(table, [table] { table->commitEditing(); });
    connect(&editor, &Editor::recordReplaced, panel_, &InputTablePanel::recordChanged);
    connect(&editor, &Editor::stepShown, panel_, &InputTablePanel::recordChanged);
}

bool InputTableFrame::fill(const View& view) {
    if (view.kind != View::InpTable) {
        return false;
    }
    setinptable();
    return true;
}

void InputTableFrame::setinptable() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::InpTable});
    show();
    panel_->recordChanged();
}

} // namespace tk
