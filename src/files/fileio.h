// Reading and writing whole files, for the window and the command-line tool alike.
//
// The writer never lies and never loses the old file:
// - every write is checked, and the data is on the disk (fsync) before the file counts
//   as written; any failure leaves the old file byte for byte and says why;
// - a regular file is replaced atomically (a temporary file beside it, renamed over it)
//   when the replacement keeps the file's identity: same owner and group, one link, a
//   folder that takes new files. Otherwise it is written in place: the space is taken
//   first, the old bytes are kept in memory and written back when anything fails;
// - an output that exists and is not a regular file is written into directly when it
//   is a character device or a pipe (a terminal, /dev/null, a FIFO), and refused
//   otherwise (a folder, a block device, a socket); it is never replaced by a file.
//
// The system calls that touch the data go through FileCalls, so that tests can make a
// device that fails after so many bytes or whose commit fails.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tk {

// The system's text for an error number, followed by a Russian reason of our own
// for the common causes: "No such file or directory (нет такого файла или папки)".
std::string systemErrorText(int error);

// The calls through which the writer moves data. Each returns what the system call
// returns and leaves errno set on failure.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    // write(2) when offset is negative, pwrite(2) otherwise.
    virtual ssize_t write(int fd, const std::uint8_t* data, std::size_t size, off_t offset);
    // fsync(2).
    virtual int sync(int fd);
    // Reserves the file's first `size` bytes on the disk: 0, or -1 with errno.
    virtual int allocate(int fd, off_t size);
    // rename(2).
    virtual int rename(const std::filesystem::path& from, const std::filesystem::path& to);
};

// The calls as the system makes them.
FileCalls& systemFileCalls();

// How a file was written.
enum class WriteMethod {
    Replaced, // a new file renamed over the old one (or put where none was)
    InPlace,  // the existing file overwritten, keeping its identity
    Direct,   // a device or a pipe, written into
};

struct WriteResult {
    int error = 0;      // errno of the failure; 0 when written
    std::string reason; // why not, in Russian with the system's text (UTF-8)
    WriteMethod method = WriteMethod::Replaced;

    bool ok() const { return error == 0; }
};

// Whether opening a FIFO waits for a reader, as a command-line tool does; a window must
// not freeze on it.
enum class PipeWait { Wait, Refuse };

// Writes `data` as the whole content of `path` by the rules above.
WriteResult writeFileWhole(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                           PipeWait wait = PipeWait::Wait, FileCalls& calls = systemFileCalls());

struct ReadResult {
    std::vector<std::uint8_t> bytes;
    int error = 0;      // errno of the failure; 0 when read
    std::string reason; // why not, as in WriteResult

    bool ok() const { return error == 0; }
};

// Reads at most `maxBytes` bytes of `path`. `forWriting` opens it for reading and
// writing (a read-only file is refused) and takes regular files only; otherwise pipes
// and character devices are read too (until their end or `maxBytes`).
ReadResult readFile(const std::filesystem::path& path, std::size_t maxBytes, bool forWriting);

} // namespace tk
