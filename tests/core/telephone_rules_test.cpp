#include "model/defaults.h"
#include "model/telephone_rules.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tk {
namespace {

constexpr TelGrid kGrids[] = {TelGrid::Events, TelGrid::Input, TelGrid::Partition};

Configuration withTelephones(std::initializer_list<int> telephones) {
    Configuration cfg;
    setdefault(cfg);
    for (int t : telephones) {
        cfg.TelNum[static_cast<std::size_t>(t - 1)] = "80291234567";
    }
    return cfg;
}

// The enabled cells of a grid as text, one line per row: "x" enabled, "." not.
std::string enabledPicture(const Configuration& cfg, const EditorState& ed, TelGrid grid,
                           int source) {
    std::string picture;
    for (int row = 0; row < kTelRows; ++row) {
        for (int col = 0; col < telGridColumns(grid); ++col) {
            picture += isTelCellEnabled(cfg, ed, grid, source, col, row) ? 'x' : '.';
        }
        picture += '/';
    }
    return picture;
}

std::string tickPicture(const TelTicks& ticks, TelGrid grid) {
    std::string picture;
    for (int row = 0; row < kTelRows; ++row) {
        for (int col = 0; col < telGridColumns(grid); ++col) {
            picture +=
                ticks[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)] ? 'x' : '.';
        }
        picture += '/';
    }
    return picture;
}

TEST(TelephoneMask, BitKIsTelephoneKPlusOne) {
    struct Case {
        std::int32_t mask;
        int row;
        bool on;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0, 0, true, 0x01},     {0, 5, true, 0x20}, {0x3F, 2, false, 0x3B}, {0x40, 0, true, 0x41},
        {0x7F, 5, false, 0x5F}, {0, 6, true, 0},    {-1, 3, false, ~0x08},  {0x12, -1, true, 0x12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(maskWithTelephone(c.mask, c.row, c.on), c.expected) << c.mask << " " << c.row;
        EXPECT_EQ(maskHasTelephone(c.expected, c.row), c.on && c.row >= 0 && c.row < 6);
    }
    EXPECT_FALSE(maskHasTelephone(0x40, 6)); // bit 6 is no report telephone
}

TEST(TelephoneCells, ColumnRulesWithEveryNumberSet) {
    Configuration cfg = withTelephones({1, 2, 3, 4, 5, 6});
    cfg.Inputs[1].ZoneType = ZonePerimeter;
    EditorState ed;
    FillTelCellEnabled(cfg, ed);
    // Columns left to right, rows top to bottom (telephone 1 first).
    EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Events, 0), "x.x./x.x./..../..../..../..../");
    EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Input, 1), "x./x./.x/.x/.x/.x/");
    EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Partition, 0), "x./x./../../../../");
}

TEST(TelephoneCells, EmptyNumbersDisableTheirRows) {
    struct Case {
        std::initializer_list<int> telephones;
        const char* events;
        const char* input;
        const char* partition;
    };
    const Case cases[] = {
        {{}, "..../..../..../..../..../..../", "../../../../../../", "../../../../../../"},
        {{3}, "..../..../..../..../..../..../", "../../.x/../../../", "../../../../../../"},
        {{2, 6}, "..../x.x./..../..../..../..../", "../x./../../../.x/", "../x./../../../../"},
    };
    for (const Case& c : cases) {
        Configuration cfg = withTelephones(c.telephones);
        cfg.Inputs[2].ZoneType = ZoneEntryExit;
        EditorState ed;
        FillTelCellEnabled(cfg, ed);
        EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Events, 0), c.events);
        EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Input, 2), c.input);
        EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Partition, 3), c.partition);
    }
}

TEST(TelephoneCells, TablesBeyondTheGridsAreCleared) {
    Configuration cfg = withTelephones({1, 2, 3, 4, 5, 6});
    EditorState ed;
    setdefault(cfg, ed); // every byte 1, as on a new window
    cfg = withTelephones({1, 2, 3, 4, 5, 6});
    FillTelCellEnabled(cfg, ed);
    for (TelGrid grid : kGrids) {
        const auto& table = ed.TelCellEnabled[static_cast<std::size_t>(grid)];
        for (int col = 0; col < EditorState::kGridCols; ++col) {
            for (int row = 0; row < EditorState::kGridRows; ++row) {
                if (col >= telGridColumns(grid) || row >= kTelRows) {
                    EXPECT_EQ(table[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)],
                              0)
                        << static_cast<int>(grid) << " " << col << " " << row;
                }
            }
        }
    }
    EXPECT_FALSE(IsSGtel0CellEnabled(ed, 4, 0));
    EXPECT_FALSE(IsSGtelADCellEnabled(ed, 0, 6));
    EXPECT_FALSE(IsSGtelNCellEnabled(cfg, ed, -1, 0, 1));
}

