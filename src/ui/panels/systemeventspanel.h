// Panel300: the battery-trouble and periodic-test events.
#pragma once

#include "ui/panels/settingspanel.h"

class QLabel;

namespace tk {

class SystemEventsPanel : public SettingsPanel {
    Q_OBJECT
public:
    SystemEventsPanel(PanelContext& ctx, QWidget* parent);

    void setsysev0();
    void setsysevDC();
    void setsysevPT();

private:
    QLabel* title_;
    QLabel* note_;   // Panel300Label2
    QFrame* events_; // Panel300_1
    QFrame* period_; // Panel300_1_1
};

} // namespace tk
