// The installer's safety net in the window, against tk515-sim over a real
// pseudo-terminal: every read kept in the backup store, the copy of the transmitter
// before a write (cable and modem), the write read back, a store that cannot be
// written; the compare dialog and the backups dialog through their widgets.
#include "files/backups.h"
#include "files/settings.h"
#include "link_support.h"
#include "ui/backupsdialog.h"
#include "ui/comparedialog.h"
#include "ui/fileextras.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace tk;
using tk::test::child;
using tk::test::readFile;
using tk::test::ScriptedPrompts;
using tk::test::transmitterRecord;
using tk::test::writeFile;

namespace {

constexpr int kSessionMs = 30000;

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class SafetyTest : public test::LinkCase {
    Q_OBJECT

    void startSimulator(const QStringList& extra = {}) {
        launchSimulator(
            QStringList{deviceFile_, QStringLiteral("-o"), writtenFile_, QStringLiteral("--fast")} +
            extra);
    }
    void run(const char* action) {
        runToEnd([&] { child<QAction>(window(), action)->trigger(); }, kSessionMs);
    }
    void connectLink() {
        run("Connect1");
        QCOMPARE(status(1), QStringLiteral("Connect"));
    }
    std::vector<BackupEntry> backups() { return ListBackups(BackupFolder()); }
    QString barMessage() { return window().statusBar()->currentMessage(); }
    void check(const char* action, bool on) {
        QAction* item = child<QAction>(window(), action);
        if (item->isChecked() != on) {
            item->trigger();
        }
    }

private slots:
    void init() {
        prompts_ = ScriptedPrompts{};
        QSettings settings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"));
        for (const char* key : {"BackupFolder", "BackupBeforeWrite", "VerifyAfterWrite"}) {
            settings.remove(QString::fromLatin1(key));
        }
        QDir(DefaultBackupFolder()).removeRecursively();
        QVERIFY(writeFile(deviceFile_, transmitterRecord()));
        QFile::remove(writtenFile_);
        QFile::remove(dialledFile_);
    }

    // A cable read leaves one copy, byte for byte the file the read is saved to; its
    // comment says what, from which port and when.
    void cableReadKeepsOneCopy() {
        startSimulator();
        openWindow(pty_);
        connectLink();
        run("Read1");
        QCOMPARE(prompts_.log, QStringList{"! Операция чтения завершена успешно!"});
        const std::vector<BackupEntry> kept = backups();
        QCOMPARE(kept.size(), std::size_t{1});
        QCOMPARE(kept[0].transmitter, QStringLiteral("unknown"));
        QCOMPARE(kept[0].kind, BackupKind::Read);
        QCOMPARE(kept[0].via, pty_);
        QVERIFY(!kept[0].remote);
        QVERIFY(barMessage().isEmpty()); // the status panels stay on show
        QVERIFY(!window().document().ConfigChanged());
        const QString saved = scratch_.filePath(QStringLiteral("read.tk515"));
        f_.saveAs(saved);
        QCOMPARE(bytesOf(kept[0].path), bytesOf(saved));
        QCOMPARE(window().record().TimeOfInp, 45);
    }

    // A cable write first reads the transmitter (its own disconnect, a new connect) and
    // keeps what it held as a "before write" copy of the transmitter written; with the
    // check on, the blocks written are read back and compared.
    void cableWriteKeepsWhatTheTransmitterHeld_data() {
        QTest::addColumn<bool>("verify");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("write") << false << QStringList{"! Операция записи завершена успешно!"};
        QTest::newRow("write, read back")
            << true
            << QStringList{"! Операция записи завершена успешно!\nПроверка: записанные блоки "
                           "00-03 прочитаны без различий."};
    }
    void cableWriteKeepsWhatTheTransmitterHeld() {
        QFETCH(bool, verify);
        QFETCH(QStringList, messages);
        startSimulator();
        openWindow(pty_);
        QVERIFY(child<QAction>(window(), "BackupBeforeWrite1")->isChecked());
        check("VerifyWrite1", verify);
        record().TxSerialNum = "SN-0042";
        record().TimeOfInp = 12;
        record().ObjNum = 0x0777;
        connectLink();
        QSignalSpy bar(&progress(), &QProgressBar::valueChanged);
        run("Write1");
        QCOMPARE(prompts_.log, messages);
        QCOMPARE(status(1), QStringLiteral("Disconnect"));
        QVERIFY(!link().LinkConnected());
        QVERIFY(cancel().isHidden());
        // The bar goes once through every step.
        QList<int> values;
        for (const QList<QVariant>& args : bar) {
            values << args.at(0).toInt();
        }
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(values.last(), 100);

        const std::vector<BackupEntry> kept = backups();
        QCOMPARE(kept.size(), std::size_t{1});
        QCOMPARE(kept[0].transmitter, QStringLiteral("SN-0042"));
        QCOMPARE(kept[0].kind, BackupKind::BeforeWrite);
        QCOMPARE(kept[0].via, pty_);
        const Configuration held = f_.fileRecord(kept[0].path);
        QCOMPARE(held.TimeOfInp, 45);
        QCOMPARE(held.ObjNum, 0x4321);
        QCOMPARE(QString::fromStdString(held.TxSerialNum), QStringLiteral("SN-0042"));
        QTRY_VERIFY(QFile::exists(writtenFile_));
        QCOMPARE(readFile(writtenFile_)->TimeOfInp, 12);
        QCOMPARE(readFile(writtenFile_)->ObjNum, 0x0777);
        // The copy is no change of the configuration being edited.
        QCOMPARE(window().record().TimeOfInp, 12);
        QVERIFY(window().record().Comments.empty());
    }

    // "Отмена" during the read before a write: nothing is written, nothing kept, the
    // link stays connected.
    void cancelDuringTheReadBeforeAWrite() {
        startSimulator();
        openWindow(pty_);
        record().TimeOfInp = 12;
        connectLink();
        QVERIFY(cancel().isHidden());
        runToEnd(
            [&] {
                child<QAction>(window(), "Write1")->trigger();
                QVERIFY(cancel().isVisible());
                QTest::mouseClick(&cancel(), Qt::LeftButton);
            },
            kSessionMs);
        QCOMPARE(prompts_.log, QStringList{"! Запись отменена: в передатчик ничего не записано."});
        QVERIFY(cancel().isHidden());
        QVERIFY(backups().empty());
        QVERIFY(!QFile::exists(writtenFile_));
        QVERIFY(link().LinkConnected());
        QCOMPARE(window().record().TimeOfInp, 12);
    }

    // A store that cannot be written: a read is as good as without it (the record read
    // stays, the status bar says why); a write stops before anything is written.
    void aStoreThatCannotBeWritten_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("written");
        QTest::newRow("read") << "Read1" << QStringList{"! Операция чтения завершена успешно!"}
                              << false;
        QTest::newRow("write") << "Write1"
                               << QStringList{"! Запись не выполнена: копия передатчика не "
                                              "сохранена в резервных копиях (%1). Без копии можно "
                                              "записать, сняв отметку «Сохранять копию "
                                              "передатчика перед записью» в меню «Параметры»."}
                               << false;
    }
    void aStoreThatCannotBeWritten() {
        QFETCH(QString, action);
        QFETCH(QStringList, messages);
        QFETCH(bool, written);
        // A file where the folder should be.
        const QString blocked = scratch_.filePath(QStringLiteral("blocked"));
        QVERIFY(writeFile(blocked, QByteArray("x")));
        storeBackupFolder(blocked);
        startSimulator();
        openWindow(pty_);
        record().TimeOfInp = 12;
        connectLink();
        run(qPrintable(action));
        for (QString& m : messages) {
            m = m.arg(blocked);
        }
        QCOMPARE(prompts_.log, messages);
        QVERIFY(barMessage().startsWith(QStringLiteral("Резервная копия не сохранена в ") +
                                        blocked + QStringLiteral(": ")));
        QCOMPARE(window().record().TimeOfInp, action == QLatin1String("Read1") ? 45 : 12);
        QCOMPARE(QFile::exists(writtenFile_), written);
        QVERIFY(!link().LinkConnected());
    }

