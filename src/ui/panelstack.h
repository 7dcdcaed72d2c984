// The settings panels (the six and the table of inputs 5..64) on their one rectangle:
// hiding them all (unvispan), laying them out (raspolpan) and showing a view: the
// panel whose view it is fills it.
#pragma once

#include "ui/navigation.h"
#include "ui/panelcontext.h"

#include <QList>
#include <QRect>

class QWidget;

namespace tk {

class SettingsPanel;

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

private:
    QList<SettingsPanel*> panels_;
};

} // namespace tk
