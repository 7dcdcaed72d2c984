// Panel013: the option bits and counts that belong to no other panel.
#pragma once

#include "model/options_rules.h"
#include "ui/panels/settingspanel.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace tk {

class OtherPanel : public SettingsPanel {
    Q_OBJECT
public:
    OtherPanel(PanelContext& ctx, QWidget* parent);

    bool fill(const View& view) override;
    void setother();

private slots:
    void EnCyrillicCbClick();
    void V110FormatDataRepCbClick();
    void ZoneNotReadyVoiceCbClick();
    void NumOfAttemptsCallMainComboBoxChange();
    void iSvingerComboBoxChange();

private:
    void FillPanel013();
    // A combo's text became a count: store it when it lies in `range`, otherwise
    // point it out (naming the count `what`) and show the stored value again.
    void countChanged(QComboBox* combo, const QString& what, CountRange range,
                      std::int32_t Configuration::*field);
    void showCount(QComboBox* combo, std::int32_t value);

    QCheckBox* EnCyrillicCb;
    QCheckBox* V110FormatDataRepCb;
    QCheckBox* ZoneNotReadyVoiceCb;
    QLabel* Panel013Label5;
    QComboBox* NumOfAttemptsCallMainComboBox;
    QLabel* Panel013Label6;
    QComboBox* iSvingerComboBox;
};

} // namespace tk
