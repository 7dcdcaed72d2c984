// The checked writer and reader on real files, devices, pipes and a full disk, and
// through calls that fail on purpose.
#include "files/fileio.h"
#include "small_fs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <thread>

namespace tk {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool root() {
    return ::geteuid() == 0;
}

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) {
        b[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return b;
}

// A configuration file's worth of old bytes, and a new content that is longer.
const Bytes kOld = pattern(944, 1);
const Bytes kNew = pattern(12 * 1024, 2);

Bytes readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct stat statOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool mentions(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Calls that fail on purpose: the writes after `writeBudget` bytes once (then the
// "disk" recovers, as when space is freed), the first sync, or the rename.
class FailingCalls : public FileCalls {
public:
    std::optional<std::size_t> writeBudget;
    int writeError = ENOSPC;
    int syncFailures = 0;
    bool failRename = false;

    ssize_t write(int fd, const std::uint8_t* data, std::size_t size, off_t offset) override {
        if (writeBudget && !writeFailed_) {
            if (written_ >= *writeBudget) {
                writeFailed_ = true;
                errno = writeError;
                return -1;
            }
            size = std::min(size, *writeBudget - written_); // a short write first
        }
        const ssize_t n = FileCalls::write(fd, data, size, offset);
        if (n > 0) {
            written_ += static_cast<std::size_t>(n);
        }
        return n;
    }
    int sync(int fd) override {
        if (syncFailures > 0) {
            --syncFailures;
            errno = EIO;
            return -1;
        }
        return FileCalls::sync(fd);
    }
    int rename(const fs::path& from, const fs::path& to) override {
        if (failRename) {
            errno = EXDEV;
            return -1;
        }
        return FileCalls::rename(from, to);
    }

private:
    std::size_t written_ = 0;
    bool writeFailed_ = false;
};

class FileWriter : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tk515-fileio-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(dir_, ec)) {
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
};

// ----------------------------------------------------------- regular files

TEST_F(FileWriter, NewFileIsWrittenWholeAndNothingElse) {
    const WriteResult r = writeFileWhole(dir_ / "a.tk515", kNew);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.method, WriteMethod::Replaced);
    EXPECT_EQ(readAll(dir_ / "a.tk515"), kNew);
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"a.tk515"});
}

TEST_F(FileWriter, ReplacementKeepsTheModeAndIsAtomic) {
    const fs::path p = dir_ / "a.tk515";
    writeAll(p, kOld);
    ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
    const ino_t before = statOf(p).st_ino;
    const WriteResult r = writeFileWhole(p, kNew);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.method, WriteMethod::Replaced);
    EXPECT_NE(statOf(p).st_ino, before); // a new file took the name in one step
    EXPECT_EQ(statOf(p).st_mode & 07777, 0640U);
    EXPECT_EQ(readAll(p), kNew);
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"a.tk515"});
}

TEST_F(FileWriter, SymbolicLinkStaysALinkAndItsTargetGetsTheData) {
    writeAll(dir_ / "target.tk515", kOld);
    fs::create_symlink("target.tk515", dir_ / "link.tk515");
    fs::create_symlink("future.tk515", dir_ / "dangling.tk515");
    ASSERT_TRUE(writeFileWhole(dir_ / "link.tk515", kNew).ok());
    ASSERT_TRUE(writeFileWhole(dir_ / "dangling.tk515", kOld).ok());
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.tk515"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.tk515"));
    EXPECT_EQ(readAll(dir_ / "target.tk515"), kNew);
    EXPECT_EQ(readAll(dir_ / "future.tk515"), kOld);
}

struct InPlaceCase {
    const char* name;
    Bytes content;
};

class HardLinks : public FileWriter, public testing::WithParamInterface<InPlaceCase> {};

