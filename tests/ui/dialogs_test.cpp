// The telephone dialog, the about box and the message boxes and file dialogs of the
// file commands, through their real widgets.
#include "panel_support.h"
#include "ui/aboutbox.h"
#include "ui/qtprompts.h"
#include "ui/telephonedialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace tk;
using tk::test::child;
using Answer = Prompts::Answer;

namespace {

// Runs `act` on the modal window as soon as it is shown.
void whenModal(QObject* context, std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, context, [act = std::move(act)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(*modal);
        }
    });
}

QStringList buttonTexts(QWidget& box) {
    QStringList texts;
    for (QAbstractButton* b : static_cast<QMessageBox&>(box).buttons()) {
        texts << b->text();
    }
    texts.sort();
    return texts;
}

void clickButton(QWidget& box, const QString& text) {
    for (QAbstractButton* b : static_cast<QMessageBox&>(box).buttons()) {
        if (b->text() == text) {
            b->click();
            return;
        }
    }
}

} // namespace

class DialogsTest : public test::WindowCase {
    Q_OBJECT

    QWidget owner_;
    QString number_;
    std::unique_ptr<TelephoneDialog> dialog_;

    QLineEdit& edit() { return *child<QLineEdit>(*dialog_, "Edit1"); }

    // Opens the dialog over `number` without blocking, as its caller would show it.
    void openDialog(const QString& number) {
        number_ = number;
        dialog_ = std::make_unique<TelephoneDialog>(&owner_);
        dialog_->setNumber(number_);
        connect(dialog_.get(), &QDialog::accepted, this, [this] { number_ = dialog_->number(); });
        dialog_->open();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }

private slots:
    void cleanup() { dialog_.reset(); }

