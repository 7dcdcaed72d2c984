// The backup store: folder names, the read comment, copies that never replace one
// another, the listing and the pruning.
#include "files/backups.h"
#include "files/format.h"
#include "files/settings.h"
#include "model/cp1251.h"
#include "model/defaults.h"
#include "record_files.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tk {
namespace {

Configuration factory() {
    Configuration cfg;
    setdefault(cfg);
    return cfg;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(test::writeFile(path, bytes)) << path.toStdString();
}

// Sets a file's modification time.
void touch(const QString& path, const QDateTime& when) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

const QDateTime kWhen(QDate(2026, 12, 8), QTime(17, 42, 5));

struct FolderCase {
    const char* serial; // UTF-8
    const char* tel;
    const char* folder;
};

class TransmitterFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(TransmitterFolder, SerialElseTelephoneElseUnknownMadeSafe) {
    Configuration cfg = factory();
    cfg.TxSerialNum = cp1251(GetParam().serial);
    cfg.TxTlfNum = GetParam().tel;
    EXPECT_EQ(TransmitterFolderName(cfg), QString::fromUtf8(GetParam().folder));
}

INSTANTIATE_TEST_SUITE_P(
    Names, TransmitterFolder,
    testing::Values(FolderCase{"SN-0042", "+79161234567", "SN-0042"},
                    FolderCase{"", "+79161234567", "+79161234567"},
                    FolderCase{"  ", "+7916", "+7916"}, // a blank serial names nothing
                    FolderCase{"", "", "unknown"},
                    FolderCase{"//", "", "unknown"}, // nothing but unsafe characters
                    FolderCase{"../x", "", "_._x"},  // never a folder above
                    FolderCase{".hidden", "", "_hidden"}, FolderCase{"Зав. №15", "", "Зав.__15"},
                    FolderCase{"a/b\\c:d*e", "", "a_b_c_d_e"}));

TEST(ReadComment, SaysWhatWhereAndWhenAndReadsBack) {
    const ReadOrigin cable{BackupKind::Read, false, QStringLiteral("/dev/ttyUSB0"), kWhen};
    EXPECT_EQ(ReadComment(cable),
              cp1251("Прочитано из передатчика 2026-12-08 17:42:05, порт /dev/ttyUSB0"));
    const ReadOrigin modem{BackupKind::BeforeWrite, true, QStringLiteral("+79161234567"), kWhen};
    EXPECT_EQ(ReadComment(modem),
              cp1251("Прочитано из передатчика перед записью 2026-12-08 17:42:05, телефон "
                     "+79161234567"));
    for (const ReadOrigin& o : {cable, modem}) {
        EXPECT_EQ(ParseReadComment(ReadComment(o)), o);
    }
    // A port name with a character Windows-1251 lacks keeps a "?" in its place.
    const ReadOrigin odd{BackupKind::Read, false, QStringLiteral("/dev/tty\u4E2D"), kWhen};
    EXPECT_EQ(ParseReadComment(ReadComment(odd))->via, QStringLiteral("/dev/tty?"));
    EXPECT_FALSE(ParseReadComment(cp1251("Склад №2")).has_value());
    EXPECT_FALSE(ParseReadComment(cp1251("Прочитано из передатчика вчера, порт x")).has_value());
}

class Store : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString root() const { return dir.filePath(QStringLiteral("backups")); }

    Configuration read(BackupKind kind, const QDateTime& when, const char* serial = "SN1") {
        Configuration cfg = factory();
        cfg.TxSerialNum = serial;
        AddReadComment(cfg, ReadOrigin{kind, false, QStringLiteral("/dev/pts/3"), when});
        return cfg;
    }

    QTemporaryDir dir;
};

TEST_F(Store, CopiesOfOneSecondGetDistinctNamesAndNeverReplaceAFile) {
    const QString folder = QDir(root()).filePath(QStringLiteral("SN1"));
    // A file of that name already there (another program's copy of the same second).
    writeAll(folder + "/2026-12-08_17-42-05.tk515", "earlier");
    const Configuration first = read(BackupKind::Read, kWhen);
    Configuration second = read(BackupKind::BeforeWrite, kWhen);
    second.TimeOfInp = 99;
    const BackupResult a = KeepBackup(root(), first, kWhen);
    const BackupResult b = KeepBackup(root(), second, kWhen);
    ASSERT_TRUE(a.ok()) << a.error.toStdString();
    ASSERT_TRUE(b.ok()) << b.error.toStdString();
    EXPECT_EQ(a.path, folder + "/2026-12-08_17-42-05-2.tk515");
    EXPECT_EQ(b.path, folder + "/2026-12-08_17-42-05-3.tk515");
    EXPECT_EQ(readAll(a.path), test::fileBytes(first));
    EXPECT_EQ(readAll(b.path), test::fileBytes(second));
    EXPECT_EQ(readAll(folder + "/2026-12-08_17-42-05.tk515"), QByteArray("earlier"));
}

TEST_F(Store, AFolderThatCannotBeMadeIsAnErrorNotACrash) {
    writeAll(dir.filePath(QStringLiteral("file")), "x");
    const BackupResult r = KeepBackup(dir.filePath(QStringLiteral("file/backups")),
                                      read(BackupKind::Read, kWhen), kWhen);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.path.isEmpty());
    EXPECT_TRUE(r.error.contains(QStringLiteral("не удаётся создать папку")))
        << r.error.toStdString();
}

