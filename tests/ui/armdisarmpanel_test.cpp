// The arm/disarm panel (Panel010) through its real widgets: layout, the object
// number digits and their focus moves, the regenerated SMS texts, the delay and
// siren edits and spinners, the arming options, and Save writing what was edited.
#include "model/cp1251.h"
#include "model/defaults.h"
#include "panel_support.h"
#include "ui/panels/settingspanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

using namespace tk;
using tk::test::captionFits;
using Answer = Prompts::Answer;

class ArmDisarmPanelTest : public test::WindowCase {
    Q_OBJECT

    QLineEdit* edit(const char* name) { return f_.get<QLineEdit>(name); }
    QLineEdit* digit(int k) {
        return f_.get<QLineEdit>(qPrintable(QStringLiteral("ObjName%1Edit").arg(k)));
    }
    UpDown* spinner(const char* name) { return f_.get<UpDown>(name); }
    void clickArrow(const char* spinnerName, bool up) {
        UpDown* s = spinner(spinnerName);
        QTest::mouseClick(up ? s->upButton() : s->downButton(), Qt::LeftButton);
    }
    QString digits() {
        QString s;
        for (int k = 1; k <= 4; ++k) {
            s += digit(k)->text();
        }
        return s;
    }
    // Leaves the panel by the keyboard-free way a user does: a click in the tree.
    void leavePanel() { f_.click("Общие"); }
    bool pointedOut(QWidget* w) { return !w->toolTip().isEmpty(); }
    // Types the text, or pastes it whole when it begins with "paste:".
    void enter(QLineEdit* e, const QString& text) {
        if (text.startsWith(u"paste:")) {
            e->setFocus();
            e->selectAll();
            e->insert(text.mid(6));
        } else {
            f_.typeInto(e, text);
        }
    }

private slots:
    void init() {
        f_.open();
        f_.click("Постановка/Снятие");
    }
    void cleanup() { f_.close(); }

    void controlsStandAsGiven_data() {
        test::PanelFixture::controlTable({
            {"ObjNameLabel", "Номер объекта: ", 13, true},
            {"ObjName1Edit", "1", 19, true},
            {"ObjName2Edit", "1", 19, true},
            {"ObjName3Edit", "1", 19, true},
            {"ObjName4Edit", "1", 19, true},
            {"TimeOfInpLabel", "Время входа:", 11, false},
            {"TimeOfInpEdit", "20", 21, false},
            {"TimeOfInpUpDown", "", 11, false},
            {"TimeOfOutLabel", "Время выхода:", 11, false},
            {"TimeOfOutEdit", "20", 21, false},
            {"TimeOfOutUpDown", "", 11, false},
            {"TimeOfAlarmLabel", "Время звучания сирены:", 11, false},
            {"TimeOfAlarmMinEdit", "1", 21, false},
            {"TimeOfAlarmMinUpDown", "", 11, false},
            {"TimeOfAlarmSecEdit", "0", 21, false},
            {"TimeOfAlarmSecUpDown", "", 11, false},
            {"CheckAboutArmingCb", "Подтверждение о постановке", 13, true},
            {"ArmWithOpenedDoorCb", "Постановка с открытой дверью", 13, true},
        });
    }

    void controlsStandAsGiven() {
        f_.controlStandsAsGiven("Panel010");
        auto* title = f_.get<QLabel>("Panel010Label0");
        QCOMPARE(title->text(), QStringLiteral("Постановка / Снятие:"));
        QCOMPARE(title->font().pixelSize(), 16);
        QVERIFY(title->font().bold());
        for (const char* unit : {"Sec_1Label", "Sec_2Label", "Min_3Label", "Sec_3Label"}) {
            QVERIFY2(f_.get(unit)->isVisible(), unit);
        }
    }

    void showingThePanelNeverMarksChanged() {
        QVERIFY(!f_.changed());
        f_.click("Постановка/Снятие");
        QVERIFY(!f_.changed());
        QCOMPARE(spinner("TimeOfInpUpDown")->position(), 2);
        QCOMPARE(spinner("TimeOfAlarmMinUpDown")->position(), 1);
        QVERIFY(f_.get<QCheckBox>("CheckAboutArmingCb")->isChecked());
        QVERIFY(f_.get<QCheckBox>("ArmWithOpenedDoorCb")->isChecked());
    }

