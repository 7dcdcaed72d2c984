#include "ui/widgets/keyfilter.h"

#include <QKeyEvent>
#include <QWidget>

namespace tk {

KeyFilter::KeyFilter(std::function<bool(QKeyEvent*)> filter, QObject* parent)
    : QObject(parent), filter_(std::move(filter)) {}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return filter_(static_cast<QKeyEvent*>(event));
    }
    return QObject::eventFilter(watched, event);
}

void onKeyPress(QWidget* control, std::function<bool(QKeyEvent*)> filter) {
    control->installEventFilter(new KeyFilter(std::move(filter), control));
}

QString typedText(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return {};
    }
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint()) {
        return {};
    }
    return text;
}

bool isBackspace(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace;
}

} // namespace tk
