// Factory values: the state of a new, unconfigured transmitter.
#pragma once

#include "model/configuration.h"

namespace tk {

// Puts the record's factory fields to their values and empties the comments. The
// masks and carried values that a new transmitter keeps from before (partition,
// keypad and external-panel masks, system-event masks, Raw values of the events,
// AuxPeriod) are left alone.
void setdefault(Configuration& cfg);

// The same, and resets the editing state kept beside the record.
void setdefault(Configuration& cfg, EditorState& editor);

// Inputs[n].InpNum of the factory configuration: n as three decimal digits.
std::array<std::int32_t, 2> DefaultInpNum(int n);

} // namespace tk
