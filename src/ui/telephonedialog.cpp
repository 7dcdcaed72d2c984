#include "ui/telephonedialog.h"

#include "model/packing.h"
#include "ui/widgets/refusalmark.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tk {

TelephoneDialog::TelephoneDialog(QWidget* parent) : QDialog(parent) {
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

    Edit1Hint = new QLabel(this);
    Edit1Hint->setObjectName(QStringLiteral("Edit1Hint"));
    Edit1Hint->setGeometry(32, 72, 216, 48);
    Edit1Hint->setWordWrap(true);
    Edit1Hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Edit1Hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    Edit1Hint->hide();

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

const QString TelephoneDialog::kRefusedText =
    QStringLiteral("В номере допустимы только цифры 0–9, «*» и «+»; не более 16 знаков.");

bool TelephoneDialog::allowed(QChar c) {
    return IsPackedTelephoneChar(c.unicode());
}

void TelephoneDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TelephoneDialog::FormActivate() {
    clearRefusal();
    Edit1->setText(number_);
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

bool TelephoneDialog::Edit1KeyPress(const QString& typed, int key) {
    // Only typed characters are filtered; moving keys and Delete pass, and so do the
    // edit's shortcuts (pasted text is filtered in Edit1Edited).
    if (key == Qt::Key_Backspace || typed.isEmpty() || !typed.at(0).isPrint()) {
        return false;
    }
    // A selected part gives way to the typed character, so a full number that is
    // selected (as it is when the dialog opens) can be typed over.
    const qsizetype kept = Edit1->text().size() - Edit1->selectedText().size();
    if (typed.size() != 1 || !allowed(typed.at(0)) || kept > kMaxLength - 1) {
        pointOutRefusal();
        return true;
    }
    return false;
}

void TelephoneDialog::pointOutRefusal() {
    setRefusalMark(Edit1, kRefusedText, false);
    Edit1Hint->setText(kRefusedText);
    Edit1Hint->show();
}

void TelephoneDialog::clearRefusal() {
    clearRefusalMark(Edit1);
    Edit1Hint->hide();
}

void TelephoneDialog::Edit1Edited(const QString& text) {
    // Pasted text keeps its allowed characters, up to the length limit; an accepted
    // text takes the note away.
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
        pointOutRefusal();
    } else {
        clearRefusal();
    }
}

void TelephoneDialog::Button1Click() {
    number_ = Edit1->text();
    accept();
}

void TelephoneDialog::Button2Click() {
    reject();
}

} // namespace tk
