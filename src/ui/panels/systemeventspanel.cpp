#include "ui/panels/systemeventspanel.h"

#include <QLabel>

namespace tk {

SystemEventsPanel::SystemEventsPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel300"), parent) {
    title_ =
        addTitle(QStringLiteral("Panel300Label1"), QStringLiteral("Системные события"), 16, true);
    note_ = addLabel(QStringLiteral("Panel300Label2"),
                     QStringLiteral("Неисправность батареи выдается при напряжении питания 11В "
                                    "и менее!"),
                     this, QPoint(16, 32));
    note_->hide();
    events_ = addSubPanel(QStringLiteral("Panel300_1"), this, QRect(8, 56, 488, 240));
    period_ = addSubPanel(QStringLiteral("Panel300_1_1"), events_, QRect(8, 136, 300, 64));
}

void SystemEventsPanel::setsysev0() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
    title_->setText(QStringLiteral("Системные события"));
    note_->hide();
    events_->hide();
}

void SystemEventsPanel::setsysevDC() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
    events_->show();
    period_->hide();
    title_->setText(QStringLiteral("Неисправность батареи"));
    note_->show();
}

void SystemEventsPanel::setsysevPT() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
    events_->show();
    period_->show();
    title_->setText(QStringLiteral("Периодический тест"));
    note_->hide();
}

} // namespace tk
