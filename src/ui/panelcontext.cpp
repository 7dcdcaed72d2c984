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

void PanelContext::refreshView() const {
    if (services_.refreshView) {
        services_.refreshView();
    }
}

void PanelContext::addEditFinisher(const QObject* owner, std::function<void()> finisher) {
    // destroyed() comes as the owner's destruction begins, when a panel's own part is
    // gone already: from then on its finisher, which calls into that part, is skipped.
    auto live = std::make_shared<bool>(true);
    QObject::connect(owner, &QObject::destroyed, [live] { *live = false; });
    finishers_.push_back(Finisher{std::move(live), std::move(finisher)});
}

void PanelContext::finishEdits() const {
    for (const Finisher& f : finishers_) {
        if (*f.live) {
            f.finish();
        }
    }
}

void PanelContext::recordReplaced() const {
    editor_.ObjNumChanged = 0;
}

} // namespace tk