    void telephoneDialogControls() {
        openDialog("44");
        TelephoneDialog& d = *dialog_;
        QCOMPARE(d.objectName(), QStringLiteral("TForm2"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Номер телефона"));
        QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(d.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(edit().font().pixelSize(), 13);
        auto* ok = child<QPushButton>(d, "Button1");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        auto* cancel = child<QPushButton>(d, "Button2");
        QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
        // The note of a refused key covers no control and takes no click.
        QWidget* hint = child(d, "Edit1Hint");
        QVERIFY(hint->testAttribute(Qt::WA_TransparentForMouseEvents));
        for (const QWidget* w : {static_cast<QWidget*>(&edit()), static_cast<QWidget*>(ok),
                                 static_cast<QWidget*>(cancel)}) {
            QVERIFY(!hint->geometry().intersects(w->geometry()));
        }
        QVERIFY(d.rect().contains(hint->geometry()));
    }

    void openingShowsTheNumberWithFocusAndEnterConfirms() {
        openDialog("+79001234567");
        QCOMPARE(edit().text(), QStringLiteral("+79001234567"));
        QTRY_VERIFY(edit().hasFocus());
        QTest::keyClick(&edit(), Qt::Key_Return);
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(number_, QStringLiteral("+79001234567"));
    }

    // What the edit takes, and whether the refusal is pointed out under it.
    void typedKeys_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("pointed");
        QTest::newRow("digits and signs") << ""
                                          << "0123456789*+"
                                          << "0123456789*+" << false;
        QTest::newRow("hash refused") << ""
                                      << "12#"
                                      << "12" << true;
        QTest::newRow("letters blanks dashes") << ""
                                               << "1a b-2Zж"
                                               << "12" << true;
        QTest::newRow("sixteen at most") << ""
                                         << "12345678901234567"
                                         << "1234567890123456" << true;
        QTest::newRow("full edit") << "1234567890123456"
                                   << "7"
                                   << "1234567890123456" << true;
        QTest::newRow("backspace at sixteen") << "1234567890123456"
                                              << "\b\b9"
                                              << "123456789012349" << false;
        QTest::newRow("refusal, then a digit") << ""
                                               << "#5"
                                               << "5" << false;
    }
    void typedKeys() {
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(bool, pointed);
        openDialog(start);
        edit().end(false);
        for (QChar c : typed) {
            if (c == QLatin1Char('\b')) {
                QTest::keyClick(&edit(), Qt::Key_Backspace);
            } else if (c.unicode() < 0x80) {
                QTest::keyClicks(&edit(), QString(c));
            } else {
                // A key outside ASCII, as a Cyrillic keyboard layout types it.
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(&edit(), &press);
            }
        }
        QCOMPARE(edit().text(), result);
        QCOMPARE(child(*dialog_, "Edit1Hint")->isVisible(), pointed);
        QCOMPARE(edit().toolTip().isEmpty(), !pointed);
    }

    void pastedTextIsFiltered_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("result");
        QTest::newRow("formatted number") << ""
                                          << "+7 (900) 123-45-67"
                                          << "+79001234567";
        QTest::newRow("too long") << ""
                                  << "12345678901234567890"
                                  << "1234567890123456";
        QTest::newRow("after text") << "12345"
                                    << "abc678 901 234 567 8"
                                    << "1234567890123456";
        QTest::newRow("letters only") << "12"
                                      << "abc"
                                      << "12";
        QTest::newRow("hash") << ""
                              << "+7916#123"
                              << "+7916123";
    }
    void pastedTextIsFiltered() {
        QFETCH(QString, start);
        QFETCH(QString, pasted);
        QFETCH(QString, result);
        openDialog(start);
        edit().end(false);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(&edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit().text(), result);
        QVERIFY(child(*dialog_, "Edit1Hint")->isVisible());
    }

    void cancelKeepsTheCallersNumber() {
        openDialog("112");
        QTest::keyClicks(&edit(), "999");
        QTest::mouseClick(child(*dialog_, "Button2"), Qt::LeftButton);
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QCOMPARE(number_, QStringLiteral("112"));
    }

    void okReturnsTheEditedNumber() {
        openDialog("1");
        QCOMPARE(edit().selectedText(), QStringLiteral("1")); // typing replaces it
        edit().end(false);
        QTest::keyClicks(&edit(), "23#*");
        QTest::mouseClick(child(*dialog_, "Button1"), Qt::LeftButton);
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(number_, QStringLiteral("123*"));
    }

    void aboutBox() {
        AboutBox box(&owner_);
        QCOMPARE(box.objectName(), QStringLiteral("TAboutBox"));
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе"));
        const std::pair<const char*, const char*> labels[] = {
            {"ProductName", "Product Name"},
            {"Version", "Version"},
            {"Label1", "TK 515 PRO"},
            {"Label2", "1.1.04"},
        };
        for (const auto& [name, text] : labels) {
            auto* label = child<QLabel>(box, name);
            QCOMPARE(label->text(), QString::fromUtf8(text));
            QCOMPARE(label->parentWidget()->objectName(), QStringLiteral("Panel1"));
        }
        auto* ok = child<QPushButton>(box, "OKButton");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        box.open();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void questionHasRussianButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::newRow("Да") << "Да" << int(Answer::Yes);
        QTest::newRow("Нет") << "Нет" << int(Answer::No);
        QTest::newRow("Отмена") << "Отмена" << int(Answer::Cancel);
    }
    void questionHasRussianButtons() {
        QFETCH(QString, button);
        QFETCH(int, answer);
        QtPrompts prompts(&owner_);
        QStringList seen;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal(this, [&](QWidget& box) {
            seen = buttonTexts(box);
            text = static_cast<QMessageBox&>(box).text();
            icon = static_cast<QMessageBox&>(box).icon();
            clickButton(box, button);
        });
        QCOMPARE(int(prompts.question("Файл был изменен. Сохранить изменения?")), answer);
        QCOMPARE(seen, (QStringList{"Да", "Нет", "Отмена"}));
        QCOMPARE(text, QStringLiteral("Файл был изменен. Сохранить изменения?"));
        QCOMPARE(icon, QMessageBox::Warning);
    }

    void closingTheQuestionIsCancel() {
        QtPrompts prompts(&owner_);
        whenModal(this, [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        QCOMPARE(prompts.question("?"), Answer::Cancel);
    }

    void messageHasAnOkButton() {
        QtPrompts prompts(&owner_);
        QStringList seen;
        whenModal(this, [&](QWidget& box) {
            seen = buttonTexts(box);
            clickButton(box, "OK");
        });
        prompts.message("Не сохраняется");
        QCOMPARE(seen, QStringList{"OK"});
    }

    // A captioned message shows its caption as given; a plain one the program's title.
    void messageCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title");
        QTest::newRow("port busy") << "Порт занят"
                                   << "Порт занят";
        QTest::newRow("plain") << QString() << QGuiApplication::applicationDisplayName();
    }
    void messageCaption() {
        QFETCH(QString, caption);
        QFETCH(QString, title);
        QtPrompts prompts(&owner_);
        QString shownTitle;
        QString shownText;
        whenModal(this, [&](QWidget& box) {
            shownTitle = box.windowTitle();
            shownText = static_cast<QMessageBox&>(box).text();
            clickButton(box, "OK");
        });
        if (caption.isNull()) {
            prompts.message("error");
        } else {
            prompts.captionedMessage(caption, "error");
        }
        QCOMPARE(shownTitle, title);
        QCOMPARE(shownText, QStringLiteral("error"));
    }

    void fileDialogs() {
        QtPrompts prompts(&owner_);
        for (QFileDialog* dialog : {prompts.OpenDialog1, prompts.SaveDialog1}) {
            QCOMPARE(dialog->nameFilters(), (QStringList{"TK 515 (*.tk515 *.t61)", "All (*)"}));
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("t61"));
            QCOMPARE(dialog->parent(), &owner_);
        }
        QCOMPARE(prompts.OpenDialog1->objectName(), QStringLiteral("OpenDialog1"));
        QCOMPARE(prompts.SaveDialog1->objectName(), QStringLiteral("SaveDialog1"));
        QCOMPARE(prompts.OpenDialog1->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(prompts.SaveDialog1->acceptMode(), QFileDialog::AcceptSave);
        // Save as asks about an existing file itself.
        QVERIFY(prompts.SaveDialog1->testOption(QFileDialog::DontConfirmOverwrite));
    }

    // What each filter of the open dialog lets the user see in a folder.
    void openDialogFilters_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("TK 515") << 0 << QStringList{"Object1.t61", "site.TK515", "site.tk515"};
        QTest::newRow("All") << 1
                             << QStringList{"Object1.t61", "README", "notes.txt", "site.TK515",
                                            "site.tk515"};
    }
    void openDialogFilters() {
        QFETCH(int, filter);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        for (const char* name :
             {"Object1.t61", "site.tk515", "site.TK515", "notes.txt", "README"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QtPrompts prompts(&owner_);
        QFileDialog* dialog = prompts.OpenDialog1;
        dialog->setDirectory(dir.path());
        dialog->selectNameFilter(dialog->nameFilters().at(filter));
        dialog->open();
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (view == nullptr) {
            dialog->reject();
            QSKIP("the platform's own file dialog is in use");
        }
        auto shown = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row) {
                names << view->model()->index(row, 0, root).data().toString();
            }
            names.sort();
            return names;
        };
        QTRY_COMPARE(shown(), listed);
        dialog->reject();
    }

    // The save dialog gives a typed name without extension the program's own, whatever
    // the filter.
    void saveDialogAddsTheExtension_data() {
        QTest::addColumn<int>("filter");
        QTest::newRow("TK 515") << 0;
        QTest::newRow("All") << 1;
    }
    void saveDialogAddsTheExtension() {
        QFETCH(int, filter);
        QTemporaryDir dir;
        QtPrompts prompts(&owner_);
        QCOMPARE(prompts.SaveDialog1->nameFilters(), prompts.OpenDialog1->nameFilters());
        prompts.SaveDialog1->selectNameFilter(prompts.SaveDialog1->nameFilters().at(filter));
        whenModal(this, [](QWidget& dialog) {
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name != nullptr) {
                name->setText(QStringLiteral("site"));
            }
            static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, as the button
        });
        QCOMPARE(prompts.saveFileName(dir.filePath(QStringLiteral("Object1.t61"))),
                 std::optional<QString>(dir.filePath(QStringLiteral("site.t61"))));
    }

