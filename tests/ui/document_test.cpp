// The document's commands without a window: prompts answered from a script, files in
// a scratch folder.
#include "../files/small_fs.h"
#include "files/document.h"
#include "files/fileio.h"
#include "files/format.h"
#include "model/cp1251.h"
#include "model/defaults.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using tk::Configuration;
using tk::Document;
using tk::test::ScriptedPrompts;
using Answer = tk::Prompts::Answer;

namespace {

const QString kChanged = QStringLiteral("? Файл был изменен. Сохранить изменения?");
const QString kReplace = QStringLiteral("? есть такой файл, заменить?");

QByteArray fileImage(Configuration cfg) {
    std::vector<std::uint8_t> bytes;
    if (tk::wrfile(cfg, bytes) != tk::FileWriteError::None) {
        return {};
    }
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

bool root() {
    return ::geteuid() == 0;
}

// A failure message as the document shows it: ours, a colon, the system's text and
// our reason.
QString failure(const char* message, int error) {
    return QStringLiteral("! ") + QString::fromUtf8(message) + QStringLiteral(": ") +
           QString::fromStdString(tk::systemErrorText(error));
}

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Configuration cfg_;
    ScriptedPrompts prompts_;
    std::unique_ptr<Document> doc_;
    int resets_ = 0;
    QString shownCaption_;

    QString folder() const { return dir_.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // The document as the window starts it: New once, nothing asked.
    void start(const QString& namesFolder) {
        doc_ = std::make_unique<Document>(
            cfg_, prompts_, namesFolder,
            Document::Hooks{
                .setdefault =
                    [this] {
                        tk::setdefault(cfg_);
                        ++resets_;
                    },
                .showState =
                    [this] { shownCaption_ = doc_->caption(QStringLiteral("TK 515 Pro")); }});
        doc_->New();
    }

    // A folder for generated names that cannot be made: its parent is a file.
    QString unmakeableFolder() {
        if (!writeAll(path(QStringLiteral("plain")), "not a folder")) {
            qFatal("cannot write the test file");
        }
        return folder() + QStringLiteral("plain/names/");
    }

    // An edit as a panel makes it.
    void edit(const char* serial = "SN1") {
        cfg_.TxSerialNum = serial;
        doc_->updt1(true);
    }

    // A file holding a configuration with the given serial number.
    QString configFile(const QString& name, const char* serial) {
        Configuration other;
        tk::setdefault(other);
        other.TxSerialNum = serial;
        const QString p = path(name);
        if (!writeAll(p, fileImage(other))) {
            qFatal("cannot write the test file");
        }
        return p;
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        cfg_ = Configuration{};
        prompts_ = ScriptedPrompts{};
        resets_ = 0;
        start(folder());
    }
    void cleanup() {
        for (const QString& name :
             QDir(dir_.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile::setPermissions(path(name),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QDir(path(name)).removeRecursively();
            QFile::remove(path(name));
        }
    }

    void startIsObject1Untitled() {
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object1"));
        QCOMPARE(doc_->FilePath(), folder() + QStringLiteral("Object1.t61"));
        QVERIFY(doc_->Untitled());
        QVERIFY(!doc_->ConfigChanged());
        QCOMPARE(doc_->NewFileCounter(), 1);
        QCOMPARE(shownCaption_, QStringLiteral("Object1 - TK 515 Pro"));
        QCOMPARE(doc_->statusText(), folder() + QStringLiteral("Object1.t61"));
        QVERIFY(prompts_.log.isEmpty());
        QVERIFY(!QFile::exists(doc_->FilePath())); // nothing written at start
    }

    void changeMarkInCaptionAndStatus() {
        edit();
        QCOMPARE(shownCaption_, QStringLiteral("Object1* - TK 515 Pro"));
        QCOMPARE(doc_->statusText(), folder() + QStringLiteral("Object1.t61*"));
        doc_->updt1(false);
        QCOMPARE(shownCaption_, QStringLiteral("Object1 - TK 515 Pro"));
    }

    void newOnUnchangedAsksNothingAndCounts() {
        QVERIFY(doc_->New());
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object2"));
        QCOMPARE(doc_->FilePath(), folder() + QStringLiteral("Object2.t61"));
        QCOMPARE(resets_, 2);
        QVERIFY(prompts_.log.isEmpty());
    }

    void newCancelKeepsEverything() {
        edit();
        prompts_.answers = {Answer::Cancel};
        QVERIFY(!doc_->New());
        QCOMPARE(prompts_.log, QStringList{kChanged});
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object1"));
        QVERIFY(doc_->ConfigChanged());
        QCOMPARE(cfg_.TxSerialNum, std::string("SN1"));
        QCOMPARE(resets_, 1);
    }

    void newNoDropsTheEdits() {
        edit();
        prompts_.answers = {Answer::No};
        QVERIFY(doc_->New());
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object2"));
        QVERIFY(!doc_->ConfigChanged());
        QVERIFY(doc_->Untitled());
        QCOMPARE(cfg_.TxSerialNum, std::string());
        QVERIFY(!QFile::exists(path(QStringLiteral("Object1.t61"))));
    }

    void newYesWritesTheGeneratedNameWithoutDialog() {
        edit("SAVED");
        Configuration expected = cfg_;
        prompts_.answers = {Answer::Yes};
        QVERIFY(doc_->New());
        QCOMPARE(prompts_.log, QStringList{kChanged});
        QCOMPARE(readAll(path(QStringLiteral("Object1.t61"))), fileImage(expected));
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object2"));
        QVERIFY(prompts_.done());
    }

    void newYesThatCannotSaveStops() {
        start(unmakeableFolder());
        edit();
        prompts_.answers = {Answer::Yes};
        QVERIFY(!doc_->New());
        QCOMPARE(prompts_.log, (QStringList{kChanged, failure("не сохраняется", ENOTDIR)}));
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object1"));
        QVERIFY(doc_->ConfigChanged());
    }

    void openReadsTheFile() {
        const QString p = configFile(QStringLiteral("site.tk515"), "FROMFILE");
        prompts_.files = {p};
        QVERIFY(doc_->Open());
        QCOMPARE(prompts_.log, QStringList{QStringLiteral("open")});
        QCOMPARE(cfg_.TxSerialNum, std::string("FROMFILE"));
        QCOMPARE(doc_->FilePath(), p);
        QCOMPARE(doc_->FileTitle(), QStringLiteral("site.tk515"));
        QCOMPARE(doc_->OpenFileName(), p);
        QVERIFY(!doc_->Untitled());
        QVERIFY(!doc_->ConfigChanged());
        QCOMPARE(shownCaption_, QStringLiteral("site.tk515 - TK 515 Pro"));
    }

    void openCancelledAtTheQuestionOrTheDialog() {
        edit();
        prompts_.answers = {Answer::Cancel};
        QVERIFY(!doc_->Open());
        QCOMPARE(prompts_.log, QStringList{kChanged}); // no dialog after Cancel
        prompts_.log.clear();
        prompts_.answers = {Answer::No};
        prompts_.files = {std::nullopt};
        QVERIFY(!doc_->Open());
        QCOMPARE(prompts_.log, (QStringList{kChanged, QStringLiteral("open")}));
        QVERIFY(doc_->ConfigChanged());
        QCOMPARE(cfg_.TxSerialNum, std::string("SN1"));
    }

    void openRefusals_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << false
                                 << failure("Не могу открыть файл", ENOENT);
        QTest::newRow("foreign") << QByteArray("not a configuration") << true
                                 << QStringLiteral("! Это файл не для программы TekoraCentre");
        QTest::newRow("empty") << QByteArray() << true
                               << QStringLiteral("! Это файл не для программы TekoraCentre");
    }
    void openRefusals() {
        QFETCH(QByteArray, content);
        QFETCH(bool, create);
        QFETCH(QString, message);
        const QString p = path(QStringLiteral("x.tk515"));
        if (create) {
            QVERIFY(writeAll(p, content));
        }
        edit("KEEP");
        prompts_.answers = {Answer::No};
        prompts_.files = {p};
        QVERIFY(!doc_->Open());
        QCOMPARE(prompts_.log.last(), message);
        QCOMPARE(cfg_.TxSerialNum, std::string("KEEP"));
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object1"));
        QVERIFY(doc_->ConfigChanged());
    }

    void openAReadOnlyFileIsRefused() {
        if (root()) {
            QSKIP("root opens every file for writing; run as a normal user to check this");
        }
        const QString p = configFile(QStringLiteral("ro.tk515"), "RO");
        QVERIFY(QFile::setPermissions(p, QFile::ReadOwner));
        prompts_.files = {p};
        QVERIFY(!doc_->Open());
        QCOMPARE(prompts_.log.last(), failure("Не могу открыть файл", EACCES));
        QCOMPARE(cfg_.TxSerialNum, std::string());
    }

    void openYesThatCannotSaveStopsBeforeTheDialog() {
        start(unmakeableFolder());
        edit();
        prompts_.answers = {Answer::Yes};
        QVERIFY(!doc_->Open());
        QCOMPARE(prompts_.log, (QStringList{kChanged, failure("Не сохраняется", ENOTDIR)}));
    }

    void saveAfterCancelledSaveAsWritesTheGeneratedPath() {
        edit("GEN");
        prompts_.files = {std::nullopt};
        QVERIFY(!doc_->Save()); // untitled: Save as, cancelled
        QCOMPARE(prompts_.log,
                 QStringList{QStringLiteral("save ") + folder() + QStringLiteral("Object1.t61")});
        QVERIFY(!doc_->Untitled());
        QVERIFY(doc_->ConfigChanged());
        prompts_.log.clear();
        QVERIFY(doc_->Save());
        QVERIFY(prompts_.log.isEmpty());
        QCOMPARE(readAll(path(QStringLiteral("Object1.t61"))), fileImage(cfg_));
        QVERIFY(!doc_->ConfigChanged());
        QCOMPARE(shownCaption_, QStringLiteral("Object1 - TK 515 Pro"));
    }

    void saveAsOntoAnExistingFileAsksAgainUntilYes() {
        const QString p = path(QStringLiteral("site.tk515"));
        QVERIFY(writeAll(p, "old"));
        edit("NEW");
        prompts_.files = {p, p, p};
        prompts_.answers = {Answer::No, Answer::Cancel, Answer::Yes};
        QVERIFY(doc_->Saveas());
        const QString dialog = QStringLiteral("save ") + folder() + QStringLiteral("Object1.t61");
        QCOMPARE(prompts_.log, (QStringList{dialog, kReplace, dialog, kReplace, dialog, kReplace}));
        QCOMPARE(readAll(p), fileImage(cfg_));
        QCOMPARE(doc_->FilePath(), p);
        QCOMPARE(doc_->FileTitle(), QStringLiteral("site.tk515"));
        QCOMPARE(shownCaption_, QStringLiteral("site.tk515 - TK 515 Pro"));
        QCOMPARE(doc_->statusText(), QDir::toNativeSeparators(p));
        QVERIFY(prompts_.done());
    }

    void saveAsToANewFileAsksNothingMore() {
        const QString p = path(QStringLiteral("fresh.tk515"));
        edit();
        prompts_.files = {p};
        QVERIFY(doc_->Saveas());
        QCOMPARE(prompts_.log.size(), 1);
        QCOMPARE(readAll(p), fileImage(cfg_));
        QVERIFY(!doc_->ConfigChanged());
    }

    void saveAsFailureKeepsNameAndMark() {
        edit();
        prompts_.files = {path(QStringLiteral("missing/site.tk515"))};
        QVERIFY(!doc_->Saveas());
        QCOMPARE(prompts_.log.last(), failure("Не сохраняется", ENOENT));
        QCOMPARE(doc_->FileTitle(), QStringLiteral("Object1"));
        QCOMPARE(doc_->FilePath(), folder() + QStringLiteral("Object1.t61"));
        QVERIFY(doc_->ConfigChanged());
    }

    void saveFailureKeepsTheMark() {
        const QString sub = path(QStringLiteral("sub"));
        QVERIFY(QDir().mkpath(sub));
        edit();
        prompts_.files = {sub + QStringLiteral("/a.tk515")};
        QVERIFY(doc_->Saveas());
        QVERIFY(QDir(sub).removeRecursively());
        edit("LATER");
        QVERIFY(!doc_->Save());
        QCOMPARE(prompts_.log.last(), failure("Не сохраняется", ENOENT));
        QVERIFY(doc_->ConfigChanged());
        QCOMPARE(shownCaption_, QStringLiteral("a.tk515* - TK 515 Pro"));
    }

    void refusedByTheWriterIsReportedAndKeepsTheOldFile() {
        const QString p = path(QStringLiteral("a.tk515"));
        edit("GOOD");
        prompts_.files = {p};
        QVERIFY(doc_->Saveas());
        const QByteArray before = readAll(p);
        edit("SIXTEEN-CHARS-16");
        QVERIFY(!doc_->Save());
        QCOMPARE(
            prompts_.log.last(),
            QStringLiteral("! Не сохраняется: Серийный номер передатчика длиннее 15 символов"));
        QVERIFY(doc_->ConfigChanged());
        QCOMPARE(readAll(p), before);
    }

    void savesAWritableFileInAReadOnlyFolder() {
        const QString sub = path(QStringLiteral("ro"));
        QVERIFY(QDir().mkpath(sub));
        const QString p = sub + QStringLiteral("/a.tk515");
        edit("FIRST");
        prompts_.files = {p};
        QVERIFY(doc_->Saveas());
        QVERIFY(QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner));
        edit("SECOND");
        QVERIFY(doc_->Save());
        QVERIFY(!doc_->ConfigChanged());
        QCOMPARE(readAll(p), fileImage(cfg_));
        QCOMPARE(QDir(sub).entryList(QDir::Files | QDir::Hidden), QStringList{"a.tk515"});
    }

    void failedSaveLeavesTheOldFileWhole() {
        if (root()) {
            QSKIP("root writes read-only files; run as a normal user to check this");
        }
        const QString p = path(QStringLiteral("a.tk515"));
        edit("FIRST");
        prompts_.files = {p};
        QVERIFY(doc_->Saveas());
        const QByteArray before = readAll(p);
        QVERIFY(QFile::setPermissions(p, QFile::ReadOwner));
        edit("SECOND");
        QVERIFY(!doc_->Save());
        QCOMPARE(prompts_.log.last(), failure("Не сохраняется", EACCES));
        QVERIFY(doc_->ConfigChanged());
        QCOMPARE(shownCaption_, QStringLiteral("a.tk515* - TK 515 Pro"));
        QCOMPARE(readAll(p), before);
        QVERIFY(!before.isEmpty());
    }

    void saveOnAFullDiskSaysSoAndKeepsTheOldFile() {
        tk::test::SmallFileSystem small(
            std::filesystem::path(QFile::encodeName(path("small")).toStdString()), 64);
        if (!small.mounted()) {
            QSKIP(small.why().c_str());
        }
        const QString p = path(QStringLiteral("small/a.tk515"));
        edit("FIRST");
        prompts_.files = {p};
        QVERIFY(doc_->Saveas());
        const QByteArray before = readAll(p);
        small.fill();
        edit("SECOND");
        cfg_.Comments.assign(200, std::string(60, 'c')); // 12 KB, more than is free
        QVERIFY(!doc_->Save());
        QCOMPARE(prompts_.log.last(), failure("Не сохраняется", ENOSPC));
        QVERIFY(doc_->ConfigChanged());
        QCOMPARE(readAll(p), before);
        // Closing with Yes says the same after its own words and keeps the window open.
        prompts_.answers = {Answer::Yes};
        QVERIFY(!doc_->Close());
        QCOMPARE(prompts_.log.last(), QStringLiteral("! Не сохраняется. Последняя ошибка: ") +
                                          QString::fromStdString(tk::systemErrorText(ENOSPC)));
        QCOMPARE(readAll(p), before);
    }

    void saveKeepsHardLinks() {
        const QString p = path(QStringLiteral("a.tk515"));
        edit("FIRST");
        prompts_.files = {p};
        QVERIFY(doc_->Saveas());
        QVERIFY(::link(QFile::encodeName(p).constData(),
                       QFile::encodeName(path(QStringLiteral("b.tk515"))).constData()) == 0);
        edit("SECOND");
        QVERIFY(doc_->Save());
        QCOMPARE(readAll(path(QStringLiteral("b.tk515"))), fileImage(cfg_));
    }

    void closeUnchangedAsksNothing() {
        QVERIFY(doc_->Close());
        QVERIFY(prompts_.log.isEmpty());
    }

    void closeAnswers_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("written");
        QTest::newRow("yes") << int(Answer::Yes) << true << true;
        QTest::newRow("no") << int(Answer::No) << true << false;
        QTest::newRow("cancel") << int(Answer::Cancel) << false << false;
    }
    void closeAnswers() {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(bool, written);
        edit();
        prompts_.answers = {static_cast<Answer>(answer)};
        QCOMPARE(doc_->Close(), closes);
        QCOMPARE(prompts_.log, QStringList{kChanged});
        QCOMPARE(QFile::exists(path(QStringLiteral("Object1.t61"))), written);
        QCOMPARE(doc_->ConfigChanged(), true);
    }

    void closeThatCannotSaveSaysWhyAndStaysOpen() {
        start(unmakeableFolder());
        edit();
        prompts_.answers = {Answer::Yes};
        QVERIFY(!doc_->Close());
        QCOMPARE(prompts_.log.size(), 2);
        const QString told = prompts_.log.last();
        const QString prefix = QStringLiteral("! Не сохраняется. Последняя ошибка: ");
        QVERIFY2(told.startsWith(prefix), qPrintable(told));
        const QString reason = told.mid(prefix.size());
        QVERIFY2(!reason.isEmpty(), "the system's text is missing");
        QVERIFY(!reason.endsWith(QLatin1Char('.')) && !reason.endsWith(QLatin1Char(' ')));
        QVERIFY(doc_->ConfigChanged());
    }

    void errorTextTrimming_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("full stop") << "Access is denied."
                                   << "Access is denied";
        QTest::newRow("line break") << "No such file.\r\n"
                                    << "No such file";
        QTest::newRow("blanks and stops") << "Disk full .. \n "
                                          << "Disk full";
        QTest::newRow("inner stops stay") << "a.b c"
                                          << "a.b c";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorTextTrimming() {
        QFETCH(QString, raw);
        QFETCH(QString, trimmed);
        QCOMPARE(tk::trimmedErrorText(raw), trimmed);
    }

    // The folder of generated names (the documents folder of a new user) is made when
    // a file goes into it, and not before.
    void generatedNamesFolderIsMadeWhenAFileGoesThere_data() {
        QTest::addColumn<QString>("route");
        QTest::newRow("Yes to New") << "new";
        QTest::newRow("Yes to closing") << "close";
        QTest::newRow("Save after a cancelled Save as") << "save";
        QTest::newRow("Save as the preset name") << "saveas";
    }
    void generatedNamesFolderIsMadeWhenAFileGoesThere() {
        QFETCH(QString, route);
        const QString names = path(QStringLiteral("Documents/"));
        start(names);
        QCOMPARE(doc_->FilePath(), names + QStringLiteral("Object1.t61"));
        edit("FIRST");
        QVERIFY(!QFileInfo::exists(names));
        const Configuration expected = cfg_;
        if (route == QStringLiteral("new")) {
            prompts_.answers = {Answer::Yes};
            QVERIFY(doc_->New());
        } else if (route == QStringLiteral("close")) {
            prompts_.answers = {Answer::Yes};
            QVERIFY(doc_->Close());
        } else if (route == QStringLiteral("save")) {
            prompts_.files = {std::nullopt};
            QVERIFY(!doc_->Save());
            QVERIFY(!QFileInfo::exists(names));
            QVERIFY(doc_->Save());
        } else {
            prompts_.files = {names + QStringLiteral("Object1.t61")};
            QVERIFY(doc_->Saveas());
        }
        QCOMPARE(readAll(names + QStringLiteral("Object1.t61")), fileImage(expected));
        QVERIFY(prompts_.done());
    }

    void generatedNamesStayInAWritableProgramFolder() {
        QCOMPARE(tk::generatedNamesFolder(dir_.path()), folder());
    }

    void generatedNamesGoToDocumentsWhenTheProgramFolderIsReadOnly() {
        if (root()) {
            QSKIP("root writes into read-only folders; run as a normal user to check this");
        }
        const QString program = path(QStringLiteral("program"));
        const QString home = path(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(home));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        const QString chosen = tk::generatedNamesFolder(program);
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldXdg);
        QCOMPARE(chosen, documents + QLatin1Char('/'));
        QVERIFY(chosen.startsWith(home));
        QVERIFY2(!QFileInfo::exists(chosen), "made before anything was written there");
    }
};

QTEST_GUILESS_MAIN(DocumentTest)
#include "document_test.moc"
