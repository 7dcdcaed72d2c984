#include "ui/backupsdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tk {

BackupsDialog::BackupsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BackupsDialog"));
    setWindowTitle(QStringLiteral("Резервные копии"));
    resize(720, 420);
    auto* layout = new QVBoxLayout(this);
    folder_ = new QLabel(this);
    folder_->setObjectName(QStringLiteral("BackupsFolder"));
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder_->setWordWrap(true);
    layout->addWidget(folder_);

    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Найти:"), this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("BackupsFilter"));
    filter_->setPlaceholderText(QStringLiteral("передатчик, дата, вид, порт или телефон"));
    filter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_);
    layout->addLayout(filterRow);

    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("BackupsRows"));
    rows_->setRootIsDecorated(false);
    rows_->setAlternatingRowColors(true);
    rows_->setHeaderLabels({QStringLiteral("Передатчик"), QStringLiteral("Дата и время"),
                            QStringLiteral("Вид"), QStringLiteral("Порт или телефон")});
    rows_->header()->setStretchLastSection(true);
    layout->addWidget(rows_);

    auto* buttons = new QDialogButtonBox(this);
    open_ = buttons->addButton(QStringLiteral("&Открыть"), QDialogButtonBox::ActionRole);
    open_->setObjectName(QStringLiteral("BackupsOpen"));
    compare_ =
        buttons->addButton(QStringLiteral("&Сравнить с текущей"), QDialogButtonBox::ActionRole);
    compare_->setObjectName(QStringLiteral("BackupsCompare"));
    QPushButton* close =
        buttons->addButton(QStringLiteral("&Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("BackupsClose"));
    layout->addWidget(buttons);

    connect(filter_, &QLineEdit::textChanged, this, &BackupsDialog::applyFilter);
    connect(rows_, &QTreeWidget::currentItemChanged, this, &BackupsDialog::showChoice);
    connect(rows_, &QTreeWidget::itemActivated, this, [this] {
        if (!chosen().isEmpty()) {
            emit openChosen(chosen());
        }
    });
    connect(open_, &QPushButton::clicked, this, [this] { emit openChosen(chosen()); });
    connect(compare_, &QPushButton::clicked, this, [this] { emit compareChosen(chosen()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void BackupsDialog::list(const QString& root) {
    entries_ = ListBackups(root);
    folder_->setText(
        QStringLiteral("Папка резервных копий: %1").arg(QDir::toNativeSeparators(root)));
    rows_->clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const BackupEntry& e = entries_[i];
        const QString kind = e.unreadable ? QStringLiteral("не читается") : BackupKindText(e.kind);
        const QString via =
            e.via.isEmpty()
                ? QString()
                : (e.remote ? QStringLiteral("телефон ") : QStringLiteral("порт ")) + e.via;
        auto* item = new QTreeWidgetItem(
            rows_,
            {e.transmitter, e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), kind, via});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        item->setToolTip(0, QDir::toNativeSeparators(e.path));
        if (e.unreadable) {
            item->setForeground(2, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    for (int c = 0; c < rows_->columnCount() - 1; ++c) {
        rows_->resizeColumnToContents(c);
    }
    if (entries_.empty()) {
        folder_->setText(folder_->text() +
                         QStringLiteral("\nКопий пока нет: они появляются после "
                                        "каждого чтения и перед каждой записью."));
    }
    applyFilter();
}

void BackupsDialog::applyFilter() {
    const QString text = filter_->text().trimmed();
    QTreeWidgetItem* first = nullptr;
    for (int i = 0; i < rows_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = rows_->topLevelItem(i);
        bool match = text.isEmpty();
        for (int c = 0; c < rows_->columnCount() && !match; ++c) {
            match = item->text(c).contains(text, Qt::CaseInsensitive);
        }
        item->setHidden(!match);
        if (match && first == nullptr) {
            first = item;
        }
    }
    if (rows_->currentItem() == nullptr || rows_->currentItem()->isHidden()) {
        rows_->setCurrentItem(first);
    }
    showChoice();
}

QString BackupsDialog::chosen() const {
    const QTreeWidgetItem* item = rows_->currentItem();
    if (item == nullptr || item->isHidden()) {
        return {};
    }
    const BackupEntry& e = entries_.at(item->data(0, Qt::UserRole).toUInt());
    return e.unreadable ? QString() : e.path;
}

void BackupsDialog::showChoice() {
    const bool any = !chosen().isEmpty();
    open_->setEnabled(any);
    compare_->setEnabled(any);
}

} // namespace tk
