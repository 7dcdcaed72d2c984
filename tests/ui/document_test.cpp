// The document's commands without a window: prompts answered from a script, files in
// a scratch folder.
#include "../files/small_fs.h"
#include "files/document.h"
#include "files/fileio.h"
#include "files/format.h"
#include "files/settings.h"
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
// The replace question names the file on a line of its own.
QString replaceQuestion(const QString& path) {
    return QStringLiteral("? есть такой файл, заменить?\n") + QDir::toNativeSeparators(path);
}

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
    QStringList chosenFolders_;
    QStringList usedFiles_;

    QString folder() const { return dir_.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // The document as the window starts it: New once, nothing asked.
    void start(const QString& namesFolder) {
        doc_ = std::make_unique<Document>(cfg_, prompts_, namesFolder);
        connect(doc_.get(), &Document::recordReset, this, [this] { ++resets_; });
        connect(doc_.get(), &Document::stateChanged, this,
                [this] { shownCaption_ = doc_->caption(QStringLiteral("TK 515 Pro")); });
        connect(doc_.get(), &Document::folderChosen, this,
                [this](const QString& f) { chosenFolders_ << f; });
        connect(doc_.get(), &Document::fileUsed, this,
                [this](const QString& f) { usedFiles_ << f; });
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
        chosenFolders_.clear();
        usedFiles_.clear();
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

    // Save as onto existing files: each answer other than Yes brings the dialog back
    // with the name just chosen, and only a Yes replaces a file.
    void saveAsOntoAnExistingFile_data() {
        QTest::addColumn<QStringList>("choices"); // the names chosen in turn
        QTest::addColumn<QList<int>>("answers");  // to each question
        QTest::addColumn<QString>("saved");       // the file written in the end
        const auto answers = [](std::initializer_list<Answer> list) {
            QList<int> ints;
            for (const Answer a : list) {
                ints << int(a);
            }
            return ints;
        };
        QTest::newRow("Yes at once")
            << QStringList{"site.tk515"} << answers({Answer::Yes}) << "site.tk515";
        QTest::newRow("No, Cancel, then Yes")
            << QStringList{"site.tk515", "site.tk515", "site.tk515"}
            << answers({Answer::No, Answer::Cancel, Answer::Yes}) << "site.tk515";
        QTest::newRow("No, then a new name")
            << QStringList{"site.tk515", "fresh.tk515"} << answers({Answer::No}) << "fresh.tk515";
        QTest::newRow("No, then the generated name taken by an earlier run")
            << QStringList{"site.tk515", "Object9.t61", "other.tk515"}
            << answers({Answer::No, Answer::No}) << "other.tk515";
    }
    void saveAsOntoAnExistingFile() {
        QFETCH(QStringList, choices);
        QFETCH(QList<int>, answers);
        QFETCH(QString, saved);
        for (const char* name : {"site.tk515", "Object9.t61"}) {
            QVERIFY(writeAll(path(QString::fromLatin1(name)), "old"));
        }
        edit("NEW");
        QStringList expected;
        QString preset = folder() + QStringLiteral("Object1.t61");
        for (const QString& name : choices) {
            prompts_.files.push_back(path(name));
            expected << QStringLiteral("save ") + preset;
            if (QFile::exists(path(name))) {
                expected << replaceQuestion(path(name));
            }
            preset = path(name);
        }
        for (const int a : answers) {
            prompts_.answers.push_back(static_cast<Answer>(a));
        }
        QVERIFY(doc_->Saveas());
        QCOMPARE(prompts_.log, expected);
        QVERIFY(prompts_.done());
        QCOMPARE(readAll(path(saved)), fileImage(cfg_));
        for (const char* name : {"site.tk515", "Object9.t61"}) {
            if (path(QString::fromLatin1(name)) != path(saved)) {
                QCOMPARE(readAll(path(QString::fromLatin1(name))), QByteArray("old"));
            }
        }
        QCOMPARE(doc_->FilePath(), path(saved));
        QCOMPARE(doc_->FileTitle(), saved);
        QCOMPARE(shownCaption_, saved + QStringLiteral(" - TK 515 Pro"));
        QCOMPARE(doc_->statusText(), QDir::toNativeSeparators(path(saved)));
        QCOMPARE(chosenFolders_, QStringList{dir_.path()});
        QCOMPARE(usedFiles_, QStringList{path(saved)}); // for the recent files
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
    // a file goes into it, and not before. A generated name that another program (or an
    // earlier run) has taken since New gives way to the next free one: nothing is
    // replaced without a question.
    void generatedNameIsWrittenWithoutDialog_data() {
        QTest::addColumn<QString>("route");
        QTest::addColumn<bool>("taken");
        for (const bool taken : {false, true}) {
            const char* suffix = taken ? ", Object1 taken meanwhile" : "";
            QTest::addRow("Yes to New%s", suffix) << "new" << taken;
            QTest::addRow("Yes to closing%s", suffix) << "close" << taken;
            QTest::addRow("Save after a cancelled Save as%s", suffix) << "save" << taken;
        }
        QTest::newRow("Save as the preset name") << "saveas" << false;
    }
    void generatedNameIsWrittenWithoutDialog() {
        QFETCH(QString, route);
        QFETCH(bool, taken);
        const QString names = path(QStringLiteral("Documents/"));
        start(names);
        QCOMPARE(doc_->FilePath(), names + QStringLiteral("Object1.t61"));
        edit("FIRST");
        QVERIFY(!QFileInfo::exists(names));
        const Configuration expected = cfg_;
        if (taken) {
            QVERIFY(QDir().mkpath(names));
            QVERIFY(writeAll(names + QStringLiteral("Object1.t61"), "earlier run"));
        }
        if (route == QStringLiteral("new")) {
            prompts_.answers = {Answer::Yes};
            QVERIFY(doc_->New());
        } else if (route == QStringLiteral("close")) {
            prompts_.answers = {Answer::Yes};
            QVERIFY(doc_->Close());
        } else if (route == QStringLiteral("save")) {
            prompts_.files = {std::nullopt};
            QVERIFY(!doc_->Save());
            QCOMPARE(QFileInfo::exists(names), taken);
            QVERIFY(doc_->Save());
        } else {
            prompts_.files = {names + QStringLiteral("Object1.t61")};
            QVERIFY(doc_->Saveas());
        }
        const QString written =
            taken ? QStringLiteral("Object2.t61") : QStringLiteral("Object1.t61");
        QCOMPARE(readAll(names + written), fileImage(expected));
        QCOMPARE(usedFiles_, QStringList{names + written});
        if (taken) {
            QCOMPARE(readAll(names + QStringLiteral("Object1.t61")), QByteArray("earlier run"));
        }
        if (route == QStringLiteral("new")) {
            // The next name is the one after the file just written.
            QCOMPARE(doc_->FileTitle(),
                     taken ? QStringLiteral("Object3") : QStringLiteral("Object2"));
        } else {
            QCOMPARE(doc_->FilePath(), names + written);
        }
        QVERIFY(prompts_.done());
    }

    // Generated names skip every name its folder holds already, whatever it is, so
    // that Yes to the save question never replaces a file of an earlier run.
    void generatedNamesSkipWhatTheFolderHolds_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("titles"); // at start, after New, after New again
        QTest::newRow("empty folder")
            << QStringList{} << QStringList{"Object1", "Object2", "Object3"};
        QTest::newRow("Object1.t61 present")
            << QStringList{"Object1.t61"} << QStringList{"Object2", "Object3", "Object4"};
        QTest::newRow("a gap") << QStringList{"Object1.t61", "Object3.t61"}
                               << QStringList{"Object2", "Object4", "Object5"};
        QTest::newRow("a folder of that name")
            << QStringList{"Object1.t61/"} << QStringList{"Object2", "Object3", "Object4"};
        QTest::newRow("a dangling link")
            << QStringList{"Object1.t61@"} << QStringList{"Object2", "Object3", "Object4"};
        QTest::newRow("other extensions do not count")
            << QStringList{"Object1.tk515", "Object1"}
            << QStringList{"Object1", "Object2", "Object3"};
    }
    void generatedNamesSkipWhatTheFolderHolds() {
        QFETCH(QStringList, present);
        QFETCH(QStringList, titles);
        const QString names = path(QStringLiteral("names/"));
        QVERIFY(QDir().mkpath(names));
        for (const QString& entry : present) {
            if (entry.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir().mkpath(names + entry));
            } else if (entry.endsWith(QLatin1Char('@'))) {
                QVERIFY(QFile::link(names + QStringLiteral("nowhere"), names + entry.chopped(1)));
            } else {
                QVERIFY(writeAll(names + entry, "earlier run"));
            }
        }
        start(names);
        QStringList shown{doc_->FileTitle()};
        QVERIFY(doc_->New());
        shown << doc_->FileTitle();
        QVERIFY(doc_->New());
        shown << doc_->FileTitle();
        QCOMPARE(shown, titles);
        QCOMPARE(doc_->FilePath(), names + titles.last() + QStringLiteral(".t61"));
        QCOMPARE(doc_->NewFileCounter(), titles.last().mid(6).toInt());
        QVERIFY(prompts_.log.isEmpty());
    }

    // The recent files: the newest first, each once, at most eight.
    void recentFileList_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("used");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first") << QStringList{} << "/a" << QStringList{"/a"};
        QTest::newRow("in front") << QStringList{"/a", "/b"} << "/c"
                                  << QStringList{"/c", "/a", "/b"};
        QTest::newRow("moved to the front")
            << QStringList{"/a", "/b", "/c"} << "/c" << QStringList{"/c", "/a", "/b"};
        QTest::newRow("already first")
            << QStringList{"/a", "/b"} << "/a" << QStringList{"/a", "/b"};
        QTest::newRow("the ninth drops the oldest")
            << QStringList{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"} << "/9"
            << QStringList{"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"};
        QTest::newRow("names differing in case are two files")
            << QStringList{"/A"} << "/a" << QStringList{"/a", "/A"};
    }
    void recentFileList() {
        QFETCH(QStringList, before);
        QFETCH(QString, used);
        QFETCH(QStringList, after);
        QCOMPARE(tk::withRecentFile(before, used), after);
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
