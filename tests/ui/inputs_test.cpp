// The inputs panel through its real widgets in the real window: captions, what a
// view shows, the zone, contact, siren, report and partition edits with real mouse
// and key events, and a Save that carries them into the file.
#include "files/format.h"
#include "model/input_rules.h"
#include "panel_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleOptionButton>

using namespace tk;
using tk::test::child;
using Answer = Prompts::Answer;

namespace {

const QString kNbsp = QString(QChar(0x00A0));

// Where a click on a radio button or check box lands: on its indicator and text.
QPoint clickPoint(QAbstractButton* b) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
    const QRect r = b->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonClickRect : QStyle::SE_CheckBoxClickRect, &opt, b);
    return r.isValid() ? r.center() : QPoint(6, b->height() / 2);
}

} // namespace

class InputsTest : public test::WindowCase {
    Q_OBJECT

    Input& input(int n) { return record().Inputs.at(static_cast<std::size_t>(n)); }

    QRadioButton* zoneButton(int i) {
        return child<QRadioButton>(window(),
                                   qPrintable(QStringLiteral("Panel100InpZoneTypeRGrp_%1").arg(i)));
    }
    QRadioButton* contactButton(int i) {
        return child<QRadioButton>(window(),
                                   qPrintable(QStringLiteral("Panel100InpContRGrp_%1").arg(i)));
    }
    QCheckBox* siren() { return child<QCheckBox>(window(), "VoiceOnDuringAlarmCb"); }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(window(), name); }
    QComboBox* partition() { return child<QComboBox>(window(), "InpPartNumComboBox"); }

    // Captions of the contact items the user sees, and the checked one (-1: none).
    QStringList contactItems() {
        QStringList shown;
        for (int i = 0; i < 3; ++i) {
            if (!contactButton(i)->isHidden()) {
                shown << contactButton(i)->text();
            }
        }
        return shown;
    }
    int checked(const char* prefix, int count) {
        for (int i = 0; i < count; ++i) {
            auto* b = child<QRadioButton>(window(),
                                          qPrintable(QStringLiteral("%1_%2").arg(prefix).arg(i)));
            if (b->isChecked()) {
                return i;
            }
        }
        return -1;
    }
    int zoneChecked() { return checked("Panel100InpZoneTypeRGrp", kZoneItemCount); }
    int contactChecked() { return checked("Panel100InpContRGrp", 3); }

    void show(const char* nodeText) { f_.click(nodeText); }
    void showInput(int n) { show(qPrintable(QStringLiteral("Вход %1").arg(n))); }
    void click(QAbstractButton* b) {
        QVERIFY(b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton, {}, clickPoint(b));
    }
    // Replaces an edit's text from the keyboard: to the end, Backspace over all, type.
    void retype(QLineEdit* e, const QString& text) {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_End);
        for (qsizetype i = e->text().size(); i > 0; --i) {
            QTest::keyClick(e, Qt::Key_Backspace);
        }
        test::keyText(e, text);
    }

    void clearMark() { window().panelContext().updt1(false); }