TEST_P(HardLinks, StayOneFileWrittenInPlace) {
    const fs::path p = dir_ / "a.tk515";
    writeAll(p, kOld);
    fs::create_hard_link(p, dir_ / "b.tk515");
    const ino_t inode = statOf(p).st_ino;
    const WriteResult r = writeFileWhole(p, GetParam().content);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.method, WriteMethod::InPlace);
    EXPECT_EQ(statOf(p).st_ino, inode);
    EXPECT_EQ(statOf(p).st_nlink, 2U);
    EXPECT_EQ(readAll(dir_ / "b.tk515"), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HardLinks,
                         testing::Values(InPlaceCase{"Longer", kNew},
                                         InPlaceCase{"Shorter", pattern(100, 3)},
                                         InPlaceCase{"Empty", Bytes{}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(FileWriter, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
    const fs::path folder = dir_ / "ro";
    fs::create_directory(folder);
    const fs::path p = folder / "a.tk515";
    writeAll(p, kOld);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const WriteResult r = writeFileWhole(p, kNew);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(readAll(p), kNew);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"a.tk515"});
    if (!root()) { // root may write into the folder, so replacing is fine for it
        EXPECT_EQ(r.method, WriteMethod::InPlace);
    }
}

TEST_F(FileWriter, AnotherUsersFileKeepsItsOwner) {
    if (!root()) {
        GTEST_SKIP() << "only root can write another user's file here; run as root to check this";
    }
    const fs::path p = dir_ / "a.tk515";
    writeAll(p, kOld);
    ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    const WriteResult r = writeFileWhole(p, kNew);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.method, WriteMethod::InPlace);
    EXPECT_EQ(statOf(p).st_uid, 65534U);
    EXPECT_EQ(statOf(p).st_gid, 65534U);
    EXPECT_EQ(readAll(p), kNew);
}

// ----------------------------------------------------------- refusals

struct Refusal {
    const char* name;
    std::function<fs::path(const fs::path& dir)> make; // returns the output path
    int error;
    const char* reason;
    bool needsUser; // root would be allowed
};

class Refused : public FileWriter, public testing::WithParamInterface<Refusal> {};

TEST_P(Refused, NothingChangesAndTheReasonIsRussian) {
    if (GetParam().needsUser && root()) {
        GTEST_SKIP() << "root may write here; run as a normal user to check this";
    }
    const fs::path p = GetParam().make(dir_);
    const bool existed = fs::exists(p);
    const Bytes before = existed && fs::is_regular_file(p) ? readAll(p) : Bytes{};
    const WriteResult r = writeFileWhole(p, kNew);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, GetParam().error);
    EXPECT_TRUE(mentions(r.reason, GetParam().reason)) << r.reason;
    if (existed && fs::is_regular_file(p)) {
        EXPECT_EQ(readAll(p), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, Refused,
                         testing::Values(Refusal{"Folder", [](const fs::path& d) { return d; },
                                                 EISDIR, "(это папка, а не файл)", false},
                                         Refusal{"MissingFolder",
                                                 [](const fs::path& d) {
                                                     return d / "none" / "a.tk515";
                                                 },
                                                 ENOENT, "(нет такого файла или папки)", false},
                                         Refusal{"PathThroughAFile",
                                                 [](const fs::path& d) {
                                                     writeAll(d / "f", kOld);
                                                     return d / "f" / "a.tk515";
                                                 },
                                                 ENOTDIR, "(часть пути не является папкой)", false},
                                         Refusal{"ReadOnlyFile",
                                                 [](const fs::path& d) {
                                                     writeAll(d / "ro.tk515", kOld);
                                                     ::chmod((d / "ro.tk515").c_str(), 0444);
                                                     return d / "ro.tk515";
                                                 },
                                                 EACCES, "(нет прав доступа)", true},
                                         Refusal{"ReadOnlyFolder",
                                                 [](const fs::path& d) {
                                                     fs::create_directory(d / "ro");
                                                     ::chmod((d / "ro").c_str(), 0555);
                                                     return d / "ro" / "new.tk515";
                                                 },
                                                 EACCES, "(нет прав доступа)", true}),
                         [](const auto& p) { return std::string(p.param.name); });

// ----------------------------------------------------------- devices and pipes

TEST(FileWriterDevices, DevNullIsWrittenIntoAndStaysADevice) {
    const WriteResult r = writeFileWhole("/dev/null", kNew);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.method, WriteMethod::Direct);
    EXPECT_TRUE(S_ISCHR(statOf("/dev/null").st_mode));
}

