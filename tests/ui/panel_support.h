// Shared by the settings panel tests: the window as the program builds it, active
// so that the focus moves as for a user, and small helpers to type, click and save.
#pragma once

#include "files/format.h"
#include "window_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>

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

class PanelFixture {
public:
    QTemporaryDir scratch;
    QString program;
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> app;

    bool prepare() {
        if (!scratch.isValid()) {
            return false;
        }
        isolateUserFolders(scratch);
        program = scratch.filePath(QStringLiteral("program"));
        return QDir().mkpath(program);
    }

    // A new window, shown and active, with the general panel.
    void open() {
        prompts = ScriptedPrompts{};
        app = std::make_unique<AppWindows>(createWindows(program, &prompts));
        window().show();
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }
    void close() {
        prompts.answers = {Prompts::Answer::No};
        app.reset();
    }

    MainWindow& window() { return *app->main; }
    Configuration& record() { return window().panelContext().record(); }
    bool changed() { return window().document().ConfigChanged(); }
    QTreeWidget& tree() { return *child<QTreeWidget>(window(), "TreeView1"); }

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

    // Runs Save (through Save as for an untitled configuration) into `path`.
    void saveAs(const QString& path) {
        prompts.files = {path};
        child<QAction>(window(), "Save1")->trigger();
    }

    // The configuration the file at `path` holds.
    static Configuration fileRecord(const QString& path) {
        Configuration cfg;
        const StatusCode status = openf(cfg, QFile::encodeName(path).toStdString());
        if (status != StatusNone) {
            qWarning("cannot read %s back", qPrintable(path));
        }
        return cfg;
    }
};

// True when the text fits its label: nothing of the caption is cut off.
inline bool captionFits(const QWidget* w) {
    return w->width() >= w->sizeHint().width() &&
           w->geometry().right() < w->parentWidget()->width();
}

} // namespace tk::test
