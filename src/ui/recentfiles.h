// The recent files in the "Файл" menu: the last files opened or saved, newest first,
// each an item "&1 path" (RecentFile1 ... RecentFile8) above the separator of "Выход".
// The list is kept in the settings and stored at every change.
#pragma once

#include <QObject>
#include <QStringList>

#include <vector>

class QAction;
class QMenu;

namespace tk {

class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    // Lists the stored files in `menu`, before `before`.
    RecentFilesMenu(QMenu* menu, QAction* before);

    // A file was opened or saved: it goes first.
    void add(const QString& path);
    // A file that is gone leaves the list.
    void remove(const QString& path);
    const QStringList& files() const { return files_; }

    // The caption of item `index` (from 0): its number as the Alt letter and the path,
    // cut in the middle when long.
    static QString caption(int index, const QString& path);

signals:
    void chosen(const QString& path);

private:
    void change(const QStringList& files);
    void rebuild();

    QMenu* menu_;
    QAction* before_;
    QAction* separator_;
    std::vector<QAction*> items_;
    QStringList files_;
};

} // namespace tk
