#include "ui/qtprompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

namespace tk {

namespace {

const QString kDefaultExtension = QStringLiteral("t61");

QFileDialog* fileDialog(QWidget* parent, const QString& name, QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    // Both extensions the program writes; "*" and not "*.*", which would hide the
    // files without an extension.
    dialog->setNameFilters({QStringLiteral("TK 515 (*.tk515 *.t61)"), QStringLiteral("All (*)")});
    dialog->setDefaultSuffix(kDefaultExtension);
    // Save as asks its own question about an existing file.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    return dialog;
}

std::optional<QString> chosenFile(QFileDialog* dialog) {
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst();
}

QString boxTitle() {
    return QGuiApplication::applicationDisplayName();
}

} // namespace

QtPrompts::QtPrompts(QWidget* parent)
    : OpenDialog1(fileDialog(parent, QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen)),
      SaveDialog1(fileDialog(parent, QStringLiteral("SaveDialog1"), QFileDialog::AcceptSave)),
      parent_(parent) {}

Prompts::Answer QtPrompts::question(const QString& text) {
    QMessageBox box(QMessageBox::Warning, boxTitle(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtPrompts::message(const QString& text) {
    showMessage(parent_, text);
}

void QtPrompts::captionedMessage(const QString& caption, const QString& text) {
    showMessage(parent_, text, caption);
}

void showMessage(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption.isNull() ? boxTitle() : caption, text,
                    QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

std::optional<QString> QtPrompts::openFileName(const QString& folder) {
    // A folder removed since it was used leaves the dialog where it stands.
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        OpenDialog1->setDirectory(folder);
    }
    return chosenFile(OpenDialog1);
}

std::optional<QString> QtPrompts::saveFileName(const QString& preset) {
    SaveDialog1->setDefaultSuffix(kDefaultExtension);
    if (const QFileInfo file(preset); file.absoluteDir().exists()) {
        SaveDialog1->setDirectory(file.absolutePath());
    }
    SaveDialog1->selectFile(preset);
    return chosenFile(SaveDialog1);
}

} // namespace tk