TEST(FileWriterDevices, DevFullFailsAndStaysADevice) {
    const WriteResult r = writeFileWhole("/dev/full", kNew);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, ENOSPC);
    EXPECT_EQ(r.method, WriteMethod::Direct);
    EXPECT_EQ(r.reason, std::string(std::strerror(ENOSPC)) + " (на диске нет места)");
    EXPECT_TRUE(S_ISCHR(statOf("/dev/full").st_mode));
}

TEST_F(FileWriter, FifoIsWrittenIntoAndStaysAFifo) {
    const fs::path fifo = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Bytes received;
    std::thread reader([&] { received = readAll(fifo); });
    const WriteResult r = writeFileWhole(fifo, kNew);
    reader.join();
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.method, WriteMethod::Direct);
    EXPECT_EQ(received, kNew);
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
}

TEST_F(FileWriter, FifoWithoutAReaderIsRefusedWhenWaitingIsNotWanted) {
    const fs::path fifo = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const WriteResult r = writeFileWhole(fifo, kNew, PipeWait::Refuse);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, ENXIO);
    EXPECT_TRUE(mentions(r.reason, "(нет устройства, или канал никто не читает)")) << r.reason;
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
}

// ----------------------------------------------------------- failing devices

enum class Layout { Single, HardLinked };

struct Failure {
    const char* name;
    Layout layout;
    std::function<void(FailingCalls&)> arm;
    int error;
    const char* reason;
};

class FailingDevice : public FileWriter, public testing::WithParamInterface<Failure> {};

TEST_P(FailingDevice, LeavesTheOldFileByteForByte) {
    const fs::path p = dir_ / "a.tk515";
    writeAll(p, kOld);
    if (GetParam().layout == Layout::HardLinked) {
        fs::create_hard_link(p, dir_ / "b.tk515");
    }
    const auto namesBefore = namesIn(dir_);
    const ino_t inode = statOf(p).st_ino;
    FailingCalls calls;
    GetParam().arm(calls);
    const WriteResult r = writeFileWhole(p, kNew, PipeWait::Wait, calls);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, GetParam().error);
    EXPECT_TRUE(mentions(r.reason, GetParam().reason)) << r.reason;
    EXPECT_FALSE(mentions(r.reason, "восстановить не удалось")) << r.reason;
    EXPECT_EQ(r.method,
              GetParam().layout == Layout::Single ? WriteMethod::Replaced : WriteMethod::InPlace);
    EXPECT_EQ(readAll(p), kOld);
    EXPECT_EQ(statOf(p).st_ino, inode);
    EXPECT_EQ(namesIn(dir_), namesBefore); // no temporary file left
}