    // The remote write: a call of its own reads and keeps the transmitter, then the
    // write's call, and with the check on a third call reads the blocks back.
    void remoteWriteCalls_data() {
        QTest::addColumn<bool>("verify");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("calls");
        QTest::newRow("write") << false << QStringList{"! Удаленная запись успешно завершена."}
                               << 2;
        QTest::newRow("write, read back")
            << true
            << QStringList{"! Удаленная запись успешно завершена.\nПроверка: записанные блоки "
                           "00-06 прочитаны без различий."}
            << 3;
    }
    void remoteWriteCalls() {
        QFETCH(bool, verify);
        QFETCH(QStringList, messages);
        QFETCH(int, calls);
        launchSimulator({deviceFile_, QStringLiteral("-o"), writtenFile_, QStringLiteral("--fast"),
                         QStringLiteral("--modem"), QStringLiteral("--dialled"), dialledFile_});
        openWindow(pty_);
        check("VerifyWrite1", verify);
        record().TxTlfNum = "+79161234567";
        record().TimeOfInp = 12;
        run("Udalwrite1");
        QCOMPARE(prompts_.log, messages);
        QCOMPARE(bytesOf(dialledFile_), QByteArray("+79161234567\n").repeated(calls));
        const std::vector<BackupEntry> kept = backups();
        QCOMPARE(kept.size(), std::size_t{1});
        QCOMPARE(kept[0].transmitter, QStringLiteral("+79161234567"));
        QCOMPARE(kept[0].kind, BackupKind::BeforeWrite);
        QVERIFY(kept[0].remote);
        QCOMPARE(kept[0].via, QStringLiteral("+79161234567"));
        QCOMPARE(f_.fileRecord(kept[0].path).TimeOfInp, 45);
        QTRY_VERIFY(QFile::exists(writtenFile_));
        QCOMPARE(readFile(writtenFile_)->TimeOfInp, 12);
    }

