// The table of inputs 5..64 through its real widgets, standalone: a record, a door
// that counts its steps as an undo stack would, and the panel driven by keys.
#include "model/defaults.h"
#include "model/input_rules.h"
#include "ui/panels/inputtablepanel.h"

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionViewItem>
#include <QTest>

#include <memory>

using namespace tk;

namespace {

// Rows of the table are inputs 5..64; columns as model/input_table numbers them.
int rowOf(int input) {
    return input - kFirstTableInput;
}
int col(InputColumn c) {
    return static_cast<int>(c);
}

} // namespace

class InputTableTest : public QObject {
    Q_OBJECT

    Configuration record_;
    QStringList steps_; // the name of every door call that changed the record
    int calls_ = 0;
    std::unique_ptr<InputTablePanel> panel_;

    InputTableView& table() { return panel_->table(); }
    Input& input(int n) { return record_.Inputs.at(static_cast<std::size_t>(n)); }
    QLabel* label(const char* name) { return panel_->findChild<QLabel*>(QLatin1String(name)); }

    // The door as the editor keeps it: the change runs on a copy that replaces the
    // record only when it changed something.
    bool door(const QString& name, const InputTableModel::Change& change) {
        ++calls_;
        Configuration copy = record_;
        if (!change(copy)) {
            return false;
        }
        record_ = copy;
        steps_ << name;
        return true;
    }

    // The cell current and the only one selected, reached with an arrow key as a user
    // does (so Shift+arrows select from it).
    void goTo(int n, InputColumn c) {
        const bool first = rowOf(n) == 0;
        table().setCurrentIndex(table().model()->index(rowOf(n) + (first ? 1 : -1), col(c)));
        QTest::keyClick(&table(), first ? Qt::Key_Up : Qt::Key_Down);
    }
    // Shift+Down from the current cell: a selection down a column.
    void selectDown(int rows) {
        for (int i = 0; i < rows; ++i) {
            QTest::keyClick(&table(), Qt::Key_Down, Qt::ShiftModifier);
        }
    }
    QString cell(int n, InputColumn c) {
        return table().model()->index(rowOf(n), col(c)).data(Qt::EditRole).toString();
    }
    // The open cell editor: it has the focus.
    template <class T> T* editor() { return qobject_cast<T*>(QApplication::focusWidget()); }
    // Typing on a cell: the first key opens its edit, the others go into it.
    QLineEdit* typeOnCell(const QString& text) {
        QTest::keyClick(&table(), text.at(0).toLatin1());
        auto* edit = editor<QLineEdit>();
        if (edit != nullptr) {
            QTest::keyClicks(edit, text.mid(1));
        }
        return edit;
    }

private slots:
    void init() {
        setdefault(record_);
        record_.TelNum[2] = "333";
        record_.TelNum[3] = "444";
        ChooseZoneType(input(9), ZoneItemArmDisarm, 9);
        steps_.clear();
        calls_ = 0;
        panel_ = std::make_unique<InputTablePanel>(
            record_, [this](const QString& name, const InputTableModel::Change& change) {
                return door(name, change);
            });
        panel_->resize(900, 600);
        panel_->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
        table().setFocus();
        QTRY_VERIFY(table().hasFocus());
    }
    void cleanup() { panel_.reset(); }

