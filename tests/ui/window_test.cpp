// The main window through its real widgets: start-up state, menus and buttons, the
// tree and its dispatch, the layout, the file commands and closing.
#include "files/format.h"
#include "model/defaults.h"
#include "panel_support.h"
#include "ui/commandbars.h"
#include "ui/commandline.h"
#include "ui/helpwindow.h"
#include "ui/layout.h"
#include "ui/recentfiles.h"
#include "ui/startport.h"
#include "ui/topdock.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace tk;
using tk::test::child;
using tk::test::writeFile;
using Answer = Prompts::Answer;

namespace {

const QStringList kAllPanels = {
    "Panel000",   "Panel010",        "Panel011",   "Panel011_1", "Panel011_2",
    "Panel011_3", "Panel011_4",      "Panel011_7", "Panel013",   "Panel100",
    "Panel100_1", "InputTableFrame", "Panel300",   "Panel300_1", "Panel300_1_1",
};

const QString kChanged = QStringLiteral("? Файл был изменен. Сохранить изменения?");

bool hasResources() {
    return QFile::exists(QStringLiteral(":/icons/toolbar/00.png"));
}

QImage rendered(const QIcon& icon) {
    return icon.pixmap(QSize(16, 16)).toImage();
}

// " #i" for an icon that shows picture i of the menu and button pictures (or of the tree
// pictures), " #?" for one that shows none of them, nothing for no icon.
QString pictureOf(const QIcon& icon, bool tree = false) {
    if (icon.isNull()) {
        return {};
    }
    for (int i = 0; i < 32; ++i) {
        const QString file =
            tree ? QStringLiteral(":/icons/tree/%1.png").arg(i)
                 : QStringLiteral(":/icons/toolbar/%1.png").arg(i, 2, 10, QChar('0'));
        if (QFile::exists(file) && rendered(icon) == rendered(QIcon(file))) {
            return QStringLiteral(" #%1").arg(i);
        }
    }
    return QStringLiteral(" #?");
}

QString onOff(bool enabled) {
    return enabled ? QStringLiteral("on") : QStringLiteral("off");
}

// Types `keys` ("Down, Return", "Alt+Ф") into `widget` as the keyboard would, letters
// outside Latin-1 included.
void typeKeys(QWidget* widget, const QString& keys) {
    const QKeySequence sequence(keys, QKeySequence::PortableText);
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination key = sequence[i];
        const bool character = key.key() < Qt::Key_Escape;
        const QString text = character ? QString(QChar(char16_t(key.key()))).toLower() : QString();
        QTest::sendKeyEvent(QTest::Click, widget, key.key(), text, key.keyboardModifiers());
    }
}

// The Alt letter of a caption: the character after its "&".
QChar altLetter(const QString& caption) {
    const qsizetype at = caption.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < caption.size() ? caption.at(at + 1).toUpper() : QChar();
}

QByteArray fileOf(const char* serial) {
    Configuration cfg;
    tk::setdefault(cfg);
    cfg.TxSerialNum = serial;
    return tk::test::fileBytes(cfg);
}

} // namespace

class WindowTest : public test::WindowCase {
    Q_OBJECT

    QStringList shownPanels() {
        QStringList shown;
        for (const QString& name : kAllPanels) {
            auto* panel = window().findChild<QWidget*>(name);
            if (panel == nullptr) {
                return {QStringLiteral("missing ") + name};
            }
            if (!panel->isHidden()) {
                shown << name;
            }
        }
        return shown;
    }

    QString settingsPort() {
        QSettings settings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"));
        return settings.value(QStringLiteral("pr")).toString();
    }

private slots:
    void init() {
        QVERIFY(f_.emptyProgramFolder());
        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps")).clear();
        open();
    }

    void cleanup() { f_.close(); }

