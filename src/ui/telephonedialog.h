// TForm2: one telephone number, typed from digits, "*", "+" and "#", at most 16
// characters. The number comes in and goes out through the caller's text.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tk {

class TelephoneDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 16;

    // `telDialogText` is read when the dialog is shown and written on OK.
    TelephoneDialog(QString& telDialogText, QWidget* parent);

    // The characters a number may hold.
    static bool allowed(QChar c);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormActivate();
    // True when the key must be dropped.
    bool Edit1KeyPress(const QString& typed, int key) const;
    void Edit1Edited(const QString& text);
    void Button1Click();
    void Button2Click();

    QString& telDialogText_;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace tk