TEST(TelephoneCells, ArmDisarmZoneGreysTheWholeInputGrid) {
    Configuration cfg = withTelephones({1, 2, 3, 4, 5, 6});
    EditorState ed;
    FillTelCellEnabled(cfg, ed);
    for (std::int32_t zoneType : {0x10, 0x110, 0x30}) {
        cfg.Inputs[3].ZoneType = zoneType;
        cfg.Inputs[3].DialUpMask = 0x3F;
        cfg.Inputs[3].AlarmMask = 0x3F;
        EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Input, 3), "../../../../../../") << zoneType;
        EXPECT_EQ(tickPicture(FillTelGrid(cfg, ed, TelGrid::Input, 3), TelGrid::Input),
                  "../../../../../../");
    }
    // The other grids do not care about zone types, and neither does another input.
    EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Input, 1), "x./x./.x/.x/.x/.x/");
    EXPECT_EQ(enabledPicture(cfg, ed, TelGrid::Events, 0), "x.x./x.x./..../..../..../..../");
}

TEST(TelephoneMasks, ColumnsEditTheirFields) {
    Configuration cfg;
    struct Case {
        TelGrid grid;
        int source;
        int col;
        std::int32_t* field;
    };
    const Case cases[] = {
        {TelGrid::Events, 0, 0, &cfg.SysEvDcDialUpMask},
        {TelGrid::Events, 0, 1, &cfg.SysEvDcAlarmMask},
        {TelGrid::Events, 0, 2, &cfg.SysEvPtDialUpMask},
        {TelGrid::Events, 0, 3, &cfg.SysEvPtAlarmMask},
        {TelGrid::Input, 1, 0, &cfg.Inputs[1].DialUpMask},
        {TelGrid::Input, 4, 1, &cfg.Inputs[4].AlarmMask},
        {TelGrid::Input, 64, 0, &cfg.Inputs[64].DialUpMask},
        {TelGrid::Partition, 0, 0, &cfg.Partitions[0].DialUpMask},
        {TelGrid::Partition, 3, 1, &cfg.Partitions[3].AlarmMask},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(&telGridMask(cfg, c.grid, c.source, c.col), c.field)
            << static_cast<int>(c.grid) << " " << c.source << " " << c.col;
    }
    struct Bad {
        TelGrid grid;
        int source;
        int col;
    };
    const Bad bad[] = {{TelGrid::Events, 0, 4},    {TelGrid::Input, 0, 0},
                       {TelGrid::Input, 65, 1},    {TelGrid::Input, 1, 2},
                       {TelGrid::Partition, 4, 0}, {TelGrid::Partition, -1, 0}};
    for (const Bad& b : bad) {
        EXPECT_THROW(telGridMask(cfg, b.grid, b.source, b.col), std::out_of_range);
    }
}

TEST(TelephoneGrids, FillShowsOnlyEnabledBits) {
    Configuration cfg = withTelephones({1, 3, 4});
    cfg.Inputs[2].ZoneType = ZoneWalkThrough;
    cfg.Inputs[2].DialUpMask = 0x3F; // telephones 1..6, only 1 enabled
    cfg.Inputs[2].AlarmMask = 0x06;  // telephones 2, 3: only 3 enabled
    cfg.SysEvDcDialUpMask = 0x03;
    cfg.SysEvDcAlarmMask = 0x3F; // never shown
    cfg.SysEvPtDialUpMask = 0x02;
    cfg.Partitions[1].DialUpMask = 0x41; // bit 6 is no row
    EditorState ed;
    FillTelCellEnabled(cfg, ed);
    EXPECT_EQ(tickPicture(FillTelGrid(cfg, ed, TelGrid::Input, 2), TelGrid::Input),
              "x./../.x/../../../");
    EXPECT_EQ(tickPicture(FillTelGrid(cfg, ed, TelGrid::Events, 0), TelGrid::Events),
              "x.../..../..../..../..../..../");
    EXPECT_EQ(tickPicture(FillTelGrid(cfg, ed, TelGrid::Partition, 1), TelGrid::Partition),
              "x./../../../../../");
}

