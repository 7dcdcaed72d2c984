// Prompts answered from a script, recording every question, message and dialog.
#pragma once

#include "files/prompts.h"

#include <QStringList>

#include <deque>
#include <optional>

namespace tk::test {

class ScriptedPrompts : public Prompts {
public:
    using Answer = Prompts::Answer;

    // What was asked and told, in order: "? text", "! text", "! [caption] text", "open",
    // "save preset".
    QStringList log;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files; // nothing: the dialog was cancelled
    bool unexpected = false;                  // asked something the script had no answer for
    QStringList openFolders;                  // where each open dialog started

    Answer question(const QString& text) override {
        log << QStringLiteral("? ") + text;
        if (answers.empty()) {
            unexpected = true;
            return Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void message(const QString& text) override { log << QStringLiteral("! ") + text; }
    void captionedMessage(const QString& caption, const QString& text) override {
        log << QStringLiteral("! [%1] %2").arg(caption, text);
    }
    std::optional<QString> openFileName(const QString& folder) override {
        log << QStringLiteral("open");
        openFolders << folder;
        return nextFile();
    }
    std::optional<QString> saveFileName(const QString& preset) override {
        log << QStringLiteral("save ") + preset;
        return nextFile();
    }

    // True when every scripted answer was used and nothing unscripted was asked.
    bool done() const { return !unexpected && answers.empty() && files.empty(); }

private:
    std::optional<QString> nextFile() {
        if (files.empty()) {
            unexpected = true;
            return std::nullopt;
        }
        const bool cancelled = !files.front().has_value();
        const QString name = files.front().value_or(QString());
        files.pop_front();
        if (cancelled) {
            return std::nullopt;
        }
        return name;
    }
};

} // namespace tk::test
