// The navigation tree (TreeView1) and its dispatch table: which view each node shows.
#pragma once

#include <QTreeWidget>

#include <functional>
#include <optional>

namespace tk {

// Where a node stands: its level (a root has level 0), the index of its root among
// the roots, and its own index among its siblings.
struct NodePosition {
    int level = 0;
    int root = 0;
    int index = 0;
};

// A settings view: a fill operation and its argument.
struct View {
    enum Kind {
        Obsch,     // setobsch
        ArmDisarm, // setarmdisarm
        Teleph0,   // setteleph0
        TelephN,   // settelephN(arg)
        TelephAD,  // settelephAD(arg)
        Other,     // setother
        Inp0,      // setinp0
        Inp,       // setinp(arg)
        InpTable,  // the table of inputs 5..64
        Sysev0,    // setsysev0
        SysevDC,   // setsysevDC
        SysevPT,   // setsysevPT
    };
    Kind kind = Obsch;
    int arg = 0;

    bool operator==(const View&) const = default;
};

// The fill table: the view bound to a tree position; nothing for a position that has
// no view.
std::optional<View> viewFor(const NodePosition& position);

class NavigationTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit NavigationTree(QWidget* parent);

    // The position of the selected node; nothing when no node is selected.
    std::optional<NodePosition> selectedPosition() const;
    // Selects the first node ("Общие").
    void selectFirst();
    // Selects a node that shows `view`: the selected one when it does, otherwise the
    // first in tree order.
    void selectView(const View& view);

    // The highlight marks the node whose view is shown, and nothing else: the arrow
    // keys move only the keyboard's frame (Enter or Space then shows that node), and
    // a click that shows nothing puts the highlight back. markShown() records the
    // selected node as the one shown; selectShown() selects it again.
    void markShown();
    void selectShown();
    // While `locked` says so (a fill or a link command holds FillGuard) a mouse press
    // does not move the highlight.
    void setLocked(std::function<bool()> locked) { locked_ = std::move(locked); }

    // The pixel size of the node texts: the largest whose line is no higher than the
    // 13-pixel cell of the original tree font, so the texts keep its proportions.
    static int nodeFontPixelSize(const QFont& family);
    // Narrows the node font (a condensed face where one is installed, otherwise the
    // same face drawn narrower, down to three quarters) until every node text fits a
    // tree `width` pixels wide without a sideways scroll bar.
    void fitTextsTo(int width);

signals:
    // Every mouse click in the tree, on a node or not, and Enter or Space on a node.
    void treeClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    // The keyboard's node, when it is not the highlighted one, gets a dotted frame.
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    NodePosition positionOf(QTreeWidgetItem* item) const;

    QTreeWidgetItem* shown_ = nullptr;
    std::function<bool()> locked_;
};

} // namespace tk
