#include "ui/statuspanel.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace tk {

StatusPanel::StatusPanel(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
}

void StatusPanel::showText(const QString& body, const QString& tail) {
    body_ = body;
    tail_ = tail;
    setToolTip(fullText());
    fit();
}

int StatusPanel::widthFor(const QString& sample) const {
    const QMargins m = contentsMargins();
    // A pixel to spare on each side, so that rounding never cuts the last letter.
    return fontMetrics().horizontalAdvance(sample) + m.left() + m.right() + 2 * margin() + 2;
}

QSize StatusPanel::minimumSizeHint() const {
    // The text gives way instead of widening the window.
    return {widthFor(QString()), QLabel::minimumSizeHint().height()};
}

QSize StatusPanel::sizeHint() const {
    return {widthFor(fullText()), QLabel::sizeHint().height()};
}

void StatusPanel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void StatusPanel::fit() {
    if (text() != shown_) {
        // Set through QLabel::setText (the link's progress words): that is the whole
        // text now.
        body_ = text();
        tail_.clear();
    }
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width() - 2 * margin() - 2 - metrics.horizontalAdvance(tail_);
    const QString text = metrics.horizontalAdvance(body_) <= room
                             ? body_
                             : metrics.elidedText(body_, Qt::ElideMiddle, std::max(room, 0));
    shown_ = text + tail_;
    setText(shown_);
}

} // namespace tk
