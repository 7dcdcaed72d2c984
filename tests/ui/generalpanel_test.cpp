// The general panel (Panel000) through its real widgets: layout, fill, the serial
// and telephone numbers, the comments memo, and Save writing what was typed.
#include "model/cp1251.h"
#include "model/defaults.h"
#include "panel_support.h"
#include "ui/panels/settingspanel.h"

#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>

using namespace tk;
using tk::test::captionFits;
using Answer = Prompts::Answer;

class GeneralPanelTest : public test::WindowCase {
    Q_OBJECT

    QLineEdit* serial() { return f_.get<QLineEdit>("Panel000TxSerialNumEd"); }
    QLineEdit* telephone() { return f_.get<QLineEdit>("Panel000TxTlfNumEd"); }
    QPlainTextEdit* memo() { return f_.get<QPlainTextEdit>("Panel000CommentsMemo"); }

    // Writes a configuration file with these comment lines; `lineFeed` in a line is
    // put into the file as a bare LF, which the writer itself refuses to write.
    QString fileWith(const std::vector<Text>& comments, const char* name) {
        Configuration cfg;
        tk::setdefault(cfg);
        cfg.TxSerialNum = "SN-42";
        for (Text line : comments) {
            std::replace(line.begin(), line.end(), '~', '\x01');
            cfg.Comments.push_back(cp1251(line));
        }
        std::vector<std::uint8_t> bytes;
        if (wrfile(cfg, bytes) != FileWriteError::None) {
            return {};
        }
        std::replace(bytes.end() - 64, bytes.end(), std::uint8_t{1}, std::uint8_t{'\n'});
        const QString path = f_.scratch.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return {};
        }
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

private slots:
    void init() { f_.open(); }
    void cleanup() { f_.close(); }

    void controlsStandAsGiven_data() {
        test::PanelFixture::controlTable({
            {"Panel000Label1", "Серийный номер передатчика: ", 13, true},
            {"Panel000TxSerialNumEd", "", 13, true},
            {"Panel000TxTlfNumLabel", "Телефон передатчика:", 13, true},
            {"Panel000TxTlfNumEd", "", 13, true},
            {"Panel000TxVerLabel", "Версия передатчика:   ", 13, true},
            {"Panel000Label3", "Комментарии:", 13, true},
            {"Panel000CommentsMemo", "", 13, false},
        });
    }

    void controlsStandAsGiven() {
        f_.controlStandsAsGiven("Panel000");
        auto* title = f_.get<QLabel>("Panel000Label0");
        QCOMPARE(title->text(), QStringLiteral("Общие настройки"));
        QCOMPARE(title->font().pixelSize(), 21);
    }

    // Filling (start, a click on "Общие", Open) never marks the configuration changed
    // and always shows the record.
    void showingTheRecordNeverMarksChanged() {
        QCOMPARE(f_.get<QLabel>("Panel000TxVerLabel")->text(),
                 QStringLiteral("Версия передатчика:   "));
        f_.click("Постановка/Снятие");
        f_.click("Общие");
        QVERIFY(!f_.changed());
        const QString path = fileWith({"первая", "вторая"}, "two.t61");
        f_.prompts.files = {path};
        f_.get<QAction>("Open1")->trigger();
        QVERIFY(!f_.changed());
        QCOMPARE(serial()->text(), QStringLiteral("SN-42"));
        QCOMPARE(f_.get<QLabel>("Panel000TxVerLabel")->text(),
                 QStringLiteral("Версия передатчика:   ") +
                     fromRecordText(test::PanelFixture::fileRecord(path).TxVersion));
        QCOMPARE(memo()->toPlainText(), QStringLiteral("первая\nвторая"));
        QVERIFY(!f_.window().windowTitle().contains(u'*'));
    }

    void serialNumberStopsAtFifteenCharacters() {
        f_.typeInto(serial(), QStringLiteral("A"));
        QVERIFY(f_.changed());
        QCOMPARE(f_.window().windowTitle(), QStringLiteral("Object1* - TK 515 Pro"));
        test::keyText(serial(), QStringLiteral("BCDEFGHIJKLMNOPQ")); // 16 more
        QCOMPARE(serial()->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
        QCOMPARE(f_.record().TxSerialNum, "ABCDEFGHIJKLMNO");
        QTest::keyClick(serial(), Qt::Key_Backspace);
        QCOMPARE(f_.record().TxSerialNum, "ABCDEFGHIJKLMN");
        test::keyText(serial(), QStringLiteral("Й"));
        QCOMPARE(f_.record().TxSerialNum, cp1251("ABCDEFGHIJKLMNЙ"));
    }

    // Pasted text reaches the record and marks it changed; a paste that would make the
    // number longer than the file keeps is refused whole and pointed out, no box.
    void pastedSerialNumber_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("fits") << QStringLiteral("1234567890") << QStringLiteral("1234567890")
                              << false;
        QTest::newRow("fifteen") << QStringLiteral("123456789012345")
                                 << QStringLiteral("123456789012345") << false;
        QTest::newRow("sixteen") << QStringLiteral("1234567890123456") << QString() << true;
        QTest::newRow("no Windows-1251 byte") << QStringLiteral("12Ω") << QString() << true;
    }