    void showsTheColumnsAndTheRecord() {
        QAbstractItemModel* m = table().model();
        QCOMPARE(m->rowCount(), 60);
        QStringList captions;
        for (int c = 0; c < m->columnCount(); ++c) {
            captions << m->headerData(c, Qt::Horizontal).toString();
        }
        QCOMPARE(captions, (QStringList{"Вкл.", "Тип зоны", "Тип контактов", "Сирена", "Раздел",
                                        "Номер объекта", "Код события", "Тревожные звонки",
                                        "SMS тревоги", "SMS восстановления"}));
        QCOMPARE(m->headerData(0, Qt::Vertical).toString(), QStringLiteral("5"));
        QCOMPARE(m->headerData(59, Qt::Vertical).toString(), QStringLiteral("64"));
        QCOMPARE(cell(7, InputColumn::ZoneType), QStringLiteral("периметр"));
        QCOMPARE(cell(64, InputColumn::AlarmSms), QStringLiteral("1111 Тревога "));
        QCOMPARE(m->index(rowOf(7), col(InputColumn::Active)).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Unchecked));
        QVERIFY(m->index(rowOf(7), col(InputColumn::Active)).data(Qt::DisplayRole).isNull());
        // An arm/disarm zone has no siren, code or alarm calls to change.
        QVERIFY(!(m->flags(m->index(rowOf(9), col(InputColumn::Siren))) & Qt::ItemIsUserCheckable));
        QVERIFY(!(m->flags(m->index(rowOf(9), col(InputColumn::EvCode))) & Qt::ItemIsEditable));
        QVERIFY(m->flags(m->index(rowOf(8), col(InputColumn::EvCode))) & Qt::ItemIsEditable);
        QCOMPARE(m->index(rowOf(9), col(InputColumn::EvCode)).data(Qt::ForegroundRole),
                 QVariant(QColor(Qt::gray)));
        QVERIFY(m->index(rowOf(8), col(InputColumn::EvCode)).data(Qt::ForegroundRole).isNull());
        QCOMPARE(label("InputTableExtension")->text(),
                 QStringLiteral("Расширение: 0 блоков; передаются только удаленной записью"));
        QVERIFY(label("InputTableHint")->isHidden());
    }

    void arrowsMoveEnterMovesDownF2OnAFixedCellOpensNothing() {
        goTo(8, InputColumn::Siren);
        QTest::keyClick(&table(), Qt::Key_Right);
        QTest::keyClick(&table(), Qt::Key_Down);
        QCOMPARE(table().currentIndex().row(), rowOf(9));
        QCOMPARE(table().currentIndex().column(), col(InputColumn::Partition));
        QTest::keyClick(&table(), Qt::Key_Return);
        QCOMPARE(table().currentIndex().row(), rowOf(10));
        goTo(9, InputColumn::EvCode);
        QTest::keyClick(&table(), Qt::Key_F2);
        QVERIFY(table().hasFocus()); // no editor took it
        QTest::keyClick(&table(), Qt::Key_Space);
        QCOMPARE(calls_, 0);
    }

    void aChoiceCellEditedWithTheKeyboard() {
        goTo(7, InputColumn::Partition);
        QTest::keyClick(&table(), Qt::Key_F2);
        auto* combo = editor<QComboBox>();
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->currentText(), QStringLiteral("1"));
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Return);
        QTRY_COMPARE(input(7).Partition, 3);
        QCOMPARE(input(7).PartNum, 3);
        QCOMPARE(steps_, QStringList{QStringLiteral("Вход 7: Раздел")});
        QCOMPARE(calls_, 1);
        QTRY_COMPARE(table().currentIndex().row(), rowOf(8)); // Enter moved down
        QCOMPARE(cell(7, InputColumn::Partition), QStringLiteral("3"));
    }

    void contactListFollowsTheZoneType() {
        goTo(9, InputColumn::Contacts);
        QTest::keyClick(&table(), Qt::Key_F2);
        auto* combo = editor<QComboBox>();
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->count(), 2);
        QTest::keyClick(combo, Qt::Key_Up);
        QTest::keyClick(combo, Qt::Key_Return);
        QTRY_COMPARE(input(9).Flags, 0x00); // normally closed: no bit of 0x32
    }

    void typingOpensTheEditAndReplacesTheText() {
        goTo(6, InputColumn::ObjNum);
        QLineEdit* edit = typeOnCell(QStringLiteral("beef"));
        QVERIFY(edit != nullptr);
        QCOMPARE(edit->text(), QStringLiteral("beef"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(input(6).ObjNum, (std::array<std::int32_t, 2>{0xBE, 0xEF}));
        QCOMPARE(cell(6, InputColumn::ObjNum), QStringLiteral("BEEF"));
        QCOMPARE(calls_, 1);
    }

    void escapeDropsTheEdit() {
        goTo(6, InputColumn::AlarmSms);
        QTest::keyClick(&table(), Qt::Key_F2);
        auto* edit = editor<QLineEdit>();
        QVERIFY(edit != nullptr);
        QTest::keyClicks(edit, QStringLiteral("x"));
        QTest::keyClick(edit, Qt::Key_Escape);
        QTRY_VERIFY(table().hasFocus());
        QCOMPARE(calls_, 0);
        QCOMPARE(cell(6, InputColumn::AlarmSms), QStringLiteral("1111 Тревога "));
    }

    void aRefusedCellIsMarkedAndNamed() {
        const Input before = input(6);
        goTo(6, InputColumn::ObjNum);
        QLineEdit* edit = typeOnCell(QStringLiteral("12G4"));
        QVERIFY(edit != nullptr);
        QTest::keyClick(edit, Qt::Key_Enter);
        QTRY_VERIFY(label("InputTableHint")->isVisible());
        QCOMPARE(input(6), before);
        QCOMPARE(label("InputTableHint")->text(),
                 QStringLiteral("Вход 6, «Номер объекта»: «G» — не шестнадцатеричная цифра; "
                                "номер объекта — четыре цифры 0–9, A–F"));
        const QModelIndex refused = table().model()->index(rowOf(6), col(InputColumn::ObjNum));
        QCOMPARE(refused.data(Qt::BackgroundRole).value<QColor>(), QColor(0xFF, 0xD0, 0xD0));
        QVERIFY(refused.data(Qt::ToolTipRole).toString().contains(QStringLiteral("«G»")));
        QVERIFY(steps_.isEmpty());

        // The next step takes the marks away.
        goTo(6, InputColumn::ObjNum);
        edit = typeOnCell(QStringLiteral("1234"));
        QVERIFY(edit != nullptr);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(label("InputTableHint")->isHidden());
        QVERIFY(refused.data(Qt::BackgroundRole).isNull());
    }

    void aColumnSetForSelectedRowsIsOneStep() {
        goTo(5, InputColumn::ZoneType);
        selectDown(4); // inputs 5..9
        QTest::keyClick(&table(), Qt::Key_F2);
        auto* combo = editor<QComboBox>();
        QVERIFY(combo != nullptr);
        combo->setCurrentIndex(ZoneItemTwentyFourHour);
        QTest::keyClick(combo, Qt::Key_Return);
        QTRY_COMPARE(steps_.size(), 1);
        QCOMPARE(steps_.front(), QStringLiteral("Входы 5–9: Тип зоны"));
        for (int n = 5; n <= 9; ++n) {
            QCOMPARE(input(n).ZoneType, ZoneTwentyFourHour);
            QCOMPARE(input(n).EvCode, (std::array<std::int32_t, 2>{0x01, 0x30}));
        }
        QCOMPARE(input(10).ZoneType, ZonePerimeter);
    }

    void spaceTicksTheSelectedRowsAndTheLineCountsTheBlocks() {
        goTo(10, InputColumn::Active);
        selectDown(3); // inputs 10..13
        QTest::keyClick(&table(), Qt::Key_Space);
        QCOMPARE(calls_, 1);
        for (int n = 10; n <= 13; ++n) {
            QVERIFY(IsActivated(input(n)));
        }
        QCOMPARE(record_.ExtBlocksCount, 3);
        QCOMPARE(label("InputTableExtension")->text(),
                 QStringLiteral("Расширение: 3 блока; передаются только удаленной записью"));
        QCOMPARE(steps_, QStringList{QStringLiteral("Входы 10–13: Вкл.")});

        // Only input 13, the highest, off: back to 2 blocks.
        goTo(13, InputColumn::Active);
        QTest::keyClick(&table(), Qt::Key_Space);
        QVERIFY(!IsActivated(input(13)));
        QVERIFY(IsActivated(input(12)));
        QCOMPARE(record_.ExtBlocksCount, 2);
        QCOMPARE(label("InputTableExtension")->text(),
                 QStringLiteral("Расширение: 2 блока; передаются только удаленной записью"));
    }

    void aClickOnTheTickBoxActivatesOneInput() {
        const QModelIndex index = table().model()->index(rowOf(20), col(InputColumn::Active));
        table().scrollTo(index);
        QStyleOptionViewItem opt;
        opt.initFrom(table().viewport());
        opt.rect = table().visualRect(index);
        opt.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            table().style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, &table());
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, box.center());
        QVERIFY(IsActivated(input(20)));
        QCOMPARE(steps_, QStringList{QStringLiteral("Вход 20: Вкл.")});
        QCOMPARE(record_.ExtBlocksCount, 4);
    }

    void copyAndPasteRowsAsTabSeparatedText() {
        input(6).AlarmMask = 0x0C;
        panel_->recordChanged();
        goTo(5, InputColumn::Partition);
        QTest::keyClick(&table(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&table(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&table(), Qt::Key_Right, Qt::ShiftModifier);
        selectDown(1); // inputs 5..6, Раздел .. Тревожные звонки
        QTest::keyClick(&table(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("1\t1111\t130\t\n1\t1111\t130\t3 4\n"));

        QApplication::clipboard()->setText(QStringLiteral("2\tABCD\tE151\t4\n3\t00FF\t140\t3\n"));
        goTo(20, InputColumn::Partition);
        QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(calls_, 1);
        QCOMPARE(steps_, QStringList{QStringLiteral("Вставка: Вход 20")});
        QCOMPARE(input(20).Partition, 2);
        QCOMPARE(input(20).ObjNum, (std::array<std::int32_t, 2>{0xAB, 0xCD}));
        QCOMPARE(input(20).EvCode, (std::array<std::int32_t, 2>{0x01, 0x51}));
        QCOMPARE(input(20).AlarmMask, 0x08);
        QCOMPARE(input(21).Partition, 3);
        QCOMPARE(input(21).AlarmMask, 0x04);
        QVERIFY(label("InputTableHint")->isHidden());
    }

    void pasteRefusesCellByCellAndIsCutAtInput64() {
        QApplication::clipboard()->setText(
            QStringLiteral("периметр\tимпульс\nкосмос\tнормально разомкнуты\n"
                           "постановка/снятие\tнормально разомкнуты\n"));
        goTo(62, InputColumn::ZoneType);
        QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(calls_, 1);
        QCOMPARE(input(63).Flags, 0x10); // its zone refused, its contacts taken
        QCOMPARE(input(64).ZoneType, ZoneArmDisarm);
        QCOMPARE(label("InputTableHint")->text(),
                 QStringLiteral("Вход 62, «Тип контактов»: «импульс» — не тип контактов; у зоны "
                                "«периметр» контакты: нормально замкнуты, нормально разомкнуты, "
                                "шлейфовый резистор\n"
                                "Вход 63, «Тип зоны»: «космос» — не тип зоны; типы зоны: "
                                "вход/выход, проходная, периметр, круглосуточная, "
                                "постановка/снятие\n"
                                "Вход 64, «Тип контактов»: «нормально разомкнуты» не подходит к "
                                "типу зоны; у зоны «постановка/снятие» контакты: "
                                "нормально\u00A0замкнутые (снят с охраны), постановка/снятие "
                                "импульсом 0.5 сек"));
        QApplication::clipboard()->setText(QStringLiteral("да\nда\nда\n"));
        goTo(63, InputColumn::Active);
        QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(label("InputTableHint")->text(),
                 QStringLiteral("Вставка обрезана на входе 64: не вставлено строк: 1"));
        QCOMPARE(record_.ExtBlocksCount, 15);
    }

    void aLinePastedOverSelectedRowsGoesIntoEach() {
        QApplication::clipboard()->setText(QStringLiteral("Окно склада \n"));
        goTo(40, InputColumn::AlarmSms);
        selectDown(2);
        QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(calls_, 1);
        for (int n = 40; n <= 42; ++n) {
            QCOMPARE(cell(n, InputColumn::AlarmSms), QStringLiteral("Окно склада "));
        }
        QCOMPARE(cell(43, InputColumn::AlarmSms), QStringLiteral("1111 Тревога "));
    }

    void manyRefusalsAreCounted() {
        QString text;
        for (int i = 0; i < 12; ++i) {
            text += QStringLiteral("x\n");
        }
        QApplication::clipboard()->setText(text);
        goTo(5, InputColumn::Partition);
        QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
        const QStringList lines = label("InputTableHint")->text().split(u'\n');
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines.back(), QStringLiteral("всего отказов: 12, показаны первые 10"));
        QVERIFY(steps_.isEmpty());
    }

    void aDoorThatRunsTheChangeTwiceGetsOneSetOfRefusals() {
        // An editor may try a change on a copy first and then run it on the record.
        InputTablePanel panel(record_, [this](const QString&, const InputTableModel::Change& c) {
            Configuration trial = record_;
            c(trial);
            return c(record_);
        });
        QVERIFY(!panel.model().setColumn({rowOf(5), rowOf(6)}, col(InputColumn::Partition),
                                         QStringLiteral("7")));
        QCOMPARE(panel.model().lastRefusals().size(), 2);
        QVERIFY(
            panel.model().setColumn({rowOf(5)}, col(InputColumn::Partition), QStringLiteral("2")));
        QCOMPARE(input(5).Partition, 2);
        QVERIFY(panel.model().lastRefusals().isEmpty());
    }

    void aChangeBehindThePanelIsShown() {
        QApplication::clipboard()->setText(QStringLiteral("x\n"));
        goTo(5, InputColumn::Partition);
        QTest::keyClick(&table(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(label("InputTableHint")->isVisible());
        SetActivated(record_, 33, true); // as an undo or a file would
        input(33).Partition = 4;
        panel_->recordChanged();
        QCOMPARE(cell(33, InputColumn::Partition), QStringLiteral("4"));
        QCOMPARE(label("InputTableExtension")->text(),
                 QStringLiteral("Расширение: 8 блоков; передаются только удаленной записью"));
        QVERIFY(label("InputTableHint")->isHidden());
    }
};

QTEST_MAIN(InputTableTest)
#include "inputtable_test.moc"
