#include "ui/panels/otherpanel.h"

namespace tk {

OtherPanel::OtherPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel013"), parent) {
    addTitle(QStringLiteral("Panel013Label1"), QStringLiteral("Разное:"), 16, true);
}

void OtherPanel::setother() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
}

} // namespace tk
