#include "ui/panelstack.h"

#include "ui/panels/armdisarmpanel.h"
#include "ui/panels/generalpanel.h"
#include "ui/panels/inputspanel.h"
#include "ui/panels/otherpanel.h"
#include "ui/panels/systemeventspanel.h"
#include "ui/panels/telephonepanel.h"

namespace tk {

PanelStack::PanelStack(PanelContext& ctx, QWidget* parent)
    : general_(new GeneralPanel(ctx, parent)), armDisarm_(new ArmDisarmPanel(ctx, parent)),
      telephones_(new TelephonePanel(ctx, parent)), other_(new OtherPanel(ctx, parent)),
      inputs_(new InputsPanel(ctx, parent)),
      systemEvents_(new SystemEventsPanel(ctx, parent)), panels_{general_,    armDisarm_,
                                                                 telephones_, other_,
                                                                 inputs_,     systemEvents_} {}

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
    switch (view.kind) {
    case View::Obsch:
        general_->setobsch();
        break;
    case View::ArmDisarm:
        armDisarm_->setarmdisarm();
        break;
    case View::Teleph0:
        telephones_->setteleph0();
        break;
    case View::TelephN:
        telephones_->settelephN(view.arg);
        break;
    case View::TelephAD:
        telephones_->settelephAD(view.arg);
        break;
    case View::Other:
        other_->setother();
        break;
    case View::Inp0:
        inputs_->setinp0();
        break;
    case View::Inp:
        inputs_->setinp(view.arg);
        break;
    case View::Sysev0:
        systemEvents_->setsysev0();
        break;
    case View::SysevDC:
        systemEvents_->setsysevDC();
        break;
    case View::SysevPT:
        systemEvents_->setsysevPT();
        break;
    }
}

} // namespace tk
