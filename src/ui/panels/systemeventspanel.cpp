#include "ui/panels/systemeventspanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace tk {

namespace {

constexpr SettingsPanel::Font kBold{13, true};
constexpr SettingsPanel::Font kPlain{13, false};
const QString kPeriodStep = QStringLiteral("Период теста");

// Sets the text only when it differs, so the cursor stays where the user types.
void showText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}

} // namespace

SystemEventsPanel::SystemEventsPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel300"), parent) {
    Panel300Label1 =
        addTitle(QStringLiteral("Panel300Label1"), QStringLiteral("Системные события"), 16, true);
    Panel300Label2 = addLabel(QStringLiteral("Panel300Label2"),
                              QStringLiteral("Неисправность батареи выдается при напряжении "
                                             "питания 11В и менее!"),
                              this, QPoint(16, 32), kPlain);
    // Two lines where the panel is too narrow for one.
    Panel300Label2->setWordWrap(true);
    Panel300Label2->setGeometry(16, 30, 472, 34);
    Panel300Label2->hide();

    Panel300_1 = addSubPanel(QStringLiteral("Panel300_1"), this, QRect(8, 68, 488, 200));

    Panel300GroupBox1 = new QGroupBox(QStringLiteral(" Параметры CID DialUp отчета: "), Panel300_1);
    Panel300GroupBox1->setObjectName(QStringLiteral("Panel300GroupBox1"));
    QFont groupFont = Panel300GroupBox1->font();
    groupFont.setPixelSize(kBold.pixels);
    groupFont.setBold(true);
    Panel300GroupBox1->setFont(groupFont);
    Panel300GroupBox1->setGeometry(8, 0, 472, 88);
    const struct {
        const char* label;
        const char* text;
        const char* edit;
        QLineEdit** field;
    } parameters[] = {
        {"SysEvCodeLabel", "Код события:", "SysEvCodeEd", &SysEvCodeEd},
        {"SysEvInpNumLabel", "Номер входа:", "SysEvInpNumEd", &SysEvInpNumEd},
        {"SysEvPartNumLabel", "Номер раздела:", "SysEvPartNumEd", &SysEvPartNumEd},
    };
    int left = 16;
    for (const auto& p : parameters) {
        addLabel(QString::fromLatin1(p.label), QString::fromUtf8(p.text), Panel300GroupBox1,
                 QPoint(left, 28), kPlain);
        QLineEdit* edit = addEdit(QString::fromLatin1(p.edit), Panel300GroupBox1,
                                  QRect(left, 48, 120, 24), kBold);
        edit->setEnabled(false);
        *p.field = edit;
        left += 152;
    }

    Panel300_1_1 = addSubPanel(QStringLiteral("Panel300_1_1"), Panel300_1, QRect(8, 100, 472, 72));
    addLabel(QStringLiteral("Panel300_1_1Label1"), QStringLiteral("Период:"), Panel300_1_1,
             QPoint(8, 8), kBold);
    TimeOfPTHrEdit =
        addEdit(QStringLiteral("TimeOfPTHrEdit"), Panel300_1_1, QRect(8, 32, 41, 24), kPlain);
    TimeOfPTHrUpDown = addUpDown(QStringLiteral("TimeOfPTHrUpDown"), Panel300_1_1,
                                 QRect(49, 32, 16, 24), 0, kPeriodHoursMax, TimeOfPTHrEdit);
    addLabel(QStringLiteral("TimeOfPTHrLabel"), QStringLiteral("час."), Panel300_1_1,
             QPoint(72, 36), kPlain);
    TimeOfPTMinEdit =
        addEdit(QStringLiteral("TimeOfPTMinEdit"), Panel300_1_1, QRect(120, 32, 41, 24), kPlain);
    TimeOfPTMinUpDown =
        addUpDown(QStringLiteral("TimeOfPTMinUpDown"), Panel300_1_1, QRect(161, 32, 16, 24), 0,
                  kPeriodMinuteStepsMax, TimeOfPTMinEdit);
    addLabel(QStringLiteral("TimeOfPTMinLabel"), QStringLiteral("мин."), Panel300_1_1,
             QPoint(184, 36), kPlain);

    connect(TimeOfPTHrUpDown, &UpDown::clicked, this, &SystemEventsPanel::TimeOfPTHrUpDownClick);
    connect(TimeOfPTHrEdit, &QLineEdit::textChanged, this,
            &SystemEventsPanel::TimeOfPTHrEditChange);
    connect(TimeOfPTMinUpDown, &UpDown::clicked, this, &SystemEventsPanel::TimeOfPTMinUpDownClick);
    connect(TimeOfPTMinEdit, &QLineEdit::textChanged, this,
            &SystemEventsPanel::TimeOfPTMinEditChange);
    // A text that was not taken (empty, no number) gives way to the stored period once
    // the edit is left, and before every command.
    for (QLineEdit* edit : {TimeOfPTHrEdit, TimeOfPTMinEdit}) {
        whenDone(edit, [this, edit] {
            const QString stored = QString::number(
                edit == TimeOfPTHrEdit ? record().PerTestHours : record().PerTestMinutes);
            if (edit->text() != stored) {
                FillGuard guard(context());
                edit->setText(stored);
                clearPointOut(edit);
            }
        });
    }
}

bool SystemEventsPanel::fill(const View& view) {
    switch (view.kind) {
    case View::Sysev0:
        setsysev0();
        return true;
    case View::SysevDC:
        setsysevDC();
        return true;
    case View::SysevPT:
        setsysevPT();
        return true;
    default:
        return false;
    }
}

void SystemEventsPanel::setsysev0() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::Sysev0});
    show();
    Panel300Label1->setText(QStringLiteral("Системные события"));
    Panel300Label2->hide();
    Panel300_1->hide();
}

