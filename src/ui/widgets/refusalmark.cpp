#include "ui/widgets/refusalmark.h"

#include <QColor>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace tk {

namespace {

constexpr char kMarked[] = "tkPointedOut";
constexpr char kLasting[] = "tkLasting";

} // namespace

void setRefusalMark(QWidget* control, const QString& reason, bool lasting) {
    if (!control->property(kMarked).toBool()) {
        control->setProperty(kMarked, true);
        QPalette p = control->palette();
        p.setColor(QPalette::Base, QColor(0xFF, 0xD0, 0xD0));
        control->setPalette(p);
    }
    control->setProperty(kLasting, lasting);
    control->setToolTip(reason);
}

bool clearRefusalMark(QWidget* control) {
    if (!control->property(kMarked).toBool()) {
        return false;
    }
    control->setProperty(kMarked, false);
    control->setProperty(kLasting, false);
    control->setPalette(QPalette());
    control->setToolTip({});
    return true;
}

bool hasRefusalMark(const QWidget* control) {
    return control->property(kMarked).toBool();
}

bool hasLastingRefusalMark(const QWidget* control) {
    return control->property(kLasting).toBool();
}

} // namespace tk
