// TopDock: the strip along the top of the window holding the menu bar (row 0) and the
// button bar (row 1) over a background picture stretched to the dock.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace tk {

class TopDock : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 50;

    explicit TopDock(QWidget* parent);

    // The picture as drawn: the dock's width, the dock's height + 5.
    const QPixmap& background() const { return stretched_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void TopDockResize();

    QPixmap original_; // DockBackground, as bundled
    QPixmap stretched_;
};

} // namespace tk