    // Where each file dialog starts: the folder it is given, or where it stood when
    // that folder is gone.
    void fileDialogsStartIn_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("given"); // below the scratch folder
        QTest::addColumn<QString>("shown");
        QTest::newRow("open, the last folder") << false << "last"
                                               << "last";
        QTest::newRow("open, a folder removed since") << false << "gone"
                                                      << "before";
        QTest::newRow("open, none stored") << false << ""
                                           << "before";
        QTest::newRow("save, the preset's folder") << true << "last/Object1.t61"
                                                   << "last";
    }
    void fileDialogsStartIn() {
        QFETCH(bool, save);
        QFETCH(QString, given);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("last") && QDir(dir.path()).mkpath("before"));
        QtPrompts prompts(&owner_);
        QFileDialog* dialog = save ? prompts.SaveDialog1 : prompts.OpenDialog1;
        dialog->setDirectory(dir.filePath("before"));
        QString started;
        whenModal(this, [&](QWidget& modal) {
            started = static_cast<QFileDialog&>(modal).directory().absolutePath();
            static_cast<QFileDialog&>(modal).reject();
        });
        const QString argument = given.isEmpty() ? QString() : dir.filePath(given);
        QCOMPARE(save ? prompts.saveFileName(argument) : prompts.openFileName(argument),
                 std::nullopt);
        QCOMPARE(started, dir.filePath(shown));
    }

    void saveDialogIsPresetAndCancellable() {
        QTemporaryDir dir;
        const QString preset = dir.filePath("Object3.t61");
        QtPrompts prompts(&owner_);
        QStringList selected;
        whenModal(this, [&](QWidget& dialog) {
            selected = static_cast<QFileDialog&>(dialog).selectedFiles();
            static_cast<QFileDialog&>(dialog).reject();
        });
        QCOMPARE(prompts.saveFileName(preset), std::nullopt);
        QCOMPARE(selected, QStringList{preset});
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
