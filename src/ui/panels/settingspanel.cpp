#include "ui/panels/settingspanel.h"

#include "model/cp1251.h"

#include <QApplication>
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
#include <QTimer>
#include <QToolButton>
#include <QValidator>

#include <algorithm>

namespace tk {

namespace {

constexpr int kTitleHeight = 24;
constexpr char kPointedOut[] = "tkPointedOut";
constexpr char kKeepNote[] = "tkKeepNote"; // the note of a cut paste outlives its own edit
constexpr char kLasting[] = "tkLasting";   // a mark that the focus leaving keeps

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
// maxLength of them. With an `allowed` set, other characters are dropped from what
// comes in (a paste; typed ones never get here: the key filter swallows them) and
// `stripped` is told; the characters the edit held before stay as they were, so a
// number shown from the record is never rewritten by an edit next to it. While
// `filling` says so, a text is taken as it is: a fill shows the record unchanged. The
// reason for the last refusal is kept for the message.
class RecordTextValidator : public QValidator {
public:
    RecordTextValidator(int maxLength, QString allowed, std::function<bool()> filling,
                        std::function<void()> stripped, QObject* parent)
        : QValidator(parent), maxLength_(maxLength), allowed_(std::move(allowed)),
          filling_(std::move(filling)), stripped_(std::move(stripped)) {}

