// Panel100: zone type, contacts, siren, partition and report data of inputs 1..4.
#pragma once

#include "ui/panels/settingspanel.h"

class QLabel;

namespace tk {

class InputsPanel : public SettingsPanel {
    Q_OBJECT
public:
    InputsPanel(PanelContext& ctx, QWidget* parent);

    // The root view: the heading only.
    void setinp0();
    // Input n (1..4).
    void setinp(int n);

private:
    QLabel* title_;
    QFrame* settings_; // Panel100_1
};

} // namespace tk
