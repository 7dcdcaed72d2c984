// Undo and Redo through the real window: an edit of each kind of control, undone from
// another view and made again; the change mark against the saved step; the history
// that New and Open start anew.
#include "panel_support.h"
#include "ui/widgets/tickgrid.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

#include <functional>

using namespace tk;
using tk::test::child;
using tk::test::PanelFixture;

namespace {

const QString kUndo = QStringLiteral("&Отменить");
const QString kRedo = QStringLiteral("&Повторить");

// One edit as the user makes it: the view it is made in, what is done there, the
// step name the menu shows, and a control whose text shows the field.
struct EditCase {
    const char* row;
    const char* node;
    std::function<void(PanelFixture&)> edit;
    const char* step;
    const char* shown; // a line edit showing the field, or nullptr
};

void clickButton(PanelFixture& f, const char* name) {
    auto* b = f.get<QAbstractButton>(name);
    QVERIFY2(b != nullptr && b->isVisible(), name);
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

const std::vector<EditCase>& editCases() {
    static const std::vector<EditCase> cases = {
        {"line edit", "Общие",
         [](PanelFixture& f) {
             f.typeInto(f.get<QLineEdit>("Panel000TxSerialNumEd"), QStringLiteral("ТК-42"));
         },
         "Серийный номер", "Panel000TxSerialNumEd"},
        {"spinner", "Постановка/Снятие",
         [](PanelFixture& f) { clickButton(f, "TimeOfInpUpDownUp"); }, "Задержка на вход",
         "TimeOfInpEdit"},
        {"typed number", "Постановка/Снятие",
         [](PanelFixture& f) { f.typeInto(f.get<QLineEdit>("TimeOfAlarmMinEdit"), "7"); },
         "Время звучания сирены", "TimeOfAlarmMinEdit"},
        {"radio click", "Вход 2",
         [](PanelFixture& f) { clickButton(f, "Panel100InpZoneTypeRGrp_0"); }, "Тип зоны",
         "InpDataRepEvCodeEd"},
        {"check box", "Разное", [](PanelFixture& f) { clickButton(f, "EnCyrillicCb"); },
         "Тексты SMS на русском", nullptr},
        {"grid tick", "Системных событий",
         [](PanelFixture& f) {
             auto* g = f.get<TickGrid>("SGtel0");
             QTest::mouseClick(g, Qt::LeftButton, {}, g->cellRect(2, 0).center());
         },
         "Телефоны отчетов", nullptr},
        {"object number and its texts", "Постановка/Снятие",
         [](PanelFixture& f) {
             f.typeInto(f.get<QLineEdit>("ObjName1Edit"), "7");
             f.typeInto(f.get<QLineEdit>("ObjName3Edit"), "c");
         },
         "Номер объекта", "ObjName1Edit"},
        {"table cell", "Входы 5–64",
         [](PanelFixture& f) { f.typeIntoCell(7, InputColumn::ObjNum, "2345"); },
         "Вход 7: Номер объекта", nullptr},
    };
    return cases;
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT

    PanelFixture f_;

    QAction* undo() { return f_.get<QAction>("Undo1"); }
    QAction* redo() { return f_.get<QAction>("Redo1"); }
    QString caption() { return f_.window().windowTitle(); }
    void trigger(QAction* a) {
        QVERIFY(a->isEnabled());
        a->trigger();
    }

private slots:
    void initTestCase() { QVERIFY(f_.prepare()); }
    void init() {
        f_.open();
        // A telephone, so that the system events grid has enabled cells.
        f_.record().TelNum[0] = "+79001234567";
    }
    void cleanup() { f_.close(); }

    void editUndoRedo_data() {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < editCases().size(); ++i) {
            QTest::newRow(editCases()[i].row) << static_cast<int>(i);
        }
    }
    // Each edit is one step named in the menu and on the button; Undo from another
    // view shows the edit's view with the record as it was, unchanged again; Redo
    // makes it again, changed.
    void editUndoRedo() {
        QFETCH(int, index);
        const EditCase& c = editCases()[static_cast<std::size_t>(index)];
        f_.click(c.node);
        QVERIFY(!undo()->isEnabled() && !redo()->isEnabled());
        const Configuration before = f_.record();
        const QString shownBefore = c.shown ? f_.get<QLineEdit>(c.shown)->text() : QString();
        c.edit(f_);
        f_.click("Вход 4"); // another view; leaving finishes the edit
        const Configuration after = f_.record();
        QVERIFY(!(after == before));
        QVERIFY(f_.changed());
        const QString step = QString::fromUtf8(c.step);
        QCOMPARE(undo()->text(), kUndo + QStringLiteral(": ") + step);
        QCOMPARE(f_.get<QToolButton>("ToolButton11")->toolTip(),
                 QStringLiteral("Отменить: ") + step);
        QVERIFY(!redo()->isEnabled());

        trigger(undo());
        QVERIFY(f_.record() == before);
        QVERIFY(!f_.changed());
        QVERIFY(!caption().contains(u'*'));
        QVERIFY(!undo()->isEnabled()); // the edit was one step
        QCOMPARE(redo()->text(), kRedo + QStringLiteral(": ") + step);
        QCOMPARE(f_.tree().currentItem()->text(0), QString::fromUtf8(c.node));
        if (c.shown != nullptr) {
            QCOMPARE(f_.get<QLineEdit>(c.shown)->text(), shownBefore);
            QVERIFY(f_.get<QLineEdit>(c.shown)->isVisible());
        }

        f_.click("Разное");
        trigger(redo());
        QVERIFY(f_.record() == after);
        QVERIFY(f_.changed());
        QVERIFY(caption().contains(u'*'));
        QCOMPARE(f_.tree().currentItem()->text(0), QString::fromUtf8(c.node));
        QVERIFY(!redo()->isEnabled());
        QCOMPARE(undo()->text(), kUndo + QStringLiteral(": ") + step);
    }

    // Ctrl+Z and Ctrl+Y in the table take a tick (with the extension blocks it raised)
    // back and make it again; the table shows it and keeps the keyboard.
    void tableKeysUndoAndRedo() {
        f_.click("Входы 5–64");
        QTableView* table = f_.inputTable();
        auto* line = f_.get<QLabel>("InputTableExtension");
        f_.goToCell(9, InputColumn::Active);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(f_.record().ExtBlocksCount, 2);
        QCOMPARE(line->text(),
                 QStringLiteral("Расширение: 2 блока; передаются только удаленной записью"));
        QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f_.record().Inputs[9].Flags & 1, 0);
        QCOMPARE(line->text(),
                 QStringLiteral("Расширение: 0 блоков; передаются только удаленной записью"));
        QTRY_VERIFY(table->hasFocus());
        QTest::keyClick(table, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(table->currentIndex().data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(f_.record().ExtBlocksCount, 2);
    }

    // The object number's step carries the texts it regenerated: undone, they are
    // the old ones again; made again, the new ones.
    void objectNumberStepCarriesItsTexts() {
        f_.click("Постановка/Снятие");
        f_.typeInto(f_.get<QLineEdit>("ObjName1Edit"), "7");
        f_.click("Разное");
        QCOMPARE(f_.record().ObjNum, 0x7111);
        QVERIFY(f_.record().ArmSMSText.starts_with("7111"));
        QVERIFY(f_.record().Inputs[64].AlarmSMSText.starts_with("7111"));
        trigger(undo());
        QCOMPARE(f_.record().ObjNum, 0x1111);
        QVERIFY(f_.record().ArmSMSText.starts_with("1111"));
        QVERIFY(f_.record().Inputs[64].AlarmSMSText.starts_with("1111"));
        QCOMPARE(f_.window().panelContext().editor().ObjNumChanged, 0);
        trigger(redo());
        QVERIFY(f_.record().Inputs[64].AlarmSMSText.starts_with("7111"));
        QCOMPARE(f_.window().panelContext().editor().ObjNumChanged, 0);
    }

    // Ctrl+Z and Ctrl+Y typed in an edit are the window's, not the edit's own; typing
    // after a command is a step of its own.
    void keysInAnEdit() {
        f_.click("Общие");
        QLineEdit* serial = f_.get<QLineEdit>("Panel000TxSerialNumEd");
        f_.typeInto(serial, QStringLiteral("AB"));
        f_.click("Общие");
        serial->setFocus();
        QTest::keyClick(serial, Qt::Key_End);
        QTest::keyClicks(serial, QStringLiteral("C"));
        QCOMPARE(f_.record().TxSerialNum, "ABC");
        QTest::keyClick(serial, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f_.record().TxSerialNum, "AB");
        QCOMPARE(serial->text(), QStringLiteral("AB"));
        QTest::keyClick(serial, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f_.record().TxSerialNum, "");
        QTest::keyClick(serial, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f_.record().TxSerialNum, "AB");
        QTest::keyClick(serial, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(serial->text(), QStringLiteral("ABC"));
    }

    // Undone back to the saved step the mark goes; one step off it, in either
    // direction, it is back.
    void savedStepIsUnchanged() {
        f_.click("Постановка/Снятие");
        clickButton(f_, "TimeOfInpUpDownUp");
        f_.saveAs(f_.scratch.filePath(QStringLiteral("saved.t61")));
        QVERIFY(!f_.changed());
        QVERIFY(undo()->isEnabled()); // Save keeps the history
        QSignalSpy marks(&f_.window().editor(), &Editor::changed);
        clickButton(f_, "TimeOfOutUpDownUp");
        QVERIFY(f_.changed());
        trigger(undo());
        QVERIFY(!f_.changed());
        QVERIFY(!caption().contains(u'*'));
        trigger(undo());
        QVERIFY(f_.changed());
        QVERIFY(caption().contains(u'*'));
        trigger(redo());
        QVERIFY(!f_.changed());
        trigger(redo());
        QVERIFY(f_.changed());
        QList<bool> told;
        for (const QList<QVariant>& signal : marks) {
            told << signal.at(0).toBool();
        }
        QCOMPARE(told, (QList<bool>{true, false, true, false, true}));
    }

    void newHistory_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("Новый") << false;
        QTest::newRow("Открыть") << true;
    }
    // New and Open start a new history: nothing to undo or redo.
    void newHistory() {
        QFETCH(bool, open);
        const QString path = f_.scratch.filePath(QStringLiteral("other.t61"));
        f_.saveAs(path);
        f_.click("Постановка/Снятие");
        clickButton(f_, "TimeOfInpUpDownUp");
        clickButton(f_, "TimeOfInpUpDownUp");
        trigger(undo());
        QVERIFY(undo()->isEnabled() && redo()->isEnabled());
        f_.prompts.answers = {Prompts::Answer::No};
        f_.prompts.files = {path};
        f_.get<QAction>(open ? "Open1" : "New1")->trigger();
        QVERIFY(!undo()->isEnabled());
        QVERIFY(!redo()->isEnabled());
        QCOMPARE(undo()->text(), kUndo);
        QVERIFY(!f_.changed());
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
