#include "ui/panels/inputspanel.h"

#include <QLabel>

namespace tk {

InputsPanel::InputsPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel100"), parent) {
    title_ =
        addTitle(QStringLiteral("Panel100Label1"), QStringLiteral("Настройки входов"), 16, true);
    settings_ = addSubPanel(QStringLiteral("Panel100_1"), this, QRect(8, 32, 488, 320));
}

void InputsPanel::setinp0() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
    title_->setText(QStringLiteral("Настройки входов"));
    settings_->hide();
}

void InputsPanel::setinp(int n) {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
    settings_->show();
    settings_->setEnabled(true);
    title_->setText(QStringLiteral("Вход № ") + QString::number(n));
    // Inputs 1..4 cannot be fire zones: the bit goes, without marking a change.
    context().record().Inputs.at(static_cast<std::size_t>(n)).ZoneType &= ~ZoneFire;
    context().editor().CurInput = n;
}

} // namespace tk
