#include "ui/panels/settingspanel.h"

#include "model/cp1251.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTextBlock>
#include <QToolButton>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

namespace tk {

namespace {

constexpr int kTitleHeight = 24;
constexpr char kPointedOut[] = "tkPointedOut";
constexpr char kKeepNote[] = "tkKeepNote"; // the note of a cut paste outlives its own edit

QFont fontOf(const QWidget* parent, SettingsPanel::Font font) {
    QFont f = parent->font();
    f.setPixelSize(font.pixels);
    f.setBold(font.bold);
    return f;
}

template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// Runs a function on every key press of the watched control.
class KeyFilter : public QObject {
public:
    KeyFilter(std::function<bool(QKeyEvent*)> filter, QObject* parent)
        : QObject(parent), filter_(std::move(filter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            return filter_(static_cast<QKeyEvent*>(event));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QKeyEvent*)> filter_;
};

// Accepts only texts the record can keep: Windows-1251 characters, at most
// maxLength of them. With an `allowed` set, other characters are dropped from what is
// pasted (typed ones never get here: the key filter swallows them) and `stripped` is
// told. The reason for the last refusal is kept for the message.
class RecordTextValidator : public QValidator {
public:
    RecordTextValidator(int maxLength, QString allowed, std::function<void()> stripped,
                        QObject* parent)
        : QValidator(parent), maxLength_(maxLength), allowed_(std::move(allowed)),
          stripped_(std::move(stripped)) {}

    State validate(QString& input, int& pos) const override {
        if (!allowed_.isEmpty()) {
            QString kept;
            int keptPos = pos;
            for (qsizetype i = 0; i < input.size(); ++i) {
                if (allowed_.contains(input.at(i))) {
                    kept += input.at(i);
                } else if (i < pos) {
                    --keptPos;
                }
            }
            if (kept.size() != input.size()) {
                input = kept;
                pos = keptPos;
                if (stripped_) {
                    stripped_();
                }
            }
        }
        if (maxLength_ > 0 && input.size() > maxLength_) {
            reason_ = QStringLiteral("Не более %1 символов.").arg(maxLength_);
            return Invalid;
        }
        QString bad;
        if (!SettingsPanel::toRecordText(input, &bad)) {
            reason_ = SettingsPanel::refusedCharacterText(bad);
            return Invalid;
        }
        return Acceptable;
    }

    const QString& reason() const { return reason_; }

private:
    int maxLength_;
    QString allowed_;
    std::function<void()> stripped_;
    mutable QString reason_;
};

} // namespace

// --- UpDown -------------------------------------------------------------------------

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)), minimum_(minimum),
      maximum_(maximum), position_(minimum) {
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
    setFocusPolicy(Qt::NoFocus);
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::stepUp() {
    if (position_ >= maximum_) {
        return;
    }
    ++position_;
    emit upClicked();
    emit clicked();
}

void UpDown::stepDown() {
    if (position_ <= minimum_) {
        return;
    }
    --position_;
    emit downClicked();
    emit clicked();
}

void UpDown::attachKeys(QLineEdit* edit) {
    edit->installEventFilter(this);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_PageUp) {
            stepUp();
            return true;
        }
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) {
            stepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int h = height() / 2;
    up_->setGeometry(0, 0, width(), h);
    down_->setGeometry(0, h, width(), height() - h);
}

// --- RadioGroup ---------------------------------------------------------------------

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setSpacing(2);
    const int perColumn =
        (static_cast<int>(items.size()) + std::max(columns, 1) - 1) / std::max(columns, 1);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        grid->addWidget(b, perColumn > 0 ? i % perColumn : 0, perColumn > 0 ? i / perColumn : 0);
    }
    connect(group_, &QButtonGroup::buttonClicked, this, [this] { emit clicked(); });
}

int RadioGroup::itemIndex() const {
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    // No button checked: the group must stop being exclusive for a moment.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) {
        b->setChecked(false);
    }
    group_->setExclusive(true);
}

QRadioButton* RadioGroup::button(int index) const {
    return qobject_cast<QRadioButton*>(group_->button(index));
}

int RadioGroup::count() const {
    return static_cast<int>(group_->buttons().size());
}

// --- SettingsPanel ------------------------------------------------------------------

SettingsPanel::SettingsPanel(PanelContext& ctx, const QString& name, QWidget* parent)
    : QFrame(parent), ctx_(ctx) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    hide();
}

