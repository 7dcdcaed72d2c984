// A small file system of its own for the tests that need a full disk: a tmpfs mounted
// on a scratch folder, which only root (or a user with CAP_SYS_ADMIN) can make.
#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tk::test {

class SmallFileSystem {
public:
    // Mounts a tmpfs of `kilobytes` on `folder` (created when missing).
    SmallFileSystem(const std::filesystem::path& folder, int kilobytes) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            mounted_ = true;
        } else {
            why_ = std::string("cannot mount a small tmpfs (") + std::strerror(errno) +
                   "); run as root to check a full disk";
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    ~SmallFileSystem() {
        if (mounted_) {
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
    }

    bool mounted() const { return mounted_; }
    // Why it could not be mounted, for GTEST_SKIP.
    const std::string& why() const { return why_; }

    // Takes every free byte with a file of its own.
    void fill() const {
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::vector<char> block(1024, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
            filler.flush();
        }
        filler.clear();
        for (;;) { // the last bytes one at a time
            filler.put('f');
            filler.flush();
            if (!filler) {
                break;
            }
        }
    }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace tk::test
