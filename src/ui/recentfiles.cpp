#include "ui/recentfiles.h"

#include "files/settings.h"

#include <QAction>
#include <QDir>
#include <QMenu>

namespace tk {
namespace {

// Longer paths are cut in the middle, so that the file name always shows.
constexpr qsizetype kCaptionChars = 70;

} // namespace

RecentFilesMenu::RecentFilesMenu(QMenu* menu, QAction* before)
    : QObject(menu), menu_(menu), before_(before), files_(readRecentFiles()) {
    separator_ = menu_->insertSeparator(before_);
    separator_->setObjectName(QStringLiteral("RecentSeparator"));
    rebuild();
}

QString RecentFilesMenu::caption(int index, const QString& path) {
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kCaptionChars) {
        const qsizetype tail = kCaptionChars / 2;
        shown = shown.left(kCaptionChars - tail - 1) + QChar(0x2026) + shown.right(tail);
    }
    // Line breaks and other controls of a file name would break the item.
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control) {
            c = QChar(0xFFFD);
        }
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

void RecentFilesMenu::add(const QString& path) {
    change(withRecentFile(files_, path));
}

void RecentFilesMenu::remove(const QString& path) {
    QStringList files = files_;
    files.removeAll(path);
    change(files);
}

void RecentFilesMenu::change(const QStringList& files) {
    if (files == files_) {
        return;
    }
    files_ = files;
    storeRecentFiles(files_);
    rebuild();
}

void RecentFilesMenu::rebuild() {
    for (QAction* item : items_) {
        menu_->removeAction(item);
        // Later: the item may be the one whose click is being handled.
        item->deleteLater();
    }
    items_.clear();
    for (int i = 0; i < files_.size(); ++i) {
        auto* item = new QAction(caption(i, files_.at(i)), menu_);
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        const QString path = files_.at(i);
        connect(item, &QAction::triggered, this, [this, path] { emit chosen(path); });
        menu_->insertAction(before_, item);
        items_.push_back(item);
    }
    separator_->setVisible(!files_.isEmpty());
}

} // namespace tk
