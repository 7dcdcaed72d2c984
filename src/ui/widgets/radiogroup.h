// A captioned group of radio buttons with one item index, as one control.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace tk {

// clicked() follows a click (mouse or keyboard) on any button; setItemIndex() never
// emits.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int itemIndex() const;        // -1 when none is checked
    void setItemIndex(int index); // -1 checks none
    QRadioButton* button(int index) const;
    int count() const;

signals:
    void clicked();

private:
    QButtonGroup* group_;
};

} // namespace tk
