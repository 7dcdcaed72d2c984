// A spinner: a separate pair of up and down arrows beside an edit.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tk {

// Holds a position in [minimum, maximum]. It does not wrap. A click on an arrow moves
// the position by one and emits upClicked() or downClicked() (and clicked()); at the
// end of the range the click changes nothing and emits nothing. setPosition() never
// emits, so fill operations may call it freely.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, QWidget* parent);

    int position() const { return position_; }
    void setPosition(int position); // clamped to the range
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    // The arrow buttons, named after the spinner with "Up" and "Down".
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // Lets the Up and Down keys (and Page Up / Page Down) in `edit` click the arrows,
    // so the value can be changed from the keyboard.
    void attachKeys(QLineEdit* edit);

public slots:
    void stepUp();
    void stepDown();

signals:
    void upClicked();
    void downClicked();
    void clicked(); // after either

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    int minimum_;
    int maximum_;
    int position_;
};

} // namespace tk
