// The ground every window test stands on: one scratch folder for the test program
// (the home, the settings store and the program folder inside it), scripted prompts,
// the window as the program builds it, active so that the focus moves as for a user,
// small helpers to type, click and save (configuration files are written and read
// through record_files.h).
#pragma once

#include "files/format.h"
#include "model/input_table.h"
#include "record_files.h"
#include "window_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QTableView>

#include <initializer_list>
#include <memory>

namespace tk::test {

// Types `text` key by key, as a keyboard with any layout would: ASCII through
// keyClick, other characters as key events carrying the character.
inline void keyText(QWidget* w, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, c.toLatin1());
            continue;
        }
        const qsizetype len = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, ch, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, ch, Qt::NoModifier);
        i += len - 1;
    }
}

// True when the text fits its label: nothing of the caption is cut off.
inline bool captionFits(const QWidget* w) {
    return w->width() >= w->sizeHint().width() &&
           w->geometry().right() < w->parentWidget()->width();
}

class PanelFixture {
public:
    QTemporaryDir scratch;
    QString program;
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> app;

    // The home, the settings store and the program folder, inside the scratch folder.
    bool prepare() {
        if (!scratch.isValid()) {
            return false;
        }
        isolateUserFolders(scratch);
        program = scratch.filePath(QStringLiteral("program"));
        return QDir().mkpath(program);
    }

    // Empties the program folder: the generated names start again from Object1.
    bool emptyProgramFolder() {
        return QDir(program).removeRecursively() && QDir().mkpath(program);
    }

    // A new window as the program builds it, over new prompts, not shown yet.
    MainWindow& create() {
        prompts = ScriptedPrompts{};
        app = std::make_unique<AppWindows>(createWindows(program, &prompts));
        return window();
    }
    // Shows the window and waits until it is on the screen and active.
    void show() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }
    // A new window, shown and active, with the general panel.
    void open() {
        create();
        show();
    }
    // Closes the window as the program ends, answering No to saving.
    void close() {
        prompts.answers = {Prompts::Answer::No};
        app.reset();
    }

    MainWindow& window() { return *app->main; }
    Configuration& record() { return window().panelContext().record(); }
    bool changed() { return window().document().ConfigChanged(); }
    QTreeWidget& tree() { return *child<QTreeWidget>(window(), "TreeView1"); }
    QString statusPanel(int i) {
        return child<QLabel>(window(), qPrintable(QStringLiteral("StatusPanel%1").arg(i)))->text();
    }

    template <class T = QWidget> T* get(const char* name) { return child<T>(window(), name); }

    // A mouse click on the tree node, as the user makes it (the tree takes the focus).
    void click(const char* nodeText) {
        QTreeWidgetItem* item = node(tree(), QString::fromUtf8(nodeText));
        QVERIFY2(item != nullptr, nodeText);
        clickNode(tree(), item);
    }

    // Focuses the edit, selects its text and types `text` key by key.
    void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        keyText(edit, text);
    }

    // The table of inputs 5..64 ("Входы 5–64") with the keyboard on the cell of input n.
    QTableView* inputTable() { return get<QTableView>("InputTable"); }
    void goToCell(int n, InputColumn column) {
        inputTable()->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(inputTable()->hasFocus());
        inputTable()->setCurrentIndex(
            inputTable()->model()->index(n - kFirstTableInput, static_cast<int>(column)));
    }
    // F2 on the cell, `text` typed over the old one, then Enter unless `commit` is false.
    void typeIntoCell(int n, InputColumn column, const QString& text, bool commit = true) {
        goToCell(n, column);
        QTest::keyClick(inputTable(), Qt::Key_F2);
        const QPointer<QLineEdit> edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY2(edit != nullptr, "no cell editor opened");
        edit->selectAll();
        keyText(edit, text);
        if (commit) {
            QTest::keyClick(edit, Qt::Key_Return);
            QTRY_VERIFY(edit.isNull() || !edit->isVisible()); // the value is taken
        }
    }

    // Runs Save (through Save as for an untitled configuration) into `path`.
    void saveAs(const QString& path) {
        prompts.files = {path};
        child<QAction>(window(), "Save1")->trigger();
    }

    // A table of a panel's controls: the name, the text shown, the font's pixel size and
    // weight, one row a control.
    struct Control {
        const char* name;
        const char* text;
        int pixels;
        bool bold;
    };
    static void controlTable(std::initializer_list<Control> controls) {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        for (const Control& c : controls) {
            QTest::newRow(c.name) << QByteArray(c.name) << QString::fromUtf8(c.text) << c.pixels
                                  << c.bold;
        }
    }
    // The control of the table's current row stands as given: on show in `panel` and
    // inside it, in its font, with its text, the caption whole.
    void controlStandsAsGiven(const char* panel) {
        QFETCH(QByteArray, name);
        QFETCH(QString, text);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QWidget* w = get(name.constData());
        QVERIFY(w != nullptr && w->isVisible());
        QCOMPARE(w->font().pixelSize(), pixels);
        QCOMPARE(w->font().bold(), bold);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            QCOMPARE(label->text(), text);
            QVERIFY2(captionFits(label), name.constData());
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            QCOMPARE(box->text(), text);
            QVERIFY2(captionFits(box), name.constData());
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(line->text(), text);
        }
        // The whole panel fits the window at its default size.
        QVERIFY(w->geometry().right() < get(panel)->width());
        QVERIFY(w->geometry().bottom() < get(panel)->height());
    }

    // The configuration the file at `path` holds, read as the program opens it.
    static Configuration fileRecord(const QString& path) {
        Configuration cfg;
        const StatusCode status = openf(cfg, QFile::encodeName(path).toStdString());
        if (status != StatusNone) {
            qWarning("cannot read %s back", qPrintable(path));
        }
        return cfg;
    }
};

// The base of every window and dialog test: the fixture, prepared once for the test
// program with the fonts the program's windows use, and the names the cases use for
// its parts.
class WindowCase : public QObject {
    Q_OBJECT

protected:
    PanelFixture f_;
    QTemporaryDir& scratch_ = f_.scratch;
    const QString& program_ = f_.program;
    ScriptedPrompts& prompts_ = f_.prompts;
    std::unique_ptr<AppWindows>& app_ = f_.app;

    MainWindow& window() { return f_.window(); }
    Configuration& record() { return f_.record(); }
    bool changed() { return f_.changed(); }
    bool fillGuard() { return window().panelContext().fillGuard(); }
    QTreeWidget& tree() { return f_.tree(); }
    QString statusPanel(int i) { return f_.statusPanel(i); }
    void open() { f_.open(); }
    void click(const char* nodeText) { f_.click(nodeText); }

private slots:
    void initTestCase() {
        installFontSubstitutes();
        QVERIFY(f_.prepare());
    }
};

} // namespace tk::test