void SystemEventsPanel::showReport(const QString& title, const QString& code) {
    show();
    Panel300_1->show();
    Panel300Label1->setText(title);
    SysEvCodeEd->setText(code);
    SysEvInpNumEd->setText(QStringLiteral("000"));
    SysEvPartNumEd->setText(QStringLiteral("00"));
}

void SystemEventsPanel::setsysevDC() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::SysevDC});
    showReport(QStringLiteral("Неисправность батареи"), QStringLiteral("E302"));
    Panel300_1_1->hide();
    Panel300Label2->show();
}

void SystemEventsPanel::setsysevPT() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::SysevPT});
    showReport(QStringLiteral("Периодический тест"), QStringLiteral("E602"));
    Panel300_1_1->show();
    Panel300Label2->hide();
    const Configuration& c = record();
    TimeOfPTHrEdit->setText(QString::number(c.PerTestHours));
    TimeOfPTMinEdit->setText(QString::number(c.PerTestMinutes));
    TimeOfPTHrUpDown->setPosition(c.PerTestHours);
    TimeOfPTMinUpDown->setPosition(c.PerTestMinutes / kPeriodMinuteStep);
    clearPointOuts();
}

TestPeriod SystemEventsPanel::period() const {
    return {record().PerTestHours, record().PerTestMinutes};
}

bool SystemEventsPanel::storePeriod(Configuration& cfg, TestPeriod p) {
    const bool changed = cfg.PerTestHours != p.hours || cfg.PerTestMinutes != p.minutes;
    cfg.PerTestHours = p.hours;
    cfg.PerTestMinutes = p.minutes;
    showPeriod(p);
    clearPointOut(TimeOfPTHrEdit);
    clearPointOut(TimeOfPTMinEdit);
    return changed;
}

void SystemEventsPanel::showPeriod(TestPeriod p) {
    showText(TimeOfPTHrEdit, QString::number(p.hours));
    showText(TimeOfPTMinEdit, QString::number(p.minutes));
    TimeOfPTHrUpDown->setPosition(p.hours);
    TimeOfPTMinUpDown->setPosition(p.minutes / kPeriodMinuteStep);
}

void SystemEventsPanel::TimeOfPTHrUpDownClick() {
    write(kPeriodStep, [&](Configuration& c) {
        return storePeriod(c, PeriodFromHourSpinner(period(), TimeOfPTHrUpDown->position()));
    });
}

void SystemEventsPanel::TimeOfPTMinUpDownClick() {
    if (context().fillGuard()) {
        return;
    }
    const std::optional<TestPeriod> p =
        PeriodFromMinuteSpinner(period(), TimeOfPTMinUpDown->position());
    if (!p) {
        // 24 hours take no minutes: the spinner goes back to where it was.
        TimeOfPTMinUpDown->setPosition(record().PerTestMinutes / kPeriodMinuteStep);
        return;
    }
    write(kPeriodStep, [&](Configuration& c) { return storePeriod(c, *p); });
}

std::optional<std::int64_t> SystemEventsPanel::numberIn(QLineEdit* edit, const QString& allowed) {
    const DecimalText typed = ParseDecimal(edit->text().toStdString());
    switch (typed.kind) {
    case DecimalText::Kind::Number:
        return typed.value;
    case DecimalText::Kind::Incomplete:
        // Still typing (an empty edit, a lone minus): the stored value stays.
        clearPointOut(edit);
        return std::nullopt;
    case DecimalText::Kind::Invalid:
        break;
    }
    pointOut(edit, QStringLiteral("«%1» — не число. %2.").arg(edit->text(), allowed));
    return std::nullopt;
}

void SystemEventsPanel::refuse(QLineEdit* edit, const QString& allowed, int kept) {
    pointOut(edit, QStringLiteral("Число %1 не подходит. %2; оставлено %3.")
                       .arg(edit->text().trimmed(), allowed, QString::number(kept)));
    guarded([&] { showText(edit, QString::number(kept)); });
}

void SystemEventsPanel::TimeOfPTHrEditChange() {
    if (context().fillGuard()) {
        return;
    }
    const QString allowed = QStringLiteral("Часы: от 0 до %1").arg(kPeriodHoursMax);
    const std::optional<std::int64_t> typed = numberIn(TimeOfPTHrEdit, allowed);
    if (!typed) {
        return;
    }
    const std::optional<TestPeriod> p = PeriodFromHourEdit(period(), *typed);
    if (!p) {
        refuse(TimeOfPTHrEdit, allowed, record().PerTestHours);
        return;
    }
    write(kPeriodStep, TimeOfPTHrEdit, [&](Configuration& c) { return storePeriod(c, *p); });
}

void SystemEventsPanel::TimeOfPTMinEditChange() {
    if (context().fillGuard()) {
        return;
    }
    const QString allowed =
        QStringLiteral("Минуты: от 0 до %1").arg(kPeriodMinuteStepsMax * kPeriodMinuteStep);
    const std::optional<std::int64_t> typed = numberIn(TimeOfPTMinEdit, allowed);
    if (!typed) {
        return;
    }
    const std::optional<TestPeriod> p = PeriodFromMinuteEdit(period(), *typed);
    if (!p) {
        refuse(TimeOfPTMinEdit,
               *typed < 0 ? allowed
                          : QStringLiteral("Период не больше %1 ч.: при %1 ч. минут нет")
                                .arg(kPeriodHoursMax),
               record().PerTestMinutes);
        return;
    }
    write(kPeriodStep, TimeOfPTMinEdit, [&](Configuration& c) { return storePeriod(c, *p); });
}

} // namespace tk
