#include "ui/panels/generalpanel.h"

#include "link/modem_session.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tk {

namespace {

const QString kVersionCaption = QStringLiteral("Версия передатчика:   ");
constexpr SettingsPanel::Font kBold13{13, true};

// A line feed, or the line separator that Shift+Enter puts into a memo.
bool isLineBreak(QChar c) {
    return c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

const QString GeneralPanel::kTelephoneCharacters = QStringLiteral("0123456789+*#");

GeneralPanel::GeneralPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel000"), parent) {
    addTitle(QStringLiteral("Panel000Label0"), QStringLiteral("Общие настройки"), 21, false);
    Panel000Label1 =
        addLabel(QStringLiteral("Panel000Label1"), QStringLiteral("Серийный номер передатчика: "),
                 this, {16, 40}, kBold13);
    Panel000TxSerialNumEd =
        addEdit(QStringLiteral("Panel000TxSerialNumEd"), this, {272, 36, 177, 24}, kBold13);
    limitText(Panel000TxSerialNumEd, kSerialMax);
    onKeyPress(Panel000TxSerialNumEd,
               [this](QKeyEvent* e) { return Panel000TxSerialNumEdKeyPress(e); });
    connect(Panel000TxSerialNumEd, &QLineEdit::textChanged, this,
            &GeneralPanel::Panel000TxSerialNumEdChange);

    // The transmitter's own number, which the remote read and write dial; in the
    // free row between the serial number and the version.
    Panel000TxTlfNumLabel =
        addLabel(QStringLiteral("Panel000TxTlfNumLabel"), QStringLiteral("Телефон передатчика:"),
                 this, {16, 80}, kBold13);
    Panel000TxTlfNumEd =
        addEdit(QStringLiteral("Panel000TxTlfNumEd"), this, {272, 76, 177, 24}, kBold13);
    limitText(Panel000TxTlfNumEd, kTelephoneMax, kTelephoneCharacters);
    connect(Panel000TxTlfNumEd, &QLineEdit::textChanged, this,
            &GeneralPanel::Panel000TxTlfNumEdChange);
    // After limitText's own handler, which clears a note once the user types on.
    connect(Panel000TxTlfNumEd, &QLineEdit::textEdited, this, &GeneralPanel::showUndialable);

    Panel000TxVerLabel =
        addLabel(QStringLiteral("Panel000TxVerLabel"), kVersionCaption, this, {16, 112}, kBold13);
    Panel000Label3 = addLabel(QStringLiteral("Panel000Label3"), QStringLiteral("Комментарии:"),
                              this, {16, 144}, kBold13);
    Panel000CommentsMemo =
        addMemo(QStringLiteral("Panel000CommentsMemo"), this, {16, 168, 434, 140}, {13, false});
    connect(Panel000CommentsMemo, &QPlainTextEdit::textChanged, this,
            &GeneralPanel::Panel000CommentsMemoChange);
}

std::vector<Text> GeneralPanel::splitCommentLines(const std::vector<Text>& lines) {
    std::vector<Text> out;
    for (const Text& line : lines) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\r' || line[i] == '\n') {
                out.push_back(line.substr(start, i - start));
                if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') {
                    ++i;
                }
                start = i + 1;
            }
        }
        out.push_back(line.substr(start));
    }
    return out;
}