    void startUpState() {
        MainWindow& w = window();
        QCOMPARE(w.objectName(), QStringLiteral("TForm1"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Object1 - TK 515 Pro"));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(0xE6, 0xE6, 0xE6));
        QCOMPARE(statusPanel(0), tk::startPortName(tk::serialPortLocations()));
        QCOMPARE(statusPanel(1), QString());
        QCOMPARE(statusPanel(2), QDir::toNativeSeparators(program_ + "/Object1.t61"));
        QVERIFY(child(w, "StatusPanel0")->width() >= 75);
        QCOMPARE(child(w, "StatusPanel1")->width(), 200);
        QVERIFY(child(w, "StatusPanel2")->width() >= 50);
        QCOMPARE(shownPanels(), QStringList{"Panel000"});
        QCOMPARE(tree().currentItem()->text(0), QStringLiteral("Общие"));
        QVERIFY(tree().currentItem()->isSelected());
        QVERIFY(!w.document().ConfigChanged());
        QVERIFY(w.document().Untitled());
        QVERIFY(!w.panelContext().fillGuard());
        QCOMPARE(w.panelContext().TelDialogText, QStringLiteral("44"));
        QVERIFY(prompts_.log.isEmpty());

        auto* bar = child<QProgressBar>(w, "ProgressBar1");
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        auto* cancel = child<QPushButton>(w, "Btotmsv");
        QVERIFY(cancel->isHidden());
        QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
        QCOMPARE(child(w, "TopDock")->height(), 50);
    }

    // The frame, the panels' headings and the two small windows; the commands and nodes
    // are checked whole by commandsAndNodes.
    void everyNamedControlExists() {
        const char* names[] = {"TopDock",          "ToolBar1",
                               "ToolBar2",         "TreeView1",
                               "StatusBar1",       "ProgressBar1",
                               "Btotmsv",          "OpenDialog1",
                               "SaveDialog1",      "Panel000Label0",
                               "Panel010Label0",   "Panel011_InputNumLabel",
                               "Panel011Label1",   "Panel011Label2",
                               "Panel011Label3",   "Panel011Label4",
                               "Panel011Label5",   "Panel011_3Label1",
                               "Panel011_7Label1", "Panel011_7PartNumLabel",
                               "Panel013Label1",   "Panel100Label1",
                               "Panel300Label1",   "Panel300Label2",
                               "TForm2",           "Edit1",
                               "Button1",          "Button2",
                               "TAboutBox",        "Panel1",
                               "ProductName",      "Version",
                               "Label1",           "Label2",
                               "OKButton"};
        for (const char* name : names) {
            QVERIFY2(window().findChild<QObject*>(QString::fromLatin1(name)) != nullptr, name);
        }
        for (const QString& name : kAllPanels) {
            QVERIFY2(window().findChild<QWidget*>(name) != nullptr, qPrintable(name));
        }
    }

    // Every menu, menu item, button and tree node as the window has built it, in order:
    // name, caption (with its Alt letter) or hint, picture, keys, enabled at start.
    void commandsAndNodes() {
        QStringList actual;
        for (QAction* entry : child<QMenuBar>(window(), "ToolBar1")->actions()) {
            QMenu* menu = entry->menu();
            actual << "ToolBar1 " + menu->objectName() + " " + menu->title();
            for (QAction* a : menu->actions()) {
                actual << (a->isSeparator()
                               ? "  " + a->objectName() + " -"
                               : "  " + a->objectName() + " " + a->text() + pictureOf(a->icon()) +
                                     " [" + a->shortcut().toString(QKeySequence::PortableText) +
                                     "] " + onOff(a->isEnabled()));
            }
        }
        auto* buttons = child<QToolBar>(window(), "ToolBar2");
        for (QAction* a : buttons->actions()) {
            QWidget* w = buttons->widgetForAction(a);
            auto* button = qobject_cast<QToolButton*>(w);
            actual << (button == nullptr ? "ToolBar2 " + w->objectName() + " -"
                                         : "ToolBar2 " + w->objectName() + " " + button->toolTip() +
                                               pictureOf(button->icon()) + " " + button->text() +
                                               onOff(button->isEnabled()));
        }
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int level) {
            actual << QStringLiteral("TreeView1 %1 ").arg(level) + item->text(0) +
                          pictureOf(item->icon(0), true);
            for (int i = 0; i < item->childCount(); ++i) {
                walk(item->child(i), level + 1);
            }
        };
        for (int i = 0; i < tree().topLevelItemCount(); ++i) {
            walk(tree().topLevelItem(i), 0);
        }

        QStringList expected = {
            "ToolBar1 File1 &Файл",
            "  New1 &Новый #0 [Ctrl+N] on",
            "  Open1 &Открыть #1 [Ctrl+O] on",
            "  Save1 &Сохранить #2 [Ctrl+S] on",
            "  Saveas1 Сохранить &как #3 [Ctrl+Shift+S] on",
            "  N2 -",
            "  Compare1 Ср&авнить с файлом… [] on",
            "  Backups1 &Резервные копии… [] on",
            "  N3 -",
            "  Print1 &Печать… [Ctrl+P] on",
            "  Pdf1 &Экспорт в PDF… [] on",
            "  RecentSeparator -", // hidden: no recent files yet
            "  N1 -",
            "  Exit1 &Выход #4 [Ctrl+Q] on",
            "ToolBar1 Edit1 Пра&вка", // nothing to undo or redo yet
            "  Undo1 &Отменить #14 [Ctrl+Z] off",
            "  Redo1 &Повторить #15 [Ctrl+Y] off",
            "ToolBar1 Command1 &Команды",
            "  Connect1 &Установить связь #5 [] on",
            "  Read1 &Чтение #6 [] off",
            "  Write1 &Запись #7 [] off",
            "  Udalread1 Уда&ленное чтение #8 [] on",
            "  Udalwrite1 Удаленная за&пись #9 [] on",
            "ToolBar1 Setting1 &Параметры",
            "  Port1 &Порт #11 [] on",
            "  N4 -",
            "  BackupBeforeWrite1 Со&хранять копию передатчика перед записью [] on",
            "  VerifyWrite1 Про&верять запись чтением [] on",
            "ToolBar1 Help1 &Справка",
            "  Help2 &TK 515 #12 [F1] on",
            "  About1 &О программе #13 [] on",
            "ToolBar2 ToolButton1 Новый #0 on",
            "ToolBar2 ToolButton2 Открыть #1 on",
            "ToolBar2 ToolButton3 Сохранить #2 on",
            "ToolBar2 ToolButton5 -",
            "ToolBar2 ToolButton4 Прочитать данные #6 off",
            "ToolBar2 ToolButton6 Записать данные #7 off",
            "ToolBar2 ToolButton8 -",
            "ToolBar2 ToolButton7 Установить связь #19 on",
            "ToolBar2 ToolButton9 Разорвать связь #20 off",
            "ToolBar2 ToolButton10 -",
            "ToolBar2 ToolButton11 Отменить #14 off",
            "ToolBar2 ToolButton12 Повторить #15 off",
            "TreeView1 0 Общие #0",
            "TreeView1 1 Постановка/Снятие",
            "TreeView1 1 Телефоны",
            "TreeView1 2 Системных событий",
            "TreeView1 2 Входа 1",
            "TreeView1 2 Входа 2",
            "TreeView1 2 Входа 3",
            "TreeView1 2 Входа 4",
            "TreeView1 2 Постановки/Снятия",
            "TreeView1 3 Раздела 1",
            "TreeView1 3 Раздела 2",
            "TreeView1 3 Раздела 3",
            "TreeView1 3 Раздела 4",
            "TreeView1 1 Разное",
            "TreeView1 0 Входы #1",
            "TreeView1 1 Вход 1",
            "TreeView1 1 Вход 2",
            "TreeView1 1 Вход 3",
            "TreeView1 1 Вход 4",
            "TreeView1 1 Входы 5–64",
            "TreeView1 0 Системные события #0",
            "TreeView1 1 Неисправность батареи",
            "TreeView1 1 Периодический тест",
        };
        if (!hasResources()) {
            expected.replaceInStrings(QRegularExpression(" #\\d+"), QString());
        }
        QCOMPARE(actual, expected);
        QCOMPARE(tree().indentation(), 19);
        QCOMPARE(tree().editTriggers(), QAbstractItemView::NoEditTriggers);
        QTreeWidgetItemIterator it(&tree());
        for (; *it != nullptr; ++it) {
            QVERIFY((*it)->isExpanded() || (*it)->childCount() == 0);
        }
    }

    // An Alt letter reaches one menu or item only, connected or not.
    void altLettersAreUniqueInEachMenu_data() {
        QTest::addColumn<bool>("connected");
        QTest::newRow("disconnected") << false;
        QTest::newRow("connected") << true;
    }
    void altLettersAreUniqueInEachMenu() {
        QFETCH(bool, connected);
        window().updt2(connected);
        auto* bar = child<QMenuBar>(window(), "ToolBar1");
        QList<QList<QAction*>> groups = {bar->actions()};
        for (QAction* entry : bar->actions()) {
            groups << entry->menu()->actions();
        }
        for (const QList<QAction*>& group : groups) {
            QSet<QChar> seen;
            for (QAction* a : group) {
                if (a->isSeparator()) {
                    continue;
                }
                const QChar letter = altLetter(a->text());
                QVERIFY2(!letter.isNull(), qPrintable(a->text()));
                QVERIFY2(!seen.contains(letter), qPrintable(a->text()));
                seen.insert(letter);
            }
        }
    }

    void updt2Table_data() {
        QTest::addColumn<bool>("connected");
        QTest::newRow("connected") << true;
        QTest::newRow("disconnected") << false;
    }
    void updt2Table() {
        QFETCH(bool, connected);
        MainWindow& w = window();
        w.updt2(!connected);
        w.updt2(connected);
        QCOMPARE(w.LinkConnected(), connected);
        for (const char* name : {"ToolButton4", "ToolButton6", "ToolButton9"}) {
            QCOMPARE(child(w, name)->isEnabled(), connected);
        }
        for (const char* name : {"Read1", "Write1"}) {
            QCOMPARE(child<QAction>(w, name)->isEnabled(), connected);
        }
        QCOMPARE(child(w, "ToolButton7")->isEnabled(), !connected);
        QCOMPARE(child<QAction>(w, "Connect1")->text(), connected
                                                            ? QStringLiteral("&Разорвать связь")
                                                            : QStringLiteral("&Установить связь"));
        QVERIFY(child(w, "Btotmsv")->isHidden());
        for (const char* name : {"New1", "Open1", "Save1", "Saveas1", "Connect1", "Port1"}) {
            QVERIFY2(child<QAction>(w, name)->isEnabled(), name);
        }
    }

    void dispatch_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heading");
        const QStringList input = {"Panel011", "Panel011_1", "Panel011_3", "Panel011_4"};
        const QStringList partition = {"Panel011", "Panel011_1", "Panel011_7"};
        QTest::newRow("Общие") << "Общие" << QStringList{"Panel000"} << "Panel000Label0"
                               << "Общие настройки";
        QTest::newRow("Постановка/Снятие")
            << "Постановка/Снятие" << QStringList{"Panel010"} << "Panel010Label0"
            << "Постановка / Снятие:";
        QTest::newRow("Телефоны") << "Телефоны" << QStringList{"Panel011"}
                                  << "Panel011_InputNumLabel"
                                  << "Настройки телефонных номеров для отчетов.";
        QTest::newRow("Системных событий")
            << "Системных событий" << QStringList{"Panel011", "Panel011_1", "Panel011_2"}
            << "Panel011_InputNumLabel"
            << "Системн. соб.";
        for (int n = 1; n <= 4; ++n) {
            const QString text = QStringLiteral("Входа %1").arg(n);
            QTest::newRow(qPrintable(text))
                << text << input << "Panel011_InputNumLabel" << QStringLiteral("Вход № %1").arg(n);
        }
        QTest::newRow("Постановки/Снятия")
            << "Постановки/Снятия" << partition << "Panel011_InputNumLabel"
            << "Пост./Снятие";
        for (int n = 1; n <= 4; ++n) {
            const QString text = QStringLiteral("Раздела %1").arg(n);
            QTest::newRow(qPrintable(text)) << text << partition << "Panel011_InputNumLabel"
                                            << "Пост./Снятие";
        }
        QTest::newRow("Разное") << "Разное" << QStringList{"Panel013"} << "Panel013Label1"
                                << "Разное:";
        QTest::newRow("Входы") << "Входы" << QStringList{"Panel100"} << "Panel100Label1"
                               << "Настройки входов";
        for (int n = 1; n <= 4; ++n) {
            const QString text = QStringLiteral("Вход %1").arg(n);
            QTest::newRow(qPrintable(text))
                << text << QStringList{"Panel100", "Panel100_1"} << "Panel100Label1"
                << QStringLiteral("Вход № %1").arg(n);
        }
        QTest::newRow("Входы 5–64")
            << "Входы 5–64" << QStringList{"InputTableFrame"} << "InputTableTitle"
            << "Входы 5–64";
        QTest::newRow("Системные события")
            << "Системные события" << QStringList{"Panel300"} << "Panel300Label1"
            << "Системные события";
        QTest::newRow("Неисправность батареи")
            << "Неисправность батареи" << QStringList{"Panel300", "Panel300_1"} << "Panel300Label1"
            << "Неисправность батареи";
        QTest::newRow("Периодический тест")
            << "Периодический тест" << QStringList{"Panel300", "Panel300_1", "Panel300_1_1"}
            << "Panel300Label1"
            << "Периодический тест";
    }
    void dispatch() {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        QFETCH(QString, title);
        QFETCH(QString, heading);
        // From a view that differs from every other one, so each row shows a change.
        click("Периодический тест");
        click(text.toUtf8().constData());
        QCOMPARE(shownPanels(), shown);
        QCOMPARE(window().findChild<QLabel*>(title)->text(), heading);
        QVERIFY(!window().findChild<QLabel*>(title)->isHidden());
        QVERIFY(!window().panelContext().fillGuard());
        QVERIFY(!window().document().ConfigChanged());
    }