    State validate(QString& input, int& pos) const override {
        if (filling_()) {
            previous_ = input;
            return Acceptable;
        }
        if (!allowed_.isEmpty()) {
            keepAllowedOfTheNewPart(input, pos);
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
        previous_ = input;
        return Acceptable;
    }

    const QString& reason() const { return reason_; }

private:
    // The new part is what lies between the text's common start and end with the
    // text accepted before.
    void keepAllowedOfTheNewPart(QString& input, int& pos) const {
        const qsizetype n = input.size();
        const qsizetype m = previous_.size();
        qsizetype head = 0;
        while (head < n && head < m && input.at(head) == previous_.at(head)) {
            ++head;
        }
        qsizetype tail = 0;
        while (tail < n - head && tail < m - head &&
               input.at(n - 1 - tail) == previous_.at(m - 1 - tail)) {
            ++tail;
        }
        QString kept = input.left(head);
        int keptPos = pos;
        for (qsizetype i = head; i < n - tail; ++i) {
            if (allowed_.contains(input.at(i))) {
                kept += input.at(i);
            } else if (i < pos) {
                --keptPos;
            }
        }
        kept += input.right(tail);
        if (kept.size() != n) {
            input = kept;
            pos = keptPos;
            if (stripped_) {
                stripped_();
            }
        }
    }

    int maxLength_;
    QString allowed_;
    std::function<bool()> filling_;
    std::function<void()> stripped_;
    mutable QString previous_;
    mutable QString reason_;
};

constexpr int kHintGap = 4;
constexpr int kHintMaxWidth = 320;
constexpr int kHintShownMs = 8000;

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
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &SettingsPanel::focusChanged);
}

SettingsPanel::~SettingsPanel() {
    // The controls lose the focus as they go; by then this panel is no more.
    disconnect(focusWatch_);
}

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

int SettingsPanel::typingKey(QObject* control) {
    if (control == nullptr) {
        return 0;
    }
    static int last = 0;
    constexpr char kKey[] = "tkTypingKey";
    const QVariant key = control->property(kKey);
    if (key.isValid()) {
        return key.toInt();
    }
    control->setProperty(kKey, ++last);
    return last;
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
        maxLength, allowed, [this] { return ctx_.fillGuard(); },
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

void SettingsPanel::whenDone(QLineEdit* edit, std::function<void()> done) {
    connect(edit, &QLineEdit::editingFinished, this, done);
    ctx_.addEditFinisher(this, std::move(done));
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

void SettingsPanel::pointOut(QWidget* control, const QString& reason, Mark mark) {
    if (!control->property(kPointedOut).toBool()) {
        control->setProperty(kPointedOut, true);
        QPalette p = control->palette();
        p.setColor(QPalette::Base, QColor(0xFF, 0xD0, 0xD0));
        control->setPalette(p);
    }
    control->setProperty(kLasting, mark == Mark::Lasting);
    control->setToolTip(reason);
    if (!control->isVisible()) {
        return;
    }
    if (hint_ == nullptr) {
        hint_ = named(new QLabel(this), objectName() + QStringLiteral("Hint"));
        hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
        hint_->setFocusPolicy(Qt::NoFocus);
        hint_->setWordWrap(true);
        hint_->setMargin(2);
        hint_->setFrameStyle(QFrame::Box | QFrame::Plain);
        hint_->setForegroundRole(QPalette::ToolTipText);
        hint_->setBackgroundRole(QPalette::ToolTipBase);
        hint_->setAutoFillBackground(true);
        hint_->hide();
        hintTimer_ = new QTimer(this);
        hintTimer_->setSingleShot(true);
        connect(hintTimer_, &QTimer::timeout, hint_, &QWidget::hide);
    }
    hint_->setText(reason);
    hint_->setGeometry(hintPlace(control));
    hint_->raise();
    hint_->show();
    hintFor_ = control;
    hintTimer_->start(kHintShownMs);
}

QRect SettingsPanel::hintPlace(const QWidget* control) const {
    const QRect c(control->mapTo(this, QPoint(0, 0)), control->size());
    const QRect area = rect().adjusted(kHintGap, kHintGap, -kHintGap, -kHintGap);
    // The text on as few lines as fit, or wrapped to the room from the control's left
    // edge to the panel's, which keeps it close under or over the control.
    const int frame = 2 * (hint_->frameWidth() + hint_->margin());
    const int wide = std::min({hint_->fontMetrics().horizontalAdvance(hint_->text()) + frame + 2,
                               kHintMaxWidth, std::max(area.width(), 1)});
    const int narrow = std::clamp(area.right() + 1 - c.left(), std::min(wide, 120), wide);
    const QSize sizes[] = {{wide, hint_->heightForWidth(wide)},
                           {narrow, hint_->heightForWidth(narrow)}};
    const QSize size = sizes[0];
    QList<QRect> taken;
    for (const QWidget* w : findChildren<QWidget*>()) {
        // Frames that only hold controls, and the control's own containers, take no
        // room of their own.
        if (w == hint_ || !w->isVisibleTo(this) || subPanels_.contains(const_cast<QWidget*>(w)) ||
            w == control || w->isAncestorOf(control) || control->isAncestorOf(w)) {
            continue;
        }
        taken << QRect(w->mapTo(this, QPoint(0, 0)), w->size());
    }
    const auto free = [&](const QRect& r) {
        return area.contains(r) && std::none_of(taken.begin(), taken.end(),
                                                [&](const QRect& t) { return t.intersects(r); });
    };
    const QRect right(QPoint(c.right() + 1 + kHintGap, c.top()), size);
    if (free(right)) {
        return right;
    }
    const auto leftFor = [&](QSize sz) {
        return std::clamp(c.left(), area.left(),
                          std::max(area.left(), area.right() + 1 - sz.width()));
    };
    // Below the control, then above it, as close as the other controls allow.
    for (int dy = 0; c.bottom() + 1 + kHintGap + dy <= area.bottom(); dy += 2) {
        for (const QSize sz : sizes) {
            if (const QRect r(QPoint(leftFor(sz), c.bottom() + 1 + kHintGap + dy), sz); free(r)) {
                return r;
            }
        }
    }
    for (int dy = 0; c.top() - kHintGap - dy >= area.top(); dy += 2) {
        for (const QSize sz : sizes) {
            if (const QRect r(QPoint(leftFor(sz), c.top() - kHintGap - dy - sz.height()), sz);
                free(r)) {
                return r;
            }
        }
    }
    const int x = leftFor(size);
    const QRect before(QPoint(c.left() - kHintGap - size.width(), c.top()), size);
    if (free(before)) {
        return before;
    }
    // No free place: just below the control, where it still takes no click.
    return {QPoint(x, std::min(c.bottom() + 1 + kHintGap, area.bottom() + 1 - size.height())),
            size};
}

void SettingsPanel::clearPointOut(QWidget* control) {
    if (hintFor_ == control && hint_ != nullptr) {
        hint_->hide();
        hintFor_ = nullptr;
    }
    if (!control->property(kPointedOut).toBool()) {
        return;
    }
    control->setProperty(kPointedOut, false);
    control->setProperty(kLasting, false);
    control->setPalette(QPalette());
    control->setToolTip({});
}

void SettingsPanel::focusChanged(QWidget* old, QWidget* now) {
    // A passing mark goes when the focus leaves its control for another one; a
    // window that merely loses the activation (now is null) keeps it.
    if (old == nullptr || now == nullptr || !isAncestorOf(old)) {
        return;
    }
    for (QWidget* w = old; w != nullptr && w != this; w = w->parentWidget()) {
        if (isPointedOut(w) && !w->property(kLasting).toBool() && w != now &&
            !w->isAncestorOf(now)) {
            clearPointOut(w);
        }
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