    // The compare dialog lists each differing field by panel and caption, the current
    // value beside the other; a take-over is one step that Undo takes back.
    void compareRows_data() {
        QTest::addColumn<QStringList>("rows"); // field | current | other
        QTest::newRow("two files") << QStringList{
            "Постановка/Снятие — Номер объекта|0000|4321",
            "Постановка/Снятие — Время входа, сек.|20|45",
            "Телефоны — Телефон 1|—|89001112233",
        };
    }
    void compareRows() {
        QFETCH(QStringList, rows);
        // Two files of the same transmitter: the site's, and what it held.
        Configuration site = transmitterRecord();
        site.ObjNum = 0;
        site.TimeOfInp = 20;
        site.TelNum[0].clear();
        const QString sitePath = scratch_.filePath(QStringLiteral("site.tk515"));
        QVERIFY(writeFile(sitePath, site));
        f_.open();
        prompts_.files = {sitePath, deviceFile_};
        child<QAction>(window(), "Open1")->trigger();
        QCOMPARE(window().document().OpenFileName(), sitePath);
        child<QAction>(window(), "Compare1")->trigger();
        CompareDialog& dialog = window().extras().compareDialog();
        QVERIFY(dialog.isVisible());
        QTreeWidget& list = dialog.rows();
        QStringList shown;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list.topLevelItem(i);
            shown << item->text(0) + '|' + item->text(1) + '|' + item->text(2);
        }
        QCOMPARE(shown, rows);