    void pastedSerialNumber() {
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        serial()->setFocus();
        QTRY_VERIFY(serial()->hasFocus());
        QGuiApplication::clipboard()->setText(pasted);
        serial()->paste(); // what the context menu's "Paste" does
        QCOMPARE(serial()->text(), shown);
        QCOMPARE(fromRecordText(f_.record().TxSerialNum), shown);
        QCOMPARE(f_.changed(), !refused);
        QCOMPARE(serial()->toolTip().isEmpty(), !refused);
        QVERIFY(f_.prompts.log.isEmpty());
    }

    void telephoneTakesDigitsPlusStarHash() {
        f_.typeInto(telephone(), QStringLiteral("+7 (495) 12a3*#"));
        QCOMPARE(telephone()->text(), QStringLiteral("+7495123*#"));
        QCOMPARE(f_.record().TxTlfNum, "+7495123*#");
        QVERIFY(f_.changed());
        test::keyText(telephone(), QStringLiteral("12345678"));
        QCOMPARE(f_.record().TxTlfNum, "+7495123*#12345"); // 15 at most
    }

    // A pasted number keeps only its digits, "+", "*" and "#", and says so.
    void pastedTelephoneKeepsItsAllowedCharacters() {
        telephone()->setFocus();
        QTRY_VERIFY(telephone()->hasFocus());
        QGuiApplication::clipboard()->setText(QStringLiteral("+7 (916) 123-45-67"));
        telephone()->paste();
        QCOMPARE(telephone()->text(), QStringLiteral("+79161234567"));
        QCOMPARE(f_.record().TxTlfNum, "+79161234567");
        QVERIFY(f_.changed());
        QVERIFY(!telephone()->toolTip().isEmpty());
        QTest::keyClick(telephone(), '8');
        QVERIFY(telephone()->toolTip().isEmpty());
        QGuiApplication::clipboard()->setText(QStringLiteral("1234567890"));
        telephone()->paste(); // would pass 15: refused whole
        QCOMPARE(f_.record().TxTlfNum, "+791612345678");
        QVERIFY(!telephone()->toolTip().isEmpty());
    }

