#include "ui/panelstack.h"

#include "ui/panels/armdisarmpanel.h"
#include "ui/panels/generalpanel.h"
#include "ui/panels/inputspanel.h"
#include "ui/panels/inputtablepanel.h"
#include "ui/panels/otherpanel.h"
#include "ui/panels/systemeventspanel.h"
#include "ui/panels/telephonepanel.h"

namespace tk {

PanelStack::PanelStack(PanelContext& ctx, QWidget* parent)
    : panels_{new GeneralPanel(ctx, parent),     new ArmDisarmPanel(ctx, parent),
              new TelephonePanel(ctx, parent),   new OtherPanel(ctx, parent),
              new InputsPanel(ctx, parent),      new InputTableFrame(ctx, parent),
              new SystemEventsPanel(ctx, parent)} {
    ctx.attach(this);
}

void PanelStack::unvispan() {
    for (SettingsPanel* panel : panels_) {
        panel->hideWithSubPanels();
    }
}

void PanelStack::raspolpan(const QRect& bounds) {
    for (SettingsPanel* panel : panels_) {
        panel->setGeometry(bounds);
    }
}

void PanelStack::show(const View& view) {
    for (SettingsPanel* panel : panels_) {
        if (panel->fill(view)) {
            return;
        }
    }
}

} // namespace tk