        // The second row taken over, then undone.
        list.setCurrentItem(list.topLevelItem(1));
        QTest::mouseClick(child<QPushButton>(dialog, "CompareTake"), Qt::LeftButton);
        QCOMPARE(window().record().TimeOfInp, 45);
        QCOMPARE(list.topLevelItemCount(), rows.size() - 1);
        QCOMPARE(child<QAction>(window(), "Undo1")->text(),
                 QStringLiteral("&Отменить: Взять «Время входа, сек.»"));
        child<QAction>(window(), "Undo1")->trigger();
        QCOMPARE(window().record().TimeOfInp, 20);
        QCOMPARE(list.topLevelItemCount(), rows.size());
        // A double-click shows the field's panel.
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                           list.visualItemRect(list.topLevelItem(1)).center());
        QCOMPARE(tree().selectedItems().value(0)->text(0), QStringLiteral("Постановка/Снятие"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    // A double-click shows the panel of the row's field, an input above 4 too.
    void doubleClickShowsTheFieldsPanel() {
        Configuration other = transmitterRecord();
        other.Inputs[7].Flags |= 1;
        const QString otherPath = scratch_.filePath(QStringLiteral("other.tk515"));
        QVERIFY(writeFile(otherPath, other));
        const QString basePath = scratch_.filePath(QStringLiteral("base.tk515"));
        QVERIFY(writeFile(basePath, transmitterRecord()));
        f_.open();
        prompts_.files = {basePath};
        child<QAction>(window(), "Open1")->trigger();
        QVERIFY(window().extras().compareWith(otherPath));
        QVERIFY(QTest::qWaitForWindowExposed(&window().extras().compareDialog()));
        QTreeWidget& list = window().extras().compareDialog().rows();
        QVERIFY(list.topLevelItemCount() >= 1);
        QVERIFY2(list.topLevelItem(0)->text(0).startsWith(QStringLiteral("Входы 5–64 — Вход 7")),
                 qPrintable(list.topLevelItem(0)->text(0)));
        const QPoint at = list.visualItemRect(list.topLevelItem(0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(tree().selectedItems().value(0)->text(0), QStringLiteral("Входы 5–64"));
    }

    // The backups dialog lists the copies newest first, filters them, and opens one as
    // an untitled configuration.
    void backupsDialogListsAndOpens() {
        Configuration first = transmitterRecord();
        first.TxSerialNum = "SN-1";
        AddReadComment(first, {BackupKind::Read, false, QStringLiteral("/dev/ttyUSB0"),
                               QDateTime(QDate(2026, 12, 1), QTime(10, 0, 0))});
        QVERIFY(
            KeepBackup(BackupFolder(), first, QDateTime(QDate(2026, 12, 1), QTime(10, 0, 0))).ok());
        Configuration second = transmitterRecord();
        second.TxSerialNum = "SN-2";
        second.TimeOfInp = 33;
        AddReadComment(second, {BackupKind::BeforeWrite, true, QStringLiteral("+79161234567"),
                                QDateTime(QDate(2026, 12, 2), QTime(11, 30, 5))});
        QVERIFY(KeepBackup(BackupFolder(), second, QDateTime(QDate(2026, 12, 2), QTime(11, 30, 5)))
                    .ok());
        f_.open();
        child<QAction>(window(), "Backups1")->trigger();
        BackupsDialog& dialog = window().extras().backupsDialog();
        QVERIFY(dialog.isVisible());
        QTreeWidget& list = dialog.rows();
        QCOMPARE(list.topLevelItemCount(), 2);
        const QTreeWidgetItem* top = list.topLevelItem(0);
        QCOMPARE(
            (QStringList{top->text(0), top->text(1), top->text(2), top->text(3)}),
            (QStringList{"SN-2", "2026-12-02 11:30:05", "перед записью", "телефон +79161234567"}));
        test::keyText(&dialog.filter(), QStringLiteral("ttyUSB"));
        QVERIFY(list.topLevelItem(0)->isHidden());
        QVERIFY(!list.topLevelItem(1)->isHidden());
        QCOMPARE(list.currentItem(), list.topLevelItem(1));
        dialog.filter().clear();
        list.setCurrentItem(list.topLevelItem(0));
        QTest::mouseClick(child<QPushButton>(dialog, "BackupsOpen"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(window().record().TimeOfInp, 33);
        QCOMPARE(QString::fromStdString(window().record().TxSerialNum), QStringLiteral("SN-2"));
        QVERIFY(window().document().Untitled());
    }
};

QTEST_MAIN(SafetyTest)
#include "safety_test.moc"
