// The pink mark of a control that holds, or was offered, a text that was not taken:
// a pink background and the reason as its tool tip. The mark is the control's own;
// where the reason shows beside it is the panel's affair.
#pragma once

#include <QString>

class QWidget;

namespace tk {

// Marks `control` with `reason`. A lasting mark tells of what the control holds and
// stays when the focus leaves; a passing one tells of a refused key or paste.
void setRefusalMark(QWidget* control, const QString& reason, bool lasting);
// Takes the mark, its reason and its colour away; false when there was none.
bool clearRefusalMark(QWidget* control);
bool hasRefusalMark(const QWidget* control);
bool hasLastingRefusalMark(const QWidget* control);

} // namespace tk
