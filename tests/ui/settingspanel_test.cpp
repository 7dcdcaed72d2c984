// The controls every panel builds on: the spinner, the radio group and the checked
// edit, alone; and
// the pointing out of a refused key, in every panel of the real window.
#include "panel_support.h"
#include "ui/panels/settingspanel.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace tk;

class SettingsPanelTest : public test::WindowCase {
    Q_OBJECT

private slots:
    void cleanup() {
        if (f_.app) {
            f_.close();
        }
    }

    // A refused key is pointed out in the panel's hint, which covers no other control
    // and lets the click meant for the next control through; once the focus goes
    // there, the pink mark goes too.
    void refusedKeyHintTakesNoClick_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("next");
        const auto row = [](const char* view, const char* control, const char* typed,
                            const char* next) {
            QTest::newRow(control) << QString::fromUtf8(view) << QByteArray(control)
                                   << QString::fromUtf8(typed) << QByteArray(next);
        };
        row("Общие", "Panel000TxTlfNumEd", "a", "Panel000CommentsMemo");
        row("Общие", "Panel000TxSerialNumEd", "1234567890123456", "Panel000TxTlfNumEd");
        row("Постановка/Снятие", "ObjName1Edit", "g", "ObjName2Edit");
        row("Постановка/Снятие", "TimeOfInpEdit", "-", "TimeOfOutEdit");
        row("Постановка/Снятие", "TimeOfAlarmSecEdit", "x", "ArmWithOpenedDoorCb");
        row("Периодический тест", "TimeOfPTHrEdit", "x", "TimeOfPTMinEdit");
        row("Разное", "NumOfAttemptsCallMainComboBox", "x", "iSvingerComboBox");
        row("Вход 1", "InpPartNumComboBox", "x", "InpDataRepObjNumEd");
        row("Раздела 1", "Panel011_7PartNumComboBox", "x", "SGtelAD");
    }
    void refusedKeyHintTakesNoClick() {
        QFETCH(QString, view);
        QFETCH(QByteArray, control);
        QFETCH(QString, typed);
        QFETCH(QByteArray, next);
        f_.open();
        f_.click(qPrintable(view));
        QWidget* target = f_.get(control.constData());
        auto* combo = qobject_cast<QComboBox*>(target);
        QLineEdit* edit = combo != nullptr ? combo->lineEdit() : qobject_cast<QLineEdit*>(target);
        f_.typeInto(edit, QString());
        edit->end(false);
        test::keyText(edit, typed);
        QVERIFY2(!target->toolTip().isEmpty(), "not pointed out");

        QWidget* panel = target->parentWidget();
        while (qobject_cast<SettingsPanel*>(panel) == nullptr) {
            panel = panel->parentWidget();
        }
        QWidget* hint = f_.get(qPrintable(panel->objectName() + QStringLiteral("Hint")));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->property("text").toString(), target->toolTip());
        const QRect place = hint->geometry();
        QVERIFY(panel->rect().contains(place));
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            const bool leaf = w->findChildren<QWidget*>().isEmpty() || w == target ||
                              qobject_cast<QComboBox*>(w) != nullptr;
            if (w == hint || !leaf || !w->isVisible() || target->isAncestorOf(w)) {
                continue;
            }
            const QRect r(w->mapTo(panel, QPoint(0, 0)), w->size());
            QVERIFY2(!r.intersects(place), qPrintable(w->objectName()));
        }
        // The click meant for the next control reaches it.
        QWidget* nextControl = f_.get(next.constData());
        const QPoint centre = nextControl->mapTo(panel, nextControl->rect().center());
        QWidget* under = panel->childAt(centre);
        QVERIFY(under == nextControl || nextControl->isAncestorOf(under));
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(panel, centre));
        QTRY_VERIFY(nextControl->hasFocus() ||
                    nextControl->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(target->toolTip().isEmpty());
        QVERIFY(!hint->isVisible());
    }

    // The arrows move one step and never wrap; only a move emits; setPosition never.
    void upDownStepsWithinItsRangeOnly() {
        QWidget host;
        UpDown spinner(0, 2, &host);
        spinner.resize(16, 32);
        QLineEdit edit(&host);
        spinner.attachKeys(&edit);
        host.show();
        QSignalSpy clicked(&spinner, &UpDown::clicked);
        QSignalSpy ups(&spinner, &UpDown::upClicked);
        QSignalSpy downs(&spinner, &UpDown::downClicked);

        spinner.setPosition(7);
        QCOMPARE(spinner.position(), 2);
        QCOMPARE(clicked.count(), 0);
        QTest::mouseClick(spinner.upButton(), Qt::LeftButton);
        QCOMPARE(spinner.position(), 2);
        QCOMPARE(clicked.count(), 0);
        QTest::mouseClick(spinner.downButton(), Qt::LeftButton);
        QTest::keyClick(&edit, Qt::Key_Down);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(spinner.position(), 0);
        QCOMPARE(downs.count(), 2);
        QTest::keyClick(&edit, Qt::Key_PageUp);
        QCOMPARE(spinner.position(), 1);
        QCOMPARE(ups.count(), 1);
        QCOMPARE(clicked.count(), 3);
        QVERIFY(spinner.upButton()->focusPolicy() == Qt::NoFocus);
    }

    void radioGroupReportsClicksNotFills() {
        QWidget host;
        RadioGroup group(QStringLiteral("Тип"), {"a", "b", "c"}, 2, &host);
        host.show();
        QSignalSpy clicked(&group, &RadioGroup::clicked);
        QCOMPARE(group.count(), 3);
        QCOMPARE(group.itemIndex(), -1);
        group.setItemIndex(2);
        QCOMPARE(group.itemIndex(), 2);
        group.setItemIndex(-1);
        QCOMPARE(group.itemIndex(), -1);
        QVERIFY(!group.button(2)->isChecked());
        QCOMPARE(clicked.count(), 0);
        QTest::mouseClick(group.button(1), Qt::LeftButton);
        QCOMPARE(group.itemIndex(), 1);
        QCOMPARE(clicked.count(), 1);
    }

    // The checked edit alone: what it lets in, what it tells, and that a note of a cut
    // paste outlives the paste's own change while typing on clears it.
    void checkedEditTellsEveryRefusal_data() {
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("refusals");
        QTest::addColumn<int>("typedOn");
        const QString digits = QStringLiteral("Допустимы только символы 0123456789");
        QTest::newRow("key outside the set") << 0 << "0123456789"
                                             << "1a2"
                                             << ""
                                             << "12" << QStringList{digits} << 2;
        QTest::newRow("paste keeps the set") << 0 << "0123456789"
                                             << ""
                                             << "+7 (916)"
                                             << "7916" << QStringList{digits} << 0;
        QTest::newRow("too long") << 3 << ""
                                  << "abcd"
                                  << ""
                                  << "abc" << QStringList{QStringLiteral("Не более 3 символов.")}
                                  << 3;
        QTest::newRow("no Windows-1251 byte")
            << 0 << ""
            << "a✓"
            << ""
            << "a"
            << QStringList{QStringLiteral(
                   "Символ «✓» нельзя сохранить: его нет в кодировке Windows-1251.")}
            << 1;
    }
    void checkedEditTellsEveryRefusal() {
        QFETCH(int, maxLength);
        QFETCH(QString, allowed);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QWidget host;
        QLineEdit edit(&host);
        bool filling = true;
        auto* checked = new CheckedEdit(&edit, maxLength, allowed, [&] { return filling; });
        QStringList refusals;
        connect(checked, &CheckedEdit::refused, &host,
                [&](const QString& reason) { refusals << reason; });
        QSignalSpy typedOn(checked, &CheckedEdit::typedOn);
        host.show();
        edit.setText(QStringLiteral("x✓-") + typed); // a fill takes the text as it is
        QCOMPARE(edit.text(), QStringLiteral("x✓-") + typed);
        edit.clear();
        filling = false;
        test::keyText(&edit, typed);
        if (!pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(pasted);
            edit.paste();
        }
        QTEST(edit.text(), "shown");
        QTEST(refusals, "refusals");
        QTEST(static_cast<int>(typedOn.count()), "typedOn");
    }

    void recordTextsRoundTripAndNameTheRefusedCharacter() {
        const QString russian = QStringLiteral("Тревога №1 «склад» €");
        const std::optional<Text> bytes = toRecordText(russian);
        QVERIFY(bytes.has_value());
        QCOMPARE(bytes->size(), static_cast<std::size_t>(russian.size()));
        QCOMPARE(fromRecordText(*bytes), russian);
        char32_t bad = 0;
        QVERIFY(!toRecordText(QStringLiteral("ab✓"), &bad));
        QCOMPARE(bad, U'✓');
        QVERIFY(!toRecordText(QStringLiteral("x😀"), &bad));
        QCOMPARE(bad, U'😀');
    }
};

QTEST_MAIN(SettingsPanelTest)
#include "settingspanel_test.moc"