SettingsPanel::~SettingsPanel() = default;

void SettingsPanel::hideWithSubPanels() {
    hide();
    for (QWidget* sub : subPanels_) {
        sub->hide();
    }
}

QString SettingsPanel::fromRecordText(const Text& bytes) {
    return QString::fromStdString(cp1251ToUtf8(bytes));
}

std::optional<Text> SettingsPanel::toRecordText(const QString& text, QString* bad) {
    char32_t badChar = 0;
    std::optional<Text> bytes = utf8ToCp1251(text.toStdString(), &badChar);
    if (!bytes && bad != nullptr) {
        *bad = QString::fromUcs4(&badChar, 1);
    }
    return bytes;
}

QString SettingsPanel::refusedCharacterText(const QString& character) {
    return QStringLiteral("Символ «%1» нельзя сохранить: его нет в кодировке Windows-1251.")
        .arg(character);
}

bool SettingsPanel::setFlag(std::int32_t& flags, std::int32_t bit, bool on) {
    const std::int32_t before = flags;
    flags = on ? (flags | bit) : (flags & ~bit);
    return flags != before;
}

QLabel* SettingsPanel::addTitle(const QString& name, const QString& text, int pixelSize,
                                bool bold) {
    title_ = named(new QLabel(text, this), name);
    title_->setAlignment(Qt::AlignCenter);
    title_->setFont(fontOf(this, {pixelSize, bold}));
    title_->setGeometry(0, 0, width(), kTitleHeight);
    return title_;
}

QFrame* SettingsPanel::addSubPanel(const QString& name, QWidget* parent, const QRect& bounds) {
    auto* sub = named(new QFrame(parent), name);
    sub->setGeometry(bounds);
    sub->hide();
    subPanels_.append(sub);
    return sub;
}

QLabel* SettingsPanel::addLabel(const QString& name, const QString& text, QWidget* parent,
                                QPoint at) {
    auto* label = named(new QLabel(text, parent), name);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel* SettingsPanel::addLabel(const QString& name, const QString& text, QWidget* parent,
                                QPoint at, Font font) {
    auto* label = named(new QLabel(text, parent), name);
    label->setFont(fontOf(parent, font));
    label->move(at);
    label->adjustSize();
    return label;
}

QLineEdit* SettingsPanel::addEdit(const QString& name, QWidget* parent, const QRect& bounds,
                                  Font font) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setFont(fontOf(parent, font));
    edit->setGeometry(bounds);
    return edit;
}

QCheckBox* SettingsPanel::addCheckBox(const QString& name, const QString& text, QWidget* parent,
                                      QPoint at, Font font) {
    auto* box = named(new QCheckBox(text, parent), name);
    box->setFont(fontOf(parent, font));
    box->move(at);
    box->adjustSize();
    return box;
}

QComboBox* SettingsPanel::addCombo(const QString& name, const QStringList& items, QWidget* parent,
                                   const QRect& bounds, Font font, bool editable) {
    auto* combo = named(new QComboBox(parent), name);
    combo->setFont(fontOf(parent, font));
    combo->setEditable(editable);
    combo->addItems(items);
    combo->setGeometry(bounds);
    return combo;
}

RadioGroup* SettingsPanel::addRadioGroup(const QString& name, const QString& caption,
                                         const QStringList& items, QWidget* parent,
                                         const QRect& bounds, Font font, int columns) {
    auto* group = named(new RadioGroup(caption, items, columns, parent), name);
    group->setFont(fontOf(parent, font));
    for (int i = 0; i < group->count(); ++i) {
        group->button(i)->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
    }
    group->setGeometry(bounds);
    return group;
}

UpDown* SettingsPanel::addUpDown(const QString& name, QWidget* parent, const QRect& bounds,
                                 int minimum, int maximum, QLineEdit* edit) {
    auto* spinner = named(new UpDown(minimum, maximum, parent), name);
    spinner->upButton()->setObjectName(name + QStringLiteral("Up"));
    spinner->downButton()->setObjectName(name + QStringLiteral("Down"));
    spinner->setGeometry(bounds);
    if (edit != nullptr) {
        spinner->attachKeys(edit);
    }
    return spinner;
}

