// The miscellaneous options panel (Panel013) and the system events panel (Panel300)
// through their real widgets in the real window: keys, mouse clicks and paste.
#include "image/image.h"
#include "model/cp1251.h"
#include "panel_support.h"
#include "ui/panels/settingspanel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QToolButton>

#include <vector>

using namespace tk;
using tk::test::child;

namespace {

QString fromRecord(const Text& t) {
    return QString::fromStdString(cp1251ToUtf8(t));
}

} // namespace

class SysOptsTest : public test::WindowCase {
    Q_OBJECT

    template <class T = QWidget> T* w(const char* name) { return child<T>(window(), name); }

    // Replaces the whole text of an edit by typing, as a user does after Ctrl+A; a text
    // that begins with "<" is typed in front of the text instead.
    static void retype(QLineEdit* edit, const QString& text) {
        if (text.startsWith(u'<')) {
            QTest::keyClick(edit, Qt::Key_Home);
            QTest::keyClicks(edit, text.mid(1));
            return;
        }
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(edit, text);
        }
    }
    // Replaces it by pasting with Ctrl+V.
    static void paste(QLineEdit* edit, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }
    static void arrow(QToolButton* button, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    static bool pointedOut(QWidget* control) { return !control->toolTip().isEmpty(); }

    // Hours and minutes as the edits, the spinners and the record show them.
    struct PeriodShown {
        QString hourEdit, minuteEdit;
        int hourSpinner, minuteSpinner, hours, minutes;
        bool operator==(const PeriodShown&) const = default;
    };
    PeriodShown periodShown() {
        return {w<QLineEdit>("TimeOfPTHrEdit")->text(),
                w<QLineEdit>("TimeOfPTMinEdit")->text(),
                w<UpDown>("TimeOfPTHrUpDown")->position(),
                w<UpDown>("TimeOfPTMinUpDown")->position(),
                record().PerTestHours,
                record().PerTestMinutes};
    }
    static QByteArray describe(const PeriodShown& p) {
        return QStringLiteral("edits %1 h %2 min, spinners %3 %4, record %5 h %6 min")
            .arg(p.hourEdit, p.minuteEdit)
            .arg(p.hourSpinner)
            .arg(p.minuteSpinner)
            .arg(p.hours)
            .arg(p.minutes)
            .toUtf8();
    }
    // Shows the periodic test with the given period, unchanged.
    void showPeriod(int hours, int minutes) {
        record().PerTestHours = hours;
        record().PerTestMinutes = minutes;
        click("Периодический тест");
        QVERIFY(!changed());
    }

    // Saves through the button bar into `name` and exports the file with tk515.
    QJsonObject saveAndExport(const QString& name) {
        const QString path = scratch_.filePath(name);
        prompts_.files.push_back(path);
        QTest::mouseClick(w<QToolButton>("ToolButton3"), Qt::LeftButton);
        if (changed() || !QFile::exists(path)) {
            qWarning("not saved: %s", qPrintable(prompts_.log.join(QLatin1Char('|'))));
            return {};
        }
        QProcess tool;
        tool.start(QStringLiteral(TK515_PROGRAM), {QStringLiteral("export"), path});
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0) {
            qWarning("tk515 export failed: %s", tool.readAllStandardError().constData());
            return {};
        }
        return QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
    }

