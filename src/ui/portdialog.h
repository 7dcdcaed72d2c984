// TForm4 "Параметры порта": the serial port of the link, the pause the link puts
// before every byte it sends and the choice of the quick exchange. The caller sets the
// settings before it shows the dialog and takes settings() once it was accepted (OK).
#pragma once

#include "ui/portsettings.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace tk {

// The serial ports present on this machine, by the names the link opens them with
// (device paths such as /dev/ttyUSB0 on Linux, COM1..COM14 on Windows).
QStringList presentSerialPorts();

class PortDialog : public QDialog {
    Q_OBJECT
public:
    using PortLister = std::function<QStringList()>;

    // `ports` lists the ports to offer each time the dialog is shown.
    explicit PortDialog(QWidget* parent, PortLister ports = presentSerialPorts);

    // What the dialog shows when it opens.
    void setSettings(const PortSettings& settings) { settings_ = settings; }
    // After OK: the port chosen (the one before when none was), the pause and the
    // choice of the quick exchange; before, what was set.
    const PortSettings& settings() const { return settings_; }

    // The pause as Label2 shows it: "0.5мс.", "2.5мс.", "25мс.".
    static QString pauseText(std::uint32_t pause, bool multiplied);

    // The working pause, in tenths of a millisecond.
    std::uint32_t workingPause() const { return pause_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void TxWTrackBarChange();
    void PauseMultiplierCBClick();
    void Button1Click();
    void Button2Click();
    void showPause();

    PortSettings settings_;
    PortLister ports_;
    std::uint32_t pause_ = 10;
    bool guard_ = false;

    QLabel* SelPortLabel;
    QComboBox* ComboBox1;
    QLabel* Label1;
    QLabel* Label2;
    QSlider* TxWTrackBar;
    QCheckBox* PauseMultiplierCB;
    QCheckBox* QuickExchangeCB;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace tk
