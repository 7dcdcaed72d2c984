// The main window through its real widgets: start-up state, menus and buttons, the
// tree and its dispatch, the layout, the file commands and closing.
#include "files/format.h"
#include "model/defaults.h"
#include "ui/commandbars.h"
#include "ui/helpwindow.h"
#include "ui/layout.h"
#include "ui/topdock.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace tk;
using tk::test::child;
using tk::test::clickNode;
using tk::test::node;
using tk::test::ScriptedPrompts;
using Answer = Prompts::Answer;

namespace {

const QStringList kAllPanels = {
    "Panel000",   "Panel010", "Panel011", "Panel011_1", "Panel011_2", "Panel011_3", "Panel011_4",
    "Panel011_7", "Panel013", "Panel100", "Panel100_1", "Panel300",   "Panel300_1", "Panel300_1_1",
};

const QString kChanged = QStringLiteral("? Файл был изменен. Сохранить изменения?");

bool hasResources() {
    return QFile::exists(QStringLiteral(":/icons/toolbar/00.png"));
}

QImage rendered(const QIcon& icon) {
    return icon.pixmap(QSize(16, 16)).toImage();
}

QByteArray fileOf(const char* serial) {
    Configuration cfg;
    tk::setdefault(cfg);
    cfg.TxSerialNum = serial;
    std::vector<std::uint8_t> bytes;
    if (tk::wrfile(cfg, bytes) != FileWriteError::None) {
        return {};
    }
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir scratch_;
    QString program_;
    ScriptedPrompts prompts_;
    std::unique_ptr<AppWindows> app_;

    MainWindow& window() { return *app_->main; }
    QTreeWidget& tree() { return *child<QTreeWidget>(window(), "TreeView1"); }
    QString statusPanel(int i) {
        return child<QLabel>(window(), qPrintable(QStringLiteral("StatusPanel%1").arg(i)))->text();
    }

    void open() {
        prompts_ = ScriptedPrompts{};
        app_ = std::make_unique<AppWindows>(createWindows(program_, &prompts_));
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

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

    void click(const char* text) {
        QTreeWidgetItem* item = node(tree(), QString::fromUtf8(text));
        QVERIFY2(item != nullptr, text);
        clickNode(tree(), item);
    }

    QString settingsPort() {
        QSettings settings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"));
        return settings.value(QStringLiteral("pr")).toString();
    }

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        tk::test::isolateUserFolders(scratch_);
        program_ = scratch_.filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(program_));
    }

    void init() {
        QVERIFY(QDir(program_).removeRecursively() && QDir().mkpath(program_));
        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps")).clear();
        open();
    }

    void cleanup() {
        prompts_.answers = {Answer::No};
        app_.reset();
    }

