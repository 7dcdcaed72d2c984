// libFuzzer target for the configuration file reader: any bytes, a file of the
// tool's format or not, must be checked and decoded without a fault, and a file the
// reader accepts must be written back in a form that reads and writes stably.
#include "files/format.h"
#include "model/defaults.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

tk::Configuration factory() {
    tk::Configuration cfg;
    tk::setdefault(cfg);
    return cfg;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const tk::Configuration before = factory();
    tk::Configuration cfg = before;

    const tk::StatusCode checked = tk::CheckFileImage(file);
    const tk::StatusCode read = tk::refile(cfg, file);
    require(checked == read);
    if (read != tk::StatusNone) {
        require(read == tk::StatusNotConfig);
        require(cfg == before); // a refused file leaves the record alone
        return 0;
    }
    require(cfg.ExtBlocksCount >= 0 && cfg.ExtBlocksCount <= 15);

    std::vector<std::uint8_t> once;
    if (tk::wrfile(cfg, once) != tk::FileWriteError::None) {
        return 0; // a comment line holding LF reads, but the writer refuses it
    }
    // The writer never needs more room than the file it came from.
    require(once.size() <= size);
    require(tk::CheckFileImage(once) == tk::StatusNone);

    tk::Configuration again = factory();
    require(tk::refile(again, once) == tk::StatusNone);
    std::vector<std::uint8_t> twice;
    require(tk::wrfile(again, twice) == tk::FileWriteError::None);
    require(twice == once);
    return 0;
}
