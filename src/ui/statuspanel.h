// A panel of the status bar that never widens the window: a text too long for it is
// cut in its middle ("…"), an optional tail (the change mark) always shows whole after
// it, and the whole text is the panel's tool tip. A text set through QLabel::setText
// shows as it is and is kept whole across resizes.
#pragma once

#include <QLabel>

namespace tk {

class StatusPanel : public QLabel {
    Q_OBJECT
public:
    StatusPanel(const QString& name, QWidget* parent);

    // Shows `body` followed by `tail`.
    void showText(const QString& body, const QString& tail = {});
    // The text as given, whatever the panel shows of it.
    QString fullText() const { return body_ + tail_; }
    // The width at which `sample` shows whole.
    int widthFor(const QString& sample) const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit();

    QString body_;
    QString tail_;
    QString shown_; // what fit() last showed
};

} // namespace tk
