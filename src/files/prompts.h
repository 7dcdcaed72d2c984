// The questions, messages and file dialogs of the file commands. The window answers
// them with message boxes and file dialogs; tests answer them from a script.
#pragma once

#include <QString>

#include <optional>

namespace tk {

class Prompts {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompts() = default;

    // A warning with the buttons Yes, No and Cancel; closing the box is Cancel.
    virtual Answer question(const QString& text) = 0;
    // A plain message with an OK button, under the program's title.
    virtual void message(const QString& text) = 0;
    // A plain message with an OK button under its own caption, shown as given
    // ("error" under "Порт занят").
    virtual void captionedMessage(const QString& caption, const QString& text) = 0;
    // The open dialog, starting in `folder` (the last one used; empty: wherever the
    // dialog stands); nothing when it is cancelled.
    virtual std::optional<QString> openFileName(const QString& folder) = 0;
    // The save dialog preset to `preset` (its folder and name); nothing when it is
    // cancelled.
    virtual std::optional<QString> saveFileName(const QString& preset) = 0;
};

} // namespace tk
