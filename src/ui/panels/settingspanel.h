// The contract every settings panel keeps.
//
// - Build: the constructor creates the panel's controls, each with its given name as
//   objectName, at the given positions relative to the panel.
// - Fill: the public fill operations (setobsch, setinp, ...) take FillGuard, show the
//   panel and the sub-panels the view needs, and copy record fields into the
//   controls. They do nothing while FillGuard is held.
// - Handlers: private slots named after the control and the event. Each does nothing
//   while FillGuard is held; otherwise it takes it, writes the field through the
//   context and marks the configuration changed with context().updt1(true).
//
// The main window knows a panel only through this class and the tree's dispatch
// table; all six share one rectangle and the panel stack lays them out.
#pragma once

#include "ui/panelcontext.h"

#include <QFrame>
#include <QList>

class QLabel;

namespace tk {

class SettingsPanel : public QFrame {
    Q_OBJECT
public:
    SettingsPanel(PanelContext& ctx, const QString& name, QWidget* parent);

    // The sub-panels unvispan hides with the panel.
    const QList<QWidget*>& subPanels() const { return subPanels_; }
    // Hides the panel and its sub-panels.
    void hideWithSubPanels();

protected:
    PanelContext& context() const { return ctx_; }

    // The heading centred across the top of the panel, 24 pixels high.
    QLabel* addTitle(const QString& name, const QString& text, int pixelSize, bool bold);
    // A plain frame inside `parent` that fill operations show and hide.
    QFrame* addSubPanel(const QString& name, QWidget* parent, const QRect& bounds);
    QLabel* addLabel(const QString& name, const QString& text, QWidget* parent, QPoint at);

    void resizeEvent(QResizeEvent* event) override;

private:
    PanelContext& ctx_;
    QList<QWidget*> subPanels_;
    QLabel* title_ = nullptr;
};

} // namespace tk