    void dispatchSetsTheEditorState() {
        const EditorState& editor = window().panelContext().editor();
        click("Вход 3");
        QCOMPARE(editor.CurInput, 3);
        click("Раздела 4");
        QCOMPARE(editor.CurPartition, 3);
        click("Постановки/Снятия");
        QCOMPARE(editor.CurPartition, 0);
        click("Раздела 2");
        QCOMPARE(editor.CurPartition, 1);
    }

    void systemEventHeadersAndNote() {
        click("Системных событий");
        for (const char* name : {"Panel011Label1", "Panel011Label2", "Panel011Label3",
                                 "Panel011Label4", "Panel011Label5"}) {
            QVERIFY2(!child(window(), name)->isHidden(), name);
        }
        QCOMPARE(child<QLabel>(window(), "Panel011Label4")->text(),
                 QStringLiteral("|   DialUp  |  Alarm   |  DialUp  |  Alarm   |"));
        click("Входа 2");
        QVERIFY(child(window(), "Panel011Label1")->isHidden());
        QCOMPARE(child<QLabel>(window(), "Panel011_3Label1")->text(),
                 QStringLiteral("|      DialUp     |       ALARM     |"));
        click("Раздела 1");
        QCOMPARE(child<QLabel>(window(), "Panel011_7Label1")->text(),
                 QStringLiteral("|      DialUp      |      ALARM    |"));
        click("Неисправность батареи");
        auto* note = child<QLabel>(window(), "Panel300Label2");
        QVERIFY(!note->isHidden());
        QCOMPARE(
            note->text(),
            QStringLiteral("Неисправность батареи выдается при напряжении питания 11В и менее!"));
        click("Периодический тест");
        QVERIFY(note->isHidden());
        click("Неисправность батареи");
        QVERIFY(!note->isHidden());
        QVERIFY(child(window(), "Panel300_1_1")->isHidden());
    }

