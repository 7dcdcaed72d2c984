#include "ui/appwindows.h"

#include "ui/aboutbox.h"
#include "ui/mainwindow.h"
#include "ui/telephonedialog.h"

#include <QFont>

namespace tk {

void installFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
}

AppWindows createWindows(const QString& programFolder, Prompts* prompts) {
    installFontSubstitutes();
    AppWindows windows;
    windows.main = std::make_unique<MainWindow>(programFolder, prompts);
    windows.telephone = new TelephoneDialog(windows.main.get());
    windows.about = new AboutBox(windows.main.get());
    windows.main->attachDialogs(windows.telephone, windows.about);
    return windows;
}

} // namespace tk
