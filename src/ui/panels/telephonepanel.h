// Panel011: the six report telephones and the tick grids that route the reports of
// the system events, the inputs and the partitions to them.
#pragma once

#include "ui/panels/settingspanel.h"

#include <array>

class QLabel;

namespace tk {

class TelephonePanel : public SettingsPanel {
    Q_OBJECT
public:
    TelephonePanel(PanelContext& ctx, QWidget* parent);

    // The heading only.
    void setteleph0();
    // n = 0: the system events; n = 1..4: input n.
    void settelephN(int n);
    // The arm/disarm reports of partition p + 1 (p = 0..3).
    void settelephAD(int p);

    // The input whose grid was shown last, 0 for the system events.
    int telephoneInput() const { return telephoneInput_; }

private:
    void showList();
    void showHeaders(bool visible);

    QLabel* title_;                  // Panel011_InputNumLabel
    QFrame* list_;                   // Panel011_1
    QFrame* eventsGrid_;             // Panel011_2
    QFrame* inputPanel_;             // Panel011_3
    QFrame* inputGrid_;              // Panel011_4
    QFrame* partitionPanel_;         // Panel011_7
    std::array<QLabel*, 5> headers_; // Panel011Label1..5, above the system-events grid
    int telephoneInput_ = 5;
};

} // namespace tk