auto failAfter(std::size_t n) {
    return [n](FailingCalls& c) { c.writeBudget = n; };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingDevice,
    testing::Values(
        Failure{"ReplaceFailsAtOnce", Layout::Single, failAfter(0), ENOSPC, "на диске нет места"},
        Failure{"ReplaceFailsAfter100", Layout::Single, failAfter(100), ENOSPC,
                "на диске нет места"},
        Failure{"ReplaceFailsAfter8K", Layout::Single, failAfter(8192), ENOSPC,
                "на диске нет места"},
        Failure{"ReplaceCommitSyncFails", Layout::Single,
                [](FailingCalls& c) { c.syncFailures = 1; }, EIO, "ошибка ввода-вывода"},
        Failure{"ReplaceCommitRenameFails", Layout::Single,
                [](FailingCalls& c) { c.failRename = true; }, EXDEV, "Invalid cross-device"},
        Failure{"InPlaceFailsAtOnce", Layout::HardLinked, failAfter(0), ENOSPC,
                "на диске нет места"},
        Failure{"InPlaceFailsAfter100", Layout::HardLinked, failAfter(100), ENOSPC,
                "на диске нет места"},
        Failure{"InPlaceFailsAfter8K", Layout::HardLinked, failAfter(8192), ENOSPC,
                "на диске нет места"},
        Failure{"InPlaceCommitSyncFails", Layout::HardLinked,
                [](FailingCalls& c) { c.syncFailures = 1; }, EIO, "ошибка ввода-вывода"}),
    [](const auto& p) { return std::string(p.param.name); });

// ----------------------------------------------------------- a real full disk

class FullDisk : public FileWriter, public testing::WithParamInterface<Layout> {};

TEST_P(FullDisk, RefusesAndKeepsTheOldFile) {
    const fs::path mountPoint = dir_ / "small";
    test::SmallFileSystem small(mountPoint, 64);
    if (!small.mounted()) {
        GTEST_SKIP() << small.why();
    }
    const fs::path p = mountPoint / "good.tk515";
    writeAll(p, kOld);
    if (GetParam() == Layout::HardLinked) {
        fs::create_hard_link(p, mountPoint / "link.tk515");
    }
    small.fill();
    const auto namesBefore = namesIn(mountPoint);
    const WriteResult r = writeFileWhole(p, kNew);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, ENOSPC);
    EXPECT_TRUE(mentions(r.reason, "(на диске нет места)")) << r.reason;
    EXPECT_EQ(readAll(p), kOld);
    EXPECT_EQ(namesIn(mountPoint), namesBefore);
}

INSTANTIATE_TEST_SUITE_P(Layouts, FullDisk, testing::Values(Layout::Single, Layout::HardLinked),
                         [](const auto& p) {
                             return p.param == Layout::Single ? "Replace" : "InPlace";
                         });

// ----------------------------------------------------------- reading

TEST_F(FileWriter, ReaderSaysWhyInRussian) {
    writeAll(dir_ / "a", kOld);
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);
    const struct {
        fs::path path;
        bool forWriting;
        const char* reason;
    } cases[] = {
        {dir_ / "none", false, "(нет такого файла или папки)"},
        {dir_, false, "(это папка, а не файл)"},
        {dir_, true, "(это папка, а не файл)"},
        {dir_ / "a" / "b", false, "(часть пути не является папкой)"},
        {dir_ / "pipe", true, "это не обычный файл"},
    };
    for (const auto& c : cases) {
        const ReadResult r = readFile(c.path, 100, c.forWriting);
        EXPECT_FALSE(r.ok()) << c.path;
        EXPECT_TRUE(mentions(r.reason, c.reason)) << c.path << ": " << r.reason;
        EXPECT_TRUE(r.bytes.empty());
    }
}

TEST_F(FileWriter, ReaderStopsAtItsLimit) {
    writeAll(dir_ / "a", kNew);
    EXPECT_EQ(readFile(dir_ / "a", kNew.size() + 1, true).bytes, kNew);
    const ReadResult cut = readFile(dir_ / "a", 100, false);
    ASSERT_TRUE(cut.ok());
    EXPECT_EQ(cut.bytes, Bytes(kNew.begin(), kNew.begin() + 100));
}

TEST(SystemErrorText, SystemTextThenOurs) {
    EXPECT_EQ(systemErrorText(EACCES), std::string(std::strerror(EACCES)) + " (нет прав доступа)");
    EXPECT_EQ(systemErrorText(EXDEV), std::string(std::strerror(EXDEV))); // no reason of ours
}

} // namespace
} // namespace tk