private slots:
    void init() {
        QVERIFY(f_.emptyProgramFolder());
        open();
    }

    void cleanup() { f_.close(); }

    // ---- Both panels --------------------------------------------------------------

    void showingThePanelsNeverMarksChanged() {
        record().Options = 0x7F;
        record().NumOfAttemptsCallMain = 200; // values from a file are shown as they are
        record().PerTestHours = 0;
        record().PerTestMinutes = 0;
        for (const char* node : {"Разное", "Системные события", "Неисправность батареи",
                                 "Периодический тест", "Разное", "Периодический тест"}) {
            click(node);
            QVERIFY2(!changed(), node);
            QVERIFY2(!fillGuard(), node);
        }
        QCOMPARE(record().NumOfAttemptsCallMain, 200);
        QCOMPARE(record().PerTestMinutes, 0);
        click("Разное");
        QCOMPARE(w<QComboBox>("NumOfAttemptsCallMainComboBox")->currentText(), "200");
    }

    void captionsFitAtTheDefaultSize() {
        for (const char* node : {"Разное", "Неисправность батареи", "Периодический тест"}) {
            click(node);
            for (const char* panelName : {"Panel013", "Panel300"}) {
                auto* panel = w(panelName);
                if (panel->isHidden()) {
                    continue;
                }
                const QRect inside = panel->rect();
                for (QWidget* c : panel->findChildren<QWidget*>()) {
                    if (!c->isVisibleTo(panel) || c->objectName().isEmpty()) {
                        continue;
                    }
                    const QRect r(c->mapTo(panel, QPoint(0, 0)), c->size());
                    QVERIFY2(inside.contains(r), qPrintable(c->objectName()));
                    if (auto* label = qobject_cast<QLabel*>(c)) {
                        const bool fits =
                            label->wordWrap()
                                ? label->heightForWidth(label->width()) <= label->height()
                                : label->width() >= label->sizeHint().width();
                        QVERIFY2(fits, qPrintable(c->objectName()));
                    }
                    if (auto* box = qobject_cast<QCheckBox*>(c)) {
                        QVERIFY2(box->width() >= box->sizeHint().width(),
                                 qPrintable(c->objectName()));
                    }
                }
            }
        }
    }

    // ---- Miscellaneous options ----------------------------------------------------

    void factoryMiscellaneous() {
        click("Разное");
        QVERIFY(!w("Panel013")->isHidden());
        QCOMPARE(w<QLabel>("Panel013Label1")->text(), "Разное:");
        const struct {
            const char* name;
            const char* caption;
            bool checked;
        } boxes[] = {
            {"EnCyrillicCb", "Условие ИЛИ для отчета CID DialUP", true},
            {"V110FormatDataRepCb", "Тональный набор", true},
            {"ZoneNotReadyVoiceCb", "Звуковое подтверждение о неготовности зон", false},
        };
        int top = -1;
        for (const auto& b : boxes) {
            auto* box = w<QCheckBox>(b.name);
            QCOMPARE(box->text(), QString::fromUtf8(b.caption));
            QCOMPARE(box->isChecked(), b.checked);
            QCOMPARE(box->x(), 24);
            if (top >= 0) {
                QCOMPARE(box->y(), top + 24);
            }
            top = box->y();
        }
        QCOMPARE(w<QLabel>("Panel013Label5")->text(), "Количество попыток дозвона:");
        QCOMPARE(w<QLabel>("Panel013Label6")->text(), "Свингер:");
        auto* attempts = w<QComboBox>("NumOfAttemptsCallMainComboBox");
        auto* svinger = w<QComboBox>("iSvingerComboBox");
        QCOMPARE(attempts->currentText(), "5");
        QCOMPARE(svinger->currentText(), "5");
        QVERIFY(attempts->isEditable() && svinger->isEditable());
        const auto items = [](QComboBox* c) {
            QStringList l;
            for (int i = 0; i < c->count(); ++i) {
                l << c->itemText(i);
            }
            return l.join(QLatin1Char(','));
        };
        QCOMPARE(items(attempts), "1,2,3,4,5,6,7,8,9,10");
        QCOMPARE(items(svinger), "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15");
        // Each combo right of its label, the swinger combo below the attempts combo.
        QVERIFY(attempts->x() > w("Panel013Label5")->geometry().right());
        QCOMPARE(svinger->x(), attempts->x());
        QVERIFY(svinger->y() >= attempts->geometry().bottom());
        QVERIFY(attempts->y() > w("ZoneNotReadyVoiceCb")->geometry().bottom());
        QVERIFY(!changed());
    }

    void checkBoxesSetTheirBits_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("options");
        QTest::newRow("tone dialling") << "V110FormatDataRepCb" << 0x15;
        QTest::newRow("zones not ready") << "ZoneNotReadyVoiceCb" << 0x37;
        QTest::newRow("Cyrillic") << "EnCyrillicCb" << 0x16;
    }
    void checkBoxesSetTheirBits() {
        QFETCH(QString, box);
        QFETCH(int, options);
        click("Разное");
        auto* cb = w<QCheckBox>(qPrintable(box));
        QTest::mouseClick(cb, Qt::LeftButton);
        QCOMPARE(record().Options, options);
        QVERIFY(changed());
        cb->setFocus();
        QTest::keyClick(cb, Qt::Key_Space);
        QCOMPARE(record().Options, 0x17);
        QVERIFY(!fillGuard());
    }

    void cyrillicOffAndOnRewritesEveryText() {
        record().ObjNum = 0x1111;
        record().Inputs[9].AlarmSMSText = cp1251("по-своему");
        record().Inputs[9].ObjNum = {0x12, 0x34};
        click("Разное");
        QTest::mouseClick(w("EnCyrillicCb"), Qt::LeftButton);
        QVERIFY(changed());
        QCOMPARE(record().Options & 1, 0);
        QCOMPARE(fromRecord(record().ArmSMSText), "1111 Armed ");
        QCOMPARE(fromRecord(record().DisarmSMSText), "1111 Disarmed ");
        for (std::size_t n = 1; n <= kInputCount; ++n) {
            QCOMPARE(fromRecord(record().Inputs[n].AlarmSMSText), "1111 Alarm ");
            QCOMPARE(fromRecord(record().Inputs[n].RestoreSMSText), "1111 Restore ");
        }
        QCOMPARE(record().Inputs[9].ObjNum, (std::array<std::int32_t, 2>{0x12, 0x34}));

        QTest::mouseClick(w("EnCyrillicCb"), Qt::LeftButton);
        QCOMPARE(record().Options & 1, 1);
        QCOMPARE(fromRecord(record().ArmSMSText), "1111 Постановка ");
        QCOMPARE(fromRecord(record().DisarmSMSText), "1111 Снятие ");
        for (std::size_t n = 1; n <= kInputCount; ++n) {
            QCOMPARE(fromRecord(record().Inputs[n].AlarmSMSText), "1111 Тревога ");
            QCOMPARE(fromRecord(record().Inputs[n].RestoreSMSText), "1111 Восстановление ");
        }
    }

    void typedCounts_data() {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("pointed");
        const QString a = QStringLiteral("NumOfAttemptsCallMainComboBox");
        const QString s = QStringLiteral("iSvingerComboBox");
        QTest::newRow("attempts 10") << a << "10" << 10 << "10" << true << false;
        QTest::newRow("attempts 7") << a << "7" << 7 << "7" << true << false;
        // Numbers outside the items are stored as typed while the byte holds them: "2"
        // and "25" are taken, "256" is refused and "25" shown again.
        QTest::newRow("attempts 11") << a << "11" << 11 << "11" << true << false;
        QTest::newRow("attempts 256") << a << "256" << 25 << "25" << true << true;
        QTest::newRow("attempts -1") << a << "-1" << 5 << "5" << false << true;
        QTest::newRow("attempts 0") << a << "0" << 0 << "0" << true << false;
        QTest::newRow("attempts letter") << a << "x" << 5 << "x" << false << true;
        QTest::newRow("attempts empty") << a << "" << 5 << "" << false << false;
        QTest::newRow("attempts minus") << a << "-" << 5 << "-" << false << false;
        QTest::newRow("swinger 15") << s << "15" << 15 << "15" << true << false;
        QTest::newRow("swinger 16") << s << "16" << 16 << "16" << true << false;
        QTest::newRow("swinger 0") << s << "0" << 0 << "0" << true << false;
    }
    void typedCounts() {
        QFETCH(QString, combo);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(bool, marked);
        QFETCH(bool, pointed);
        click("Разное");
        auto* box = w<QComboBox>(qPrintable(combo));
        retype(box->lineEdit(), typed);
        const int field = combo.startsWith(QLatin1String("Num")) ? record().NumOfAttemptsCallMain
                                                                 : record().SvingerCount;
        QCOMPARE(field, stored);
        QCOMPARE(box->currentText(), shown);
        QCOMPARE(changed(), marked);
        QCOMPARE(pointedOut(box), pointed);
        QVERIFY(!fillGuard());
        // The panels go on working: the tree still switches views.
        click("Периодический тест");
        QVERIFY(!w("Panel300_1_1")->isHidden());
    }

    void tenAttemptsPickedFromTheListLandAtByte0x05C() {
        click("Разное");
        auto* box = w<QComboBox>("NumOfAttemptsCallMainComboBox");
        box->setFocus();
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(box, Qt::Key_Down); // 5 -> 10, the last item
        }
        QCOMPARE(box->currentText(), "10");
        QCOMPARE(record().NumOfAttemptsCallMain, 10);
        QVERIFY(changed());
        std::vector<std::uint8_t> image(kEncodeClearSize);
        wrdump(record(), image);
        QCOMPARE(int(image[0x05C]), 10);
    }

    void miscellaneousEndToEnd() {
        click("Разное");
        retype(w<QComboBox>("iSvingerComboBox")->lineEdit(), QStringLiteral("12"));
        QTest::mouseClick(w("ZoneNotReadyVoiceCb"), Qt::LeftButton);
        const QJsonObject saved = saveAndExport(QStringLiteral("misc.t61"));
        QCOMPARE(saved.value(QStringLiteral("SvingerCount")).toInt(), 12);
        QCOMPARE(saved.value(QStringLiteral("Options")).toInt(), 0x37);
    }

    // ---- System events --------------------------------------------------------------

    void views_data() {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("note");
        QTest::addColumn<bool>("report");
        QTest::addColumn<bool>("period");
        QTest::addColumn<QString>("code");
        QTest::newRow("root") << "Системные события"
                              << "Системные события" << false << false << false << "";
        QTest::newRow("battery") << "Неисправность батареи"
                                 << "Неисправность батареи" << true << true << false << "E302";
        QTest::newRow("periodic") << "Периодический тест"
                                  << "Периодический тест" << false << true << true << "E602";
    }
    void views() {
        QFETCH(QString, node);
        QFETCH(QString, title);
        QFETCH(bool, note);
        QFETCH(bool, report);
        QFETCH(bool, period);
        QFETCH(QString, code);
        // Each view after each other one, so no view keeps what the one before showed.
        for (const char* before :
             {"Периодический тест", "Неисправность батареи", "Системные события"}) {
            click(before);
            click(node.toUtf8().constData());
            QCOMPARE(w<QLabel>("Panel300Label1")->text(), title);
            QCOMPARE(!w("Panel300Label2")->isHidden(), note);
            QCOMPARE(!w("Panel300_1")->isHidden(), report);
            QCOMPARE(w("Panel300_1_1")->isVisible(), period);
            if (report) {
                QCOMPARE(w<QLineEdit>("SysEvCodeEd")->text(), code);
                QCOMPARE(w<QLineEdit>("SysEvInpNumEd")->text(), "000");
                QCOMPARE(w<QLineEdit>("SysEvPartNumEd")->text(), "00");
            }
        }
        for (const char* name : {"SysEvCodeEd", "SysEvInpNumEd", "SysEvPartNumEd"}) {
            QVERIFY2(!w(name)->isEnabled(), name);
        }
        QCOMPARE(w<QGroupBox>("Panel300GroupBox1")->title(), " Параметры CID DialUp отчета: ");
        QCOMPARE(w<QLabel>("Panel300Label2")->text(),
                 "Неисправность батареи выдается при напряжении питания 11В и менее!");
    }

    void hourSpinnerKeepsThePeriodInADay() {
        showPeriod(1, 30);
        auto* up = w<QToolButton>("TimeOfPTHrUpDownUp");
        arrow(up, 23);
        const PeriodShown atDay{"24", "0", 24, 0, 24, 0};
        QVERIFY2(periodShown() == atDay, describe(periodShown()));
        QVERIFY(changed());
        arrow(up); // the spinner does not wrap
        QVERIFY2(periodShown() == atDay, describe(periodShown()));
        arrow(w<QToolButton>("TimeOfPTMinUpDownUp"), 2); // no minutes on 24 hours
        QVERIFY2(periodShown() == atDay, describe(periodShown()));
        arrow(w<QToolButton>("TimeOfPTHrUpDownDown"));
        arrow(w<QToolButton>("TimeOfPTMinUpDownUp"));
        const PeriodShown after{"23", "10", 23, 1, 23, 10};
        QVERIFY2(periodShown() == after, describe(periodShown()));
    }

    void hourSpinnerToZeroGivesTenMinutes() {
        showPeriod(1, 0);
        arrow(w<QToolButton>("TimeOfPTHrUpDownDown"), 2);
        const PeriodShown least{"0", "10", 0, 1, 0, 10};
        QVERIFY2(periodShown() == least, describe(periodShown()));
        QVERIFY(changed());
        arrow(w<QToolButton>("TimeOfPTMinUpDownDown"), 2);
        QVERIFY2(periodShown() == least, describe(periodShown()));
    }

    void typedAndPastedPeriods_data() {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hourEdit");
        QTest::addColumn<QString>("minuteEdit");
        QTest::addColumn<int>("storedHours");
        QTest::addColumn<int>("storedMinutes");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("pointed");
        const QString h = QStringLiteral("TimeOfPTHrEdit");
        const QString m = QStringLiteral("TimeOfPTMinEdit");
        QTest::newRow("hours 30 typed") << 1 << 20 << h << false << "30"
                                        << "24"
                                        << "0" << 24 << 0 << true << false;
        QTest::newRow("hours 12 pasted") << 1 << 20 << h << true << "12"
                                         << "12"
                                         << "20" << 12 << 20 << true << false;
        QTest::newRow("hours 0 over 1:00") << 1 << 0 << h << false << "0"
                                           << "0"
                                           << "10" << 0 << 10 << true << false;
        QTest::newRow("hours -1 typed") << 1 << 0 << h << false << "-1"
                                        << "1"
                                        << "0" << 1 << 0 << false << true;
        QTest::newRow("hours -1 pasted") << 3 << 0 << h << true << "-1"
                                         << "3"
                                         << "0" << 3 << 0 << false << true;
        QTest::newRow("hours letter") << 3 << 0 << h << false << "z"
                                      << "z"
                                      << "0" << 3 << 0 << false << true;
        QTest::newRow("hours emptied") << 3 << 0 << h << false << ""
                                       << ""
                                       << "0" << 3 << 0 << false << false;
        QTest::newRow("minutes 75 pasted") << 1 << 0 << m << true << "75"
                                           << "1"
                                           << "50" << 1 << 50 << true << false;
        QTest::newRow("minutes 9 pasted") << 1 << 30 << m << true << "9"
                                          << "1"
                                          << "0" << 1 << 0 << true << false;
        QTest::newRow("minutes 9 at 0 h") << 0 << 30 << m << true << "9"
                                          << "0"
                                          << "10" << 0 << 10 << true << false;
        QTest::newRow("minutes 3 typed") << 2 << 40 << m << false << "3"
                                         << "2"
                                         << "0" << 2 << 0 << true << false;
        QTest::newRow("minutes 30 typed") << 2 << 40 << m << false << "30"
                                          << "2"
                                          << "0" << 2 << 0 << true << false;
        QTest::newRow("minutes -10 pasted") << 2 << 40 << m << true << "-10"
                                            << "2"
                                            << "40" << 2 << 40 << false << true;
        QTest::newRow("minutes letter") << 2 << 40 << m << true << "4a"
                                        << "2"
                                        << "4a" << 2 << 40 << false << true;
        // No minutes on top of 24 hours, however they come.
        QTest::newRow("minutes 50 pasted at 24 h") << 24 << 0 << m << true << "50"
                                                   << "24"
                                                   << "0" << 24 << 0 << false << true;
        QTest::newRow("minutes 5 typed before the 0 at 24 h") << 24 << 0 << m << false << "<5"
                                                              << "24"
                                                              << "0" << 24 << 0 << false << true;
        QTest::newRow("minutes 0 at 24 h") << 24 << 0 << m << false << "0"
                                           << "24"
                                           << "0" << 24 << 0 << false << false;
    }

    // A text the panels did not take gives way to the stored value once the control
    // is left and before every command, also one that takes no focus (a shortcut).
    void textNotTakenGivesWayBeforeACommand_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("shortcut"); // Ctrl+S, or Tab
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* view, const char* control,
                            const char* typed, bool shortcut, const char* shown) {
            QTest::newRow(name) << QString::fromUtf8(view) << QString::fromUtf8(control)
                                << QString::fromUtf8(typed) << shortcut << QString::fromUtf8(shown);
        };
        row("hours emptied, Ctrl+S", "Периодический тест", "TimeOfPTHrEdit", "", true, "1");
        row("minutes no number, Ctrl+S", "Периодический тест", "TimeOfPTMinEdit", "x", true, "0");
        row("minutes no number, Tab", "Периодический тест", "TimeOfPTMinEdit", "x", false, "0");
        row("attempts emptied, Ctrl+S", "Разное", "NumOfAttemptsCallMainComboBox", "", true, "5");
        row("swinger no number, Tab", "Разное", "iSvingerComboBox", "x", false, "5");
    }
    void textNotTakenGivesWayBeforeACommand() {
        QFETCH(QString, view);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(bool, shortcut);
        QFETCH(QString, shown);
        click(qPrintable(view));
        QWidget* target = w(qPrintable(control));
        auto* combo = qobject_cast<QComboBox*>(target);
        QLineEdit* edit = combo != nullptr ? combo->lineEdit() : qobject_cast<QLineEdit*>(target);
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        retype(edit, typed);
        QCOMPARE(edit->text(), typed);
        prompts_.files = {scratch_.filePath(QStringLiteral("given way.t61"))};
        QTest::keyClick(edit, shortcut ? Qt::Key_S : Qt::Key_Tab,
                        shortcut ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(edit->text(), shown);
        QVERIFY(!pointedOut(target));
        QVERIFY(!fillGuard());
    }
    void typedAndPastedPeriods() {
        QFETCH(int, hours);
        QFETCH(int, minutes);
        QFETCH(QString, edit);
        QFETCH(bool, pasted);
        QFETCH(QString, text);
        QFETCH(QString, hourEdit);
        QFETCH(QString, minuteEdit);
        QFETCH(int, storedHours);
        QFETCH(int, storedMinutes);
        QFETCH(bool, marked);
        QFETCH(bool, pointed);
        showPeriod(hours, minutes);
        auto* target = w<QLineEdit>(qPrintable(edit));
        if (pasted) {
            paste(target, text);
        } else {
            retype(target, text);
        }
        QCOMPARE(w<QLineEdit>("TimeOfPTHrEdit")->text(), hourEdit);
        QCOMPARE(w<QLineEdit>("TimeOfPTMinEdit")->text(), minuteEdit);
        QCOMPARE(record().PerTestHours, storedHours);
        QCOMPARE(record().PerTestMinutes, storedMinutes);
        QCOMPARE(w<UpDown>("TimeOfPTHrUpDown")->position(), storedHours);
        QCOMPARE(w<UpDown>("TimeOfPTMinUpDown")->position(), storedMinutes / 10);
        QCOMPARE(changed(), marked);
        QCOMPARE(pointedOut(target), pointed);
        QVERIFY(!fillGuard());
        // A good value afterwards is taken and the mark goes.
        retype(w<QLineEdit>("TimeOfPTHrEdit"), QStringLiteral("5"));
        QCOMPARE(record().PerTestHours, 5);
        QVERIFY(!pointedOut(target));
    }

    void arrowKeysInTheEditsMoveTheSpinners() {
        showPeriod(23, 20);
        QTest::keyClick(w("TimeOfPTHrEdit"), Qt::Key_Up);
        QCOMPARE(record().PerTestHours, 24);
        QCOMPARE(record().PerTestMinutes, 0);
        QTest::keyClick(w("TimeOfPTMinEdit"), Qt::Key_Up);
        QCOMPARE(record().PerTestMinutes, 0);
        QTest::keyClick(w("TimeOfPTHrEdit"), Qt::Key_Down);
        QTest::keyClick(w("TimeOfPTMinEdit"), Qt::Key_Up);
        const PeriodShown shown{"23", "10", 23, 1, 23, 10};
        QVERIFY2(periodShown() == shown, describe(periodShown()));
    }

    void systemEventsEndToEnd() {
        click("Периодический тест");
        retype(w<QLineEdit>("TimeOfPTHrEdit"), QStringLiteral("7"));
        arrow(w<QToolButton>("TimeOfPTMinUpDownUp"), 4);
        const QJsonObject saved = saveAndExport(QStringLiteral("period.t61"));
        QCOMPARE(saved.value(QStringLiteral("PerTestHours")).toInt(), 7);
        QCOMPARE(saved.value(QStringLiteral("PerTestMinutes")).toInt(), 40);
    }
};

QTEST_MAIN(SysOptsTest)
#include "sysopts_test.moc"
