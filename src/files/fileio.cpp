#include "files/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace tk {
namespace {

namespace fs = std::filesystem;

// Our own refusal of something that is not a regular file where only one will do (a
// block device or a socket as output, anything but a regular file for the window's
// Open); no system call returns it.
constexpr int kNotAFile = -1;

const char* russianReason(int error) {
    switch (error) {
    case ENOENT:
        return "нет такого файла или папки";
    case ENOTDIR:
        return "часть пути не является папкой";
    case EACCES:
    case EPERM:
        return "нет прав доступа";
    case EISDIR:
        return "это папка, а не файл";
    case ENOSPC:
    case EDQUOT:
        return "на диске нет места";
    case EFBIG:
        return "файл превышает допустимый размер";
    case EROFS:
        return "файловая система только для чтения";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case ELOOP:
        return "слишком много символических ссылок";
    case EIO:
        return "ошибка ввода-вывода";
    case EBUSY:
    case ETXTBSY:
        return "файл занят";
    case ENXIO:
        return "нет устройства, или канал никто не читает";
    case ENODEV:
        return "нет такого устройства";
    default:
        return nullptr;
    }
}

WriteResult failed(int error, WriteMethod method) {
    return {error, systemErrorText(error), method};
}

// Closes a descriptor once; a failing close(2) reports a lost write on some file systems.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    void reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // 0, or the errno of a failing close.
    int close() {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int fd_;
};

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of `data`, from offset 0 when `positioned`, else at the current position.
// 0, or the errno of the failure.
int writeAll(FileCalls& calls, int fd, std::span<const std::uint8_t> data, bool positioned) {
    std::size_t done = 0;
    while (done < data.size()) {
        const off_t at = positioned ? static_cast<off_t>(done) : off_t{-1};
        const ssize_t n = calls.write(fd, data.data() + done, data.size() - done, at);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO; // no progress and no reason: never loop on it
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Reads `size` bytes from offset 0 into `out`. 0, or the errno of the failure.
int readPrefix(int fd, std::size_t size, std::vector<std::uint8_t>& out) {
    out.assign(size, 0);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO; // the file shrank under us
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int syncRetrying(FileCalls& calls, int fd) {
    int rc = 0;
    do {
        rc = calls.sync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

int truncateRetrying(int fd, off_t size) {
    int rc = 0;
    do {
        rc = ::ftruncate(fd, size);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

// A pipe or a character device: written into, nothing to keep or replace. With
// PipeWait::Refuse a FIFO nobody reads is refused at once (ENXIO) instead of waiting.
WriteResult writeDirect(const fs::path& path, std::span<const std::uint8_t> data, FileCalls& calls,
                        PipeWait wait) {
    const int nonBlocking = wait == PipeWait::Wait ? 0 : O_NONBLOCK;
    Descriptor fd(openRetrying(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | nonBlocking));
    if (!fd.valid()) {
        return failed(errno, WriteMethod::Direct);
    }
    // Opened: the writes themselves may wait for the reader as usual.
    if (nonBlocking != 0) {
        const int flags = ::fcntl(fd.get(), F_GETFL);
        if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
            return failed(errno, WriteMethod::Direct);
        }
    }
    if (const int error = writeAll(calls, fd.get(), data, false); error != 0) {
        return failed(error, WriteMethod::Direct);
    }
    if (const int error = fd.close(); error != 0) {
        return failed(error, WriteMethod::Direct);
    }
    return {0, {}, WriteMethod::Direct};
}

// Overwrites the file where it is, so that its owner, links and folder stay as they
// are. The space is reserved before the first byte changes; on any failure the old
// bytes go back and the old length with them.
WriteResult writeInPlace(const fs::path& path, std::span<const std::uint8_t> data,
                         FileCalls& calls) {
    Descriptor fd(openRetrying(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        return failed(errno, WriteMethod::InPlace);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return failed(errno, WriteMethod::InPlace);
    }
    if (!S_ISREG(st.st_mode)) {
        return failed(kNotAFile, WriteMethod::InPlace);
    }
    const auto oldSize = static_cast<std::size_t>(st.st_size);
    const auto newSize = static_cast<off_t>(data.size());
    // Only the bytes the new content covers are overwritten before the end; the tail is
    // cut off last, after everything else went through.
    std::vector<std::uint8_t> kept;
    if (const int error = readPrefix(fd.get(), std::min(oldSize, data.size()), kept); error != 0) {
        return failed(error, WriteMethod::InPlace);
    }
    if (newSize > st.st_size && calls.allocate(fd.get(), newSize) != 0) {
        // A file system without reservation still gets the checked writes below.
        if (errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
            const int error = errno;
            truncateRetrying(fd.get(), st.st_size); // a partial reservation may have grown it
            return failed(error, WriteMethod::InPlace);
        }
    }
    int error = writeAll(calls, fd.get(), data, true);
    if (error == 0) {
        error = syncRetrying(calls, fd.get());
    }
    if (error == 0 && newSize < st.st_size) {
        error = truncateRetrying(fd.get(), newSize);
        if (error == 0) {
            error = syncRetrying(calls, fd.get());
        }
    }
    if (error == 0) {
        error = fd.close();
        if (error == 0) {
            return {0, {}, WriteMethod::InPlace};
        }
        fd.reset(openRetrying(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    }
    WriteResult result = failed(error, WriteMethod::InPlace);
    // Put the old content back.
    int restoreError = fd.valid() ? writeAll(calls, fd.get(), kept, true) : errno;
    if (restoreError == 0) {
        restoreError = truncateRetrying(fd.get(), st.st_size);
    }
    if (restoreError == 0) {
        restoreError = syncRetrying(calls, fd.get());
    }
    if (restoreError != 0) {
        result.reason +=
            "; прежнее содержимое файла восстановить не удалось: " + systemErrorText(restoreError);
    }
    return result;
}

std::atomic<unsigned> temporaryCounter{0};

enum class ReplaceOutcome { Done, Failed, KeepsNoIdentity };

// Writes a temporary file beside `path` and renames it over `path`. `old` is the file
// being replaced, or null when there is none. When the new file cannot take the old
// one's group, nothing is written and the caller writes in place instead.
ReplaceOutcome replaceFile(const fs::path& path, const struct stat* old,
                           std::span<const std::uint8_t> data, FileCalls& calls,
                           WriteResult& result) {
    result.method = WriteMethod::Replaced;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    // Hidden, in the same folder (so the rename stays on one file system), and short
    // enough for any name.
    const std::string stem = path.filename().string().substr(0, 64);
    fs::path temporary;
    Descriptor fd(-1);
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary = folder / ("." + stem + "." + std::to_string(::getpid()) + "-" +
                              std::to_string(temporaryCounter++) + ".tmp");
        fd.reset(openRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              old != nullptr ? 0600 : 0666));
        if (!fd.valid() && errno != EEXIST) {
            break;
        }
    }
    if (!fd.valid()) {
        result = failed(errno, WriteMethod::Replaced);
        return ReplaceOutcome::Failed;
    }
    auto drop = [&](int error) {
        fd.close();
        ::unlink(temporary.c_str());
        result = failed(error, WriteMethod::Replaced);
        return ReplaceOutcome::Failed;
    };
    if (old != nullptr) {
        struct stat mine {};
        if (::fstat(fd.get(), &mine) != 0) {
            return drop(errno);
        }
        if (mine.st_gid != old->st_gid &&
            ::fchown(fd.get(), static_cast<uid_t>(-1), old->st_gid) != 0) {
            fd.close();
            ::unlink(temporary.c_str());
            return ReplaceOutcome::KeepsNoIdentity;
        }
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0) {
            return drop(errno);
        }
    }
    if (const int error = writeAll(calls, fd.get(), data, false); error != 0) {
        return drop(error);
    }
    if (const int error = syncRetrying(calls, fd.get()); error != 0) {
        return drop(error);
    }
    if (const int error = fd.close(); error != 0) {
        ::unlink(temporary.c_str());
        result = failed(error, WriteMethod::Replaced);
        return ReplaceOutcome::Failed;
    }
    if (calls.rename(temporary, path) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        result = failed(error, WriteMethod::Replaced);
        return ReplaceOutcome::Failed;
    }
    // The new name on the disk too; the data is there already, so a failure here
    // loses nothing and is not reported.
    if (Descriptor dir(openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        dir.valid()) {
        ::fsync(dir.get());
    }
    result = {0, {}, WriteMethod::Replaced};
    return ReplaceOutcome::Done;
}

// Follows a symbolic link that points nowhere to the name it points at, so that the new
// file appears there and the link stays a link.
fs::path danglingTarget(const fs::path& path) {
    fs::path at = path;
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(at, ec)); ++hops) {
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) {
            break;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at;
}

} // namespace

std::string systemErrorText(int error) {
    if (error == kNotAFile) {
        return "это не обычный файл (устройство, канал или сокет)";
    }
    std::string text = std::generic_category().message(error);
    if (const char* reason = russianReason(error)) {
        text += " (";
        text += reason;
        text += ")";
    }
    return text;
}

ssize_t FileCalls::write(int fd, const std::uint8_t* data, std::size_t size, off_t offset) {
    return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}

int FileCalls::sync(int fd) {
    return ::fsync(fd);
}

int FileCalls::allocate(int fd, off_t size) {
    const int error = ::posix_fallocate(fd, 0, size);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return 0;
}

int FileCalls::rename(const fs::path& from, const fs::path& to) {
    return ::rename(from.c_str(), to.c_str());
}

FileCalls& systemFileCalls() {
    static FileCalls calls;
    return calls;
}

WriteResult writeFileWhole(const fs::path& path, std::span<const std::uint8_t> data, PipeWait wait,
                           FileCalls& calls) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return failed(errno, WriteMethod::Replaced);
        }
        WriteResult result;
        replaceFile(danglingTarget(path), nullptr, data, calls, result);
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        return failed(EISDIR, WriteMethod::Direct);
    }
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
        return writeDirect(path, data, calls, wait);
    }
    if (!S_ISREG(st.st_mode)) {
        return failed(kNotAFile, WriteMethod::Direct);
    }

    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    if (ec) {
        return failed(ec.value(), WriteMethod::Replaced);
    }
    if (::access(target.c_str(), W_OK) != 0) {
        return failed(errno, WriteMethod::InPlace);
    }
    const fs::path folder = target.parent_path();
    const bool keepsIdentity =
        st.st_nlink == 1 && st.st_uid == ::geteuid() && ::access(folder.c_str(), W_OK | X_OK) == 0;
    if (keepsIdentity) {
        WriteResult result;
        if (replaceFile(target, &st, data, calls, result) != ReplaceOutcome::KeepsNoIdentity) {
            return result;
        }
    }
    return writeInPlace(target, data, calls);
}

ReadResult readFile(const fs::path& path, std::size_t maxBytes, bool forWriting) {
    ReadResult result;
    auto fail = [&result](int error) {
        result.bytes.clear();
        result.error = error;
        result.reason = systemErrorText(error);
        return result;
    };
    // The window's open takes regular files only, so it never waits in open(2) for a
    // serial line's carrier or a FIFO's writer; it has no effect on regular files.
    const int flags = forWriting ? O_RDWR | O_NONBLOCK : O_RDONLY;
    Descriptor fd(openRetrying(path.c_str(), flags | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        return fail(errno);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return fail(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return fail(EISDIR);
    }
    if (forWriting && !S_ISREG(st.st_mode)) {
        return fail(kNotAFile);
    }
    if (S_ISREG(st.st_mode)) {
        result.bytes.reserve(std::min(maxBytes, static_cast<std::size_t>(st.st_size)));
    }
    constexpr std::size_t kChunk = 64 * 1024;
    while (result.bytes.size() < maxBytes) {
        const std::size_t at = result.bytes.size();
        result.bytes.resize(at + std::min(kChunk, maxBytes - at));
        const ssize_t n = ::read(fd.get(), result.bytes.data() + at, result.bytes.size() - at);
        if (n < 0) {
            result.bytes.resize(at);
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        result.bytes.resize(at + static_cast<std::size_t>(n));
        if (n == 0) {
            break;
        }
    }
    return result;
}

} // namespace tk
