#include "cli/diff.h"

#include "cli/json_form.h"

#include <set>

namespace tk::cli {

std::vector<std::string> DiffLines(const Configuration& a, const Configuration& b) {
    const std::vector<FlatField> fa = Flatten(a);
    const std::vector<FlatField> fb = Flatten(b);
    std::set<std::string> namesB;
    for (const FlatField& f : fb) {
        namesB.insert(f.name);
    }

    // Both lists have the same names in the same order, except for comment lines
    // that only one side has; a merge keeps those in their place.
    std::vector<std::string> out;
    auto line = [&out](const std::string& name, const std::string& va, const std::string& vb) {
        out.push_back(name + " " + va + " " + vb);
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < fa.size() || j < fb.size()) {
        if (i < fa.size() && j < fb.size() && fa[i].name == fb[j].name) {
            if (fa[i].value != fb[j].value) {
                line(fa[i].name, fa[i].value, fb[j].value);
            }
            ++i;
            ++j;
        } else if (i < fa.size() && (j == fb.size() || namesB.count(fa[i].name) == 0)) {
            line(fa[i].name, fa[i].value, "null");
            ++i;
        } else {
            line(fb[j].name, "null", fb[j].value);
            ++j;
        }
    }
    return out;
}

} // namespace tk::cli
