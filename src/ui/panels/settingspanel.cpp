#include "ui/panels/settingspanel.h"

#include <QLabel>
#include <QResizeEvent>

namespace tk {

namespace {
constexpr int kTitleHeight = 24;
}

SettingsPanel::SettingsPanel(PanelContext& ctx, const QString& name, QWidget* parent)
    : QFrame(parent), ctx_(ctx) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    hide();
}

void SettingsPanel::hideWithSubPanels() {
    hide();
    for (QWidget* sub : subPanels_) {
        sub->hide();
    }
}

QLabel* SettingsPanel::addTitle(const QString& name, const QString& text, int pixelSize,
                                bool bold) {
    title_ = new QLabel(text, this);
    title_->setObjectName(name);
    title_->setAlignment(Qt::AlignCenter);
    QFont font = title_->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    title_->setFont(font);
    title_->setGeometry(0, 0, width(), kTitleHeight);
    return title_;
}

QFrame* SettingsPanel::addSubPanel(const QString& name, QWidget* parent, const QRect& bounds) {
    auto* sub = new QFrame(parent);
    sub->setObjectName(name);
    sub->setGeometry(bounds);
    sub->hide();
    subPanels_.append(sub);
    return sub;
}

QLabel* SettingsPanel::addLabel(const QString& name, const QString& text, QWidget* parent,
                                QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

void SettingsPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (title_ != nullptr) {
        title_->setGeometry(0, 0, event->size().width(), kTitleHeight);
    }
}

} // namespace tk