    void clickWithoutSelectionChangesNothing() {
        click("Вход 2");
        tree().collapseAll();
        tree().clearSelection();
        QVERIFY(tree().selectedItems().isEmpty());
        const QPoint empty(4, tree().viewport()->height() - 4);
        QVERIFY(tree().itemAt(empty) == nullptr);
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, empty);
        // The highlight is back on the node whose panel is shown (folded away here).
        QCOMPARE(tree().currentItem()->text(0), QStringLiteral("Вход 2"));
        QVERIFY(tree().currentItem()->isSelected());
        QCOMPARE(shownPanels(), (QStringList{"Panel100", "Panel100_1"}));
        QVERIFY(!window().panelContext().fillGuard());
    }

    void clickWhileFillGuardIsHeldChangesNothing() {
        {
            FillGuard held(window().panelContext());
            QVERIFY(bool(held));
            click("Разное");
            // The highlight stays on the panel shown.
            QCOMPARE(tree().currentItem()->text(0), QStringLiteral("Общие"));
            QCOMPARE(tree().selectedItems().size(), 1);
            QVERIFY(tree().currentItem()->isSelected());
            QCOMPARE(shownPanels(), QStringList{"Panel000"});
            QVERIFY(window().panelContext().fillGuard());
            window().tv1click();
            QVERIFY(window().panelContext().fillGuard());
        }
        QVERIFY(!window().panelContext().fillGuard());
        click("Разное");
        QCOMPARE(shownPanels(), QStringList{"Panel013"});
    }

    void clickOnTheSelectedNodeFillsAgain() {
        click("Вход 3");
        Configuration& record = window().panelContext().record();
        record.Inputs[3].ZoneType = ZoneFire | ZonePerimeter;
        click("Вход 3");
        QCOMPARE(record.Inputs[3].ZoneType, int(ZonePerimeter));
        QVERIFY(!window().document().ConfigChanged());
    }

    // The arrow keys move the keyboard's frame only; Enter or Space on its node shows
    // that node's panel, as a click on it would. The highlight marks the panel shown.
    void treeKeys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("highlighted");
        QTest::addColumn<QStringList>("shown");
        const QStringList inputs = {"Panel100"};
        const QStringList input = {"Panel100", "Panel100_1"};
        QTest::newRow("arrows only") << "Down, Down"
                                     << "Вход 2"
                                     << "Входы" << inputs;
        QTest::newRow("Return") << "Down, Return"
                                << "Вход 1"
                                << "Вход 1" << input;
        QTest::newRow("keypad Enter") << "Down, Num+Enter"
                                      << "Вход 1"
                                      << "Вход 1" << input;
        QTest::newRow("Space") << "Down, Down, Space"
                               << "Вход 2"
                               << "Вход 2" << input;
        QTest::newRow("Enter, then arrows") << "Down, Return, Down"
                                            << "Вход 2"
                                            << "Вход 1" << input;
        QTest::newRow("Ctrl+Return") << "Down, Ctrl+Return"
                                     << "Вход 1"
                                     << "Входы" << inputs;
        QTest::newRow("back up and Return") << "Down, Return, Up, Return"
                                            << "Входы"
                                            << "Входы" << inputs;
    }
    void treeKeys() {
        QFETCH(QString, keys);
        QFETCH(QString, current);
        QFETCH(QString, highlighted);
        QFETCH(QStringList, shown);
        click("Входы");
        tree().setFocus();
        typeKeys(&tree(), keys);
        QCOMPARE(tree().currentItem()->text(0), current);
        QCOMPARE(tree().selectedItems().size(), 1);
        QCOMPARE(tree().selectedItems().first()->text(0), highlighted);
        QCOMPARE(shownPanels(), shown);
        QVERIFY(!window().panelContext().fillGuard());
    }

    void treeKeysWhileFillGuardIsHeldChangeNothing() {
        click("Входы");
        {
            FillGuard held(window().panelContext());
            QTest::keyClick(&tree(), Qt::Key_Down);
            QTest::keyClick(&tree(), Qt::Key_Return);
        }
        QCOMPARE(shownPanels(), QStringList{"Panel100"});
        QCOMPARE(tree().selectedItems().first()->text(0), QStringLiteral("Входы"));
    }

    // The file and help commands from the keyboard: their shortcuts, and the menus
    // opened with Alt and their items chosen by letter.
    void commandKeys_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("keys");       // to the window
        QTest::addColumn<QString>("menuLetter"); // then typed into the menu that opened
        QTest::newRow("Ctrl+N") << "New1"
                                << "Ctrl+N"
                                << "";
        QTest::newRow("Ctrl+O") << "Open1"
                                << "Ctrl+O"
                                << "";
        QTest::newRow("Ctrl+S") << "Save1"
                                << "Ctrl+S"
                                << "";
        QTest::newRow("Ctrl+Shift+S") << "Saveas1"
                                      << "Ctrl+Shift+S"
                                      << "";
        QTest::newRow("F1") << "Help2"
                            << "F1"
                            << "";
        QTest::newRow("Ctrl+Q") << "Exit1"
                                << "Ctrl+Q"
                                << "";
        QTest::newRow("Alt+Ф Н") << "New1"
                                 << "Alt+Ф"
                                 << "н";
        QTest::newRow("Alt+Ф О") << "Open1"
                                 << "Alt+Ф"
                                 << "о";
        QTest::newRow("Alt+Ф К") << "Saveas1"
                                 << "Alt+Ф"
                                 << "к";
        QTest::newRow("Alt+Ф В") << "Exit1"
                                 << "Alt+Ф"
                                 << "в";
        QTest::newRow("Alt+С T") << "Help2"
                                 << "Alt+С"
                                 << "t";
    }
    void commandKeys() {
        QFETCH(QString, command);
        QFETCH(QString, keys);
        QFETCH(QString, menuLetter);
        prompts_.files = {std::nullopt}; // a file dialog is cancelled
        auto* action = child<QAction>(window(), qPrintable(command));
        QSignalSpy triggered(action, &QAction::triggered);
        typeKeys(&tree(), keys);
        if (!menuLetter.isEmpty()) {
            QMenu* menu = nullptr;
            QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
            QTest::sendKeyEvent(QTest::Click, menu, Qt::Key(menuLetter.toUpper().at(0).unicode()),
                                menuLetter, Qt::NoModifier);
        }
        QTRY_COMPARE(triggered.count(), 1);
        if (auto* help = window().findChild<QWidget*>("HelpWindow")) {
            help->close();
        }
    }

    // Every node text shows whole at the design size, without a sideways scroll bar.
    void treeTextsFitAtTheDesignSize() {
        QCOMPARE(window().size(), QSize(696, 490));
        QTRY_COMPARE(tree().width(), 174);
        QVERIFY(!tree().horizontalScrollBar()->isVisible());
        const int room = tree().viewport()->width();
        QTreeWidgetItemIterator it(&tree());
        for (; *it != nullptr; ++it) {
            const QRect rect = tree().visualItemRect(*it);
            const int textEnd =
                rect.left() + tree().fontMetrics().horizontalAdvance((*it)->text(0));
            QVERIFY2(textEnd <= room && rect.right() < room, qPrintable((*it)->text(0)));
        }
    }

    void startPortName_data() {
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("start");
#ifdef Q_OS_WIN
        QTest::newRow("none") << QStringList{} << "COM1";
        QTest::newRow("some") << QStringList{"COM3"} << "COM1";
#else
        QTest::newRow("none") << QStringList{} << "/dev/ttyUSB0";
        QTest::newRow("one") << QStringList{"/dev/ttyACM0"} << "/dev/ttyACM0";
        QTest::newRow("the first") << QStringList{"/dev/ttyS4", "/dev/ttyUSB0"} << "/dev/ttyS4";
#endif
    }
    void startPortName() {
        QFETCH(QStringList, found);
        QFETCH(QString, start);
        QCOMPARE(tk::startPortName(found), start);
    }

    // Panel 0 shows the usual port names whole; a longer one is cut in its middle and
    // shows whole in the tool tip. The stored name always wins over the start value.
    void portNameInStatusPanel0_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("whole");
        QTest::newRow("COM1") << "COM1" << true;
        QTest::newRow("/dev/ttyUSB0") << "/dev/ttyUSB0" << true;
        QTest::newRow("/dev/ttyACM12") << "/dev/ttyACM12" << true;
        QTest::newRow("by id") << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
                               << false;
    }
    void portNameInStatusPanel0() {
        QFETCH(QString, stored);
        QFETCH(bool, whole);
        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
            .setValue(QStringLiteral("pr"), stored);
        open();
        QCOMPARE(window().PortName(), stored);
        auto* panel = child<QLabel>(window(), "StatusPanel0");
        QCOMPARE(panel->text() == stored, whole);
        QCOMPARE(panel->toolTip(), stored);
        QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <=
                panel->contentsRect().width());
        if (!whole) {
            QVERIFY(panel->text().contains(QChar(0x2026)));
            QVERIFY(panel->text().endsWith("port0"));
        }
    }

    // A path too long for panel 2 is cut in its middle; the change mark always shows,
    // and the tool tip holds the whole path.
    void longPathInStatusPanel2() {
        const QString deep = scratch_.filePath(QStringLiteral("a-folder-with-a-rather-long-name/") +
                                               QStringLiteral("and-another-one-inside-it/") +
                                               QStringLiteral("and-a-third-to-be-sure"));
        QVERIFY(QDir().mkpath(deep));
        const QString path = QDir::toNativeSeparators(deep + "/site-of-the-customer.tk515");
        prompts_.files = {path};
        child<QAction>(window(), "Saveas1")->trigger();
        auto* panel = child<QLabel>(window(), "StatusPanel2");
        for (const bool changed : {false, true}) {
            window().panelContext().updt1(changed);
            const QString mark = changed ? QStringLiteral("*") : QString();
            QCOMPARE(panel->toolTip(), path + mark);
            QVERIFY2(panel->text().contains(QChar(0x2026)), qPrintable(panel->text()));
            QVERIFY2(panel->text().endsWith("customer.tk515" + mark), qPrintable(panel->text()));
            QVERIFY(panel->text().startsWith(path.left(3)));
            QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <=
                    panel->contentsRect().width());
        }
        // Wider, the panel shows the whole path again.
        window().resize(1900, 490);
        QTRY_COMPARE(panel->text(), path + "*");
        QCOMPARE(window().width(), 1900);
    }

    // Words written straight into a panel (the link's progress) survive resizing.
    void statusWordsSurviveAResize() {
        auto* words = child<QLabel>(window(), "StatusPanel1");
        words->setText(QStringLiteral("Connecting"));
        window().resize(800, 500);
        QTRY_COMPARE(window().size(), QSize(800, 500));
        words->resize(words->width() - 1, words->height()); // the panel itself, too
        QCOMPARE(words->text(), QStringLiteral("Connecting"));
    }

    void layoutArithmetic_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("tree");
        QTest::addColumn<QRect>("panels");
        QTest::addColumn<QPoint>("bar");
        QTest::addColumn<QPoint>("cancel");
        QTest::newRow("design") << QSize(696, 490) << 174 << QRect(179, 54, 504, 362)
                                << QPoint(179, 419) << QPoint(498, 419);
        QTest::newRow("larger") << QSize(900, 600) << 225 << QRect(230, 54, 657, 472)
                                << QPoint(230, 529) << QPoint(549, 529);
        QTest::newRow("truncated") << QSize(803, 501) << 200 << QRect(205, 54, 585, 373)
                                   << QPoint(205, 430) << QPoint(524, 430);
    }
    void layoutArithmetic() {
        QFETCH(QSize, window);
        QFETCH(int, tree);
        QFETCH(QRect, panels);
        QFETCH(QPoint, bar);
        QFETCH(QPoint, cancel);
        const WindowLayout layout = tk::razmer(window, 289);
        QCOMPARE(layout.treeWidth, tree + 5);
        QCOMPARE(layout.treeViewWidth, tree);
        QCOMPARE(layout.panels, panels);
        QCOMPARE(layout.progressBar, bar);
        QCOMPARE(layout.cancelButton, cancel);
    }

    void layoutOfTheWindow_data() {
        layoutArithmetic_data();
    }
    void layoutOfTheWindow() {
        QFETCH(QSize, window);
        QFETCH(int, tree);
        QFETCH(QRect, panels);
        QFETCH(QPoint, bar);
        QFETCH(QPoint, cancel);
        MainWindow& w = this->window();
        w.resize(window);
        QTRY_COMPARE(w.size(), window);
        QTRY_COMPARE(this->tree().width(), tree);
        for (const char* name : {"Panel000", "Panel010", "Panel011", "Panel013", "Panel100",
                                 "InputTableFrame", "Panel300"}) {
            QCOMPARE(child(w, name)->geometry(), panels);
        }
        QCOMPARE(child(w, "ProgressBar1")->pos(), bar);
        QCOMPARE(child(w, "Btotmsv")->pos(), cancel);
        QCOMPARE(child(w, "Btotmsv")->x() - child(w, "ProgressBar1")->geometry().right() - 1, 30);
        QCOMPARE(child(w, "TopDock")->width(), window.width());
        if (hasResources()) {
            QCOMPARE(child<TopDock>(w, "TopDock")->background().size(), QSize(window.width(), 55));
        }
    }

    void changeMarkInCaptionAndStatusBar() {
        window().panelContext().updt1(true);
        QCOMPARE(window().windowTitle(), QStringLiteral("Object1* - TK 515 Pro"));
        QCOMPARE(statusPanel(2), QDir::toNativeSeparators(program_ + "/Object1.t61*"));
        click("Вход 1");
        click("Общие");
        QCOMPARE(window().windowTitle(), QStringLiteral("Object1* - TK 515 Pro"));
    }

    void newButtonAsksAndShowsTheGeneralPanel() {
        click("Разное");
        window().panelContext().record().TxSerialNum = "EDITED";
        window().panelContext().updt1(true);
        prompts_.answers = {Answer::Yes};
        QTest::mouseClick(child(window(), "ToolButton1"), Qt::LeftButton);
        QCOMPARE(prompts_.log, QStringList{kChanged});
        QVERIFY(QFile::exists(program_ + "/Object1.t61"));
        QCOMPARE(window().windowTitle(), QStringLiteral("Object2 - TK 515 Pro"));
        QCOMPARE(window().record().TxSerialNum, std::string());
        QCOMPARE(shownPanels(), QStringList{"Panel000"});
        QCOMPARE(tree().currentItem()->text(0), QStringLiteral("Общие"));
    }

    void openShowsTheGeneralPanel() {
        const QString path = scratch_.filePath("site.tk515");
        QVERIFY(writeFile(path, fileOf("OPENED")));
        click("Вход 2");
        prompts_.files = {path};
        child<QAction>(window(), "Open1")->trigger();
        QCOMPARE(window().record().TxSerialNum, std::string("OPENED"));
        QCOMPARE(window().windowTitle(), QStringLiteral("site.tk515 - TK 515 Pro"));
        QCOMPARE(statusPanel(2), QDir::toNativeSeparators(path));
        QCOMPARE(shownPanels(), QStringList{"Panel000"});
        QCOMPARE(tree().currentItem()->text(0), QStringLiteral("Общие"));
        QVERIFY(!window().document().Untitled());
    }

    void fileCommandsWaitWhileFillGuardIsHeld() {
        window().panelContext().updt1(true);
        {
            FillGuard held(window().panelContext());
            for (const char* name : {"New1", "Open1", "Saveas1", "Save1"}) {
                child<QAction>(window(), name)->trigger();
            }
            QTest::mouseClick(child(window(), "ToolButton1"), Qt::LeftButton);
            QTest::mouseClick(child(window(), "ToolButton3"), Qt::LeftButton);
        }
        QCOMPARE(prompts_.log, QStringList{}); // untitled Save goes through Save as
        QCOMPARE(window().windowTitle(), QStringLiteral("Object1* - TK 515 Pro"));

        // A titled configuration is saved even while FillGuard is held.
        const QString path = scratch_.filePath("guarded.tk515");
        prompts_.files = {path};
        child<QAction>(window(), "Saveas1")->trigger();
        window().panelContext().updt1(true);
        {
            FillGuard held(window().panelContext());
            QTest::mouseClick(child(window(), "ToolButton3"), Qt::LeftButton);
        }
        QCOMPARE(window().windowTitle(), QStringLiteral("guarded.tk515 - TK 515 Pro"));
        QVERIFY(prompts_.done());
    }

    void closeCancelledKeepsTheWindow() {
        window().panelContext().updt1(true);
        prompts_.answers = {Answer::Cancel};
        QVERIFY(!window().close());
        QVERIFY(window().isVisible());
        QCOMPARE(prompts_.log, QStringList{kChanged});
        QCOMPARE(settingsPort(), QString()); // nothing stored on a cancelled close
    }

    void closeWhoseSaveFailsKeepsTheWindowAndSaysWhy() {
        const QString sub = scratch_.filePath("gone");
        QVERIFY(QDir().mkpath(sub));
        prompts_.files = {sub + "/a.tk515"};
        child<QAction>(window(), "Saveas1")->trigger();
        QVERIFY(QDir(sub).removeRecursively());
        window().panelContext().updt1(true);
        prompts_.answers = {Answer::Yes};
        child<QAction>(window(), "Exit1")->trigger();
        QVERIFY(window().isVisible());
        QCOMPARE(prompts_.log.size(), 3);
        QVERIFY2(prompts_.log.last().startsWith("! Не сохраняется. Последняя ошибка: "),
                 qPrintable(prompts_.log.last()));
        QCOMPARE(window().windowTitle(), QStringLiteral("a.tk515* - TK 515 Pro"));
        QCOMPARE(settingsPort(), QString());
    }

    void closeStoresThePortAndItSurvivesARestart() {
        QVERIFY(window().close());
        QVERIFY(!window().isVisible());
        QCOMPARE(settingsPort(), tk::startPortName(tk::serialPortLocations()));

        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
            .setValue(QStringLiteral("pr"), QStringLiteral("/dev/ttyUSB0"));
        open();
        QCOMPARE(window().PortName(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(statusPanel(0), QStringLiteral("/dev/ttyUSB0"));
        child<QAction>(window(), "Exit1")->trigger();
        QVERIFY(!window().isVisible());
        QCOMPARE(settingsPort(), QStringLiteral("/dev/ttyUSB0"));
    }

    // The folder of the last file opened or saved under a chosen name is kept in the
    // settings: after a restart the open and save dialogs start there.
    void dialogsStartInTheFolderLastUsedAfterARestart() {
        const QString folder = scratch_.filePath("sites");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeFile(folder + "/site.tk515", fileOf("SITE")));
        prompts_.files = {folder + "/site.tk515"};
        child<QAction>(window(), "Open1")->trigger();
        QCOMPARE(QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
                     .value(QStringLiteral("LastFolder"))
                     .toString(),
                 folder);
        app_.reset();
        open();
        prompts_.files = {std::nullopt, std::nullopt};
        child<QAction>(window(), "Open1")->trigger();
        child<QAction>(window(), "Save1")->trigger(); // untitled: Save as
        QCOMPARE(prompts_.openFolders, QStringList{folder});
        QCOMPARE(prompts_.log, (QStringList{QStringLiteral("open"),
                                            QStringLiteral("save ") + folder + "/Object1.t61"}));
        QVERIFY(prompts_.done());
    }

    // The window program's command line.
    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("port"); // "-": none given
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing") << QStringList{} << "-" << QStringList{} << "";
        QTest::newRow("a file") << QStringList{"site.tk515"} << "-" << QStringList{"site.tk515"}
                                << "";
        QTest::newRow("a port and two files")
            << QStringList{"a.t61", "--port", "/dev/ttyUSB1", "b.t61"} << "/dev/ttyUSB1"
            << QStringList{"a.t61", "b.t61"} << "";
        QTest::newRow("--port=") << QStringList{"--port=/dev/pts/3"} << "/dev/pts/3"
                                 << QStringList{} << "";
        QTest::newRow("files after --") << QStringList{"--", "-odd.tk515", "--port"} << "-"
                                        << QStringList{"-odd.tk515", "--port"} << "";
        QTest::newRow("unknown option") << QStringList{"--frob\x1b"} << "-" << QStringList{}
                                        << "неизвестный параметр «--frob\\u001b»";
        QTest::newRow("port without a name")
            << QStringList{"--port"} << "-" << QStringList{} << "после --port нужно имя порта";
        QTest::newRow("empty --port=")
            << QStringList{"--port="} << "-" << QStringList{} << "после --port нужно имя порта";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(QString, port);
        QFETCH(QStringList, files);
        QFETCH(QString, error);
        const WindowCommandLine given =
            parseWindowCommandLine(QStringList{QStringLiteral("tk515pro")} + args);
        QCOMPARE(given.error, error);
        if (error.isEmpty()) {
            QCOMPARE(given.port.value_or(QStringLiteral("-")), port);
            QCOMPARE(given.files, files);
        }
    }

    // A file given on the command line or dropped on the window (anywhere on it, an edit
    // included) opens as by Open: the save question first, the same messages, and a
    // failure leaves the fresh configuration.
    void givenFiles_data() {
        QTest::addColumn<QString>("how"); // "command", "window", "edit", "held"
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QStringList>("log"); // "%1" stands for the first file's path
        QTest::addColumn<QString>("serial");  // of the record afterwards
        const QString notConfig = QStringLiteral("! Это файл не для программы TekoraCentre");
        const QString several =
            QStringLiteral("! Открывается только один файл за раз, первый из 2:\n%1");
        QTest::newRow("command line")
            << "command" << QStringList{"site.tk515"} << false << QStringList{} << "SITE";
        QTest::newRow("dropped on the window")
            << "window" << QStringList{"site.tk515"} << false << QStringList{} << "SITE";
        QTest::newRow("dropped on an edit")
            << "edit" << QStringList{"site.tk515"} << false << QStringList{} << "SITE";
        QTest::newRow("dropped on a changed configuration")
            << "window" << QStringList{"site.tk515"} << true << QStringList{kChanged} << "SITE";
        QTest::newRow("several dropped") << "window" << QStringList{"site.tk515", "other.t61"}
                                         << false << QStringList{several} << "SITE";
        QTest::newRow("foreign, command line")
            << "command" << QStringList{"foreign.t61"} << false << QStringList{notConfig} << "";
        QTest::newRow("foreign, dropped")
            << "window" << QStringList{"foreign.t61"} << false << QStringList{notConfig} << "";
        QTest::newRow("missing, command line")
            << "command" << QStringList{"missing.tk515"} << false
            << QStringList{"! Не могу открыть файл: No such file or directory (нет такого "
                           "файла или папки)"}
            << "";
        QTest::newRow("dropped while a link command runs")
            << "held" << QStringList{"site.tk515"} << false << QStringList{} << "";
    }
    void givenFiles() {
        QFETCH(QString, how);
        QFETCH(QStringList, names);
        QFETCH(bool, changed);
        QFETCH(QStringList, log);
        QFETCH(QString, serial);
        const QString folder = scratch_.filePath("given");
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
        for (const auto& [name, content] :
             {std::pair{"site.tk515", fileOf("SITE")}, std::pair{"other.t61", fileOf("OTHER")},
              std::pair{"foreign.t61", QByteArray("not a configuration")}}) {
            QVERIFY(writeFile(folder + "/" + name, content));
        }
        QStringList paths;
        for (const QString& name : names) {
            paths << folder + "/" + name;
        }
        if (changed) {
            window().panelContext().updt1(true);
            prompts_.answers = {Answer::No};
        }
        auto* edit = child<QLineEdit>(window(), "Panel000TxSerialNumEd");
        const QString editBefore = edit->text();
        if (how == QStringLiteral("command")) {
            window().openGivenFiles(paths);
        } else {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString& p : paths) {
                urls << QUrl::fromLocalFile(p);
            }
            data.setUrls(urls);
            data.setText(paths.join(QLatin1Char('\n')));
            QWidget* target =
                how == QStringLiteral("edit") ? static_cast<QWidget*>(edit) : &window();
            const QPoint at = target->rect().center();
            std::optional<FillGuard> held;
            if (how == QStringLiteral("held")) {
                held.emplace(window().panelContext());
            }
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QCOMPARE(enter.isAccepted(), !held);
            if (!held) {
                QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(target, &drop);
                QVERIFY(drop.isAccepted());
            }
        }
        QTest::qWait(50); // the file opens from the event loop
        QStringList expected;
        for (const QString& line : log) {
            expected << (line.contains(QStringLiteral("%1"))
                             ? line.arg(QDir::toNativeSeparators(paths.constFirst()))
                             : line);
        }
        QCOMPARE(prompts_.log, expected);
        QVERIFY(prompts_.done());
        QCOMPARE(window().record().TxSerialNum, serial.toStdString());
        if (serial.isEmpty()) {
            QCOMPARE(window().windowTitle(), changed ? QStringLiteral("Object1* - TK 515 Pro")
                                                     : QStringLiteral("Object1 - TK 515 Pro"));
            QVERIFY(window().document().Untitled());
        } else {
            QCOMPARE(window().windowTitle(), QStringLiteral("site.tk515 - TK 515 Pro"));
            QCOMPARE(shownPanels(), QStringList{"Panel000"});
            QCOMPARE(window().recentFiles().files(), QStringList{paths.constFirst()});
        }
        QCOMPARE(edit->text(), serial.isEmpty() ? editBefore : serial); // no path typed in
    }

    // "Файл" lists the last files opened or saved, newest first, kept across runs; a
    // chosen one that is gone is removed with a word and opens nothing.
    void recentFiles_data() {
        QTest::addColumn<bool>("gone");
        QTest::newRow("a file that is there opens") << false;
        QTest::newRow("a file that is gone is removed") << true;
    }
    void recentFiles() {
        QFETCH(bool, gone);
        const QString folder = scratch_.filePath("recent");
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
        const QString a = folder + "/a.tk515";
        const QString b = folder + "/b&c.t61";
        QVERIFY(writeFile(a, fileOf("A")));
        prompts_.files = {a, b};
        child<QAction>(window(), "Open1")->trigger();
        window().panelContext().updt1(true);
        child<QAction>(window(), "Saveas1")->trigger();
        QCOMPARE(window().recentFiles().files(), (QStringList{b, a}));

        app_.reset();
        open(); // the list comes back from the settings
        auto* file = child<QMenu>(window(), "File1");
        QStringList captions;
        for (QAction* item : file->actions()) {
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        QCOMPARE(captions, (QStringList{"&Новый", "&Открыть", "&Сохранить", "Сохранить &как", "-",
                                        "Ср&авнить с файлом…", "&Резервные копии…", "-", "&Печать…",
                                        "&Экспорт в PDF…", "-", "&1 " + folder + "/b&&c.t61",
                                        "&2 " + folder + "/a.tk515", "-", "&Выход"}));
        if (gone) {
            QVERIFY(QFile::remove(a));
        }
        child<QAction>(window(), "RecentFile2")->trigger();
        QTest::qWait(50);
        if (gone) {
            QCOMPARE(prompts_.log, QStringList{"! Файла больше нет:\n" + a +
                                               "\nОн убран из списка последних файлов."});
            QCOMPARE(window().windowTitle(), QStringLiteral("Object1 - TK 515 Pro"));
            QCOMPARE(window().recentFiles().files(), QStringList{b});
            QVERIFY(child<QAction>(window(), "RecentFile2") == nullptr ||
                    !file->actions().contains(child<QAction>(window(), "RecentFile2")));
        } else {
            QVERIFY(prompts_.log.isEmpty());
            QCOMPARE(window().record().TxSerialNum, std::string("A"));
            QCOMPARE(window().windowTitle(), QStringLiteral("a.tk515 - TK 515 Pro"));
            QCOMPARE(window().recentFiles().files(), (QStringList{a, b}));
        }
        QCOMPARE(QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
                     .value(QStringLiteral("RecentFiles"))
                     .toStringList(),
                 window().recentFiles().files());
    }

    void closeAnsweredNoEndsWithoutSaving() {
        window().panelContext().updt1(true);
        prompts_.answers = {Answer::No};
        QVERIFY(window().close());
        QVERIFY(!QFile::exists(program_ + "/Object1.t61"));
    }

    void helpOpensTheManual() {
        child<QAction>(window(), "Help2")->trigger();
        auto* help = window().findChild<HelpWindow*>("HelpWindow");
        QVERIFY(help != nullptr);
        QVERIFY(help->isVisible());
        QCOMPARE(help->browser()->source(), QUrl("qrc:/help/index.html"));
        if (hasResources()) {
            QVERIFY(!help->browser()->toPlainText().isEmpty());
        }
        help->close();
        QCOMPARE(child<QAction>(window(), "Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    }

    void aboutIsModal() {
        QString shown;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr) {
                shown = modal->objectName();
                QTest::mouseClick(child(*modal, "OKButton"), Qt::LeftButton);
            }
        });
        child<QAction>(window(), "About1")->trigger();
        QCOMPARE(shown, QStringLiteral("TAboutBox"));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
