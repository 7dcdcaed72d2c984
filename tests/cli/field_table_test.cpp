// The field table against the JSON form's field list: every field of the record is in
// the table, a row takes over exactly the fields it names, and every field that
// differs between two records gives a labelled row.
#include "cli/diff.h"
#include "cli/json_form.h"
#include "cli_support.h"
#include "model/field_table.h"

#include <set>

namespace tk {
namespace {

// "Comments[2]" is a line of "Comments"; every other name stands for itself.
std::string fieldOf(const std::string& flatName) {
    return flatName.starts_with("Comments[") ? "Comments" : flatName;
}

std::set<std::string> names(const std::vector<std::string>& diffLines) {
    std::set<std::string> out;
    for (const std::string& line : diffLines) {
        out.insert(fieldOf(line.substr(0, line.find(' '))));
    }
    return out;
}

TEST(FieldTable, NamesEveryFieldOfTheRecordAndNoOther) {
    std::set<std::string> record;
    for (const cli::FlatField& f : cli::Flatten(test::everyFieldSet())) {
        record.insert(fieldOf(f.name));
    }
    std::set<std::string> table;
    for (const FieldRow& row : FieldTable()) {
        table.insert(row.fields.begin(), row.fields.end());
        EXPECT_FALSE(row.caption.empty());
        EXPECT_EQ(row.hidden, row.panel == kHiddenPanel) << row.label();
    }
    EXPECT_EQ(table, record);
}

// Each row takes from a record whose every field differs from the factory one: only
// its own fields change, and the change shows as at least one row.
TEST(FieldTable, EachRowTakesItsFieldsAndTheirChangeIsShown) {
    const Configuration other = test::everyFieldSet();
    for (const FieldRow& row : FieldTable()) {
        SCOPED_TRACE(row.label());
        Configuration c = test::factoryRecord();
        row.take(c, other);
        const std::set<std::string> changed = names(cli::DiffLines(test::factoryRecord(), c));
        ASSERT_FALSE(changed.empty());
        for (const std::string& name : changed) {
            EXPECT_NE(std::find(row.fields.begin(), row.fields.end(), name), row.fields.end())
                << name;
        }
        const std::vector<FieldDifference> shown = DiffFields(test::factoryRecord(), c);
        ASSERT_FALSE(shown.empty());
        for (const FieldDifference& d : shown) {
            EXPECT_NE(d.a, d.b);
        }
    }
}

TEST(FieldTable, AShownChangeIsNotRepeatedAsTheFieldItIsShownFrom) {
    Configuration a = test::factoryRecord();
    Configuration b = a;
    b.Inputs[2].Flags ^= 0x04; // the siren
    std::vector<std::string> rows;
    for (const FieldDifference& d : DiffFields(a, b)) {
        rows.push_back(d.text());
    }
    EXPECT_EQ(rows,
              std::vector<std::string>{"Вход 2 — Включать сирену при тревоге: " +
                                       DiffFields(a, b)[0].a + " → " + DiffFields(a, b)[0].b});
    b = a;
    b.Inputs[2].Flags ^= 0x01; // a bit no panel shows
    ASSERT_EQ(DiffFields(a, b).size(), 1U);
    EXPECT_EQ(DiffFields(a, b)[0].row->label(), std::string(kHiddenPanel) + " — Inputs[2].Flags");
}

} // namespace
} // namespace tk
