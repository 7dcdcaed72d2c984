#include "model/telephone_rules.h"

#include <stdexcept>

namespace tk {

namespace {

constexpr std::int32_t kArmDisarmZone = ZoneArmDisarm; // bit 0x10 of ZoneType

bool inGrid(TelGrid grid, int col, int row) {
    return col >= 0 && col < telGridColumns(grid) && row >= 0 && row < kTelRows;
}

bool tableSays(const EditorState& editor, TelGrid grid, int col, int row) {
    if (col < 0 || col >= EditorState::kGridCols || row < 0 || row >= EditorState::kGridRows) {
        return false;
    }
    const auto& table = editor.TelCellEnabled[static_cast<std::size_t>(grid)];
    return table[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)] != 0;
}

template <class Record> auto& maskOf(Record& cfg, TelGrid grid, int source, int col) {
    if (!inGrid(grid, col, 0)) {
        throw std::out_of_range("telephone grid column");
    }
    switch (grid) {
    case TelGrid::Events:
        switch (col) {
        case 0:
            return cfg.SysEvDcDialUpMask;
        case 1:
            return cfg.SysEvDcAlarmMask;
        case 2:
            return cfg.SysEvPtDialUpMask;
        default:
            return cfg.SysEvPtAlarmMask;
        }
    case TelGrid::Input:
        if (source < 1 || source > kInputCount) {
            throw std::out_of_range("telephone grid input");
        }
        return col == 0 ? cfg.Inputs[static_cast<std::size_t>(source)].DialUpMask
                        : cfg.Inputs[static_cast<std::size_t>(source)].AlarmMask;
    case TelGrid::Partition:
        if (source < 0 || source >= kPartitionCount) {
            throw std::out_of_range("telephone grid partition");
        }
        return col == 0 ? cfg.Partitions[static_cast<std::size_t>(source)].DialUpMask
                        : cfg.Partitions[static_cast<std::size_t>(source)].AlarmMask;
    }
    throw std::out_of_range("telephone grid");
}

} // namespace

int telGridColumns(TelGrid grid) {
    return grid == TelGrid::Events ? 4 : 2;
}

bool maskHasTelephone(std::int32_t mask, int row) {
    return row >= 0 && row < kTelRows && (mask & (1 << row)) != 0;
}

std::int32_t maskWithTelephone(std::int32_t mask, int row, bool on) {
    if (row < 0 || row >= kTelRows) {
        return mask;
    }
    const std::int32_t bit = 1 << row;
    return on ? (mask | bit) : (mask & ~bit);
}

bool columnTakesTelephone(TelGrid grid, int col, int row) {
    if (!inGrid(grid, col, row)) {
        return false;
    }
    const bool dialUpTelephone = row < 2; // telephones 1 and 2
    switch (grid) {
    case TelGrid::Events:
        return (col == 0 || col == 2) && dialUpTelephone;
    case TelGrid::Input:
        return col == 0 ? dialUpTelephone : !dialUpTelephone;
    case TelGrid::Partition:
        return col == 0 && dialUpTelephone;
    }
    return false;
}

void FillTelCellEnabled(const Configuration& cfg, EditorState& editor) {
    for (TelGrid grid : {TelGrid::Events, TelGrid::Input, TelGrid::Partition}) {
        auto& table = editor.TelCellEnabled[static_cast<std::size_t>(grid)];
        for (int col = 0; col < EditorState::kGridCols; ++col) {
            for (int row = 0; row < EditorState::kGridRows; ++row) {
                const bool hasNumber =
                    row < kTelRows && !cfg.TelNum[static_cast<std::size_t>(row)].empty();
                table[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)] =
                    hasNumber && columnTakesTelephone(grid, col, row) ? 1 : 0;
            }
        }
    }
}

bool IsSGtel0CellEnabled(const EditorState& editor, int col, int row) {
    return inGrid(TelGrid::Events, col, row) && tableSays(editor, TelGrid::Events, col, row);
}

bool IsSGtelNCellEnabled(const Configuration& cfg, const EditorState& editor, int col, int row,
                         int n) {
    if (n < 1 || n > kInputCount) {
        return false;
    }
    if ((cfg.Inputs[static_cast<std::size_t>(n)].ZoneType & kArmDisarmZone) != 0) {
        return false;
    }
    return inGrid(TelGrid::Input, col, row) && tableSays(editor, TelGrid::Input, col, row);
}

bool IsSGtelADCellEnabled(const EditorState& editor, int col, int row) {
    return inGrid(TelGrid::Partition, col, row) && tableSays(editor, TelGrid::Partition, col, row);
}

bool isTelCellEnabled(const Configuration& cfg, const EditorState& editor, TelGrid grid, int source,
                      int col, int row) {
    switch (grid) {
    case TelGrid::Events:
        return IsSGtel0CellEnabled(editor, col, row);
    case TelGrid::Input:
        return IsSGtelNCellEnabled(cfg, editor, col, row, source);
    case TelGrid::Partition:
        return IsSGtelADCellEnabled(editor, col, row);
    }
    return false;
}

std::int32_t& telGridMask(Configuration& cfg, TelGrid grid, int source, int col) {
    return maskOf(cfg, grid, source, col);
}

std::int32_t telGridMask(const Configuration& cfg, TelGrid grid, int source, int col) {
    return maskOf(cfg, grid, source, col);
}

TelTicks FillTelGrid(const Configuration& cfg, const EditorState& editor, TelGrid grid,
                     int source) {
    TelTicks ticks{};
    for (int col = 0; col < telGridColumns(grid); ++col) {
        const std::int32_t mask = telGridMask(cfg, grid, source, col);
        for (int row = 0; row < kTelRows; ++row) {
            ticks[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)] =
                maskHasTelephone(mask, row) &&
                isTelCellEnabled(cfg, editor, grid, source, col, row);
        }
    }
    return ticks;
}

void ScanTelGrid(Configuration& cfg, TelGrid grid, int source, const TelTicks& ticks) {
    for (int col = 0; col < telGridColumns(grid); ++col) {
        std::int32_t& mask = telGridMask(cfg, grid, source, col);
        for (int row = 0; row < kTelRows; ++row) {
            mask = maskWithTelephone(
                mask, row, ticks[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)]);
        }
    }
}

bool ClickTelCell(Configuration& cfg, const EditorState& editor, TelGrid grid, int source,
                  TelTicks& ticks, int col, int row) {
    if (!inGrid(grid, col, row) || !isTelCellEnabled(cfg, editor, grid, source, col, row)) {
        return false;
    }
    bool& tick = ticks[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)];
    tick = !tick;
    ScanTelGrid(cfg, grid, source, ticks);
    return true;
}

PartitionChoice partitionFromText(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return {PartitionChoice::Empty, 0};
    }
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return {PartitionChoice::NotNumber, 0};
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return {PartitionChoice::NotNumber, 0};
        }
        if (value < 100) { // anything longer is out of range anyway
            value = value * 10 + (c - '0');
        }
    }
    if (negative || value < 1 || value > kPartitionCount) {
        return {PartitionChoice::OutOfRange, 0};
    }
    return {PartitionChoice::Ok, static_cast<int>(value) - 1};
}

} // namespace tk