TEST_F(Store, ListsNewestFirstAndMarksWhatCannotBeRead) {
    const QDateTime later = kWhen.addDays(3);
    ASSERT_TRUE(KeepBackup(root(), read(BackupKind::Read, kWhen), kWhen).ok());
    ASSERT_TRUE(KeepBackup(root(), read(BackupKind::Read, kWhen), kWhen).ok());
    Configuration remote = factory();
    remote.TxTlfNum = "+79161234567";
    AddReadComment(
        remote, ReadOrigin{BackupKind::BeforeWrite, true, QStringLiteral("+79161234567"), later});
    ASSERT_TRUE(KeepBackup(root(), remote, later).ok());
    QByteArray cut = test::fileBytes(read(BackupKind::Read, kWhen));
    cut.chop(1); // one byte short: not a configuration file
    writeAll(root() + "/SN1/2026-12-01_00-00-00.tk515", cut);
    writeAll(root() + "/SN1/notes.txt", "hello");
    touch(root() + "/SN1/notes.txt", kWhen.addYears(-1)); // no time in its name

    const std::vector<BackupEntry> list = ListBackups(root());
    ASSERT_EQ(list.size(), 5U);
    EXPECT_EQ(list[0].transmitter, "+79161234567");
    EXPECT_EQ(list[0].when, later);
    EXPECT_EQ(list[0].kind, BackupKind::BeforeWrite);
    EXPECT_TRUE(list[0].remote);
    EXPECT_EQ(list[0].via, "+79161234567");
    EXPECT_FALSE(list[0].unreadable);
    // Of one second, the second copy first.
    EXPECT_TRUE(list[1].path.endsWith("2026-12-08_17-42-05-2.tk515"));
    EXPECT_TRUE(list[2].path.endsWith("2026-12-08_17-42-05.tk515"));
    EXPECT_EQ(list[2].kind, BackupKind::Read);
    EXPECT_EQ(list[2].via, "/dev/pts/3");
    EXPECT_TRUE(list[3].path.endsWith("2026-12-01_00-00-00.tk515"));
    EXPECT_TRUE(list[3].unreadable);
    EXPECT_TRUE(list[4].path.endsWith("notes.txt"));
    EXPECT_TRUE(list[4].unreadable);
    EXPECT_TRUE(ListBackups(dir.filePath(QStringLiteral("none"))).empty());
}

TEST_F(Store, PruningKeepsAYearAndTheNewestOfEachTransmitter) {
    const QDateTime now(QDate(2027, 6, 1), QTime(12, 0, 0));
    struct Copy {
        const char* transmitter;
        int daysAgo;
        bool kept;
    };
    const Copy copies[] = {
        {"SN1", 400, false}, {"SN1", 366, false}, {"SN1", 364, true}, {"SN1", 10, true},
        {"SN2", 800, false}, {"SN2", 500, true}, // the newest of SN2 stays, however old
    };
    std::vector<QString> paths;
    for (const Copy& c : copies) {
        const QDateTime when = now.addDays(-c.daysAgo);
        const BackupResult r =
            KeepBackup(root(), read(BackupKind::Read, when, c.transmitter), when);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        paths.push_back(r.path);
    }
    // Files the store did not name are never removed.
    const QString foreign = root() + "/SN2/old-notes.tk515";
    writeAll(foreign, "x");
    touch(foreign, now.addYears(-5));

    const PruneResult pruned = PruneBackups(root(), now);
    EXPECT_EQ(pruned.removed, 3);
    EXPECT_TRUE(pruned.errors.isEmpty());
    for (std::size_t i = 0; i < std::size(copies); ++i) {
        EXPECT_EQ(QFile::exists(paths[i]), copies[i].kept) << paths[i].toStdString();
    }
    EXPECT_TRUE(QFile::exists(foreign));
}

// The store's folder and the window's two choices around a write, as stored (the test
// main points the settings into a scratch folder).
TEST(StoredSettings, BackupFolderAndTheChecksAroundAWrite) {
    QSettings("tkcnt", "tkgps").clear();
    EXPECT_EQ(BackupFolder(), DefaultBackupFolder());
    EXPECT_TRUE(DefaultBackupFolder().endsWith("/backups"));
    EXPECT_TRUE(reregBackupBeforeWrite());
    EXPECT_FALSE(reregVerifyAfterWrite());
    storeBackupFolder("/srv/copies");
    wrregBackupBeforeWrite(false);
    wrregVerifyAfterWrite(true);
    EXPECT_EQ(BackupFolder(), "/srv/copies");
    EXPECT_FALSE(reregBackupBeforeWrite());
    EXPECT_TRUE(reregVerifyAfterWrite());
    // Anything but the other choice reads as the default.
    QSettings("tkcnt", "tkgps").setValue("BackupBeforeWrite", "maybe");
    QSettings("tkcnt", "tkgps").setValue("VerifyAfterWrite", 1.5);
    EXPECT_TRUE(reregBackupBeforeWrite());
    EXPECT_FALSE(reregVerifyAfterWrite());
    storeBackupFolder("");
    EXPECT_EQ(BackupFolder(), DefaultBackupFolder());
    QSettings("tkcnt", "tkgps").clear();
}

} // namespace
} // namespace tk
