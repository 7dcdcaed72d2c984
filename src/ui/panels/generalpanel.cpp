#include "ui/panels/generalpanel.h"

namespace tk {

GeneralPanel::GeneralPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel000"), parent) {
    addTitle(QStringLiteral("Panel000Label0"), QStringLiteral("Общие настройки"), 21, false);
}

void GeneralPanel::setobsch() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
}

} // namespace tk
