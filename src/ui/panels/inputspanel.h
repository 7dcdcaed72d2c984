// Panel100: zone type, contacts, siren, partition and report data of inputs 1..4.
//
// The bit rules live in model/input_rules (the command-line summary names the same
// items); this panel only shows them and hands the user's choices to them.
#pragma once

#include "model/input_rules.h"
#include "ui/panels/settingspanel.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace tk {

class InputsPanel : public SettingsPanel {
    Q_OBJECT
public:
    InputsPanel(PanelContext& ctx, QWidget* parent);

    bool fill(const View& view) override;
    // The root view: the heading only.
    void setinp0();
    // Input n (1..4).
    void setinp(int n);

private slots:
    void Panel100InpZoneTypeRGrpClick();
    void Panel100InpContRGrpClick();
    void VoiceOnDuringAlarmCbClick();
    void InpDataRepObjNumEdChange();
    void InpDataRepEvCodeEdChange();
    void InpPartNumComboBoxChange();
    // Leaving the combo with a text that is no partition shows the stored one again.
    void InpPartNumComboBoxExit();

private:
    bool InpDataRepObjNumEdKeyPress(QKeyEvent* event);
    bool InpDataRepEvCodeEdKeyPress(QKeyEvent* event);
    bool InpPartNumComboBoxKeyPress(QKeyEvent* event);

    // The input being shown, or nothing before the first setinp.
    const Input* current() const;
    // The input being shown in `cfg`, for a write (current() is not null).
    Input& currentIn(Configuration& cfg) const;
    // Shows what follows from the zone type: the contact list and its item, the
    // controls an arm/disarm zone disables.
    void showZoneDependent(const Input& in);
    void showContactList(ContactList list);
    void showPartition(const Input& in);

    QLabel* title_;
    QFrame* settings_;       // Panel100_1
    RadioGroup* contacts_;   // Panel100InpContRGrp
    RadioGroup* zoneTypes_;  // Panel100InpZoneTypeRGrp
    QCheckBox* siren_;       // VoiceOnDuringAlarmCb
    QLabel* partitionLabel_; // Panel100_1Label1
    QComboBox* partition_;   // InpPartNumComboBox
    QGroupBox* report_;      // Panel100GroupBox1
    QLineEdit* objNum_;      // InpDataRepObjNumEd
    QLineEdit* evCode_;      // InpDataRepEvCodeEd
    QLineEdit* inpNum_;      // InpDataRepInputNumEd
    QLineEdit* partNum_;     // InpDataRepPartNumEd
    ContactList shownList_ = ContactList::Ordinary;
};

} // namespace tk
