// The help window: the program's own manual (Russian HTML bundled as resources).
#pragma once

#include <QWidget>

class QTextBrowser;

namespace tk {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static const QString kStartPage;

    explicit HelpWindow(QWidget* parent);

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace tk
