#include "ui/panelcontext.h"

namespace tk {

void PanelContext::updt1(bool changed) const {
    if (services_.updt1) {
        services_.updt1(changed);
    }
}

void PanelContext::unvispan() const {
    if (services_.unvispan) {
        services_.unvispan();
    }
}

bool PanelContext::runTelephoneDialog() const {
    return services_.telephoneDialog && services_.telephoneDialog();
}

} // namespace tk
