#include "ui/widgets/checkededit.h"

#include "files/recordtext.h"
#include "ui/widgets/keyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace tk {

namespace {

// Accepts only texts the record can keep: Windows-1251 characters, at most
// maxLength of them. With an `allowed` set, other characters are dropped from what
// comes in (a paste; typed ones never get here: the key filter swallows them) and
// `stripped` is told; the characters the edit held before stay as they were, so a
// number shown from the record is never rewritten by an edit next to it. While
// `filling` says so, a text is taken as it is: a fill shows the record unchanged. The
// reason for the last refusal is kept for the message.
class RecordTextValidator : public QValidator {
public:
    RecordTextValidator(int maxLength, QString allowed, std::function<bool()> filling,
                        std::function<void()> stripped, QObject* parent)
        : QValidator(parent), maxLength_(maxLength), allowed_(std::move(allowed)),
          filling_(std::move(filling)), stripped_(std::move(stripped)) {}

    State validate(QString& input, int& pos) const override {
        if (filling_()) {
            previous_ = input;
            return Acceptable;
        }
        if (!allowed_.isEmpty()) {
            keepAllowedOfTheNewPart(input, pos);
        }
        if (maxLength_ > 0 && input.size() > maxLength_) {
            reason_ = QStringLiteral("Не более %1 символов.").arg(maxLength_);
            return Invalid;
        }
        char32_t bad = 0;
        if (!toRecordText(input, &bad)) {
            reason_ = refusedCharacterText(bad);
            return Invalid;
        }
        previous_ = input;
        return Acceptable;
    }

    const QString& reason() const { return reason_; }

private:
    // The new part is what lies between the text's common start and end with the
    // text accepted before.
    void keepAllowedOfTheNewPart(QString& input, int& pos) const {
        const qsizetype n = input.size();
        const qsizetype m = previous_.size();
        qsizetype head = 0;
        while (head < n && head < m && input.at(head) == previous_.at(head)) {
            ++head;
        }
        qsizetype tail = 0;
        while (tail < n - head && tail < m - head &&
               input.at(n - 1 - tail) == previous_.at(m - 1 - tail)) {
            ++tail;
        }
        QString kept = input.left(head);
        int keptPos = pos;
        for (qsizetype i = head; i < n - tail; ++i) {
            if (allowed_.contains(input.at(i))) {
                kept += input.at(i);
            } else if (i < pos) {
                --keptPos;
            }
        }
        kept += input.right(tail);
        if (kept.size() != n) {
            input = kept;
            pos = keptPos;
            if (stripped_) {
                stripped_();
            }
        }
    }

    int maxLength_;
    QString allowed_;
    std::function<bool()> filling_;
    std::function<void()> stripped_;
    mutable QString previous_;
    mutable QString reason_;
};

} // namespace

QString refusedCharacterText(char32_t character) {
    return QStringLiteral("Символ «%1» нельзя сохранить: его нет в кодировке Windows-1251.")
        .arg(QString::fromUcs4(&character, 1));
}

CheckedEdit::CheckedEdit(QLineEdit* edit, int maxLength, const QString& allowed,
                         std::function<bool()> filling)
    : QObject(edit) {
    const QString onlyAllowed = QStringLiteral("Допустимы только символы %1").arg(allowed);
    auto* validator = new RecordTextValidator(
        maxLength, allowed, filling,
        [this, filling, onlyAllowed] {
            if (!filling()) {
                emit refused(onlyAllowed);
                keepNote_ = true;
            }
        },
        edit);
    edit->setValidator(validator);
    connect(edit, &QLineEdit::inputRejected, this,
            [this, validator] { emit refused(validator->reason()); });
    if (!allowed.isEmpty()) {
        onKeyPress(edit, [this, filling, allowed, onlyAllowed](QKeyEvent* e) {
            const QString typed = typedText(e);
            if (filling() || typed.isEmpty() ||
                std::all_of(typed.begin(), typed.end(),
                            [&](QChar c) { return allowed.contains(c); })) {
                return false;
            }
            emit refused(onlyAllowed);
            return true;
        });
    }
    // Typing on after a note clears it; a paste that was cut keeps it (the validator
    // runs before the edit reports the new text).
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (keepNote_) {
            keepNote_ = false;
        } else {
            emit typedOn();
        }
    });
}

} // namespace tk
