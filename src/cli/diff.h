// Field-by-field comparison of two records through their JSON form.
#pragma once

#include "model/configuration.h"

#include <string>
#include <vector>

namespace tk::cli {

// One line per field that differs, in record order: the flattened field name, its
// value in a and its value in b, separated by blanks. Values are JSON literals;
// a comment line that only one side has shows null on the other.
std::vector<std::string> DiffLines(const Configuration& a, const Configuration& b);

} // namespace tk::cli
