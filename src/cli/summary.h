// A readable summary of a configuration for an installer, with the window's Russian
// labels.
#pragma once

#include "model/configuration.h"

#include <string>

namespace tk::cli {

// The summary as UTF-8 text, one item a line.
std::string Summary(const Configuration& cfg);

} // namespace tk::cli
