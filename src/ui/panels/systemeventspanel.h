// Panel300: the battery-trouble and periodic-test events.
#pragma once

#include "model/options_rules.h"
#include "ui/panels/settingspanel.h"

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;

namespace tk {

class SystemEventsPanel : public SettingsPanel {
    Q_OBJECT
public:
    SystemEventsPanel(PanelContext& ctx, QWidget* parent);

    bool fill(const View& view) override;
    void setsysev0();
    void setsysevDC();
    void setsysevPT();

private slots:
    void TimeOfPTHrUpDownClick();
    void TimeOfPTHrEditChange();
    void TimeOfPTMinUpDownClick();
    void TimeOfPTMinEditChange();

private:
    // The fixed Contact ID parameters a view shows; they are not stored.
    void showReport(const QString& title, const QString& code);
    TestPeriod period() const;
    // Stores the period and shows it in both edits and spinners; runs under FillGuard.
    // True when the record changed.
    bool storePeriod(Configuration& cfg, TestPeriod p);
    void showPeriod(TestPeriod p);
    // The number in an edit, or nothing (pointed out when it is no number at all).
    std::optional<std::int64_t> numberIn(QLineEdit* edit, const QString& allowed);
    // A typed number outside the spinner's range: pointed out, the stored value shown.
    void refuse(QLineEdit* edit, const QString& allowed, int kept);

    QLabel* Panel300Label1;
    QLabel* Panel300Label2;
    QFrame* Panel300_1;
    QGroupBox* Panel300GroupBox1;
    QLineEdit* SysEvCodeEd;
    QLineEdit* SysEvInpNumEd;
    QLineEdit* SysEvPartNumEd;
    QFrame* Panel300_1_1;
    QLineEdit* TimeOfPTHrEdit;
    UpDown* TimeOfPTHrUpDown;
    QLineEdit* TimeOfPTMinEdit;
    UpDown* TimeOfPTMinUpDown;
};

} // namespace tk
