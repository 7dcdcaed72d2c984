// The report routing tables: which of the six report telephones receive which kind of
// report, as the three tick grids of the telephone panel show them.
//
// Each grid has six rows, one per report telephone (row k is telephone k+1 and bit k
// of a mask), and one column per mask of its event source:
//
//   system events  column 0 SysEvDcDialUpMask, 1 SysEvDcAlarmMask,
//                         2 SysEvPtDialUpMask, 3 SysEvPtAlarmMask
//   input n        column 0 Inputs[n].DialUpMask, 1 Inputs[n].AlarmMask
//   partition p    column 0 Partitions[p].DialUpMask, 1 Partitions[p].AlarmMask
//
// A grid holds a copy of the masks taken when it was filled and writes the whole copy
// back on every click, so the bits of cells that are not enabled (an empty telephone,
// an arm/disarm zone) stay in the record until the next click in that grid clears them.
#pragma once

#include "model/configuration.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tk {

// The grids, in the order of EditorState::TelCellEnabled.
enum class TelGrid { Events = 0, Input = 1, Partition = 2 };

inline constexpr int kTelRows = kReportTelephones;
inline constexpr int kTelMaxColumns = 4;

// Number of columns of a grid: 4 for the system events, 2 otherwise.
int telGridColumns(TelGrid grid);

// Bit k of a telephone mask (telephone k+1); rows outside 0..5 are never set.
bool maskHasTelephone(std::int32_t mask, int row);
// The mask with bit `row` set or cleared; the other bits stay.
std::int32_t maskWithTelephone(std::int32_t mask, int row, bool on);

// The fixed rule of a column, whatever the numbers: may telephone row+1 receive this
// kind of report? DialUp (Contact ID) reports go to telephones 1 and 2, alarm calls of
// an input to telephones 3 to 6; the other alarm columns take none.
bool columnTakesTelephone(TelGrid grid, int col, int row);

// FillLVtel's part on the record side: every grid's cell-enabled table from the
// telephone numbers (a cell is enabled when its telephone has a number and the
// column takes it; columns beyond a grid's own and rows beyond 6 are disabled).
void FillTelCellEnabled(const Configuration& cfg, EditorState& editor);

// Whether a cell takes clicks and shows its tick. The input grid is disabled whole
// when the input is an arm/disarm zone (ZoneType bit 0x10).
bool IsSGtel0CellEnabled(const EditorState& editor, int col, int row);
bool IsSGtelNCellEnabled(const Configuration& cfg, const EditorState& editor, int col, int row,
                         int n);
bool IsSGtelADCellEnabled(const EditorState& editor, int col, int row);
// One of the three above; `source` is the input n (1..64) of the input grid and is
// ignored by the other grids.
bool isTelCellEnabled(const Configuration& cfg, const EditorState& editor, TelGrid grid, int source,
                      int col, int row);

// The record field a column edits. `source` is the input n (1..64) for the input grid
// and the partition index p (0..3) for the partition grid; throws std::out_of_range
// for a source or column outside the grid (a programming error).
std::int32_t& telGridMask(Configuration& cfg, TelGrid grid, int source, int col);
std::int32_t telGridMask(const Configuration& cfg, TelGrid grid, int source, int col);

// The ticks of a grid, [column][row]; columns beyond the grid's own stay false.
using TelTicks = std::array<std::array<bool, kTelRows>, kTelMaxColumns>;

// Record -> grid: a cell is ticked when its column's mask has its bit and it is enabled.
TelTicks FillTelGrid(const Configuration& cfg, const EditorState& editor, TelGrid grid, int source);

// Grid -> record: bits 0..5 of every column's mask become the ticks; the other bits
// of the masks stay as they are.
void ScanTelGrid(Configuration& cfg, TelGrid grid, int source, const TelTicks& ticks);

// A click (or Space) on a cell: an enabled cell toggles its tick and the whole grid
// is scanned back into the record; returns true then. A disabled cell, or one outside
// the grid, changes nothing and returns false.
bool ClickTelCell(Configuration& cfg, const EditorState& editor, TelGrid grid, int source,
                  TelTicks& ticks, int col, int row);

// The partition selector's text: a number 1..4 gives the partition index 0..3.
struct PartitionChoice {
    enum Kind { Ok, Empty, NotNumber, OutOfRange };
    Kind kind = Empty;
    int index = 0; // 0..3 when kind is Ok
};
// Blanks around the number are allowed, as is a sign; anything else is not a number.
PartitionChoice partitionFromText(std::string_view text);

} // namespace tk