std::vector<Text> GeneralPanel::memoLines(const QString& text) {
    QStringList lines;
    QString line;
    for (const QChar c : text) {
        if (isLineBreak(c)) {
            lines << line;
            line.clear();
        } else {
            line += c;
        }
    }
    lines << line;
    while (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    std::vector<Text> out;
    out.reserve(lines.size());
    for (const QString& l : lines) {
        // The memo refuses characters without a Windows-1251 byte before it gets here.
        out.push_back(toRecordText(l).value_or(Text{}));
    }
    return out;
}

bool GeneralPanel::fill(const View& view) {
    if (view.kind != View::Obsch) {
        return false;
    }
    setobsch();
    return true;
}

void GeneralPanel::setobsch() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::Obsch});
    show();
    clearPointOuts();
    // The comment lines are split in place: no edit of the user's.
    Configuration& cfg = context().record();
    Panel000TxSerialNumEd->setText(fromRecordText(cfg.TxSerialNum));
    // The number as the file holds it, also characters the edit does not let one type.
    Panel000TxTlfNumEd->setText(fromRecordText(cfg.TxTlfNum));
    showUndialable();
    Panel000TxVerLabel->setText(kVersionCaption + fromRecordText(cfg.TxVersion));
    Panel000TxVerLabel->adjustSize();
    // A line that holds a line break shows as several lines; the record takes them so,
    // and what the memo shows is what Save writes.
    cfg.Comments = splitCommentLines(cfg.Comments);
    QStringList shown;
    for (const Text& line : cfg.Comments) {
        shown << fromRecordText(line);
    }
    Panel000CommentsMemo->setPlainText(shown.join(u'\n'));
}

bool GeneralPanel::Panel000TxSerialNumEdKeyPress(QKeyEvent* event) {
    if (context().fillGuard() || isBackspace(event) || typedText(event).isEmpty()) {
        return false;
    }
    // Typing stops at 15 characters; typing over a selection replaces it.
    if (Panel000TxSerialNumEd->text().size() >= kSerialMax &&
        !Panel000TxSerialNumEd->hasSelectedText()) {
        pointOut(Panel000TxSerialNumEd,
                 QStringLiteral("Серийный номер: не более %1 символов.").arg(kSerialMax));
        return true;
    }
    return false;
}

void GeneralPanel::Panel000TxSerialNumEdChange(const QString& text) {
    // The validator lets only Windows-1251 texts of at most 15 characters in.
    const std::optional<Text> serial = toRecordText(text);
    if (!serial) {
        return;
    }
    write(QStringLiteral("Серийный номер"), Panel000TxSerialNumEd, [&](Configuration& cfg) {
        if (cfg.TxSerialNum == *serial) {
            return false;
        }
        cfg.TxSerialNum = *serial;
        return true;
    });
}

void GeneralPanel::Panel000TxTlfNumEdChange(const QString& text) {
    const std::optional<Text> number = toRecordText(text);
    if (!number) {
        return;
    }
    write(QStringLiteral("Телефон передатчика"), Panel000TxTlfNumEd, [&](Configuration& cfg) {
        if (cfg.TxTlfNum == *number) {
            return false;
        }
        cfg.TxTlfNum = *number;
        return true;
    });
}

QString GeneralPanel::undialableText(const QString& number) {
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number.at(i);
        // The remote commands' own rule decides, character by character.
        if (!link::DialableTelephone(QString(c).toStdString())) {
            return QStringLiteral("Номер нельзя набрать: знак %1 — управляющий символ U+%2. "
                                  "Удаленные чтение и запись такой номер не примут.")
                .arg(i + 1)
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
        }
    }
    return {};
}

void GeneralPanel::showUndialable() {
    // Every other mark is gone by now (a fill clears them, and so does typing on).
    const QString reason = undialableText(Panel000TxTlfNumEd->text());
    if (!reason.isEmpty()) {
        pointOut(Panel000TxTlfNumEd, reason, Mark::Lasting);
    }
}

void GeneralPanel::Panel000CommentsMemoChange() {
    if (context().fillGuard()) {
        return;
    }
    dropNonCp1251(Panel000CommentsMemo);
    const std::vector<Text> lines = memoLines(Panel000CommentsMemo->toPlainText());
    write(QStringLiteral("Комментарии"), Panel000CommentsMemo, [&](Configuration& cfg) {
        if (cfg.Comments == lines) {
            return false;
        }
        cfg.Comments = lines;
        return true;
    });
}

} // namespace tk