    // The transmitter's number as a file holds it is shown as it is and never rewritten
    // but by the user's own keys; a character that cannot be dialled stays pointed out.
    void transmitterNumberIsShownAsStored_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed"); // at the end of the number
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("undialable"); // the character pointed out
        QTest::newRow("blanks") << QByteArray("8 916 123 45") << "6x" << QByteArray("8 916 123 456")
                                << "";
        QTest::newRow("brackets and dashes")
            << QByteArray("(916)123-45") << "9" << QByteArray("(916)123-459") << "";
        QTest::newRow("hash and star")
            << QByteArray("+7916#12*") << "#" << QByteArray("+7916#12*#") << "";
        QTest::newRow("control character") << QByteArray("12\a34") << "5" << QByteArray("12\a345")
                                           << "знак 3 — управляющий символ U+0007";
        QTest::newRow("carriage return") << QByteArray("+7\r916") << "" << QByteArray("+7\r916")
                                         << "знак 3 — управляющий символ U+000D";
    }
    void transmitterNumberIsShownAsStored() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(QByteArray, after);
        QFETCH(QString, undialable);
        f_.record().TxTlfNum = stored.toStdString();
        f_.click("Разное");
        f_.click("Общие");
        QCOMPARE(telephone()->text(), QString::fromLatin1(stored));
        QCOMPARE(f_.record().TxTlfNum, stored.toStdString());
        QVERIFY(!f_.changed());
        const auto pointed = [&] {
            return undialable.isEmpty() ? telephone()->toolTip().isEmpty()
                                        : telephone()->toolTip().contains(undialable);
        };
        QVERIFY2(pointed(), qPrintable(telephone()->toolTip()));
        telephone()->setFocus();
        QTRY_VERIFY(telephone()->hasFocus());
        telephone()->end(false);
        test::keyText(telephone(), typed);
        QCOMPARE(f_.record().TxTlfNum, after.toStdString());
        QCOMPARE(f_.changed(), after != stored);
        // The mark stays as long as the number holds the character, the focus gone too.
        memo()->setFocus();
        QTRY_VERIFY(memo()->hasFocus());
        QVERIFY2(pointed(), qPrintable(telephone()->toolTip()));
    }

    void commentsStayAcrossViewsWithoutTrailingEmptyLines() {
        memo()->setFocus();
        QTRY_VERIFY(memo()->hasFocus());
        test::keyText(memo(), QStringLiteral("Объект: склад"));
        QTest::keyClick(memo(), Qt::Key_Return);
        test::keyText(memo(), QStringLiteral("ключ у охраны"));
        QTest::keyClick(memo(), Qt::Key_Return);
        QTest::keyClick(memo(), Qt::Key_Return);
        QVERIFY(f_.changed());
        QCOMPARE(f_.record().Comments,
                 (std::vector<Text>{cp1251("Объект: склад"), cp1251("ключ у охраны")}));
        f_.click("Разное");
        f_.click("Общие");
        QCOMPARE(memo()->toPlainText(), QStringLiteral("Объект: склад\nключ у охраны"));

        memo()->setFocus();
        memo()->selectAll();
        QTest::keyClick(memo(), Qt::Key_Delete);
        QVERIFY(f_.record().Comments.empty());
    }

    void memoDropsCharactersWithoutWindows1251Byte() {
        memo()->setFocus();
        QTRY_VERIFY(memo()->hasFocus());
        test::keyText(memo(), QStringLiteral("ab✓c"));
        QCOMPARE(memo()->toPlainText(), QStringLiteral("abc"));
        QCOMPARE(f_.record().Comments, std::vector<Text>{"abc"});
        QVERIFY(memo()->toolTip().contains(QStringLiteral("✓")));
        QVERIFY(f_.prompts.log.isEmpty());
        QVERIFY(!f_.window().panelContext().fillGuard());
    }

    // A line feed inside a comment line reads from a file; the memo shows it as two
    // lines and Save writes them as two lines instead of refusing the file.
    void commentLineHoldingALineFeedSavesAsLines() {
        const QString path = fileWith({"one~two", "three"}, "lf.t61");
        QVERIFY(!path.isEmpty());
        f_.prompts.files = {path};
        f_.get<QAction>("Open1")->trigger();
        QCOMPARE(memo()->toPlainText(), QStringLiteral("one\ntwo\nthree"));
        QCOMPARE(f_.record().Comments, (std::vector<Text>{"one", "two", "three"}));
        f_.prompts.log.clear();
        f_.get<QAction>("Save1")->trigger();
        QVERIFY2(f_.prompts.log.isEmpty(), qPrintable(f_.prompts.log.join(u'|')));
        QCOMPARE(test::PanelFixture::fileRecord(path).Comments,
                 (std::vector<Text>{"one", "two", "three"}));
    }

    // The view filled again (as after a failed read): the fill runs with FillGuard
    // clear and shows the record without marking it.
    void refreshViewShowsTheRecordAgain() {
        f_.record().TxSerialNum = "REFRESHED";
        PanelContext& ctx = f_.window().panelContext();
        f_.window().tv1click();
        QCOMPARE(serial()->text(), QStringLiteral("REFRESHED"));
        QVERIFY(!ctx.fillGuard());
        QVERIFY(!f_.changed());
    }

    // Edited in the window, saved, read back from the file.
    void savedFileHoldsWhatWasTyped() {
        f_.typeInto(serial(), QStringLiteral("ТК-0042"));
        f_.typeInto(telephone(), QStringLiteral("+79161234567"));
        memo()->setFocus();
        test::keyText(memo(), QStringLiteral("склад №3"));
        const QString path = f_.scratch.filePath(QStringLiteral("saved.t61"));
        f_.saveAs(path);
        QVERIFY(!f_.changed());
        const Configuration saved = test::PanelFixture::fileRecord(path);
        QCOMPARE(saved.TxSerialNum, cp1251("ТК-0042"));
        QCOMPARE(saved.TxTlfNum, "+79161234567");
        QCOMPARE(saved.Comments, std::vector<Text>{cp1251("склад №3")});
    }
};

QTEST_MAIN(GeneralPanelTest)
#include "generalpanel_test.moc"
