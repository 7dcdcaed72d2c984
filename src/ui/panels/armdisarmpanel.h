// Panel010: object number, entry and exit delays, siren time, arming options.
#pragma once

#include "ui/panels/settingspanel.h"

namespace tk {

class ArmDisarmPanel : public SettingsPanel {
    Q_OBJECT
public:
    ArmDisarmPanel(PanelContext& ctx, QWidget* parent);

    void setarmdisarm();
};

} // namespace tk
