#include "ui/helpwindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tk {

const QString HelpWindow::kStartPage = QStringLiteral("qrc:/help/index.html");

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка TK 515"));
    resize(760, 560);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl(kStartPage));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
}

} // namespace tk
