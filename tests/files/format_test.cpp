#include "files/format.h"
#include "image/image.h"
#include "model/defaults.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tk {
namespace {

using test::Bytes;
using test::slice;

Bytes le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

Configuration factory() {
    Configuration cfg;
    setdefault(cfg);
    return cfg;
}

// Writes the file; like the writer, stores the block count in the record.
Bytes write(Configuration& cfg) {
    Bytes file;
    EXPECT_EQ(wrfile(cfg, file), FileWriteError::None);
    return file;
}

TEST(FileFormat, EmptyConfigurationIs944BytesLaidOutByteByByte) {
    Configuration cfg = factory();
    const Bytes file = write(cfg);
    ASSERT_EQ(file.size(), 944U);
    EXPECT_EQ(slice(file, 0, 16),
              (Bytes{0xB0, 0x03, 0, 0, 0, 0, 0, 0, 0x22, 0x33, 0, 0x44, 0, 0, 0, 0}));
    Bytes image(kEncodeClearSize);
    wrdump(cfg, image);
    EXPECT_EQ(slice(file, 16, 896), slice(image, 0, 896));
    EXPECT_EQ(slice(file, 912, 32), Bytes(32, 0));

    Configuration back = factory();
    back.TxTlfNum = "old";
    back.Comments = {"old"};
    ASSERT_EQ(refile(back, file), StatusNone);
    EXPECT_EQ(back.TxTlfNum, "");
    EXPECT_EQ(back.TxSerialNum, "");
    EXPECT_TRUE(back.Comments.empty());
}

TEST(FileFormat, TelephoneSerialAndCommentsFollowTheImage) {
    Configuration cfg = factory();
    cfg.TxTlfNum = "+79001234567";
    cfg.TxSerialNum = "SN0042";
    cfg.Comments = {"a", "", "bc"};
    const Bytes file = write(cfg);
    ASSERT_EQ(file.size(), 944U + 9);
    EXPECT_EQ(slice(file, 0, 8), (Bytes{0xB9, 0x03, 0, 0, 9, 0, 0, 0}));
    EXPECT_EQ(slice(file, 912, 16), test::textField("+79001234567", 16));
    EXPECT_EQ(slice(file, 928, 16), test::textField("SN0042", 16));
    EXPECT_EQ(slice(file, 944, 9), (Bytes{0x61, 0x0D, 0x0A, 0x0D, 0x0A, 0x62, 0x63, 0x0D, 0x0A}));

    Configuration back = factory();
    ASSERT_EQ(refile(back, file), StatusNone);
    EXPECT_EQ(back.TxTlfNum, "+79001234567");
    EXPECT_EQ(back.TxSerialNum, "SN0042");
    EXPECT_EQ(back.Comments, (std::vector<Text>{"a", "", "bc"}));
}

class BlocksFromLength : public testing::TestWithParam<int> {};

TEST_P(BlocksFromLength, ReaderDerivesTheWrittenBlockCount) {
    const int k = GetParam();
    Configuration cfg = factory();
    if (k > 0) {
        cfg.Inputs[static_cast<std::size_t>(4 * k + 2)].Flags |= 1;
        cfg.Inputs[static_cast<std::size_t>(4 * k + 2)].AlarmSMSText = "last";
    }
    cfg.Comments = {"xyz"};
    const Bytes file = write(cfg);
    cfg.TxVersion = "0.00"; // what the decoder builds from the two zero bytes
    EXPECT_EQ(file.size(), 16U + 896 + 384 * static_cast<std::size_t>(k) + 32 + 5);
    EXPECT_EQ(cfg.ExtBlocksCount, k);
    Configuration back = factory();
    ASSERT_EQ(refile(back, file), StatusNone);
    EXPECT_EQ(back.ExtBlocksCount, k);
    EXPECT_EQ(back, cfg);
}

INSTANTIATE_TEST_SUITE_P(Table, BlocksFromLength, testing::Values(0, 1, 2, 7, 14, 15));

TEST(FileFormat, HeaderBytesOutsideTheMarkersAreIgnored) {
    Configuration cfg = factory();
    Bytes file = write(cfg);
    for (std::size_t at : {10, 12, 13, 14, 15}) {
        Bytes changed = file;
        changed[at] = 0x5A;
        EXPECT_EQ(CheckFileImage(changed), StatusNone) << at;
    }
    for (std::size_t at : {8, 9, 11}) {
        Bytes changed = file;
        changed[at] ^= 0x01;
        EXPECT_EQ(CheckFileImage(changed), StatusNotConfig) << at;
    }
}

// Bad files, each refused with the record untouched.
struct BadFile {
    const char* why;
    Bytes bytes;
};

std::vector<BadFile> badFiles() {
    Configuration cfg = factory();
    cfg.Comments = {"ab"};
    const Bytes good = write(cfg); // 948 bytes, C = 4
    std::vector<BadFile> bad;
    auto withHeader = [&good](std::uint32_t total, std::uint32_t comment) {
        Bytes b = good;
        std::copy_n(le32(total).begin(), 4, b.begin());
        std::copy_n(le32(comment).begin(), 4, b.begin() + 4);
        return b;
    };
    bad.push_back({"empty", {}});
    bad.push_back({"header only", slice(good, 0, 16)});
    Bytes shorter(good.begin(), good.end() - 1);
    bad.push_back({"one byte short", shorter});
    Bytes longer = good;
    longer.push_back(0);
    bad.push_back({"one byte too many", longer});
    Bytes huge(kMaxFileSize + 1, 0);
    std::copy_n(good.begin(), 16, huge.begin());
    std::copy_n(le32(kMaxFileSize).begin(), 4, huge.begin());
    bad.push_back({"over 32768 bytes, total 32768", huge});
    bad.push_back({"comment length past the end", withHeader(948, 5000)});
    bad.push_back({"comment length eating the image", withHeader(948, 100)});
    Bytes noCrLf = withHeader(948, 4);
    noCrLf[947] = 'x';
    noCrLf[946] = 'x';
    bad.push_back({"comment area without final CR LF", noCrLf});
    Bytes crLast = withHeader(948, 4);
    crLast[944] = 'a';
    crLast[945] = 'b';
    crLast[946] = 'c';
    crLast[947] = 0x0D;
    bad.push_back({"CR as the last byte", crLast});
    Bytes sixteen(16 + 896 + 384 * 16 + 32, 0);
    std::copy_n(good.begin(), 16, sixteen.begin());
    std::copy_n(le32(static_cast<std::uint32_t>(sixteen.size())).begin(), 4, sixteen.begin());
    std::copy_n(le32(0).begin(), 4, sixteen.begin() + 4);
    bad.push_back({"sixteen blocks", sixteen});
    Bytes slackPastEnd = withHeader(948, 0); // k from total: 0 blocks, fine
    slackPastEnd.insert(slackPastEnd.end(), 370, 0);
    std::copy_n(le32(static_cast<std::uint32_t>(slackPastEnd.size())).begin(), 4,
                slackPastEnd.begin());
    std::copy_n(le32(0).begin(), 4, slackPastEnd.begin() + 4);
    bad.push_back({"block count rounded up past the data", slackPastEnd});
    return bad;
}

TEST(FileFormat, BadFilesAreRefusedAndTheRecordIsUntouched) {
    for (const auto& b : badFiles()) {
        SCOPED_TRACE(b.why);
        Configuration cfg = factory();
        cfg.TxSerialNum = "keep";
        cfg.Comments = {"keep"};
        const Configuration before = cfg;
        EXPECT_EQ(refile(cfg, b.bytes), StatusNotConfig);
        EXPECT_EQ(cfg, before);
    }
}

TEST(FileFormat, LinesEndAtCarriageReturnWhateverFollowsIt) {
    Configuration cfg = factory();
    cfg.Comments = {"ab", "cd"};
    Bytes file = write(cfg);
    file[file.size() - 5] = 'X'; // the LF of the first line
    Configuration back = factory();
    ASSERT_EQ(refile(back, file), StatusNone);
    EXPECT_EQ(back.Comments, (std::vector<Text>{"ab", "cd"}));
}

struct WriterRefusal {
    const char* why;
    void (*change)(Configuration&);
    FileWriteError error;
};

TEST(FileFormat, WriterRefusesWhatDoesNotFit) {
    const WriterRefusal cases[] = {
        {"telephone", [](Configuration& c) { c.TxTlfNum = std::string(16, '1'); },
         FileWriteError::TelNumTooLong},
        {"serial", [](Configuration& c) { c.TxSerialNum = std::string(16, 'S'); },
         FileWriteError::SerialTooLong},
        {"CR", [](Configuration& c) { c.Comments = {"a\rb"}; }, FileWriteError::CommentLineBreak},
        {"LF",
         [](Configuration& c) {
             c.Comments = {"ok", "a\nb"};
         },
         FileWriteError::CommentLineBreak},
        {"too long",
         [](Configuration& c) {
             c.Inputs[64].Flags |= 1;
             c.Comments = {std::string(26064 - 1, 'c')};
         },
         FileWriteError::TooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Configuration cfg = factory();
        c.change(cfg);
        Bytes file{1, 2, 3};
        EXPECT_EQ(wrfile(cfg, file), c.error);
        EXPECT_TRUE(file.empty());
        EXPECT_FALSE(FileWriteErrorText(c.error).empty());
    }
}

TEST(FileFormat, LargestFileFitsExactly) {
    Configuration cfg = factory();
    cfg.Inputs[64].Flags |= 1;
    cfg.TxTlfNum = std::string(15, '9');
    cfg.TxSerialNum = std::string(15, 'S');
    cfg.Comments = {std::string(26064 - 2, 'c')};
    const Bytes file = write(cfg);
    cfg.TxVersion = "0.00";
    EXPECT_EQ(file.size(), 32768U);
    Configuration back = factory();
    ASSERT_EQ(refile(back, file), StatusNone);
    EXPECT_EQ(back, cfg);
}

class OpenFile : public testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() / ("tk515-files-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path save(const std::string& name, const Bytes& bytes) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(OpenFile, ReadsWhatTheWriterWrote) {
    Configuration cfg = factory();
    cfg.ObjNum = 0x4321;
    cfg.Comments = {"объект"};
    const auto path = save("a.tk515", write(cfg));
    cfg.TxVersion = "0.00";
    Configuration back = factory();
    ASSERT_EQ(openf(back, path), StatusNone);
    EXPECT_EQ(back, cfg);
}

TEST_F(OpenFile, MissingFileOrFolderCannotBeOpened) {
    Configuration cfg = factory();
    const Configuration before = cfg;
    std::string reason;
    EXPECT_EQ(openf(cfg, dir_ / "missing.tk515", &reason), StatusCannotOpen);
    EXPECT_NE(reason.find("(нет такого файла или папки)"), std::string::npos) << reason;
    EXPECT_EQ(openf(cfg, dir_, &reason), StatusCannotOpen);
    EXPECT_NE(reason.find("(это папка, а не файл)"), std::string::npos) << reason;
    EXPECT_EQ(cfg, before);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.tk515")) << "openf must not create";
}

TEST_F(OpenFile, ForeignFileIsNotAConfiguration) {
    Configuration cfg = factory();
    EXPECT_EQ(openf(cfg, save("notes.txt", Bytes(944, 'x'))), StatusNotConfig);
    Bytes big(40000, 0);
    EXPECT_EQ(openf(cfg, save("big.bin", big)), StatusNotConfig);
}

TEST_F(OpenFile, ReadOnlyFileCannotBeOpened) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root opens every file for writing; run as a normal user to check this";
    }
    Configuration original = factory();
    const auto path = save("ro.tk515", write(original));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    Configuration cfg = factory();
    EXPECT_EQ(openf(cfg, path), StatusCannotOpen);
}

} // namespace
} // namespace tk