private slots:
    void init() { f_.open(); }

    void cleanup() {
        QVERIFY2(prompts_.log.isEmpty(), qPrintable(prompts_.log.join('\n')));
        QVERIFY(!window().panelContext().fillGuard());
        f_.close();
    }

    void captionsExactly() {
        show("Входы");
        auto* title = child<QLabel>(window(), "Panel100Label1");
        QCOMPARE(title->text(), QStringLiteral("Настройки входов"));
        QVERIFY(child(window(), "Panel100_1")->isHidden());

        showInput(3);
        QCOMPARE(title->text(), QStringLiteral("Вход № 3"));
        QCOMPARE(child<QGroupBox>(window(), "Panel100InpContRGrp")->title(),
                 QStringLiteral(" Контакты входа: "));
        QCOMPARE(child<QGroupBox>(window(), "Panel100InpZoneTypeRGrp")->title(),
                 QStringLiteral(" Тип зоны: "));
        const QStringList zones = {"вход/выход", "проходная", "периметр", "круглосуточная",
                                   "постановка/снятие"};
        for (int i = 0; i < zones.size(); ++i) {
            QCOMPARE(zoneButton(i)->text(), zones[i]);
        }
        QCOMPARE(contactItems(),
                 (QStringList{"нормально замкнуты", "нормально разомкнуты", "шлейфовый резистор"}));
        QCOMPARE(siren()->text(), QStringLiteral("Включать сирену при тревоге"));
        QCOMPARE(child<QLabel>(window(), "Panel100_1Label1")->text(), QStringLiteral("Раздел:"));
        QStringList items;
        for (int i = 0; i < partition()->count(); ++i) {
            items << partition()->itemText(i);
        }
        QCOMPARE(items, (QStringList{"1", "2", "3", "4"}));
        QVERIFY(partition()->isEditable());
        QCOMPARE(child<QGroupBox>(window(), "Panel100GroupBox1")->title(),
                 QStringLiteral(" Параметры CID DialUp отчета: "));
        const QStringList labels = {
            "Номер объекта:", "Код события:", "Номер входа:", "Номер раздела:"};
        const char* const edits[] = {"InpDataRepObjNumEd", "InpDataRepEvCodeEd",
                                     "InpDataRepInputNumEd", "InpDataRepPartNumEd"};
        for (int i = 0; i < 4; ++i) {
            auto* label = child<QLabel>(
                window(), qPrintable(QStringLiteral("Panel100GroupBox1Label%1").arg(i + 1)));
            QCOMPARE(label->text(), labels[i]);
            // Each edit sits under its caption.
            QLineEdit* e = edit(edits[i]);
            QVERIFY(e->geometry().top() >= label->geometry().bottom());
            QCOMPARE(e->x(), label->x());
        }
        QVERIFY(!edit("InpDataRepInputNumEd")->isEnabled());
        QVERIFY(!edit("InpDataRepPartNumEd")->isEnabled());

        // Input 4 is an arm/disarm zone from the factory: its list, with the no-break space.
        showInput(4);
        QCOMPARE(contactItems(), (QStringList{"нормально" + kNbsp + "замкнутые (снят с охраны)",
                                              "постановка/снятие импульсом 0.5 сек"}));
    }

    // Every caption is whole at the default window size: nothing is cut or overlaps
    // the edge of its parent.
    void captionsFitTheDefaultWindow() {
        QCOMPARE(window().size(), QSize(696, 490));
        for (int n : {1, 4}) {
            showInput(n);
            auto* panel = child(window(), "Panel100");
            const auto widgets = panel->findChildren<QWidget*>();
            for (QWidget* w : widgets) {
                if (w->isHidden() || w->parentWidget() == nullptr || w->objectName().isEmpty()) {
                    continue;
                }
                const QRect inParent = w->geometry();
                QVERIFY2(w->parentWidget()->rect().contains(inParent), qPrintable(w->objectName()));
                if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                    QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(b->objectName()));
                }
                if (auto* l = qobject_cast<QLabel*>(w)) {
                    QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->objectName()));
                }
            }
            // The panel's settings end inside the panel.
            QVERIFY(panel->rect().contains(child(window(), "Panel100_1")->geometry()));
        }
    }

    void viewShowsTheRecord() {
        Input& in = input(2);
        in.ZoneType = 0x102; // a bit above the low byte stays
        in.Flags = 0x15;
        in.ObjNum = {0x7A, 0x2F};
        in.EvCode = {0x31, 0x45}; // qualifier 3 is not shown
        in.InpNum = {0x0, 0x02};
        SetPartition(in, 3);
        showInput(2);
        QCOMPARE(zoneChecked(), int(ZoneItemTwentyFourHour));
        QCOMPARE(contactChecked(), int(ContactNormallyOpen));
        QVERIFY(siren()->isChecked());
        QCOMPARE(edit("InpDataRepObjNumEd")->text(), QStringLiteral("7A2F"));
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), QStringLiteral("145"));
        QCOMPARE(edit("InpDataRepInputNumEd")->text(), QStringLiteral("002"));
        QCOMPARE(edit("InpDataRepPartNumEd")->text(), QStringLiteral("03"));
        QCOMPARE(partition()->currentText(), QStringLiteral("3"));
        QVERIFY(siren()->isEnabled());
        QVERIFY(edit("InpDataRepEvCodeEd")->isEnabled());
        QVERIFY(!changed());
        QCOMPARE(in.ZoneType, 0x102);
        QCOMPARE(in.EvCode[0], 0x31); // showing writes nothing
    }

    void fireBitClearedOnShowWithoutAMark() {
        input(1).ZoneType = 0x28;
        input(1).Flags = 0x40;
        showInput(1);
        QCOMPARE(input(1).ZoneType, 0x08);
        QCOMPARE(zoneChecked(), int(ZoneItemWalkThrough));
        QCOMPARE(contactChecked(), int(ContactResistorLoop)); // the fire marker's loop
        QVERIFY(!changed());
        QVERIFY(!window().windowTitle().contains('*'));

        input(3).ZoneType = 0x20; // nothing left: no item
        showInput(3);
        QCOMPARE(input(3).ZoneType, 0);
        QCOMPARE(zoneChecked(), -1);
        QVERIFY(!changed());
    }

    void showingNeverMarks() {
        for (const char* n : {"Входы", "Вход 1", "Вход 2", "Вход 3", "Вход 4", "Вход 1"}) {
            show(n);
            QVERIFY2(!changed(), n);
        }
        const Configuration before = record();
        showInput(2);
        QVERIFY(record() == before);
    }

    void armDisarmChoice_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("flags");
        QTest::newRow("input 1, siren on") << 1 << 0x24;
        QTest::newRow("input 2, normally open") << 2 << 0x10;
        QTest::newRow("input 3, fire marker") << 3 << 0x45;
    }
    void armDisarmChoice() {
        QFETCH(int, n);
        QFETCH(int, flags);
        input(n).Flags = flags;
        input(n).EvCode = {0x06, 0x02};
        showInput(n);
        click(zoneButton(ZoneItemArmDisarm));
        QCOMPARE(input(n).ZoneType & 0xFF, 0x10);
        QCOMPARE(input(n).EvCode[0], 0x04);
        QCOMPARE(input(n).EvCode[1], 0x01);
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), QStringLiteral("401"));
        QVERIFY(!edit("InpDataRepEvCodeEd")->isEnabled());
        QVERIFY(!siren()->isChecked());
        QVERIFY(!siren()->isEnabled());
        QCOMPARE(input(n).Flags & InpSiren, 0);
        QCOMPARE(input(n).Flags & (kContactBits | InpFireMarker), 0x12);
        QCOMPARE(contactItems(), (QStringList{"нормально" + kNbsp + "замкнутые (снят с охраны)",
                                              "постановка/снятие импульсом 0.5 сек"}));
        QCOMPARE(contactChecked(), 1);
        QVERIFY(changed());
        QVERIFY(window().windowTitle().contains("* - "));

        // Normally closed in the arm/disarm list, then the pulse contacts again.
        click(contactButton(0));
        QCOMPARE(input(n).Flags & kContactBits, 0);
        click(contactButton(1));
        QCOMPARE(input(n).Flags & kContactBits, 0x12);
    }

    void walkThroughAfterPulseContactsOnInput1() {
        showInput(1);
        click(zoneButton(ZoneItemArmDisarm));
        QCOMPARE(input(1).Flags & kContactBits, 0x12);
        click(zoneButton(ZoneItemWalkThrough));
        QCOMPARE(input(1).Flags & kContactBits, int(InpNormallyOpen));
        QCOMPARE(input(1).ZoneType & 0xFF, 0x08);
        QCOMPARE(contactItems(),
                 (QStringList{"нормально замкнуты", "нормально разомкнуты", "шлейфовый резистор"}));
        QCOMPARE(contactChecked(), int(ContactNormallyOpen));
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), QStringLiteral("130"));
        QCOMPARE(input(1).EvCode[0], 0x01);
        QCOMPARE(input(1).EvCode[1], 0x30);
        QVERIFY(edit("InpDataRepEvCodeEd")->isEnabled());
        QVERIFY(siren()->isEnabled());
    }

    void ordinaryTypeOnInput4GivesTheResistorLoop_data() {
        QTest::addColumn<int>("zone");
        QTest::addColumn<int>("contactFirst"); // -1: the factory pulse contacts
        for (int zone = 0; zone < 4; ++zone) {
            for (int contact : {-1, 0, 1}) {
                QTest::addRow("zone %d contact %d", zone, contact) << zone << contact;
            }
        }
    }
    void ordinaryTypeOnInput4GivesTheResistorLoop() {
        QFETCH(int, zone);
        QFETCH(int, contactFirst);
        showInput(4);
        if (contactFirst >= 0) {
            // Take an ordinary zone of another kind, then the contact type to start from.
            click(zoneButton(zone == 0 ? 1 : 0));
            click(contactButton(contactFirst));
            QCOMPARE(contactChecked(), contactFirst);
        }
        click(zoneButton(zone));
        QCOMPARE(contactChecked(), int(ContactResistorLoop));
        QCOMPARE(input(4).Flags & kContactBits, int(InpResistorLoop));
        QCOMPARE(input(4).ZoneType & 0xFF, ZoneItemBit(zone));
    }

    void zoneAndContactFromTheKeyboard() {
        showInput(1);
        zoneButton(ZoneItemEntryExit)->setFocus();
        QTest::keyClick(zoneButton(ZoneItemEntryExit), Qt::Key_Down);
        QCOMPARE(zoneChecked(), int(ZoneItemWalkThrough));
        QCOMPARE(input(1).ZoneType & 0xFF, 0x08);
        QVERIFY(changed());
        contactButton(ContactResistorLoop)->setFocus();
        QTest::keyClick(contactButton(ContactResistorLoop), Qt::Key_Up);
        QCOMPARE(contactChecked(), int(ContactNormallyOpen));
        QCOMPARE(input(1).Flags & kContactBits, int(InpNormallyOpen));
    }

    void otherInputsKeepTheirContacts() {
        showInput(3);
        click(contactButton(ContactNormallyClosed));
        click(zoneButton(ZoneItemEntryExit));
        QCOMPARE(contactChecked(), int(ContactNormallyClosed));
        QCOMPARE(input(3).Flags & kContactBits, 0);
    }

    void sirenAndContactsMarkOnlyOnAChange() {
        showInput(2);
        QVERIFY(!siren()->isChecked());
        click(siren());
        QVERIFY(siren()->isChecked());
        QCOMPARE(input(2).Flags & InpSiren, int(InpSiren));
        QVERIFY(changed());
        siren()->setFocus();
        QTest::keyClick(siren(), Qt::Key_Space);
        QCOMPARE(input(2).Flags & InpSiren, 0);

        clearMark();
        // A click on the zone type shown applies it again: its event code replaces the
        // one typed.
        retype(edit("InpDataRepEvCodeEd"), "602");
        clearMark();
        click(zoneButton(zoneChecked()));
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), QStringLiteral("130"));
        QCOMPARE(input(2).EvCode[1], 0x30);
        QVERIFY(changed());
        clearMark();
        click(contactButton(contactChecked())); // the same bits again: no change
        QVERIFY(!changed());
        click(contactButton(ContactNormallyOpen));
        QCOMPARE(input(2).Flags & kContactBits, int(InpNormallyOpen));
        QVERIFY(changed());
    }

    // A click on the item shown applies that item's bits, also when what is shown was
    // derived from other bits (a file or a transmitter can hold any).
    void clickOnTheItemShownAppliesIt_data() {
        QTest::addColumn<int>("zoneType");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("zoneGroup"); // the zone-type group, or the contact group
        QTest::addColumn<int>("item");       // the item shown and clicked
        QTest::addColumn<int>("zoneTypeAfter");
        QTest::addColumn<int>("flagsAfter");
        QTest::addColumn<int>("evCodeAfter");  // EvCode bytes as one number
        QTest::addColumn<int>("contactShown"); // the contact item shown afterwards
        QTest::addColumn<bool>("marked");
        QTest::newRow("walk-through from two bits")
            << 0x09 << 0x10 << true << int(ZoneItemWalkThrough) << 0x08 << 0x10 << 0x0130
            << int(ContactNormallyOpen) << true;
        QTest::newRow("arm/disarm from two bits") << 0x11 << 0x24 << true << int(ZoneItemArmDisarm)
                                                  << 0x10 << 0x12 << 0x0401 << 1 << true;
        QTest::newRow("normalised walk-through again")
            << 0x08 << 0x10 << true << int(ZoneItemWalkThrough) << 0x08 << 0x10 << 0x0130
            << int(ContactNormallyOpen) << true;
        QTest::newRow("resistor loop shown by the fire marker")
            << 0x01 << 0x50 << false << int(ContactResistorLoop) << 0x01 << 0x60 << 0x0602
            << int(ContactResistorLoop) << true;
        QTest::newRow("resistor loop stored")
            << 0x01 << 0x20 << false << int(ContactResistorLoop) << 0x01 << 0x20 << 0x0602
            << int(ContactResistorLoop) << false;
    }
    void clickOnTheItemShownAppliesIt() {
        QFETCH(int, zoneType);
        QFETCH(int, flags);
        QFETCH(bool, zoneGroup);
        QFETCH(int, item);
        QFETCH(int, zoneTypeAfter);
        QFETCH(int, flagsAfter);
        QFETCH(int, evCodeAfter);
        QFETCH(int, contactShown);
        QFETCH(bool, marked);
        input(1).ZoneType = zoneType;
        input(1).Flags = flags;
        input(1).EvCode = {0x06, 0x02};
        showInput(1);
        QCOMPARE(zoneGroup ? zoneChecked() : contactChecked(), item);
        click(zoneGroup ? zoneButton(item) : contactButton(item));
        QCOMPARE(input(1).ZoneType, zoneTypeAfter);
        QCOMPARE(input(1).Flags, flagsAfter);
        QCOMPARE(input(1).EvCode[0] << 8 | input(1).EvCode[1], evCodeAfter);
        QCOMPARE(contactChecked(), contactShown);
        QCOMPARE(changed(), marked);
        // Shown again, the view is what the click left.
        showInput(1);
        QCOMPARE(contactChecked(), contactShown);
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), QString::number(evCodeAfter, 16).right(3));
    }

    // Under the fire marker the contacts stay a resistor loop: a click on another
    // contact item says so and the group goes on showing what is stored.
    void otherContactUnderTheFireMarkerIsPointedOut() {
        input(1).Flags = 0x50;
        showInput(1);
        click(contactButton(ContactNormallyOpen));
        QCOMPARE(input(1).Flags, 0x50);
        QCOMPARE(contactChecked(), int(ContactResistorLoop));
        QVERIFY(child(window(), "Panel100InpContRGrp")->toolTip().contains("пожарный"));
        click(zoneButton(ZoneItemEntryExit)); // a zone type takes the marker away
        QCOMPARE(contactChecked(), int(ContactNormallyOpen));
        QCOMPARE(input(1).Flags, 0x10);
    }

    void eventCodeWithPrefix() {
        input(1).EvCode = {0x36, 0x02};
        showInput(1);
        QLineEdit* e = edit("InpDataRepEvCodeEd");
        retype(e, "e130");
        QCOMPARE(e->text(), QStringLiteral("E130"));
        QCOMPARE(input(1).EvCode[0], 0x01);
        QCOMPARE(input(1).EvCode[1], 0x30);
        QVERIFY(changed());
        showInput(1);
        QCOMPARE(e->text(), QStringLiteral("130"));
    }

    void eventCodeKeys_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("byte0");
        QTest::addColumn<int>("byte1");
        QTest::newRow("R prefix") << "r401"
                                  << "R401" << 0x04 << 0x01;
        QTest::newRow("E inside refused") << "1e0"
                                          << "10" << 0x01 << 0x05;
        QTest::newRow("R inside refused") << "1r0"
                                          << "10" << 0x01 << 0x05;
        QTest::newRow("letters refused") << "1a2b3"
                                         << "123" << 0x01 << 0x23;
        QTest::newRow("fifth refused") << "E6021"
                                       << "E602" << 0x06 << 0x02;
        QTest::newRow("four digits") << "1234"
                                     << "1234" << 0x01 << 0x23;
        QTest::newRow("Cyrillic refused") << "1ю3"
                                          << "13" << 0x01 << 0x35;
    }
    void eventCodeKeys() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, byte0);
        QFETCH(int, byte1);
        input(1).EvCode = {0x05, 0x55};
        showInput(1);
        retype(edit("InpDataRepEvCodeEd"), typed);
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), shown);
        QCOMPARE(input(1).EvCode[0], byte0);
        QCOMPARE(input(1).EvCode[1], byte1);
    }

    void nothingTypedInFrontOfAPrefix() {
        showInput(1);
        QLineEdit* e = edit("InpDataRepEvCodeEd");
        retype(e, "E13");
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClicks(e, "1R");
        QCOMPARE(e->text(), QStringLiteral("E13"));
    }

    void objectNumberKeys() {
        showInput(2);
        QLineEdit* e = edit("InpDataRepObjNumEd");
        QCOMPARE(e->text(), QStringLiteral("1111"));
        e->setFocus();
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, "5");
        QCOMPARE(e->text(), QStringLiteral("1111")); // a fifth character is refused
        QVERIFY(!changed());
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QStringLiteral("111"));
        QTest::keyClicks(e, "g-a");
        QCOMPARE(e->text(), QStringLiteral("111A"));
        QCOMPARE(input(2).ObjNum[0], 0x11);
        QCOMPARE(input(2).ObjNum[1], 0x1A);
        retype(e, "beef");
        QCOMPARE(e->text(), QStringLiteral("BEEF"));
        QCOMPARE(input(2).ObjNum[0], 0xBE);
        QCOMPARE(input(2).ObjNum[1], 0xEF);
        QCOMPARE(input(1).ObjNum[0], 0x11); // only the input shown
        QVERIFY(changed());
    }

    void partitionChoice() {
        showInput(1);
        QComboBox* combo = partition();
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(combo, "3");
        QCOMPARE(input(1).Partition, 3);
        QCOMPARE(input(1).PartNum, 0x03);
        QCOMPARE(edit("InpDataRepPartNumEd")->text(), QStringLiteral("03"));
        QVERIFY(changed());

        // From the list, with the keyboard.
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(combo->currentText(), QStringLiteral("4"));
        QCOMPARE(input(1).Partition, 4);
        QCOMPARE(edit("InpDataRepPartNumEd")->text(), QStringLiteral("04"));
    }

    // A text that is no partition keeps the record and the view and is pointed out
    // without a message box; typing goes on.
    void partitionTextThatIsNoNumber() {
        showInput(2);
        clearMark();
        QLineEdit* line = partition()->lineEdit();
        partition()->setFocus();
        QTest::keyClick(partition(), Qt::Key_End);
        QTest::keyClick(partition(), Qt::Key_Backspace);
        QCOMPARE(line->text(), QString());
        QCOMPARE(input(2).Partition, 1);
        QCOMPARE(edit("InpDataRepPartNumEd")->text(), QStringLiteral("01"));
        QVERIFY(!partition()->toolTip().isEmpty());
        QVERIFY(!window().panelContext().fillGuard());
        QVERIFY(!changed());

        QTest::keyClicks(partition(), "x");
        QCOMPARE(line->text(), QStringLiteral("x"));
        QCOMPARE(input(2).Partition, 1);
        QVERIFY(partition()->toolTip().contains("x"));
        QTest::keyClick(partition(), Qt::Key_Backspace);
        QTest::keyClicks(partition(), "2");
        QCOMPARE(input(2).Partition, 2);
        QCOMPARE(edit("InpDataRepPartNumEd")->text(), QStringLiteral("02"));
        QVERIFY(partition()->toolTip().isEmpty());
        QVERIFY(changed());
        QVERIFY(prompts_.log.isEmpty()); // no box

        // Leaving with a half-typed text shows the stored partition again.
        QTest::keyClick(partition(), Qt::Key_Backspace);
        QTest::keyClick(partition(), Qt::Key_Tab);
        QCOMPARE(partition()->currentText(), QStringLiteral("2"));
        QVERIFY(partition()->toolTip().isEmpty());
    }

    void partitionOutOfRangeRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("5") << "5";
        QTest::newRow("0") << "0";
        QTest::newRow("-1") << "-1";
        QTest::newRow("256") << "256";
    }
    void partitionOutOfRangeRefused() {
        QFETCH(QString, typed);
        input(3).Partition = 2;
        input(3).PartNum = 2;
        showInput(3);
        QLineEdit* line = partition()->lineEdit();
        partition()->setFocus();
        QTest::keyClick(partition(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(partition(), typed);
        QCOMPARE(input(3).Partition, 2);
        QCOMPARE(input(3).PartNum, 2);
        QVERIFY(!changed());
        QCOMPARE(line->text(), QStringLiteral("2")); // the field's value again
        QCOMPARE(edit("InpDataRepPartNumEd")->text(), QStringLiteral("02"));
        QVERIFY(!partition()->toolTip().isEmpty());
        QVERIFY(!window().panelContext().fillGuard());
    }

    void partitionRefusesCharactersOutsideWindows1251() {
        showInput(1);
        QLineEdit* line = partition()->lineEdit();
        partition()->setFocus();
        QTest::keyClick(partition(), Qt::Key_End);
        // Typed where the keyboard sends it: to the focused widget.
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused == partition() || focused == line);
        test::keyText(focused, QString::fromUcs4(U"中"));
        QCOMPARE(line->text(), QStringLiteral("1"));
        QVERIFY(partition()->toolTip().contains("Windows-1251"));
        QCOMPARE(input(1).Partition, 1);
    }

    void handlersWaitWhileFillGuardIsHeld() {
        showInput(1);
        const Configuration before = record();
        {
            FillGuard held(window().panelContext());
            click(zoneButton(ZoneItemArmDisarm));
            click(siren());
            edit("InpDataRepEvCodeEd")->setText("E999");
            partition()->setEditText("4");
        }
        QVERIFY(record() == before);
        QVERIFY(!changed());
    }

    // Inputs set in the window, saved, and the bytes are in the file.
    void savedFileHoldsTheInputs() {
        showInput(2);
        click(zoneButton(ZoneItemTwentyFourHour));
        click(contactButton(ContactNormallyOpen));
        click(siren());
        retype(edit("InpDataRepObjNumEd"), "7a2f");
        retype(edit("InpDataRepEvCodeEd"), "E132");
        partition()->setFocus();
        QTest::keyClick(partition(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(partition(), "3");
        showInput(4);
        click(zoneButton(ZoneItemPerimeter));

        const QString path = f_.scratch.filePath("inputs.tk515");
        prompts_.files = {path};
        child<QAction>(window(), "Saveas1")->trigger();
        QVERIFY(!changed());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray file = f.readAll();
        QCOMPARE(file.size(), qsizetype(kEmptyFileSize));
        const auto at = [&](int imageOffset) {
            return static_cast<std::uint8_t>(file.at(kFileHeaderSize + imageOffset));
        };
        // Input 2's record at 0x020: flags (siren, normally open), zone type, partition.
        QCOMPARE(at(0x020), 0x14);
        QCOMPARE(at(0x021), 0x02);
        QCOMPARE(at(0x022), 0x03);
        // Its Contact ID bytes at 0x18C: object number, event code.
        QCOMPARE(at(0x18C), 0x7A);
        QCOMPARE(at(0x18D), 0x2F);
        QCOMPARE(at(0x18E), 0x01);
        QCOMPARE(at(0x18F), 0x32);
        // Input 4 at 0x040: a resistor-loop perimeter zone, code 130 at 0x1AE.
        QCOMPARE(at(0x040), 0x20);
        QCOMPARE(at(0x041), 0x04);
        QCOMPARE(at(0x1AE), 0x01);
        QCOMPARE(at(0x1AF), 0x30);
        // Input 1 untouched: entry/exit, resistor loop.
        QCOMPARE(at(0x010), 0x20);
        QCOMPARE(at(0x011), 0x01);

        // And back: the file opened again shows the same view.
        prompts_.files = {path};
        child<QAction>(window(), "Open1")->trigger();
        showInput(2);
        QCOMPARE(zoneChecked(), int(ZoneItemTwentyFourHour));
        QCOMPARE(contactChecked(), int(ContactNormallyOpen));
        QVERIFY(siren()->isChecked());
        QCOMPARE(edit("InpDataRepObjNumEd")->text(), QStringLiteral("7A2F"));
        QCOMPARE(edit("InpDataRepEvCodeEd")->text(), QStringLiteral("132"));
        QCOMPARE(partition()->currentText(), QStringLiteral("3"));
        prompts_.log.clear();
    }
};

QTEST_MAIN(InputsTest)
#include "inputs_test.moc"
