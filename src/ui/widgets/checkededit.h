// A line edit kept to the texts the record can keep.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;

namespace tk {

// "Символ «…» нельзя сохранить: его нет в кодировке Windows-1251."
QString refusedCharacterText(char32_t character);

// Watches one edit (and lives as long as it does): refuses, where they are typed or
// pasted, characters without a Windows-1251 byte and texts longer than `maxLength`
// (0: no limit). `allowed`, when given, also limits the characters typed or pasted
// (for example "0123456789+*#"): a typed key outside it is swallowed, a paste keeps
// its allowed characters. What the edit held before is never rewritten, and while
// `filling` says so a text is taken as it is, so a fill shows the record unchanged.
//
// Each refusal is told by refused(reason); typedOn() tells that the user typed on
// after it, so the note can go. The note of a paste that was cut outlives that paste's
// own change.
class CheckedEdit : public QObject {
    Q_OBJECT
public:
    CheckedEdit(QLineEdit* edit, int maxLength, const QString& allowed,
                std::function<bool()> filling);

signals:
    void refused(const QString& reason);
    void typedOn();

private:
    bool keepNote_ = false;
};

} // namespace tk
