// The document: the configuration being edited as a file. It keeps the change mark,
// the untitled flag, the generated names and the current path, and runs the New,
// Open, Save, Save as and close commands, asking and telling through Prompts.
//
// Every save goes through the checked writer (files/fileio.h): the file is written
// whole and on the disk, or the old file stays byte for byte and the change mark
// stays.
#pragma once

#include "files/format.h"
#include "files/prompts.h"
#include "model/configuration.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tk {

// What a save came to: written, refused by the file format's writer, or failed in the
// file system (with the system's text and a Russian reason).
struct SaveResult {
    enum Kind { Saved, Refused, Failed };
    Kind kind = Saved;
    QString reason;

    bool ok() const { return kind == Saved; }
};

// Writes the configuration's file image to `path` through the checked writer.
SaveResult saveConfiguration(Configuration& cfg, const QString& path);

// The folder for generated names: `programFolder` when it is writable, otherwise the
// user's documents folder, which the document creates when it first writes a file
// there. Ends with a separator.
QString generatedNamesFolder(const QString& programFolder);

// A system error text without its trailing blanks, line breaks and full stops.
QString trimmedErrorText(const QString& text);

class Document : public QObject {
    Q_OBJECT
public:
    // `namesFolder` is where generated names go (see generatedNamesFolder).
    Document(Configuration& cfg, Prompts& prompts, QString namesFolder, QObject* parent = nullptr);

    // The commands. Each returns true when it went through: a new configuration, a
    // file opened, saved, or the window may close.
    bool New();
    bool Open();
    // Open without the dialog: the file given on the command line, dropped on the
    // window or chosen among the recent files. The same question first and the same
    // messages as Open.
    bool Open(const QString& path);
    bool Save();
    bool Saveas();
    bool Close();
    // New's question alone: a changed configuration is offered for saving to the
    // current path. False when the command must stop (Cancel, or the save failed and
    // "не сохраняется" told why). A read asks it before it starts and runs New only
    // once the transmitter's configuration has come, so a failed read leaves the
    // configuration as it was.
    bool offerSaveForNew();

    // The folder the open and save dialogs start in (the last one used); empty: the
    // open dialog starts where it stands and Save as of a new configuration in the
    // folder of generated names.
    void setLastFolder(const QString& folder) { LastFolder_ = folder; }
    const QString& LastFolder() const { return LastFolder_; }

    // Sets the change mark and shows it.
    void updt1(bool changed);

    // Window caption: the file title, "*" while changed, then the product caption.
    QString caption(const QString& productCaption) const;
    // Status bar text: the path, "*" while changed.
    QString statusText() const;

    bool ConfigChanged() const { return ConfigChanged_; }
    bool Untitled() const { return Untitled_; }
    int NewFileCounter() const { return NewFileCounter_; }
    const QString& FilePath() const { return FilePath_; }
    const QString& FileTitle() const { return FileTitle_; }
    const QString& OpenFileName() const { return OpenFileName_; }
    StatusCode LastStatus() const { return StatusCode_; }

signals:
    // New has put the factory configuration into the record.
    void recordReset();
    // The change mark or the file name changed.
    void stateChanged();
    // The user chose a file in this folder (Open, Save as): the dialogs start there
    // next time.
    void folderChosen(const QString& folder);
    // A file was opened or written under the current path (for the list of recent
    // files).
    void fileUsed(const QString& path);

private:
    // The configuration changed? Asks to save it to the current path. False when the
    // command must stop: Cancel, or the save failed (and `reportFailure` told why).
    bool offerSave(const std::function<void(const SaveResult&)>& reportFailure);
    void report(const QString& failed, const SaveResult& result);
    // Saves the configuration to `path`, making the folder of generated names first
    // when the file goes there.
    SaveResult saveTo(const QString& path);
    // Saves to FilePath without a dialog. A generated name that nothing of ours was
    // written to yet, and that another program (or an earlier run) has taken
    // meanwhile, gives way to the next free one first.
    SaveResult saveToCurrentPath();
    // The first "Object<n>" above the last generated number whose file is not in the
    // folder of generated names.
    int nextFreeGeneratedNumber() const;
    void takeGeneratedName(int number);
    // Reads the chosen file into the record (after the save question).
    bool openChosen(const QString& chosen);
    void tellFileUsed();
    // A file was chosen in a dialog (or opened): its path becomes the current one.
    void takeChosenPath(const QString& chosen);
    // Preset of the save dialog: the current path, or for a configuration that has
    // only its generated name, that name in the last folder used.
    QString savePreset() const;

    Configuration& cfg_;
    Prompts& prompts_;
    QString namesFolder_;

    bool ConfigChanged_ = false;
    bool Untitled_ = false;
    int NewFileCounter_ = 0;
    QString FilePath_;
    QString FileTitle_;
    QString OpenFileName_;
    StatusCode StatusCode_ = StatusNone;
    QString LastFolder_;
    // FilePath is a generated name into which this document has written nothing yet.
    bool GeneratedPathFree_ = false;
};

} // namespace tk
