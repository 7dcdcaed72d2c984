#include "ui/comparedialog.h"

#include "ui/editor.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>

namespace tk {

namespace {

constexpr int kCaptionWidthMax = 380;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<View> ViewOfField(const FieldRow& row) {
    switch (row.place) {
    case FieldPlace::General:
        return View{View::Obsch};
    case FieldPlace::ArmDisarm:
        return View{View::ArmDisarm};
    case FieldPlace::Telephones:
        return View{View::Teleph0};
    case FieldPlace::EventTelephones:
        return View{View::TelephN, 0};
    case FieldPlace::InputTelephones:
        // Inputs above 4 are chosen on the panel of "Входа 4".
        return View{View::TelephN, std::min(row.index, 4)};
    case FieldPlace::PartitionTelephones:
        return View{View::TelephAD, row.index - 1};
    case FieldPlace::Other:
        return View{View::Other};
    case FieldPlace::Input:
        return View{View::Inp, row.index};
    case FieldPlace::InputTable:
        return View{View::InpTable};
    case FieldPlace::PeriodicTest:
        return View{View::SysevPT};
    case FieldPlace::Hidden:
        break;
    }
    return std::nullopt;
}

CompareDialog::CompareDialog(QWidget* parent, Editor& editor, std::function<void(const View&)> show)
    : QDialog(parent), editor_(editor), show_(std::move(show)) {
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Сравнение конфигураций"));
    resize(760, 460);
    auto* layout = new QVBoxLayout(this);
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("CompareHeading"));
    heading_->setWordWrap(true);
    layout->addWidget(heading_);

    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("CompareRows"));
    rows_->setRootIsDecorated(false);
    rows_->setAlternatingRowColors(true);
    rows_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rows_->setHeaderLabels(
        {QStringLiteral("Поле"), QStringLiteral("Текущее"), QStringLiteral("Другое")});
    // The captions as wide as they need up to a limit, the two values share the rest
    // (a long value is whole in its hint).
    rows_->header()->setStretchLastSection(false);
    rows_->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    rows_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    rows_->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    layout->addWidget(rows_);

    auto* buttons = new QDialogButtonBox(this);
    take_ = buttons->addButton(QStringLiteral("&Взять значение"), QDialogButtonBox::ActionRole);
    take_->setObjectName(QStringLiteral("CompareTake"));
    take_->setToolTip(QStringLiteral("Записать другое значение выбранных полей в текущую "
                                     "конфигурацию (Правка → Отменить вернёт)"));
    QPushButton* close =
        buttons->addButton(QStringLiteral("&Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CompareClose"));
    layout->addWidget(buttons);

    connect(take_, &QPushButton::clicked, this, &CompareDialog::takeSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(rows_, &QTreeWidget::itemDoubleClicked, this, [this] { showRow(); });
    connect(rows_, &QTreeWidget::itemSelectionChanged, this,
            [this] { take_->setEnabled(!rows_->selectedItems().isEmpty()); });
    // Any change of the record (an edit, Undo, a file opened) is shown at once.
    connect(&editor_.undoStack(), &QUndoStack::indexChanged, this, [this] {
        if (isVisible()) {
            refresh();
        }
    });
    connect(&editor_, &Editor::recordReplaced, this, [this] {
        if (isVisible()) {
            refresh();
        }
    });
}

void CompareDialog::compareWith(const Configuration& other, const QString& name) {
    other_ = other;
    name_ = name;
    refresh();
}

void CompareDialog::refresh() {
    differences_ = DiffFields(editor_.record(), other_);
    rows_->clear();
    for (std::size_t i = 0; i < differences_.size(); ++i) {
        const FieldDifference& d = differences_[i];
        auto* item =
            new QTreeWidgetItem(rows_, {fromUtf8(d.row->label()), fromUtf8(d.a), fromUtf8(d.b)});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        for (int c = 0; c < 3; ++c) {
            item->setToolTip(c, fromUtf8(d.text()));
        }
    }
    heading_->setText(differences_.empty()
                          ? QStringLiteral("Текущая конфигурация и «%1» не различаются.").arg(name_)
                          : QStringLiteral("Различий с «%1»: %2. Двойной щелчок показывает "
                                           "панель поля.")
                                .arg(name_)
                                .arg(differences_.size()));
    rows_->resizeColumnToContents(0);
    rows_->setColumnWidth(0, std::min(rows_->columnWidth(0), kCaptionWidthMax));
    if (rows_->topLevelItemCount() > 0) {
        rows_->setCurrentItem(rows_->topLevelItem(0));
    }
    take_->setEnabled(!rows_->selectedItems().isEmpty());
}

void CompareDialog::showRow() {
    QTreeWidgetItem* item = rows_->currentItem();
    if (item == nullptr) {
        return;
    }
    const FieldDifference& d = differences_.at(item->data(0, Qt::UserRole).toUInt());
    if (const std::optional<View> view = ViewOfField(*d.row)) {
        show_(*view);
    }
}

void CompareDialog::takeSelected() {
    std::vector<const FieldRow*> taken;
    for (QTreeWidgetItem* item : rows_->selectedItems()) {
        taken.push_back(differences_.at(item->data(0, Qt::UserRole).toUInt()).row);
    }
    if (taken.empty()) {
        return;
    }
    const FieldRow& first = *taken.front();
    const QString name =
        taken.size() == 1
            ? QStringLiteral("Взять «%1»").arg(fromUtf8(first.caption))
            : QStringLiteral("Взять %1 значений из «%2»").arg(taken.size()).arg(name_);
    const View view = ViewOfField(first).value_or(View{View::Obsch});
    editor_.finishEdits();
    editor_.edit({name, view}, [&](Configuration& cfg) {
        for (const FieldRow* row : taken) {
            row->take(cfg, other_);
        }
        return true;
    });
    // The panel of the first field shows what it holds now.
    if (const std::optional<View> shown = ViewOfField(first)) {
        show_(*shown);
    }
    refresh();
}

} // namespace tk
