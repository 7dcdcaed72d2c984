#include "ui/navigation.h"

#include "model/configuration.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QTreeWidgetItemIterator>

namespace tk {

namespace {

// The narrowest face fitTextsTo takes, in percent of the normal width.
constexpr int kNarrowest = 75;

} // namespace

std::optional<View> viewFor(const NodePosition& p) {
    const int i = p.index;
    switch (p.level) {
    case 0:
        switch (p.root) {
        case 0:
            return View{View::Obsch};
        case 1:
            return View{View::Inp0};
        case 2:
            return View{View::Sysev0};
        default:
            return std::nullopt;
        }
    case 1:
        if (p.root == 0) {
            switch (i) {
            case 0:
                return View{View::ArmDisarm};
            case 1:
                return View{View::Teleph0};
            case 2:
                return View{View::Other};
            default:
                return std::nullopt;
            }
        }
        if (p.root == 1) {
            // "Вход 1" .. "Вход 4", then "Входы 5–64"
            if (i < kBaseInputs) {
                return View{View::Inp, i + 1};
            }
            return i == kBaseInputs ? std::optional<View>(View{View::InpTable}) : std::nullopt;
        }
        if (p.root == 2 && (i == 0 || i == 1)) {
            return View{i == 0 ? View::SysevDC : View::SysevPT};
        }
        return std::nullopt;
    case 2: // children of "Телефоны"
        if (p.root != 0) {
            return std::nullopt;
        }
        return i < 5 ? View{View::TelephN, i} : View{View::TelephAD, i - 5};
    case 3: // children of "Постановки/Снятия"
        if (p.root != 0) {
            return std::nullopt;
        }
        return View{View::TelephAD, i};
    default:
        return std::nullopt;
    }
}

namespace {

struct Node {
    int level;
    const char* text;
    int picture; // -1: none
};

// The fixed nodes, in tree order.
constexpr Node kNodes[] = {
    {0, "Общие", 0},
    {1, "Постановка/Снятие", -1},
    {1, "Телефоны", -1},
    {2, "Системных событий", -1},
    {2, "Входа 1", -1},
    {2, "Входа 2", -1},
    {2, "Входа 3", -1},
    {2, "Входа 4", -1},
    {2, "Постановки/Снятия", -1},
    {3, "Раздела 1", -1},
    {3, "Раздела 2", -1},
    {3, "Раздела 3", -1},
    {3, "Раздела 4", -1},
    {1, "Разное", -1},
    {0, "Входы", 1},
    {1, "Вход 1", -1},
    {1, "Вход 2", -1},
    {1, "Вход 3", -1},
    {1, "Вход 4", -1},
    {1, "Входы 5–64", -1},
    {0, "Системные события", 0},
    {1, "Неисправность батареи", -1},
    {1, "Периодический тест", -1},
};

} // namespace

NavigationTree::NavigationTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("TreeView1"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Long node texts scroll sideways instead of being cut.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    QFont treeFont = font();
    treeFont.setPixelSize(nodeFontPixelSize(treeFont));
    setFont(treeFont);

    QTreeWidgetItem* parents[4] = {};
    for (const Node& node : kNodes) {
        auto* item = node.level == 0 ? new QTreeWidgetItem(this)
                                     : new QTreeWidgetItem(parents[node.level - 1]);
        item->setText(0, QString::fromUtf8(node.text));
        if (node.picture >= 0) {
            item->setIcon(0, QIcon(QStringLiteral(":/icons/tree/%1.png").arg(node.picture)));
        }
        parents[node.level] = item;
    }
    expandAll();
}

std::optional<NodePosition> NavigationTree::selectedPosition() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return positionOf(selected.first());
}

NodePosition NavigationTree::positionOf(QTreeWidgetItem* item) const {
    NodePosition position;
    QTreeWidgetItem* root = item;
    while (root->parent() != nullptr) {
        root = root->parent();
        ++position.level;
    }
    position.root = indexOfTopLevelItem(root);
    position.index = item->parent() != nullptr ? item->parent()->indexOfChild(item) : position.root;
    return position;
}

void NavigationTree::selectFirst() {
    setCurrentItem(topLevelItem(0));
}

void NavigationTree::selectView(const View& view) {
    if (selectedPosition() && viewFor(*selectedPosition()) == view) {
        return;
    }
    for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
        if (viewFor(positionOf(*it)) == view) {
            setCurrentItem(*it);
            return;
        }
    }
}

void NavigationTree::markShown() {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    shown_ = selected.isEmpty() ? nullptr : selected.first();
    viewport()->update();
}

void NavigationTree::selectShown() {
    if (shown_ != nullptr) {
        setCurrentItem(shown_);
    }
}

QItemSelectionModel::SelectionFlags NavigationTree::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    if (event != nullptr) {
        if (event->type() == QEvent::KeyPress) {
            return QItemSelectionModel::NoUpdate;
        }
        // A press the view does not take is taken on the release: both are refused.
        if (locked_ && locked_() &&
            (event->type() == QEvent::MouseButtonPress ||
             event->type() == QEvent::MouseButtonRelease ||
             event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::MouseMove)) {
            return QItemSelectionModel::NoUpdate;
        }
    }
    return QTreeWidget::selectionCommand(index, event);
}

void NavigationTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QTreeWidget::drawRow(painter, option, index);
    if (index != currentIndex() || selectionModel()->isSelected(index) || !hasFocus()) {
        return;
    }
    painter->save();
    QPen pen(palette().color(QPalette::Text));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    painter->drawRect(visualRect(index).adjusted(0, 0, -1, -1));
    painter->restore();
}

int NavigationTree::nodeFontPixelSize(const QFont& family) {
    // The original font's height of 13 pixels is its whole line, accents and descenders
    // included; a face of that pixel size here would be some 15 pixels high and too
    // wide for the tree.
    constexpr int kLineHeight = 13;
    QFont font = family;
    for (int size = kLineHeight; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= kLineHeight) {
            return size;
        }
    }
    return 6;
}

void NavigationTree::fitTextsTo(int width) {
    QFont narrowed = font();
    for (int stretch = 100; stretch >= kNarrowest; --stretch) {
        narrowed.setStretch(stretch);
        setFont(narrowed);
        if (sizeHintForColumn(0) + 2 * frameWidth() <= width) {
            return;
        }
    }
}

void NavigationTree::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (plain && currentItem() != nullptr) {
            // As a click on the keyboard's node: it becomes the highlighted one and
            // shows its panel. The arrow keys only move the keyboard's frame.
            setCurrentItem(currentItem());
            emit treeClicked();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTreeWidget::keyPressEvent(event);
}

void NavigationTree::mouseReleaseEvent(QMouseEvent* event) {
    // The view has moved the selection by now (on the press, or on this release), so
    // the click sees where it ended.
    QTreeWidget::mouseReleaseEvent(event);
    emit treeClicked();
}

} // namespace tk
