// Panel011: the six report telephones and the tick grids that route the reports of
// the system events, the inputs and the partitions to them.
#pragma once

#include "model/telephone_rules.h"
#include "ui/panels/settingspanel.h"
#include "ui/widgets/tickgrid.h"

#include <QFrame>

#include <array>

class QComboBox;
class QLabel;
class QTableWidget;

namespace tk {

class TelephonePanel : public SettingsPanel {
    Q_OBJECT
public:
    TelephonePanel(PanelContext& ctx, QWidget* parent);

    bool fill(const View& view) override;
    // The heading only.
    void setteleph0();
    // n = 0: the system events; n = 1..4: input n.
    void settelephN(int n);
    // The arm/disarm reports of partition p + 1 (p = 0..3).
    void settelephAD(int p);

    // The list and the cell-enabled tables from the record.
    void FillLVtel();
    // Record -> grid.
    void FillSGtel0();
    void FillSGtelN(int n);
    void FillSGtelAD(int p);
    // Grid -> record.
    void ScanSGtel0();
    void ScanSGtelN(int n);
    void ScanSGtelAD(int p);

    // The input whose grid was shown last, 0 for the system events (the editor's
    // PanelState::TelInput; 5 before any grid was shown).
    int telephoneInput() const;

private:
    // Item k of LVtel shows `number`, whole (a long one in a smaller font).
    void showListItem(int k, const QString& number);
    void showView();
    void showHeaders(bool visible);
    void fillPartitionView(int p);
    void fillGrid(TickGrid* grid, TelGrid kind, int source);
    void scanGrid(TickGrid* grid, TelGrid kind, int source);
    static TelTicks ticksOf(const TickGrid* grid);
    static void showTicks(TickGrid* grid, const TelTicks& ticks);
    void gridClick(TickGrid* grid, TelGrid kind, int source, int col, int row);
    void gridMouseMove(TickGrid* grid, const std::array<const char*, 4>& hints, int col, int row);
    void restorePartitionText();

    void LVtelDblClick(int item);
    void SGtel0Click(int col, int row);
    void SGtelNClick(int col, int row);
    void SGtelADClick(int col, int row);
    void SGtel0MouseMove(int col, int row);
    void SGtelNMouseMove(int col, int row);
    void SGtelADMouseMove(int col, int row);
    void Panel011_7PartNumComboBoxChange(const QString& text);

    QLabel* Panel011_InputNumLabel;
    QFrame* Panel011_1;
    QTableWidget* LVtel;
    QFrame* Panel011_2;
    TickGrid* SGtel0;
    std::array<QLabel*, 5> headers_; // Panel011Label1..5, above SGtel0
    QFrame* Panel011_3;
    QLabel* Panel011_3Label1;
    QFrame* Panel011_4;
    TickGrid* SGtelN;
    QFrame* Panel011_7;
    QLabel* Panel011_7Label1;
    QLabel* Panel011_7PartNumLabel;
    QComboBox* Panel011_7PartNumComboBox;
    TickGrid* SGtelAD;
};

} // namespace tk
