// The file commands' questions and dialogs as message boxes and file dialogs.
#pragma once

#include "files/prompts.h"

class QFileDialog;
class QWidget;

namespace tk {

class QtPrompts : public Prompts {
public:
    // Creates the open and save dialogs (OpenDialog1, SaveDialog1) as children of
    // `parent`, over which the boxes are shown.
    explicit QtPrompts(QWidget* parent);

    Answer question(const QString& text) override;
    void message(const QString& text) override;
    void captionedMessage(const QString& caption, const QString& text) override;
    std::optional<QString> openFileName(const QString& folder) override;
    std::optional<QString> saveFileName(const QString& preset) override;

    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;

private:
    QWidget* parent_;
};

// Shows a plain message box with an OK button, under the program's title when no
// caption is given.
void showMessage(QWidget* parent, const QString& text, const QString& caption = QString());

} // namespace tk
