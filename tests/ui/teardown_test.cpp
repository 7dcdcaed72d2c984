// Closing and deleting the window while the focus is inside a panel edit: the
// panels' focus handlers may run as the widgets go, and must still find the record,
// the document and the panel context alive. Meant to run under the sanitizers too.
#include "panel_support.h"

#include <QApplication>
#include <QLineEdit>

using namespace tk;
using tk::test::child;
using Answer = Prompts::Answer;

class TeardownTest : public test::WindowCase {
    Q_OBJECT

    // A window with a typed edit in the view of `nodeText` still holding the focus.
    void openAndType(const char* nodeText, const char* editName, const char* typed) {
        open();
        click(nodeText);
        auto* edit = child<QLineEdit>(window(), editName);
        QVERIFY(edit != nullptr && edit->isVisible());
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, QString::fromUtf8(typed));
        QVERIFY(window().document().ConfigChanged());
        QVERIFY(edit->hasFocus());
        touchRecordWhenDestroyed(edit);
        // The telephone dialog edits TelDialogText, a member of the context, in place.
        for (const char* panel : {"Panel000", "Panel010", "TForm2"}) {
            touchRecordWhenDestroyed(child(window(), panel));
        }
    }

    // As each of these widgets goes, does what a panel handler does: finish the
    // edits, read the texts of the record, set the change mark. The sanitizers catch
    // any of it reaching a record, document or context that died first.
    void touchRecordWhenDestroyed(QWidget* widget) {
        MainWindow* w = &window();
        connect(widget, &QObject::destroyed, [w] {
            PanelContext& ctx = w->panelContext();
            ctx.finishEdits();
            ctx.TelDialogText += QStringLiteral("0");
            if (ctx.record().ArmSMSText.starts_with("1111") && !ctx.fillGuard()) {
                ctx.updt1(true);
            }
            ++touched_;
        });
    }
    static inline int touched_ = 0;

private slots:
    void closeThenDelete_data() {
        QTest::addColumn<QByteArray>("nodeText");
        QTest::addColumn<QByteArray>("editName");
        QTest::addColumn<QByteArray>("typed");
        QTest::newRow("serial number")
            << QByteArray("Общие") << QByteArray("Panel000TxSerialNumEd") << QByteArray("A1");
        // An object number digit leaves ObjNumChanged set, so leaving the panel would
        // regenerate the SMS texts: the focus-out handler must not outlive its record.
        QTest::newRow("object number")
            << QByteArray("Постановка/Снятие") << QByteArray("ObjName4Edit") << QByteArray("7");
    }

    // The user closes the window (No to saving), then the program ends.
    void closeThenDelete() {
        QFETCH(QByteArray, nodeText);
        QFETCH(QByteArray, editName);
        QFETCH(QByteArray, typed);
        openAndType(nodeText.constData(), editName.constData(), typed.constData());
        prompts_.answers = {Answer::No};
        QVERIFY(window().close());
        QVERIFY(prompts_.done());
        touched_ = 0;
        app_.reset();
        QCOMPARE(touched_, 4);
    }

    void deleteWithFocusInside_data() { closeThenDelete_data(); }

    // The window goes without a close (as when main returns after an exception).
    void deleteWithFocusInside() {
        QFETCH(QByteArray, nodeText);
        QFETCH(QByteArray, editName);
        QFETCH(QByteArray, typed);
        openAndType(nodeText.constData(), editName.constData(), typed.constData());
        touched_ = 0;
        app_.reset();
        QCOMPARE(touched_, 4);
        QVERIFY(QApplication::focusWidget() == nullptr);
    }
};

QTEST_MAIN(TeardownTest)
#include "teardown_test.moc"
