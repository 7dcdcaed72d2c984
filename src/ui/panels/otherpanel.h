// Panel013: the option bits and counts that belong to no other panel.
#pragma once

#include "ui/panels/settingspanel.h"

namespace tk {

class OtherPanel : public SettingsPanel {
    Q_OBJECT
public:
    OtherPanel(PanelContext& ctx, QWidget* parent);

    void setother();
};

} // namespace tk