TEST(TelephoneGrids, ClickTogglesAndScansTheWholeGrid) {
    struct Case {
        const char* name;
        std::initializer_list<int> telephones;
        int col, row;
        bool accepted;
        std::int32_t dialUp, alarm; // input 1's masks after the click
    };
    // Input 1 starts with DialUp 0x43 (telephones 1, 2 and bit 6) and Alarm 0x0C
    // (telephones 3, 4) and bit 8.
    const Case cases[] = {
        {"tick an empty cell", {1, 2, 3, 4, 5}, 1, 4, true, 0x43, 0x11C},
        {"untick a ticked cell", {1, 2, 3, 4}, 0, 1, true, 0x41, 0x10C},
        {"disabled column ignored", {1, 2, 3, 4}, 1, 0, false, 0x43, 0x10C},
        {"empty telephone ignored", {1, 2, 3}, 1, 4, false, 0x43, 0x10C},
        {"outside the grid", {1, 2, 3, 4}, 2, 0, false, 0x43, 0x10C},
        {"click clears disabled bits", {2, 3}, 1, 2, true, 0x42, 0x100},
    };
    for (const Case& c : cases) {
        Configuration cfg = withTelephones(c.telephones);
        cfg.Inputs[1].ZoneType = ZonePerimeter;
        cfg.Inputs[1].DialUpMask = 0x43;
        cfg.Inputs[1].AlarmMask = 0x10C;
        const Configuration before = cfg;
        EditorState ed;
        FillTelCellEnabled(cfg, ed);
        TelTicks ticks = FillTelGrid(cfg, ed, TelGrid::Input, 1);
        EXPECT_EQ(ClickTelCell(cfg, ed, TelGrid::Input, 1, ticks, c.col, c.row), c.accepted)
            << c.name;
        EXPECT_EQ(cfg.Inputs[1].DialUpMask, c.dialUp) << c.name;
        EXPECT_EQ(cfg.Inputs[1].AlarmMask, c.alarm) << c.name;
        // Nothing beside the grid's own masks moves.
        Configuration rest = cfg;
        rest.Inputs[1].DialUpMask = before.Inputs[1].DialUpMask;
        rest.Inputs[1].AlarmMask = before.Inputs[1].AlarmMask;
        EXPECT_EQ(rest, before) << c.name;
    }
}

TEST(TelephoneGrids, EmptiedTelephoneKeepsItsBitUntilTheNextClickInThatGrid) {
    Configuration cfg = withTelephones({1, 2});
    cfg.Inputs[1].ZoneType = ZonePerimeter;
    cfg.Inputs[1].DialUpMask = 0x01;
    cfg.Inputs[2].ZoneType = ZonePerimeter;
    cfg.Inputs[2].DialUpMask = 0x01;
    cfg.SysEvDcDialUpMask = 0x01;
    EditorState ed;

    cfg.TelNum[0].clear();
    FillTelCellEnabled(cfg, ed);
    TelTicks input1 = FillTelGrid(cfg, ed, TelGrid::Input, 1);
    EXPECT_EQ(tickPicture(input1, TelGrid::Input), "../../../../../../");
    EXPECT_EQ(cfg.Inputs[1].DialUpMask, 0x01); // still in the record

    ASSERT_TRUE(ClickTelCell(cfg, ed, TelGrid::Input, 1, input1, 0, 1));
    EXPECT_EQ(cfg.Inputs[1].DialUpMask, 0x02);
    EXPECT_EQ(cfg.Inputs[2].DialUpMask, 0x01); // another input's grid: not clicked
    EXPECT_EQ(cfg.SysEvDcDialUpMask, 0x01);
}

TEST(TelephoneGrids, ScanKeepsTheBitsAboveTheRows) {
    Configuration cfg;
    cfg.SysEvDcDialUpMask = static_cast<std::int32_t>(0xFFFFFFC0u | 0x15u);
    cfg.SysEvPtAlarmMask = 0x100;
    TelTicks ticks{};
    ticks[0][1] = true;
    ticks[3][5] = true;
    ScanTelGrid(cfg, TelGrid::Events, 0, ticks);
    EXPECT_EQ(cfg.SysEvDcDialUpMask, static_cast<std::int32_t>(0xFFFFFFC0u | 0x02u));
    EXPECT_EQ(cfg.SysEvDcAlarmMask, 0);
    EXPECT_EQ(cfg.SysEvPtDialUpMask, 0);
    EXPECT_EQ(cfg.SysEvPtAlarmMask, 0x120);
}

TEST(PartitionSelector, TextToPartition) {
    using K = PartitionChoice::Kind;
    struct Case {
        const char* text;
        K kind;
        int index;
    };
    const Case cases[] = {
        {"1", K::Ok, 0},
        {"4", K::Ok, 3},
        {" 3 ", K::Ok, 2},
        {"+2", K::Ok, 1},
        {"03", K::Ok, 2},
        {"", K::Empty, 0},
        {"  ", K::Empty, 0},
        {"0", K::OutOfRange, 0},
        {"5", K::OutOfRange, 0},
        {"-1", K::OutOfRange, 0},
        {"-0", K::OutOfRange, 0},
        {"99999999999999", K::OutOfRange, 0},
        {"x", K::NotNumber, 0},
        {"3a", K::NotNumber, 0},
        {"+", K::NotNumber, 0},
        {"1 2", K::NotNumber, 0},
        {"\xd0\xb0", K::NotNumber, 0},
    };
    for (const Case& c : cases) {
        const PartitionChoice got = partitionFromText(c.text);
        EXPECT_EQ(got.kind, c.kind) << '"' << c.text << '"';
        EXPECT_EQ(got.index, c.index) << '"' << c.text << '"';
    }
}

} // namespace
} // namespace tk
