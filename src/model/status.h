// Result of the last exchange with the transmitter or of the last file opening.
#pragma once

namespace tk {

enum StatusCode : int {
    StatusNone = 0,       // read and decoded / no error
    StatusCannotOpen = 1, // the file could not be opened
    StatusNotConfig = 2,  // not a configuration file
    StatusTimeout = 3,    // no reply in time
    StatusBadReply = 4,   // a reply that does not check
};

} // namespace tk
