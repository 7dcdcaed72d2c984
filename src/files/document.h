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

class Document {
public:
    struct Hooks {
        // Puts the factory configuration into the record and shows the general panel.
        std::function<void()> setdefault;
        // The change mark or the file name changed: show them.
        std::function<void()> showState;
    };

    // `namesFolder` is where generated names go (see generatedNamesFolder).
    Document(Configuration& cfg, Prompts& prompts, QString namesFolder, Hooks hooks);

    // The commands. Each returns true when it went through: a new configuration, a
    // file opened, saved, or the window may close.
    bool New();
    bool Open();
    bool Save();
    bool Saveas();
    bool Close();
    // New's question alone: a changed configuration is offered for saving to the
    // current path. False when the command must stop (Cancel, or the save failed and
    // "не сохраняется" told why). A read asks it before it starts and runs New only
    // once the transmitter's configuration has come, so a failed read leaves the
    // configuration as it was.
    bool offerSaveForNew();

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

private:
    // The configuration changed? Asks to save it to the current path. False when the
    // command must stop: Cancel, or the save failed (and `reportFailure` told why).
    bool offerSave(const std::function<void(const SaveResult&)>& reportFailure);
    void report(const QString& failed, const SaveResult& result);
    // Saves the configuration to `path`, making the folder of generated names first
    // when the file goes there.
    SaveResult saveTo(const QString& path);

    Configuration& cfg_;
    Prompts& prompts_;
    QString namesFolder_;
    Hooks hooks_;

    bool ConfigChanged_ = false;
    bool Untitled_ = false;
    int NewFileCounter_ = 0;
    QString FilePath_;
    QString FileTitle_;
    QString OpenFileName_;
    StatusCode StatusCode_ = StatusNone;
};

} // namespace tk
