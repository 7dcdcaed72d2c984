#include "ui/panels/armdisarmpanel.h"

namespace tk {

ArmDisarmPanel::ArmDisarmPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel010"), parent) {
    addTitle(QStringLiteral("Panel010Label0"), QStringLiteral("Постановка / Снятие:"), 16, true);
}

void ArmDisarmPanel::setarmdisarm() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    context().unvispan();
    show();
}

} // namespace tk
