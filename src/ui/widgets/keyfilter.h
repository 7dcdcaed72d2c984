// Key filters: a function that sees every key press of a control before the control
// does, and the two questions a filter asks of a key.
#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace tk {

// Runs a function on every key press of the watched control; true swallows the key.
class KeyFilter : public QObject {
public:
    KeyFilter(std::function<bool(QKeyEvent*)> filter, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(QKeyEvent*)> filter_;
};

// `filter` sees every key press of `control` before the control does (the filter
// installed last first); returning true swallows the key. The filter lives as long as
// the control.
void onKeyPress(QWidget* control, std::function<bool(QKeyEvent*)> filter);

// The typed character of a key event (empty for moving keys, Backspace and keys with
// Ctrl or Alt), as a key filter judges it.
QString typedText(const QKeyEvent* event);
bool isBackspace(const QKeyEvent* event);

} // namespace tk
