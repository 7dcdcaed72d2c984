// The six settings panels on their one rectangle: hiding them all (unvispan), laying
// them out (raspolpan) and showing a view through its fill operation.
#pragma once

#include "ui/navigation.h"
#include "ui/panelcontext.h"

#include <QList>
#include <QRect>

class QWidget;

namespace tk {

class SettingsPanel;
class GeneralPanel;
class ArmDisarmPanel;
class TelephonePanel;
class OtherPanel;
class InputsPanel;
class SystemEventsPanel;

class PanelStack {
public:
    PanelStack(PanelContext& ctx, QWidget* parent);

    // Hides every settings panel and sub-panel.
    void unvispan();
    // Puts every panel on `bounds`.
    void raspolpan(const QRect& bounds);
    // Runs the fill operation of the view.
    void show(const View& view);

    const QList<SettingsPanel*>& panels() const { return panels_; }
    GeneralPanel& general() const { return *general_; }

private:
    GeneralPanel* general_;
    ArmDisarmPanel* armDisarm_;
    TelephonePanel* telephones_;
    OtherPanel* other_;
    InputsPanel* inputs_;
    SystemEventsPanel* systemEvents_;
    QList<SettingsPanel*> panels_;
};

} // namespace tk