QPlainTextEdit* SettingsPanel::addMemo(const QString& name, QWidget* parent, const QRect& bounds,
                                       Font font) {
    auto* memo = named(new QPlainTextEdit(parent), name);
    memo->setFont(fontOf(parent, font));
    memo->setGeometry(bounds);
    memo->setTabChangesFocus(true);
    return memo;
}

void SettingsPanel::onKeyPress(QWidget* control, std::function<bool(QKeyEvent*)> filter) {
    control->installEventFilter(new KeyFilter(std::move(filter), control));
}

QString SettingsPanel::typedText(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return {};
    }
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint()) {
        return {};
    }
    return text;
}

bool SettingsPanel::isBackspace(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace;
}

void SettingsPanel::limitText(QLineEdit* edit, int maxLength, const QString& allowed) {
    const QString onlyAllowed = QStringLiteral("Допустимы только символы %1").arg(allowed);
    auto* validator = new RecordTextValidator(
        maxLength, allowed,
        [this, edit, onlyAllowed] {
            if (!ctx_.fillGuard()) {
                pointOut(edit, onlyAllowed);
                edit->setProperty(kKeepNote, true);
            }
        },
        edit);
    edit->setValidator(validator);
    connect(edit, &QLineEdit::inputRejected, this,
            [this, edit, validator] { pointOut(edit, validator->reason()); });
    if (!allowed.isEmpty()) {
        onKeyPress(edit, [this, edit, allowed, onlyAllowed](QKeyEvent* e) {
            const QString typed = typedText(e);
            if (ctx_.fillGuard() || typed.isEmpty() ||
                std::all_of(typed.begin(), typed.end(),
                            [&](QChar c) { return allowed.contains(c); })) {
                return false;
            }
            pointOut(edit, onlyAllowed);
            return true;
        });
    }
    // Typing on after a note clears it; a paste that was cut keeps it (the validator
    // runs before the edit reports the new text).
    connect(edit, &QLineEdit::textEdited, this, [this, edit] {
        if (edit->property(kKeepNote).toBool()) {
            edit->setProperty(kKeepNote, false);
        } else {
            clearPointOut(edit);
        }
    });
}

bool SettingsPanel::dropNonCp1251(QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    QString kept;
    QString bad;
    kept.reserve(text.size());
    int cursor = memo->textCursor().position();
    const int oldCursor = cursor;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Surrogate pairs stay together so the character is judged (and named) whole.
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, len);
        const bool lineBreak = c == QStringLiteral("\n") || c == QChar(QChar::LineSeparator) ||
                               c == QChar(QChar::ParagraphSeparator);
        if (lineBreak || toRecordText(c)) {
            kept += c;
        } else {
            if (bad.isEmpty()) {
                bad = c;
            }
            if (i < oldCursor) {
                cursor -= static_cast<int>(len);
            }
        }
        i += len - 1;
    }
    if (bad.isEmpty()) {
        return false;
    }
    {
        const QSignalBlocker block(memo);
        memo->setPlainText(kept);
        QTextCursor c = memo->textCursor();
        c.setPosition(std::clamp(cursor, 0, static_cast<int>(kept.size())));
        memo->setTextCursor(c);
    }
    pointOut(memo, refusedCharacterText(bad));
    return true;
}

void SettingsPanel::pointOut(QWidget* control, const QString& reason) {
    if (!control->property(kPointedOut).toBool()) {
        control->setProperty(kPointedOut, true);
        QPalette p = control->palette();
        p.setColor(QPalette::Base, QColor(0xFF, 0xD0, 0xD0));
        control->setPalette(p);
    }
    control->setToolTip(reason);
    if (control->isVisible()) {
        QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), reason, control);
    }
}

void SettingsPanel::clearPointOut(QWidget* control) {
    if (!control->property(kPointedOut).toBool()) {
        return;
    }
    control->setProperty(kPointedOut, false);
    control->setPalette(QPalette());
    control->setToolTip({});
    if (QToolTip::isVisible()) {
        QToolTip::hideText();
    }
}

void SettingsPanel::clearPointOuts() {
    for (QWidget* w : findChildren<QWidget*>()) {
        clearPointOut(w);
    }
}

bool SettingsPanel::isPointedOut(const QWidget* control) const {
    return control->property(kPointedOut).toBool();
}

void SettingsPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (title_ != nullptr) {
        title_->setGeometry(0, 0, event->size().width(), kTitleHeight);
    }
}

} // namespace tk
