// Panel000: the transmitter's serial number, its own telephone number, the version
// read from it and the installer's comments.
#pragma once

#include "ui/panels/settingspanel.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tk {

class GeneralPanel : public SettingsPanel {
    Q_OBJECT
public:
    GeneralPanel(PanelContext& ctx, QWidget* parent);

    bool fill(const View& view) override;
    void setobsch();

    // The longest serial and telephone number the file keeps.
    static constexpr int kSerialMax = 15;
    static constexpr int kTelephoneMax = 15;
    static const QString kTelephoneCharacters;

    // The memo's text as comment lines: one line per text line, no trailing empty
    // lines, none at all for an empty text.
    static std::vector<Text> memoLines(const QString& text);
    // Comment lines with every line break inside them split into lines of their own.
    static std::vector<Text> splitCommentLines(const std::vector<Text>& lines);
    // Why the transmitter's number cannot be dialled (it holds a control character,
    // which the remote commands refuse), or nothing when it can.
    static QString undialableText(const QString& number);

private:
    bool Panel000TxSerialNumEdKeyPress(QKeyEvent* event);
    void Panel000TxSerialNumEdChange(const QString& text);
    void Panel000TxTlfNumEdChange(const QString& text);
    void Panel000CommentsMemoChange();
    // Points out, for as long as the number holds it, a character that cannot be dialled.
    void showUndialable();

    QLabel* Panel000Label1;
    QLineEdit* Panel000TxSerialNumEd;
    QLabel* Panel000TxTlfNumLabel;
    QLineEdit* Panel000TxTlfNumEd;
    QLabel* Panel000TxVerLabel;
    QLabel* Panel000Label3;
    QPlainTextEdit* Panel000CommentsMemo;
};

} // namespace tk
