#include "ui/panels/settingspanel.h"

#include "ui/widgets/refusalmark.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace tk {

namespace {

constexpr int kTitleHeight = 24;

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

constexpr int kHintGap = 4;
constexpr int kHintMaxWidth = 320;
constexpr int kHintShownMs = 8000;

} // namespace

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

void SettingsPanel::limitText(QLineEdit* edit, int maxLength, const QString& allowed) {
    auto* checked = new CheckedEdit(edit, maxLength, allowed, [this] { return ctx_.fillGuard(); });
    connect(checked, &CheckedEdit::refused, this,
            [this, edit](const QString& reason) { pointOut(edit, reason); });
    connect(checked, &CheckedEdit::typedOn, this, [this, edit] { clearPointOut(edit); });
}

void SettingsPanel::whenDone(QLineEdit* edit, std::function<void()> done) {
    connect(edit, &QLineEdit::editingFinished, this, done);
    ctx_.addEditFinisher(this, std::move(done));
}

bool SettingsPanel::dropNonCp1251(QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    QString kept;
    char32_t bad = 0;
    kept.reserve(text.size());
    int cursor = memo->textCursor().position();
    const int oldCursor = cursor;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Surrogate pairs stay together so the character is judged (and named) whole.
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, len);
        const bool lineBreak = c == QStringLiteral("\n") || c == QChar(QChar::LineSeparator) ||
                               c == QChar(QChar::ParagraphSeparator);
        char32_t refused = 0;
        if (lineBreak || toRecordText(c, &refused)) {
            kept += c;
        } else {
            if (bad == 0) {
                bad = refused;
            }
            if (i < oldCursor) {
                cursor -= static_cast<int>(len);
            }
        }
        i += len - 1;
    }
    if (bad == 0) {
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
    setRefusalMark(control, reason, mark == Mark::Lasting);
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
    clearRefusalMark(control);
}

void SettingsPanel::focusChanged(QWidget* old, QWidget* now) {
    // A passing mark goes when the focus leaves its control for another one; a
    // window that merely loses the activation (now is null) keeps it.
    if (old == nullptr || now == nullptr || !isAncestorOf(old)) {
        return;
    }
    for (QWidget* w = old; w != nullptr && w != this; w = w->parentWidget()) {
        if (isPointedOut(w) && !hasLastingRefusalMark(w) && w != now && !w->isAncestorOf(now)) {
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
    return hasRefusalMark(control);
}

void SettingsPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (title_ != nullptr) {
        title_->setGeometry(0, 0, event->size().width(), kTitleHeight);
    }
}

} // namespace tk
