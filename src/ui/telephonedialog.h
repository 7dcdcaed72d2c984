// TForm2: one report telephone number, typed from digits, "*" and "+", at most 16
// characters: what the packed number keeps ("#" has no nibble and would be dialled as
// "0"). A refused key or pasted character is pointed out under the edit. The caller
// sets the number before it shows the dialog and takes number() after OK.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tk {

class TelephoneDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 16;

    explicit TelephoneDialog(QWidget* parent);

    // The number shown when the dialog opens.
    void setNumber(const QString& number) { number_ = number; }
    // The number given back: what the edit held at OK (before: what was set).
    const QString& number() const { return number_; }

    // The characters a number may hold.
    static bool allowed(QChar c);
    // The note under the edit after a refusal.
    static const QString kRefusedText;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormActivate();
    // True when the key must be dropped.
    bool Edit1KeyPress(const QString& typed, int key);
    void Edit1Edited(const QString& text);
    // Marks the edit pink and shows why under it; clearRefusal() takes both away.
    void pointOutRefusal();
    void clearRefusal();
    void Button1Click();
    void Button2Click();

    QString number_;
    QLineEdit* Edit1;
    QLabel* Edit1Hint; // under the edit, where it takes no click
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace tk
