#include "ui/panelcontext.h"

#include "ui/panelstack.h"
#include "ui/telephonedialog.h"

namespace tk {

void PanelContext::unvispan() const {
    if (stack_ != nullptr) {
        stack_->unvispan();
    }
}

bool PanelContext::runTelephoneDialog() {
    if (telephone_ == nullptr) {
        return false;
    }
    telephone_->setNumber(TelDialogText);
    if (telephone_->exec() != QDialog::Accepted) {
        return false;
    }
    TelDialogText = telephone_->number();
    return true;
}

} // namespace tk
