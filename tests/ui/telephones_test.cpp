// The report telephone tables through the real window: the list with its dialog, the
// three tick grids, their enabled cells, clicks and keys, drawing, hints and the
// partition selector; and one routing from the window into a saved file.
#include "panel_support.h"
#include "ui/panels/telephonepanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using namespace tk;
using tk::test::child;

namespace {

const char* const kAllTelephones[] = {"111", "222", "333", "444", "555", "666"};

} // namespace

class TelephonesTest : public test::WindowCase {
    Q_OBJECT

    bool guardHeld() { return fillGuard(); }
    TickGrid& grid(const char* name) { return *child<TickGrid>(window(), name); }
    QComboBox& partitionCombo() { return *child<QComboBox>(window(), "Panel011_7PartNumComboBox"); }

    void show(const char* text) { click(text); }

    void setTelephones(std::initializer_list<int> telephones) {
        for (auto& tel : record().TelNum) {
            tel.clear();
        }
        for (int t : telephones) {
            record().TelNum[static_cast<std::size_t>(t - 1)] = kAllTelephones[t - 1];
        }
    }

    static void clickCell(TickGrid& g, int col, int row) {
        QTest::mouseClick(&g, Qt::LeftButton, {}, g.cellRect(col, row).center());
    }

    // The grid as the user sees it, row by row: "#" a grey cell, "x" a tick, "." an
    // empty white cell.
    static QString picture(TickGrid& g) {
        QString s;
        for (int row = 0; row < g.rows(); ++row) {
            for (int col = 0; col < g.columns(); ++col) {
                if (!g.cellEnabled(col, row)) {
                    s += u'#';
                } else {
                    s += g.cellText(col, row) == QStringLiteral("x") ? u'x' : u'.';
                }
            }
            s += u'/';
        }
        return s;
    }

