// "Резервные копии…": the copies the backup store keeps (files/backups.h), newest
// first, with the transmitter, the date and time, the kind ("чтение", "перед записью")
// and the port or number; a filter narrows the list to the rows holding its text.
// "Открыть" opens the chosen copy as an untitled configuration, "Сравнить с текущей"
// compares it with the configuration being edited.
#pragma once

#include "files/backups.h"

#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tk {

class BackupsDialog : public QDialog {
    Q_OBJECT
public:
    explicit BackupsDialog(QWidget* parent);

    // Lists the store under `root` again.
    void list(const QString& root);

    QTreeWidget& rows() { return *rows_; }
    QLineEdit& filter() { return *filter_; }

signals:
    void openChosen(const QString& path);
    void compareChosen(const QString& path);

private:
    void applyFilter();
    // The chosen copy's path; empty when none is chosen or it cannot be read.
    QString chosen() const;
    void showChoice();

    std::vector<BackupEntry> entries_;
    QLabel* folder_;
    QLineEdit* filter_;
    QTreeWidget* rows_;
    QPushButton* open_;
    QPushButton* compare_;
};

} // namespace tk
