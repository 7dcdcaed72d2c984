#include "ui/telephonedialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace tk {

TelephoneDialog::TelephoneDialog(QString& telDialogText, QWidget* parent)
    : QDialog(parent), telDialogText_(telDialogText) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Номер телефона"));
    // Minimise and maximise only: no system menu, so no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinMaxButtonsHint);
    setFixedSize(408, 182);

    QFont large = font();
    large.setPixelSize(13);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(32, 40, 193, 24);
    Edit1->setFont(large);
    Edit1->installEventFilter(this);
    connect(Edit1, &QLineEdit::textEdited, this, &TelephoneDialog::Edit1Edited);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(280, 40, 75, 25);
    Button1->setFont(large);
    connect(Button1, &QPushButton::clicked, this, &TelephoneDialog::Button1Click);

    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(280, 88, 75, 25);
    Button2->setAutoDefault(false);
    connect(Button2, &QPushButton::clicked, this, &TelephoneDialog::Button2Click);
}

bool TelephoneDialog::allowed(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('*') ||
           c == QLatin1Char('+') || c == QLatin1Char('#');
}

void TelephoneDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TelephoneDialog::FormActivate() {
    Edit1->setText(telDialogText_);
    Edit1->setFocus();
    Button1->setDefault(true);
}

bool TelephoneDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool shortcut =
            (key->modifiers() & Qt::ControlModifier) && !(key->modifiers() & Qt::AltModifier);
        if (!shortcut && Edit1KeyPress(key->text(), key->key())) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TelephoneDialog::Edit1KeyPress(const QString& typed, int key) const {
    // Only typed characters are filtered; moving keys and Delete pass, and so do the
    // edit's shortcuts (pasted text is filtered in Edit1Edited).
    if (key == Qt::Key_Backspace || typed.isEmpty() || !typed.at(0).isPrint()) {
        return false;
    }
    // A selected part gives way to the typed character, so a full number that is
    // selected (as it is when the dialog opens) can be typed over.
    const qsizetype kept = Edit1->text().size() - Edit1->selectedText().size();
    return typed.size() != 1 || !allowed(typed.at(0)) || kept > kMaxLength - 1;
}

void TelephoneDialog::Edit1Edited(const QString& text) {
    // Pasted text keeps its allowed characters, up to the length limit.
    QString kept;
    int cursor = Edit1->cursorPosition();
    for (int i = 0; i < text.size(); ++i) {
        if (allowed(text.at(i))) {
            kept.append(text.at(i));
        } else if (i < Edit1->cursorPosition()) {
            --cursor;
        }
    }
    kept.truncate(kMaxLength);
    if (kept != text) {
        Edit1->setText(kept);
        Edit1->setCursorPosition(std::min(cursor, static_cast<int>(kept.size())));
    }
}

void TelephoneDialog::Button1Click() {
    telDialogText_ = Edit1->text();
    accept();
}

void TelephoneDialog::Button2Click() {
    reject();
}

} // namespace tk
