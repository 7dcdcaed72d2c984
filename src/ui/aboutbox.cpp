#include "ui/aboutbox.h"

#include "tk/version.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tk {

namespace {

QLabel* label(const char* name, const QString& text, QWidget* parent, QPoint at) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(at);
    l->adjustSize();
    return l;
}

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(298, 213);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 161);
    // A raised inner bevel inside a lowered outer one.
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(1);

    label("ProductName", QStringLiteral("Product Name"), panel, QPoint(16, 17));
    label("Version", QStringLiteral("Version"), panel, QPoint(16, 40));
    label("Label1", QStringLiteral("TK 515 PRO"), panel, QPoint(112, 17));
    label("Label2", QString::fromLatin1(kVersion), panel, QPoint(112, 40));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(111, 180, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace tk
