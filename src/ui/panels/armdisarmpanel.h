// Panel010: object number, entry and exit delays, siren time, arming options.
#pragma once

#include "model/armdisarm_rules.h"
#include "ui/panels/settingspanel.h"

#include <QMetaObject>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tk {

class ArmDisarmPanel : public SettingsPanel {
    Q_OBJECT
public:
    ArmDisarmPanel(PanelContext& ctx, QWidget* parent);
    ~ArmDisarmPanel() override;

    bool fill(const View& view) override;
    void setarmdisarm();
    void FillPanel010();

    // The step name of the object number's edits (with the texts it regenerates).
    static const QString kObjNumStep;

private:
    // The object number's digit edits; k is 1..4.
    bool ObjNameEditKeyPress(int k, QKeyEvent* event);
    void ObjNameEditChange(int k, const QString& text);

    // The entry and exit delays share their rules.
    struct Delay {
        QLineEdit* edit;
        UpDown* upDown;
        std::int32_t Configuration::*field;
        QString what; // for messages
        QString step; // the step name in the "Правка" menu
    };
    void DelayUpDownClick(const Delay& d);
    void DelayEditChange(const Delay& d, const QString& text);

    void TimeOfInpUpDownClick() { DelayUpDownClick(inp_); }
    void TimeOfInpEditChange(const QString& text) { DelayEditChange(inp_, text); }
    void TimeOfOutUpDownClick() { DelayUpDownClick(out_); }
    void TimeOfOutEditChange(const QString& text) { DelayEditChange(out_, text); }
    void TimeOfAlarmMinUpDownClick();
    void TimeOfAlarmMinEditChange(const QString& text);
    void TimeOfAlarmSecUpDownClick();
    void TimeOfAlarmSecEditChange(const QString& text);
    void CheckAboutArmingCbClick();
    void ArmWithOpenedDoorCbClick();
    void Panel010Exit();

    // A typed number outside the edit's range, or no number where one is needed.
    void refuse(QLineEdit* edit, std::int32_t value, const QString& reason);
    // Leaving an edit, and every command, shows the field it stands for, written the
    // way it is kept.
    void showFieldAgain(QLineEdit* edit, std::int32_t value);
    // Stores a siren duration and shows it (the minutes edit only when showMinutes);
    // runs under FillGuard. True when the record changed.
    bool storeSiren(Configuration& cfg, const armdisarm::Siren& siren, bool showMinutes);
    void focusChanged(QWidget* old, QWidget* now);

    QLabel* ObjNameLabel;
    std::array<QLineEdit*, 4> ObjNameEdits{}; // ObjName1Edit .. ObjName4Edit
    QLabel* TimeOfInpLabel;
    QLineEdit* TimeOfInpEdit;
    UpDown* TimeOfInpUpDown;
    QLabel* Sec_1Label;
    QLabel* TimeOfOutLabel;
    QLineEdit* TimeOfOutEdit;
    UpDown* TimeOfOutUpDown;
    QLabel* Sec_2Label;
    QLabel* TimeOfAlarmLabel;
    QLineEdit* TimeOfAlarmMinEdit;
    UpDown* TimeOfAlarmMinUpDown;
    QLabel* Min_3Label;
    QLineEdit* TimeOfAlarmSecEdit;
    UpDown* TimeOfAlarmSecUpDown;
    QLabel* Sec_3Label;
    QCheckBox* CheckAboutArmingCb;
    QCheckBox* ArmWithOpenedDoorCb;

    Delay inp_{};
    Delay out_{};
    QMetaObject::Connection focusWatch_;
};

} // namespace tk