    void startUpState() {
        MainWindow& w = window();
        QCOMPARE(w.objectName(), QStringLiteral("TForm1"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Object1 - TK 515 Pro"));
        QCOMPARE(w.geometry(), QRect(145, 121, 696, 490));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(0xE6, 0xE6, 0xE6));
        QCOMPARE(statusPanel(0), QStringLiteral("COM1"));
        QCOMPARE(statusPanel(1), QString());
        QCOMPARE(statusPanel(2), QDir::toNativeSeparators(program_ + "/Object1.t61"));
        QCOMPARE(child(w, "StatusPanel0")->width(), 75);
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
        QCOMPARE(bar->size(), QSize(289, 20));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        auto* cancel = child<QPushButton>(w, "Btotmsv");
        QVERIFY(cancel->isHidden());
        QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
        QCOMPARE(cancel->size(), QSize(65, 20));
        QCOMPARE(child(w, "TopDock")->height(), 50);
    }

    void everyNamedControlExists() {
        const char* names[] = {
            // main window
            "TopDock", "ToolBar1", "ToolBar2", "TreeView1", "StatusBar1", "ProgressBar1", "Btotmsv",
            "OpenDialog1", "SaveDialog1", "File1", "New1", "Open1", "Save1", "Saveas1", "N1",
            "Exit1", "Command1", "Connect1", "Read1", "Write1", "Udalread1", "Udalwrite1",
            "Setting1", "Port1", "Help1", "Help2", "About1", "ToolButton1", "ToolButton2",
            "ToolButton3", "ToolButton4", "ToolButton5", "ToolButton6", "ToolButton7",
            "ToolButton8", "ToolButton9", "ToolButton10",
            // panels and what their views show
            "Panel000Label0", "Panel010Label0", "Panel011_InputNumLabel", "Panel011Label1",
            "Panel011Label2", "Panel011Label3", "Panel011Label4", "Panel011Label5",
            "Panel011_3Label1", "Panel011_7Label1", "Panel011_7PartNumLabel", "Panel013Label1",
            "Panel100Label1", "Panel300Label1", "Panel300Label2",
            // the two small windows
            "TForm2", "Edit1", "Button1", "Button2", "TAboutBox", "Panel1", "ProductName",
            "Version", "Label1", "Label2", "OKButton"};
        for (const char* name : names) {
            QVERIFY2(window().findChild<QObject*>(QString::fromLatin1(name)) != nullptr, name);
        }
        for (const QString& name : kAllPanels) {
            QVERIFY2(window().findChild<QWidget*>(name) != nullptr, qPrintable(name));
        }
    }

    // The remote commands do not depend on the cable link: they are enabled always.
    void readWriteDisabledAtStartRemoteCommandsEnabled() {
        for (const char* name : {"Read1", "Write1"}) {
            QVERIFY2(!child<QAction>(window(), name)->isEnabled(), name);
        }
        for (const char* name : {"ToolButton4", "ToolButton6", "ToolButton9"}) {
            QVERIFY2(!child(window(), name)->isEnabled(), name);
        }
        QVERIFY(child(window(), "ToolButton7")->isEnabled());
        for (const char* name : {"Connect1", "Port1", "Udalread1", "Udalwrite1"}) {
            QVERIFY2(child<QAction>(window(), name)->isEnabled(), name);
        }
        for (const char* name : {"New1", "Open1", "Save1", "Saveas1", "Exit1", "Help2", "About1"}) {
            QVERIFY2(child<QAction>(window(), name)->isEnabled(), name);
        }
        for (const char* name : {"ToolButton1", "ToolButton2", "ToolButton3"}) {
            QVERIFY2(child(window(), name)->isEnabled(), name);
        }
        QCOMPARE(child<QAction>(window(), "Connect1")->text(), QStringLiteral("Установить связь"));
        QVERIFY(!window().LinkConnected());
    }

    void menus_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items"); // name=caption, or a bare name for a separator
        QTest::newRow("File1") << "File1"
                               << "Файл" << QStringList{"New1=Новый",
                                                        "Open1=Открыть",
                                                        "Save1=Сохранить",
                                                        "Saveas1=Сохранить как",
                                                        "N1",
                                                        "Exit1=Выход"};
        QTest::newRow("Command1") << "Command1"
                                  << "Команды"
                                  << QStringList{"Connect1=Установить связь", "Read1=Чтение",
                                                 "Write1=Запись", "Udalread1=Удаленное чтение",
                                                 "Udalwrite1=Удаленная запись"};
        QTest::newRow("Setting1") << "Setting1"
                                  << "Параметры" << QStringList{"Port1=Порт"};
        QTest::newRow("Help1") << "Help1"
                               << "Справка" << QStringList{"Help2=TK 515", "About1=О программе"};
    }
    void menus() {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, items);
        auto* m = window().findChild<QMenu*>(menu);
        QVERIFY(m != nullptr);
        QCOMPARE(m->title(), title);
        QVERIFY(child<QMenuBar>(window(), "ToolBar1")->actions().contains(m->menuAction()));
        QStringList actual;
        for (QAction* a : m->actions()) {
            actual << (a->isSeparator() ? a->objectName() : a->objectName() + "=" + a->text());
        }
        QCOMPARE(actual, items);
    }

    void menuBarOrder() {
        QStringList titles;
        for (QAction* a : child<QMenuBar>(window(), "ToolBar1")->actions()) {
            titles << a->text();
        }
        QCOMPARE(titles, (QStringList{"Файл", "Команды", "Параметры", "Справка"}));
    }

    void buttonBar() {
        QStringList actual;
        auto* bar = child<QToolBar>(window(), "ToolBar2");
        for (QAction* a : bar->actions()) {
            QWidget* w = bar->widgetForAction(a);
            actual << (a->isSeparator() ? w->objectName() + "|-"
                                        : w->objectName() + "|" + w->toolTip());
        }
        QCOMPARE(actual, (QStringList{"ToolButton1|Новый", "ToolButton2|Открыть",
                                      "ToolButton3|Сохранить", "ToolButton5|-",
                                      "ToolButton4|Прочитать данные", "ToolButton6|Записать данные",
                                      "ToolButton8|-", "ToolButton7|Установить связь",
                                      "ToolButton9|Разорвать связь", "ToolButton10|-"}));
        for (QAction* a : bar->actions()) {
            if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a))) {
                QVERIFY(button->text().isEmpty() ||
                        button->toolButtonStyle() == Qt::ToolButtonIconOnly);
            }
        }
    }

    void pictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("picture");
        const std::pair<const char*, int> table[] = {
            {"New1", 0},        {"Open1", 1},       {"Save1", 2},        {"Saveas1", 3},
            {"Exit1", 4},       {"Connect1", 5},    {"Read1", 6},        {"Write1", 7},
            {"Udalread1", 8},   {"Udalwrite1", 9},  {"Port1", 11},       {"Help2", 12},
            {"About1", 13},     {"ToolButton1", 0}, {"ToolButton2", 1},  {"ToolButton3", 2},
            {"ToolButton4", 6}, {"ToolButton6", 7}, {"ToolButton7", 19}, {"ToolButton9", 20},
        };
        for (const auto& [name, picture] : table) {
            QTest::newRow(name) << QString::fromLatin1(name) << picture;
        }
    }
    void pictures() {
        if (!hasResources()) {
            QSKIP("the pictures are not bundled in this build");
        }
        QFETCH(QString, name);
        QFETCH(int, picture);
        QIcon icon;
        if (auto* action = window().findChild<QAction*>(name)) {
            icon = action->icon();
        } else if (auto* button = window().findChild<QToolButton*>(name)) {
            icon = button->icon();
        }
        const QIcon expected(
            QStringLiteral(":/icons/toolbar/%1.png").arg(picture, 2, 10, QChar('0')));
        QVERIFY(!expected.isNull());
        QCOMPARE(rendered(icon), rendered(expected));
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
                                                            ? QStringLiteral("Разорвать связь")
                                                            : QStringLiteral("Установить связь"));
        QVERIFY(child(w, "Btotmsv")->isHidden());
        for (const char* name : {"New1", "Open1", "Save1", "Saveas1", "Connect1", "Port1"}) {
            QVERIFY2(child<QAction>(w, name)->isEnabled(), name);
        }
    }

    void treeNodes() {
        QStringList actual;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int level) {
            actual << QString::number(level) + " " + item->text(0);
            for (int i = 0; i < item->childCount(); ++i) {
                walk(item->child(i), level + 1);
            }
        };
        for (int i = 0; i < tree().topLevelItemCount(); ++i) {
            walk(tree().topLevelItem(i), 0);
        }
        QCOMPARE(actual, (QStringList{"0 Общие",
                                      "1 Постановка/Снятие",
                                      "1 Телефоны",
                                      "2 Системных событий",
                                      "2 Входа 1",
                                      "2 Входа 2",
                                      "2 Входа 3",
                                      "2 Входа 4",
                                      "2 Постановки/Снятия",
                                      "3 Раздела 1",
                                      "3 Раздела 2",
                                      "3 Раздела 3",
                                      "3 Раздела 4",
                                      "1 Разное",
                                      "0 Входы",
                                      "1 Вход 1",
                                      "1 Вход 2",
                                      "1 Вход 3",
                                      "1 Вход 4",
                                      "0 Системные события",
                                      "1 Неисправность батареи",
                                      "1 Периодический тест"}));
        QCOMPARE(tree().indentation(), 19);
        QCOMPARE(tree().editTriggers(), QAbstractItemView::NoEditTriggers);
        if (hasResources()) {
            const int pictures[] = {0, 1, 0};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(rendered(tree().topLevelItem(i)->icon(0)),
                         rendered(QIcon(QStringLiteral(":/icons/tree/%1.png").arg(pictures[i]))));
            }
            QVERIFY(node(tree(), "Разное")->icon(0).isNull());
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
        QCOMPARE(child(window(), "Panel011_3")->geometry(), QRect(136, 0, 358, 377));
        QCOMPARE(child(window(), "Panel011_4")->geometry(), QRect(0, 40, 358, 320));
        QCOMPARE(child<QLabel>(window(), "Panel011_3Label1")->text(),
                 QStringLiteral("|      DialUp     |       ALARM     |"));
        click("Раздела 1");
        QCOMPARE(child(window(), "Panel011_7")->geometry(), QRect(136, 0, 358, 362));
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
        QVERIFY(tree().selectedItems().isEmpty());
        QCOMPARE(shownPanels(), (QStringList{"Panel100", "Panel100_1"}));
        QVERIFY(!window().panelContext().fillGuard());
    }

    void clickWhileFillGuardIsHeldChangesNothing() {
        {
            FillGuard held(window().panelContext());
            QVERIFY(bool(held));
            click("Разное");
            QCOMPARE(tree().currentItem()->text(0), QStringLiteral("Разное"));
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

    void keyboardSelectionDoesNotChangeThePanel() {
        click("Входы");
        tree().setFocus();
        QTest::keyClick(tree().viewport(), Qt::Key_Down);
        QTest::keyClick(&tree(), Qt::Key_Down);
        QVERIFY(tree().currentItem()->text(0) != QStringLiteral("Входы"));
        QCOMPARE(shownPanels(), QStringList{"Panel100"});
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

    void layoutOfTheWindow_data() { layoutArithmetic_data(); }
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
        for (const char* name :
             {"Panel000", "Panel010", "Panel011", "Panel013", "Panel100", "Panel300"}) {
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
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(fileOf("OPENED"));
        f.close();
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
        QCOMPARE(settingsPort(), QStringLiteral("COM1"));

        QSettings(QStringLiteral("tkcnt"), QStringLiteral("tkgps"))
            .setValue(QStringLiteral("pr"), QStringLiteral("/dev/ttyUSB0"));
        open();
        QCOMPARE(window().PortName(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(statusPanel(0), QStringLiteral("/dev/ttyUSB0"));
        child<QAction>(window(), "Exit1")->trigger();
        QVERIFY(!window().isVisible());
        QCOMPARE(settingsPort(), QStringLiteral("/dev/ttyUSB0"));
    }

    void closeAnsweredNoEndsWithoutSaving() {
        window().panelContext().updt1(true);
        prompts_.answers = {Answer::No};
        QVERIFY(window().close());
        QVERIFY(!QFile::exists(program_ + "/Object1.t61"));
    }

    void cancelButtonClearsTheRetryFlagOnly() {
        QTest::mouseClick(child(window(), "Btotmsv"), Qt::LeftButton);
        QVERIFY(!window().ConnectRetryAllowed());
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
