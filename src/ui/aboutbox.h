// TAboutBox: the product name and the version.
#pragma once

#include <QDialog>

namespace tk {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace tk
