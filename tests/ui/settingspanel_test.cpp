// The controls every panel builds on: the spinner and the radio group, alone.
#include "ui/panels/settingspanel.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace tk;

class SettingsPanelTest : public QObject {
    Q_OBJECT

private slots:
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

    void recordTextsRoundTripAndNameTheRefusedCharacter() {
        const QString russian = QStringLiteral("Тревога №1 «склад» €");
        const std::optional<Text> bytes = SettingsPanel::toRecordText(russian);
        QVERIFY(bytes.has_value());
        QCOMPARE(bytes->size(), static_cast<std::size_t>(russian.size()));
        QCOMPARE(SettingsPanel::fromRecordText(*bytes), russian);
        QString bad;
        QVERIFY(!SettingsPanel::toRecordText(QStringLiteral("ab✓"), &bad));
        QCOMPARE(bad, QStringLiteral("✓"));
        QVERIFY(!SettingsPanel::toRecordText(QStringLiteral("x😀"), &bad));
        QCOMPARE(bad, QStringLiteral("😀"));
    }
};

QTEST_MAIN(SettingsPanelTest)
#include "settingspanel_test.moc"