    // Answers the telephone dialog as soon as it is shown: its number is emptied (unless
    // `overSelection`: typed over the number as the dialog selects it), `typed` is
    // typed, and the dialog is closed with OK (or Cancel when `ok` is false).
    void answerTelephoneDialog(const QString& typed, bool ok, bool overSelection, bool& shown) {
        shown = false;
        QTimer::singleShot(0, this, [=, &shown] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal->objectName() != QStringLiteral("TForm2")) {
                return;
            }
            shown = true;
            auto* edit = child<QLineEdit>(*modal, "Edit1");
            if (!overSelection) {
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
            }
            QTest::keyClicks(edit, typed);
            QTest::mouseClick(child(*modal, ok ? "Button1" : "Button2"), Qt::LeftButton);
        });
    }

    // Double-clicks telephone k in the list and answers the dialog.
    void editTelephone(int k, const QString& typed, bool ok = true, bool overSelection = false) {
        auto& list = *child<QTableWidget>(window(), "LVtel");
        const QRect rect = list.visualItemRect(list.item(k, 0));
        bool shown = false;
        answerTelephoneDialog(typed, ok, overSelection, shown);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(shown);
    }

    void typeIntoCombo(const QString& text) {
        QLineEdit* edit = partitionCombo().lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

private slots:
    void init() { open(); }

    void cleanup() {
        QVERIFY2(prompts_.log.isEmpty(), qPrintable(prompts_.log.join(u'|')));
        if (app_) {
            QVERIFY(!guardHeld());
            app_.reset();
        }
    }

    void headerTexts() {
        const std::pair<const char*, const char*> labels[] = {
            {"Panel011Label1", "|Неисправность"},
            {"Panel011Label2", "|   Батареи  |"},
            {"Panel011Label3", "|                  |"},
            {"Panel011Label4", "|   DialUp  |  Alarm   |  DialUp  |  Alarm   |"},
            {"Panel011Label5", "|Период. тест |"},
            {"Panel011_3Label1", "|      DialUp     |       ALARM     |"},
            {"Panel011_7Label1", "|      DialUp      |      ALARM    |"},
            {"Panel011_7PartNumLabel", "Раздел №"},
        };
        for (const auto& [name, text] : labels) {
            QCOMPARE(child<QLabel>(window(), name)->text(), QString::fromUtf8(text));
        }
        QCOMPARE(child(window(), "LVtel")->toolTip(),
                 QStringLiteral("Двойной щелчок для редактирования списка телефонов"));
        QCOMPARE(child(window(), "Panel011_1")->toolTip(), child(window(), "LVtel")->toolTip());
        // The input the grids show is the editor's state, 5 before any grid was shown.
        QCOMPARE(window().panelContext().panelState().TelInput, 5);
    }

    void cellsByTelephoneAndZone_data() {
        QTest::addColumn<QList<int>>("telephones");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("input1");
        QTest::addColumn<QString>("input4");
        QTest::addColumn<QString>("partition");
        QTest::newRow("all empty") << QList<int>{} << "####/####/####/####/####/####/"
                                   << "##/##/##/##/##/##/"
                                   << "##/##/##/##/##/##/"
                                   << "##/##/##/##/##/##/";
        QTest::newRow("only telephone 3") << QList<int>{3} << "####/####/####/####/####/####/"
                                          << "##/##/#x/##/##/##/"
                                          << "##/##/##/##/##/##/"
                                          << "##/##/##/##/##/##/";
        // Input 4 is an arm/disarm zone from the factory: grey whole, ticks hidden.
        QTest::newRow("all set") << QList<int>{1, 2, 3, 4, 5, 6} << "x#x#/.#x#/####/####/####/####/"
                                 << "x#/.#/#x/#./#./#./"
                                 << "##/##/##/##/##/##/"
                                 << "x#/.#/##/##/##/##/";
    }

    // Every cell of every grid is clicked: only the enabled ones take a tick.
    void cellsByTelephoneAndZone() {
        QFETCH(QList<int>, telephones);
        QFETCH(QString, events);
        QFETCH(QString, input1);
        QFETCH(QString, input4);
        QFETCH(QString, partition);
        setTelephones({});
        for (int t : telephones) {
            record().TelNum[static_cast<std::size_t>(t - 1)] = kAllTelephones[t - 1];
        }
        QCOMPARE(record().Inputs[4].ZoneType, std::int32_t{ZoneArmDisarm});
        record().SysEvDcDialUpMask = 0x3D;
        record().SysEvPtDialUpMask = 0x3F;
        record().Inputs[1].DialUpMask = 0x01;
        record().Inputs[1].AlarmMask = 0x04;
        record().Inputs[4].DialUpMask = 0x3F;
        record().Inputs[4].AlarmMask = 0x3F;
        record().Partitions[0].DialUpMask = 0x01;

        const struct {
            const char* node;
            const char* grid;
            QString expected;
        } views[] = {{"Системных событий", "SGtel0", events},
                     {"Входа 1", "SGtelN", input1},
                     {"Входа 4", "SGtelN", input4},
                     {"Постановки/Снятия", "SGtelAD", partition}};
        for (const auto& v : views) {
            show(v.node);
            TickGrid& g = grid(v.grid);
            QVERIFY2(g.isVisible(), v.node);
            const QString& expected = v.expected;
            QCOMPARE(picture(g), expected);
            QVERIFY(!changed()); // showing never marks

            // Clicking every cell flips exactly the enabled ones.
            for (int row = 0; row < g.rows(); ++row) {
                for (int col = 0; col < g.columns(); ++col) {
                    clickCell(g, col, row);
                }
            }
            QString flipped;
            for (const QChar c : expected) {
                flipped += c == u'x' ? u'.' : c == u'.' ? u'x' : c;
            }
            QCOMPARE(picture(g), flipped);
            QCOMPARE(changed(), expected.contains(u'x') || expected.contains(u'.'));
            window().document().updt1(false);
        }
    }

    void clicksWriteTheMasks() {
        setTelephones({1, 2, 3, 4, 5, 6});
        record().Inputs[2].DialUpMask = 0x41; // telephone 1 and bit 6
        record().Inputs[2].AlarmMask = 0x08;
        show("Входа 2");
        TickGrid& g = grid("SGtelN");
        QCOMPARE(picture(g), QStringLiteral("x#/.#/#./#x/#./#./"));
        clickCell(g, 1, 5); // telephone 6, ALARM
        QCOMPARE(record().Inputs[2].AlarmMask, 0x28);
        QVERIFY(changed());
        clickCell(g, 0, 0); // untick telephone 1, DialUp; bit 6 stays
        QCOMPARE(record().Inputs[2].DialUpMask, 0x40);
        QCOMPARE(picture(g), QStringLiteral(".#/.#/#./#x/#./#x/"));

        window().document().updt1(false);
        show("Системных событий");
        clickCell(grid("SGtel0"), 2, 1);
        QCOMPARE(record().SysEvPtDialUpMask, 0x02);
        QVERIFY(changed());

        show("Раздела 4");
        clickCell(grid("SGtelAD"), 0, 1);
        QCOMPARE(record().Partitions[3].DialUpMask, 0x02);
        QCOMPARE(record().Partitions[0].DialUpMask, 0);
    }

    void emptiedTelephoneKeepsItsBitUntilTheNextClick() {
        setTelephones({1, 2});
        record().Inputs[1].DialUpMask = 0x01;
        record().SysEvDcDialUpMask = 0x01;
        show("Входа 1");
        TickGrid& g = grid("SGtelN");
        QCOMPARE(picture(g), QStringLiteral("x#/.#/##/##/##/##/"));

        editTelephone(0, QString());
        QCOMPARE(record().TelNum[0], Text());
        QCOMPARE(child<QTableWidget>(window(), "LVtel")->item(0, 0)->text(), QString());
        QVERIFY(changed());
        QCOMPARE(picture(g), QStringLiteral("##/.#/##/##/##/##/"));
        QCOMPARE(record().Inputs[1].DialUpMask, 0x01); // not yet

        clickCell(g, 0, 0); // grey: nothing
        QCOMPARE(record().Inputs[1].DialUpMask, 0x01);
        clickCell(g, 0, 1);
        QCOMPARE(record().Inputs[1].DialUpMask, 0x02);
        QCOMPARE(record().SysEvDcDialUpMask, 0x01); // another grid
    }

    void telephoneDialogSetsAndCancels() {
        setTelephones({});
        show("Входа 3");
        // "#" has no nibble in the packed number: the dialog does not take it.
        editTelephone(3, QStringLiteral("+7900*1#"));
        QCOMPARE(record().TelNum[3], Text("+7900*1"));
        QCOMPARE(child<QTableWidget>(window(), "LVtel")->item(3, 0)->text(),
                 QStringLiteral("+7900*1"));
        QCOMPARE(picture(grid("SGtelN")), QStringLiteral("##/##/##/#./##/##/"));
        QVERIFY(changed());

        window().document().updt1(false);
        editTelephone(3, QStringLiteral("555"), false);
        QCOMPARE(record().TelNum[3], Text("+7900*1"));
        QVERIFY(!changed());

        // Sixteen characters stay readable in the list: drawn whole, and in the tool tip.
        editTelephone(0, QStringLiteral("54+0686+*1234567"));
        auto& list = *child<QTableWidget>(window(), "LVtel");
        QTableWidgetItem* item = list.item(0, 0);
        QCOMPARE(item->text(), QStringLiteral("54+0686+*1234567"));
        QVERIFY(item->toolTip().startsWith(QStringLiteral("54+0686+*1234567\n")));
        QVERIFY(QFontMetrics(item->font()).horizontalAdvance(item->text()) + 10 <=
                list.visualItemRect(item).width());
    }

    void listKeysAndEmptyPlaces() {
        setTelephones({});
        show("Входа 1");
        auto& list = *child<QTableWidget>(window(), "LVtel");
        const QPoint below(10, list.viewport()->height() - 2);
        QVERIFY(list.itemAt(below) == nullptr);
        bool shown = false;
        answerTelephoneDialog(QStringLiteral("9"), true, false, shown);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, below);
        QTest::qWait(20); // the answer finds no dialog
        QVERIFY(!shown);
        QCOMPARE(record().TelNum[0], Text());
        QVERIFY(!changed());

        // Enter on the selected telephone opens the dialog too.
        list.setFocus();
        list.setCurrentCell(2, 0);
        answerTelephoneDialog(QStringLiteral("42"), true, false, shown);
        QTest::keyClick(&list, Qt::Key_Return);
        QVERIFY(shown);
        QCOMPARE(record().TelNum[2], Text("42"));
        QCOMPARE(picture(grid("SGtelN")), QStringLiteral("##/##/#./##/##/##/"));
        QVERIFY(changed());
    }

    // Closing and deleting the window with a refused text in the selector.
    void closingWithARefusedPartitionText() {
        show("Постановки/Снятия");
        typeIntoCombo(QStringLiteral("x"));
        QVERIFY(partitionCombo().lineEdit()->hasFocus());
        QVERIFY(window().close());
        QCOMPARE(partitionCombo().currentText(), QStringLiteral("1"));
        QVERIFY(!guardHeld());
        app_.reset();
    }

    void fullNumberIsTypedOverInTheDialog() {
        record().TelNum[5] = "1234567890123456";
        show("Входа 2");
        editTelephone(5, QStringLiteral("77"), true, true);
        QCOMPARE(record().TelNum[5], Text("77"));
        // Past 16 characters nothing more is taken.
        editTelephone(5, QStringLiteral("12345678901234567"));
        QCOMPARE(record().TelNum[5], Text("1234567890123456"));
    }

    void arrowKeysOnlyMoveAndSpaceTicks() {
        setTelephones({1, 2, 3, 4, 5, 6});
        show("Входа 1");
        TickGrid& g = grid("SGtelN");
        g.setFocus();
        QVERIFY(g.hasFocus());
        const Configuration before = record();
        for (Qt::Key key :
             {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Up, Qt::Key_Left,
              Qt::Key_Right, Qt::Key_Down, Qt::Key_End, Qt::Key_Home, Qt::Key_Right}) {
            QTest::keyClick(&g, key);
        }
        QCOMPARE(g.currentCell(), QPoint(1, 3));
        QVERIFY(record() == before);
        QVERIFY(!changed());
        QCOMPARE(picture(g), QStringLiteral(".#/.#/#./#./#./#./"));

        QTest::keyClick(&g, Qt::Key_Space);
        QCOMPARE(record().Inputs[1].AlarmMask, 0x08);
        QVERIFY(changed());
        QTest::keyClick(&g, Qt::Key_Space);
        QCOMPARE(record().Inputs[1].AlarmMask, 0);
        QTest::keyClick(&g, Qt::Key_Left); // onto a grey cell: Space does nothing
        window().document().updt1(false);
        QTest::keyClick(&g, Qt::Key_Space);
        QVERIFY(!changed());
    }

    void partitionSelector() {
        setTelephones({1, 2});
        record().Partitions[2].DialUpMask = 0x02;
        show("Постановки/Снятия");
        QCOMPARE(partitionCombo().currentText(), QStringLiteral("1"));
        QCOMPARE(picture(grid("SGtelAD")), QStringLiteral(".#/.#/##/##/##/##/"));

        typeIntoCombo(QStringLiteral("3"));
        QCOMPARE(window().panelContext().editor().CurPartition, 2);
        QCOMPARE(picture(grid("SGtelAD")), QStringLiteral(".#/x#/##/##/##/##/"));
        QVERIFY(partitionCombo().lineEdit()->hasFocus()); // the user may go on typing
        QVERIFY(!changed());

        // Texts that are no partition, the empty one included: view and record stay,
        // the selector is pointed out, no message box. A number outside 1..4 gives way
        // to the partition shown at once; any other text stays while the user types.
        const std::pair<QString, QString> refused[] = {{QStringLiteral("7"), QStringLiteral("3")},
                                                       {QStringLiteral("-1"), QStringLiteral("3")},
                                                       {QStringLiteral("x"), QStringLiteral("x")},
                                                       {QString(), QString()}};
        for (const auto& [bad, shown] : refused) {
            typeIntoCombo(bad);
            QCOMPARE(partitionCombo().currentText(), shown);
            QCOMPARE(window().panelContext().editor().CurPartition, 2);
            QCOMPARE(picture(grid("SGtelAD")), QStringLiteral(".#/x#/##/##/##/##/"));
            QVERIFY(!partitionCombo().toolTip().isEmpty());
            QVERIFY(!guardHeld());
        }
        // A click meanwhile goes to the partition shown.
        clickCell(grid("SGtelAD"), 0, 0);
        QCOMPARE(record().Partitions[2].DialUpMask, 0x03);
        QCOMPARE(record().Partitions[0].DialUpMask, 0);
        // Once the user leaves the selector it shows the partition again.
        QCOMPARE(partitionCombo().currentText(), QStringLiteral("3"));
        QVERIFY(partitionCombo().toolTip().isEmpty());

        // Choosing from the list works too, and another view resets the selector.
        partitionCombo().setFocus();
        QTest::keyClick(&partitionCombo(), Qt::Key_Down);
        QCOMPARE(window().panelContext().editor().CurPartition, 3);
        show("Раздела 2");
        QCOMPARE(partitionCombo().currentText(), QStringLiteral("2"));
        QCOMPARE(window().panelContext().editor().CurPartition, 1);
    }

    void drawing() {
        setTelephones({1, 2});
        record().SysEvDcDialUpMask = 0x01;
        record().Inputs[1].DialUpMask = 0x01;
        const struct {
            const char* node;
            const char* grid;
            int offset;
        } views[] = {{"Системных событий", "SGtel0", 10}, {"Входа 1", "SGtelN", 30}};
        for (const auto& v : views) {
            show(v.node);
            TickGrid& g = grid(v.grid);
            const QImage image = g.grab().toImage();
            const QColor buttonFace = g.palette().color(QPalette::Button);
            // Ticked white cell: green text starting `offset` pixels in, 2 below the top.
            const QRect ticked = g.cellRect(0, 0);
            int firstGreenX = -1;
            int firstGreenY = -1;
            for (int x = ticked.left(); x <= ticked.right(); ++x) {
                for (int y = ticked.top(); y <= ticked.bottom(); ++y) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.green() > c.red() + 40 && c.green() > c.blue() + 40) {
                        if (firstGreenX < 0 || x < firstGreenX) {
                            firstGreenX = x;
                        }
                        if (firstGreenY < 0 || y < firstGreenY) {
                            firstGreenY = y;
                        }
                    }
                }
            }
            QVERIFY2(firstGreenX >= ticked.left() + v.offset, v.grid);
            QVERIFY2(firstGreenX <= ticked.left() + v.offset + 2, v.grid);
            QVERIFY(firstGreenY >= ticked.top() + 2);
            QCOMPARE(image.pixelColor(ticked.topLeft() + QPoint(2, 1)), QColor(Qt::white));
            const QRect grey = g.cellRect(1, 0);
            QCOMPARE(image.pixelColor(grey.center()), buttonFace);
        }
    }

    void hints() {
        show("Системных событий");
        TickGrid& events = grid("SGtel0");
        const char* texts[] = {"Неисправность батареи - CID DialUp",
                               "Неисправность батареи - Alarm", "Периодический тест - CID DialUp",
                               "Периодический тест - Alarm"};
        for (int col : {0, 3, 1, 2, 0}) {
            QTest::mouseMove(&events, events.cellRect(col, 4).center());
            QCOMPARE(events.toolTip(), QString::fromUtf8(texts[col]));
        }
        show("Постановки/Снятия");
        TickGrid& partition = grid("SGtelAD");
        QTest::mouseMove(&partition, partition.cellRect(1, 0).center());
        QCOMPARE(partition.toolTip(), QStringLiteral("Постановка/снятие - Alarm"));
        QTest::mouseMove(&partition, QPoint(partition.width() - 1, partition.height() - 1));
        QCOMPARE(partition.toolTip(), QString());
        show("Входа 2");
        TickGrid& input = grid("SGtelN");
        QTest::mouseMove(&input, input.cellRect(0, 2).center());
        QCOMPARE(input.toolTip(), QStringLiteral("CID DialUp"));
    }

    // Routings ticked in the window reach the file that Save writes.
    void routingsReachTheSavedFile() {
        setTelephones({});
        show("Системных событий");
        editTelephone(0, QStringLiteral("+79001234567"));
        editTelephone(1, QStringLiteral("112"));
        editTelephone(4, QStringLiteral("5"));
        clickCell(grid("SGtel0"), 0, 1); // battery trouble -> telephone 2
        clickCell(grid("SGtel0"), 2, 0); // periodic test -> telephone 1
        show("Входа 1");
        clickCell(grid("SGtelN"), 0, 0);
        clickCell(grid("SGtelN"), 0, 1);
        clickCell(grid("SGtelN"), 1, 4); // alarm call -> telephone 5
        show("Раздела 3");
        clickCell(grid("SGtelAD"), 0, 1);

        const QString path = QDir(program_).filePath(QStringLiteral("routes.t61"));
        prompts_.files.push_back(path);
        child<QAction>(window(), "Save1")->trigger();
        QVERIFY(prompts_.done());
        prompts_.log.clear();
        QVERIFY(!changed());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto at = [&](int imageOffset) {
            return static_cast<std::uint8_t>(bytes.at(16 + imageOffset));
        };
        QCOMPARE(at(0x1B9), 0x02);                           // SysEvDcDialUpMask
        QCOMPARE(at(0x1C9), 0x01);                           // SysEvPtDialUpMask
        QCOMPARE(at(0x019), 0x03);                           // input 1 DialUpMask
        QCOMPARE(at(0x01C) * 256 + at(0x01D), 0x10);         // input 1 AlarmMask
        QCOMPARE(at(0x190 + 8) * 256 + at(0x190 + 9), 0x02); // partition 3 DialUpMask
        QCOMPARE(bytes.mid(16 + 0x070, 8), QByteArray::fromHex("a79001234567b000"));
        QCOMPARE(bytes.mid(16 + 0x090, 8), QByteArray::fromHex("5b00000000000000"));

        // The command-line tool reads the same routings back.
        QProcess tool;
        tool.start(QStringLiteral(TK515_PROGRAM), {QStringLiteral("export"), path});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        const QJsonObject json = QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
        QCOMPARE(json.value("SysEvDcDialUpMask").toInt(), 2);
        QCOMPARE(json.value("SysEvPtDialUpMask").toInt(), 1);
        const QJsonObject input1 = json.value("Inputs").toArray().at(1).toObject();
        QCOMPARE(input1.value("DialUpMask").toInt(), 3);
        QCOMPARE(input1.value("AlarmMask").toInt(), 0x10);
        QCOMPARE(json.value("Partitions").toArray().at(2).toObject().value("DialUpMask").toInt(),
                 2);
        QCOMPARE(json.value("TelNum").toArray().at(0).toString(), QStringLiteral("+79001234567"));
    }
};

QTEST_MAIN(TelephonesTest)
#include "telephones_test.moc"
