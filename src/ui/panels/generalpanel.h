// Panel000: the transmitter's serial number, version and comments.
#pragma once

#include "ui/panels/settingspanel.h"

namespace tk {

class GeneralPanel : public SettingsPanel {
    Q_OBJECT
public:
    GeneralPanel(PanelContext& ctx, QWidget* parent);

    void setobsch();
};

} // namespace tk