    void typedDigitReplacesItsTetradAndMovesTheFocus() {
        f_.typeInto(digit(1), QStringLiteral("7"));
        QCOMPARE(digits(), QStringLiteral("7111"));
        QCOMPARE(f_.record().ObjNum, 0x7111);
        QVERIFY(digit(2)->hasFocus());
        QVERIFY(f_.changed());
        QCOMPARE(f_.window().panelContext().editor().ObjNumChanged, 1);

        QTest::keyClick(digit(2), 'c'); // shown in upper case, focus on
        QCOMPARE(digit(2)->text(), QStringLiteral("C"));
        QVERIFY(digit(3)->hasFocus());
        for (const char refused : {'g', ' ', 'x', '-'}) {
            QTest::keyClick(digit(3), refused);
        }
        QCOMPARE(digit(3)->text(), QStringLiteral("1"));
        QVERIFY(digit(3)->hasFocus());
        QVERIFY(pointedOut(digit(3)));
        QTest::keyClick(digit(3), 'a');
        QTest::keyClick(digit(4), 'F'); // the last edit keeps the focus
        QVERIFY(digit(4)->hasFocus());
        QCOMPARE(f_.record().ObjNum, 0x7CAF);

        QTest::keyClick(digit(4), Qt::Key_Backspace); // empties edit 4, focus back to 3
        QCOMPARE(digit(4)->text(), QString());
        QVERIFY(digit(3)->hasFocus());
        QCOMPARE(f_.record().ObjNum, 0x7CAF); // an empty edit leaves the tetrad
        digit(1)->setFocus();
        digit(1)->end(false);
        QTest::keyClick(digit(1), Qt::Key_Backspace); // the first edit keeps the focus
        QVERIFY(digit(1)->hasFocus());
    }

    // The texts follow the new number when the focus leaves the panel, in English
    // with Cyrillic off, once; leaving again without an edit changes nothing.
    void leavingThePanelRegeneratesTheTextsOnce() {
        f_.record().Options &= ~OptCyrillic;
        f_.typeInto(digit(1), QStringLiteral("7"));
        QCOMPARE(f_.record().ArmSMSText, cp1251("1111 Постановка "));
        leavePanel();
        const Configuration& cfg = f_.record();
        QCOMPARE(cfg.ArmSMSText, "7111 Armed ");
        QCOMPARE(cfg.DisarmSMSText, "7111 Disarmed ");
        QCOMPARE(cfg.Inputs[5].AlarmSMSText, "7111 Alarm ");
        QCOMPARE(cfg.Inputs[64].RestoreSMSText, "7111 Restore ");
        QCOMPARE(cfg.Inputs[33].ObjNum, (std::array<std::int32_t, 2>{0x71, 0x11}));
        QCOMPARE(f_.window().panelContext().editor().ObjNumChanged, 0);

        f_.record().ArmSMSText = "by hand";
        f_.click("Постановка/Снятие");
        digit(2)->setFocus();
        QTRY_VERIFY(digit(2)->hasFocus());
        leavePanel();
        QCOMPARE(f_.record().ArmSMSText, "by hand");
    }

    // Save, Save as, New, Open and a view change reached without the focus leaving the
    // panel still store the texts of the new number.
    void saveWithTheFocusInsideWritesTheNewTexts() {
        f_.record().Options &= ~OptCyrillic;
        f_.typeInto(digit(1), QStringLiteral("7"));
        QVERIFY(digit(2)->hasFocus());
        const QString path = f_.scratch.filePath(QStringLiteral("inside.t61"));
        f_.saveAs(path);
        QVERIFY(f_.prompts.done());
        QVERIFY(!f_.changed());
        const Configuration saved = test::PanelFixture::fileRecord(path);
        QCOMPARE(saved.ObjNum, 0x7111);
        QCOMPARE(saved.ArmSMSText, "7111 Armed ");
        QCOMPARE(saved.Inputs[2].AlarmSMSText, "7111 Alarm ");
        QCOMPARE(saved.Inputs[2].ObjNum, (std::array<std::int32_t, 2>{0x71, 0x11}));
    }

