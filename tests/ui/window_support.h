// Shared by the window tests: an isolated home and settings store, the window built
// as the program builds it, and small finders.
#pragma once

#include "scriptedprompts.h"
#include "ui/appwindows.h"
#include "ui/mainwindow.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>

namespace tk::test {

// Points the home folder and the settings store into a scratch folder, so that the
// tests neither read nor write the user's.
inline void isolateUserFolders(const QTemporaryDir& scratch) {
    qputenv("HOME", QFile::encodeName(scratch.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       scratch.filePath(QStringLiteral("settings/user")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       scratch.filePath(QStringLiteral("settings/system")));
}

template <class T = QWidget> T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qWarning("no child named %s", name);
    }
    return found;
}

inline QTreeWidgetItem* node(QTreeWidget& tree, const QString& text) {
    const auto items = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return items.size() == 1 ? items.first() : nullptr;
}

// A mouse click on the node, as the user makes it.
inline void clickNode(QTreeWidget& tree, QTreeWidgetItem* item) {
    tree.scrollToItem(item);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(item).center());
}

// Runs `then` whenever `watched` gets an event of `type`, before it handles it: to
// see what else was shown at that moment (a box logged when a bar hid).
class OnEvent : public QObject {
public:
    OnEvent(QObject* watched, QEvent::Type type, std::function<void()> then)
        : type_(type), then_(std::move(then)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == type_) {
            then_();
        }
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> then_;
};

} // namespace tk::test