    // A write to the transmitter by menu or button, with the focus still inside, also
    // encodes the texts of the new number.
    void writeCommandsFinishTheObjectNumberEdit_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("Write1") << QByteArray("Write1");
        QTest::newRow("ToolButton6") << QByteArray("ToolButton6");
        QTest::newRow("Udalwrite1") << QByteArray("Udalwrite1");
    }

    void writeCommandsFinishTheObjectNumberEdit() {
        QFETCH(QByteArray, command);
        f_.window().updt2(true);
        f_.record().Options &= ~OptCyrillic;
        f_.typeInto(digit(1), QStringLiteral("7"));
        QVERIFY(digit(2)->hasFocus());
        if (auto* action = f_.window().findChild<QAction*>(QString::fromLatin1(command))) {
            action->trigger();
        } else {
            f_.get<QAbstractButton>(command.constData())->click();
        }
        QCOMPARE(f_.record().ArmSMSText, "7111 Armed ");
        QCOMPARE(f_.window().panelContext().editor().ObjNumChanged, 0);
    }

    // A digit typed, then another file opened: its texts stay as they are, also when
    // the focus leaves the panel afterwards.
    void openingAFileDropsThePendingObjectNumberEdit() {
        Configuration other;
        tk::setdefault(other);
        other.ArmSMSText = "from the file";
        std::vector<std::uint8_t> bytes;
        QCOMPARE(wrfile(other, bytes), FileWriteError::None);
        const QString path = f_.scratch.filePath(QStringLiteral("other.t61"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();

        f_.typeInto(digit(4), QStringLiteral("9"));
        QVERIFY(digit(4)->hasFocus());
        f_.prompts.answers = {Answer::No};
        f_.prompts.files = {path};
        f_.get<QAction>("Open1")->trigger();
        QVERIFY(f_.prompts.done());
        f_.click("Постановка/Снятие");
        digit(1)->setFocus();
        QTRY_VERIFY(digit(1)->hasFocus());
        leavePanel();
        QCOMPARE(f_.record().ArmSMSText, "from the file");
        QVERIFY(!f_.changed());
    }

    void delaySpinnerStepsByTenWithoutWrapping() {
        clickArrow("TimeOfInpUpDown", true);
        QCOMPARE(edit("TimeOfInpEdit")->text(), QStringLiteral("30"));
        QCOMPARE(f_.record().TimeOfInp, 30);
        QVERIFY(f_.changed());
        // Up in the edit steps the spinner too; at 160 it stays.
        edit("TimeOfInpEdit")->setFocus();
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(edit("TimeOfInpEdit"), Qt::Key_Up);
        }
        QCOMPARE(edit("TimeOfInpEdit")->text(), QStringLiteral("160"));
        QCOMPARE(f_.record().TimeOfInp, 160);
        clickArrow("TimeOfOutUpDown", false);
        clickArrow("TimeOfOutUpDown", false);
        clickArrow("TimeOfOutUpDown", false);
        QCOMPARE(edit("TimeOfOutEdit")->text(), QStringLiteral("0"));
        QCOMPARE(f_.record().TimeOfOut, 0);
    }

    // Typed delays: the whole text is taken on every change; a value never wraps.
    void typedDelay_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("pointed");
        const auto row = [](const char* name, const char* typed, const char* shown, int stored,
                            bool pointed) {
            QTest::newRow(name) << QString::fromUtf8(typed) << QString::fromUtf8(shown) << stored
                                << pointed;
        };
        row("multiple", "30", "30", 30, false);
        row("cut to tens", "75", "70", 70, false);
        row("capped", "200", "160", 160, false);
        row("typed digit by digit", "160", "160", 160, false);
        row("no number", "x", "10", 10, true);
        row("minus refused", "-", "20", 20, true);
        row("negative pasted", "paste:-50", "20", 20, true);
        row("minus, then digits", "-50", "50", 50, false);
    }

    void typedDelay() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, stored);
        QFETCH(bool, pointed);
        for (const char* name : {"TimeOfInpEdit", "TimeOfOutEdit"}) {
            enter(edit(name), typed);
            QCOMPARE(edit(name)->text(), shown);
        }
        QCOMPARE(f_.record().TimeOfInp, stored);
        QCOMPARE(f_.record().TimeOfOut, stored);
        QCOMPARE(spinner("TimeOfOutUpDown")->position(), stored / 10);
        QCOMPARE(f_.changed(), stored != 20);
        QCOMPARE(pointedOut(edit("TimeOfOutEdit")), pointed);
        QVERIFY(f_.prompts.log.isEmpty());
        QVERIFY(!f_.window().panelContext().fillGuard());
    }

    // A number left half typed is written out when the edit is left.
    void halfTypedDelayIsShownAsStoredOnLeaving() {
        f_.typeInto(edit("TimeOfInpEdit"), QStringLiteral("7"));
        QCOMPARE(edit("TimeOfInpEdit")->text(), QStringLiteral("7"));
        QCOMPARE(f_.record().TimeOfInp, 0);
        QTest::keyClick(edit("TimeOfInpEdit"), Qt::Key_Tab);
        QCOMPARE(edit("TimeOfInpEdit")->text(), QStringLiteral("0"));
    }

    void tenMinutesOfSirenTakeNoSeconds() {
        f_.typeInto(edit("TimeOfAlarmSecEdit"), QStringLiteral("30"));
        QCOMPARE(f_.record().TimeOfAlarmSec, 30);
        for (int i = 0; i < 12; ++i) {
            clickArrow("TimeOfAlarmMinUpDown", true);
        }
        QCOMPARE(edit("TimeOfAlarmMinEdit")->text(), QStringLiteral("10"));
        QCOMPARE(edit("TimeOfAlarmSecEdit")->text(), QStringLiteral("0"));
        QCOMPARE(f_.record().TimeOfAlarmMin, 10);
        QCOMPARE(f_.record().TimeOfAlarmSec, 0);
        clickArrow("TimeOfAlarmSecUpDown", true); // does nothing at ten minutes
        QCOMPARE(edit("TimeOfAlarmSecEdit")->text(), QStringLiteral("0"));
        QCOMPARE(f_.record().TimeOfAlarmSec, 0);
        QCOMPARE(spinner("TimeOfAlarmSecUpDown")->position(), 0);
        // Also while the minutes edit is emptied: the rule reads the stored minutes.
        f_.typeInto(edit("TimeOfAlarmMinEdit"), QString());
        QTest::keyClick(edit("TimeOfAlarmMinEdit"), Qt::Key_Backspace);
        clickArrow("TimeOfAlarmSecUpDown", true);
        QCOMPARE(f_.record().TimeOfAlarmSec, 0);
        QTest::keyClick(edit("TimeOfAlarmMinEdit"), Qt::Key_Tab);
        QCOMPARE(edit("TimeOfAlarmMinEdit")->text(), QStringLiteral("10"));
        // Down to 0 minutes while the seconds read 0: one second.
        for (int i = 0; i < 10; ++i) {
            clickArrow("TimeOfAlarmMinUpDown", false);
        }
        QCOMPARE(edit("TimeOfAlarmMinEdit")->text(), QStringLiteral("0"));
        QCOMPARE(edit("TimeOfAlarmSecEdit")->text(), QStringLiteral("1"));
        QCOMPARE(f_.record().TimeOfAlarmSec, 1);
        clickArrow("TimeOfAlarmSecUpDown", false); // 0 s at 0 min stays 1 s
        QCOMPARE(edit("TimeOfAlarmSecEdit")->text(), QStringLiteral("1"));
        QCOMPARE(f_.record().TimeOfAlarmSec, 1);
    }

    // Typed and pasted siren times, from 1 min 0 s unless the row starts elsewhere; the
    // duration stays within 0:01 .. 10:00 whatever is typed.
    void typedSirenTime_data() {
        QTest::addColumn<QByteArray>("editName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("pointed");
        QTest::addColumn<int>("startMinutes");
        QTest::addColumn<int>("startSeconds");
        const auto row = [](const char* name, const char* edit, const char* typed,
                            const char* shown, int minutes, int seconds, bool pointed,
                            int startMinutes = 1, int startSeconds = 0) {
            QTest::newRow(name) << QByteArray(edit) << QString::fromUtf8(typed)
                                << QString::fromUtf8(shown) << minutes << seconds << pointed
                                << startMinutes << startSeconds;
        };
        const char* min = "TimeOfAlarmMinEdit";
        const char* sec = "TimeOfAlarmSecEdit";
        row("minutes", min, "5", "5", 5, 0, false);
        row("minutes capped", min, "30", "10", 10, 0, false);
        row("minutes negative", min, "paste:-1", "1", 1, 0, true);
        row("minutes lone minus", min, "-", "1", 1, 0, true);
        row("minutes letter", min, "x", "1", 1, 0, true);
        row("seconds", sec, "45", "45", 1, 45, false);
        row("seconds capped", sec, "75", "59", 1, 59, false);
        row("seconds negative", sec, "paste:-5", "0", 1, 0, true);
        row("seconds blank", sec, " ", "0", 1, 0, true);
        row("minutes 0 at 0 s", min, "0", "0", 0, 1, false, 10, 0);
        row("minutes 0 pasted at 0 s", min, "paste:0", "0", 0, 1, false, 10, 0);
        row("minutes 10 drop the seconds", min, "paste:10", "10", 10, 0, false, 3, 30);
        row("seconds at ten minutes", sec, "3", "0", 10, 0, true, 10, 0);
        row("seconds pasted at ten minutes", sec, "paste:45", "0", 10, 0, true, 10, 0);
        row("seconds 0 at ten minutes", sec, "0", "0", 10, 0, false, 10, 0);
        row("seconds 0 at 0 min", sec, "0", "1", 0, 1, false, 0, 30);
    }

    void typedSirenTime() {
        QFETCH(QByteArray, editName);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, minutes);
        QFETCH(int, seconds);
        QFETCH(bool, pointed);
        QFETCH(int, startMinutes);
        QFETCH(int, startSeconds);
        f_.record().TimeOfAlarmMin = startMinutes;
        f_.record().TimeOfAlarmSec = startSeconds;
        f_.click("Постановка/Снятие");
        QLineEdit* e = edit(editName.constData());
        enter(e, typed);
        QCOMPARE(e->text(), shown);
        QCOMPARE(f_.record().TimeOfAlarmMin, minutes);
        QCOMPARE(f_.record().TimeOfAlarmSec, seconds);
        // Both edits and spinners show the record.
        QCOMPARE(edit("TimeOfAlarmMinEdit")->text(), QString::number(minutes));
        QCOMPARE(edit("TimeOfAlarmSecEdit")->text(), QString::number(seconds));
        QCOMPARE(spinner("TimeOfAlarmMinUpDown")->position(), minutes);
        QCOMPARE(spinner("TimeOfAlarmSecUpDown")->position(), seconds);
        QCOMPARE(f_.changed(), minutes != startMinutes || seconds != startSeconds);
        QCOMPARE(pointedOut(e), pointed);
        QVERIFY(f_.prompts.log.isEmpty());
        // The panel stays usable: a number typed next is taken.
        const bool seconds_ = editName == "TimeOfAlarmSecEdit";
        if (seconds_ && f_.record().TimeOfAlarmMin == 10) {
            f_.typeInto(edit("TimeOfAlarmMinEdit"), QStringLiteral("9"));
        }
        f_.typeInto(e, QStringLiteral("7"));
        QCOMPARE(seconds_ ? f_.record().TimeOfAlarmSec : f_.record().TimeOfAlarmMin, 7);
        QVERIFY(!pointedOut(e));
    }

    // Whatever a delay or siren edit holds half typed, the edit shows the stored value
    // once it is left and before every command, also one reached without the focus
    // leaving it (a button, a shortcut); and the command gets that value.
    void editShowsTheStoredValueBeforeACommand_data() {
        QTest::addColumn<QByteArray>("editName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("stored");
        const auto row = [](const char* name, const char* edit, const char* typed,
                            const char* command, int stored) {
            QTest::newRow(name) << QByteArray(edit) << QString::fromUtf8(typed)
                                << QString::fromUtf8(command) << stored;
        };
        row("5 before the Save button", "TimeOfInpEdit", "5", "ToolButton3", 0);
        row("15 before Ctrl+S", "TimeOfOutEdit", "15", "Ctrl+S", 10);
        row("15 before the write button", "TimeOfInpEdit", "15", "ToolButton6", 10);
        row("15 on leaving", "TimeOfOutEdit", "15", "Tab", 10);
        row("1 before a tree click", "TimeOfInpEdit", "1", "tree", 0);
        row("30 typed whole", "TimeOfInpEdit", "30", "ToolButton3", 30);
        row("emptied before Ctrl+S", "TimeOfInpEdit", "", "Ctrl+S", 20);
        row("siren minutes emptied", "TimeOfAlarmMinEdit", "", "ToolButton3", 1);
        row("siren seconds emptied", "TimeOfAlarmSecEdit", "", "Tab", 0);
    }

    void editShowsTheStoredValueBeforeACommand() {
        QFETCH(QByteArray, editName);
        QFETCH(QString, typed);
        QFETCH(QString, command);
        QFETCH(int, stored);
        QLineEdit* e = edit(editName.constData());
        f_.typeInto(e, typed);
        if (typed.isEmpty()) {
            QTest::keyClick(e, Qt::Key_Backspace);
        }
        QCOMPARE(e->text(), typed);
        const QString path = f_.scratch.filePath(QStringLiteral("shown.t61"));
        QFile::remove(path);
        f_.prompts.files = {path};
        if (command == u"Ctrl+S") {
            QTest::keyClick(e, Qt::Key_S, Qt::ControlModifier);
        } else if (command == u"Tab") {
            QTest::keyClick(e, Qt::Key_Tab);
        } else if (command == u"tree") {
            f_.click("Постановка/Снятие");
        } else {
            f_.window().updt2(true);
            f_.get<QAbstractButton>(qPrintable(command))->click();
        }
        QCOMPARE(e->text(), QString::number(stored));
        const Configuration& cfg = f_.record();
        const std::int32_t Configuration::*field =
            editName == "TimeOfInpEdit"        ? &Configuration::TimeOfInp
            : editName == "TimeOfOutEdit"      ? &Configuration::TimeOfOut
            : editName == "TimeOfAlarmMinEdit" ? &Configuration::TimeOfAlarmMin
                                               : &Configuration::TimeOfAlarmSec;
        QCOMPARE(cfg.*field, stored);
        if (QFile::exists(path)) {
            QCOMPARE(test::PanelFixture::fileRecord(path).*field, stored);
        }
        QVERIFY(!pointedOut(e));
        f_.prompts.log.clear();
    }

    void checkBoxesSetTheirOptionBits() {
        const std::int32_t before = f_.record().Options;
        QTest::mouseClick(f_.get<QCheckBox>("CheckAboutArmingCb"), Qt::LeftButton);
        QCOMPARE(f_.record().Options, before & ~OptArmConfirm);
        QVERIFY(f_.changed());
        QTest::mouseClick(f_.get<QCheckBox>("ArmWithOpenedDoorCb"), Qt::LeftButton);
        QCOMPARE(f_.record().Options, before & ~OptArmConfirm & ~OptArmOpenDoor);
        f_.get<QCheckBox>("CheckAboutArmingCb")->setFocus();
        QTest::keyClick(f_.get<QCheckBox>("CheckAboutArmingCb"), Qt::Key_Space);
        QCOMPARE(f_.record().Options, before & ~OptArmOpenDoor);
    }

    // Edited in the window, saved, read back from the file.
    void savedFileHoldsWhatWasEdited() {
        f_.typeInto(edit("TimeOfInpEdit"), QStringLiteral("40"));
        clickArrow("TimeOfOutUpDown", true);
        f_.typeInto(edit("TimeOfAlarmMinEdit"), QStringLiteral("3"));
        f_.typeInto(edit("TimeOfAlarmSecEdit"), QStringLiteral("15"));
        QTest::mouseClick(f_.get<QCheckBox>("ArmWithOpenedDoorCb"), Qt::LeftButton);
        f_.typeInto(digit(3), QStringLiteral("b"));
        const QString path = f_.scratch.filePath(QStringLiteral("arm.t61"));
        f_.saveAs(path);
        const Configuration saved = test::PanelFixture::fileRecord(path);
        QCOMPARE(saved.TimeOfInp, 40);
        QCOMPARE(saved.TimeOfOut, 30);
        QCOMPARE(saved.TimeOfAlarmMin, 3);
        QCOMPARE(saved.TimeOfAlarmSec, 15);
        QCOMPARE(saved.Options & OptArmOpenDoor, 0);
        QCOMPARE(saved.ObjNum, 0x11B1);
        QCOMPARE(saved.ArmSMSText, cp1251("11B1 Постановка "));
    }
};

QTEST_MAIN(ArmDisarmPanelTest)
#include "armdisarmpanel_test.moc"
