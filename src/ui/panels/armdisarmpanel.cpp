#include "ui/panels/armdisarmpanel.h"

#include "model/armdisarm_rules.h"
#include "model/packing.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace tk {

namespace ad = armdisarm;

namespace {

constexpr SettingsPanel::Font kBold13{13, true};
constexpr SettingsPanel::Font kDigitFont{19, true};
constexpr SettingsPanel::Font kTimeFont{21, false};
constexpr int kUnitTop = 178; // the unit labels stand under their edits

const QString kHexDigits = QStringLiteral("0123456789ABCDEFabcdef");

// One hexadecimal digit or nothing, shown in upper case (also when pasted).
class HexDigitValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override {
        if (input.isEmpty()) {
            return Acceptable;
        }
        if (input.size() != 1 || !kHexDigits.contains(input.at(0))) {
            return Invalid;
        }
        input = input.toUpper();
        return Acceptable;
    }
};

QString number(std::int32_t v) {
    return QString::number(v);
}

std::string latin(const QString& text) {
    return text.toStdString();
}

const QString kSirenStep = QStringLiteral("Время звучания сирены");

} // namespace

const QString ArmDisarmPanel::kObjNumStep = QStringLiteral("Номер объекта");

ArmDisarmPanel::ArmDisarmPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel010"), parent) {
    addTitle(QStringLiteral("Panel010Label0"), QStringLiteral("Постановка / Снятие:"), 16, true);

    ObjNameLabel = addLabel(QStringLiteral("ObjNameLabel"), QStringLiteral("Номер объекта: "), this,
                            {16, 40}, kBold13);
    for (int k = 1; k <= ad::kObjNumDigits; ++k) {
        QLineEdit* edit = addEdit(QStringLiteral("ObjName%1Edit").arg(k), this,
                                  {192 + 48 * (k - 1), 32, 25, 32}, kDigitFont);
        edit->setAlignment(Qt::AlignCenter);
        edit->setValidator(new HexDigitValidator(edit));
        connect(edit, &QLineEdit::inputRejected, this, [this, edit] {
            pointOut(edit, QStringLiteral("Номер объекта: только цифры 0–9 и буквы A–F."));
        });
        onKeyPress(edit, [this, k](QKeyEvent* e) { return ObjNameEditKeyPress(k, e); });
        connect(edit, &QLineEdit::textChanged, this,
                [this, k](const QString& text) { ObjNameEditChange(k, text); });
        ObjNameEdits[static_cast<std::size_t>(k - 1)] = edit;
    }

    TimeOfInpLabel =
        addLabel(QStringLiteral("TimeOfInpLabel"), QStringLiteral("Время входа:"), this, {8, 128});
    TimeOfInpEdit = addEdit(QStringLiteral("TimeOfInpEdit"), this, {16, 144, 65, 32}, kTimeFont);
    TimeOfInpUpDown = addUpDown(QStringLiteral("TimeOfInpUpDown"), this, {80, 144, 16, 32}, 0,
                                ad::kDelayMaxSteps, TimeOfInpEdit);
    Sec_1Label =
        addLabel(QStringLiteral("Sec_1Label"), QStringLiteral("сек."), this, {16, kUnitTop});

    TimeOfOutLabel = addLabel(QStringLiteral("TimeOfOutLabel"), QStringLiteral("Время выхода:"),
                              this, {144, 128});
    TimeOfOutEdit = addEdit(QStringLiteral("TimeOfOutEdit"), this, {152, 144, 65, 32}, kTimeFont);
    TimeOfOutUpDown = addUpDown(QStringLiteral("TimeOfOutUpDown"), this, {216, 144, 16, 32}, 0,
                                ad::kDelayMaxSteps, TimeOfOutEdit);
    Sec_2Label =
        addLabel(QStringLiteral("Sec_2Label"), QStringLiteral("сек."), this, {152, kUnitTop});

    TimeOfAlarmLabel = addLabel(QStringLiteral("TimeOfAlarmLabel"),
                                QStringLiteral("Время звучания сирены:"), this, {288, 128});
    TimeOfAlarmMinEdit =
        addEdit(QStringLiteral("TimeOfAlarmMinEdit"), this, {296, 144, 57, 32}, kTimeFont);
    TimeOfAlarmMinUpDown =
        addUpDown(QStringLiteral("TimeOfAlarmMinUpDown"), this, {352, 144, 16, 32}, 0,
                  ad::kSirenMaxMinutes, TimeOfAlarmMinEdit);
    Min_3Label =
        addLabel(QStringLiteral("Min_3Label"), QStringLiteral("мин."), this, {296, kUnitTop});
    TimeOfAlarmSecEdit =
        addEdit(QStringLiteral("TimeOfAlarmSecEdit"), this, {384, 144, 57, 32}, kTimeFont);
    TimeOfAlarmSecUpDown =
        addUpDown(QStringLiteral("TimeOfAlarmSecUpDown"), this, {440, 144, 16, 32}, 0,
                  ad::kSirenMaxSeconds, TimeOfAlarmSecEdit);
    Sec_3Label =
        addLabel(QStringLiteral("Sec_3Label"), QStringLiteral("сек."), this, {384, kUnitTop});

    CheckAboutArmingCb =
        addCheckBox(QStringLiteral("CheckAboutArmingCb"),
                    QStringLiteral("Подтверждение о постановке"), this, {16, 200}, kBold13);
    ArmWithOpenedDoorCb =
        addCheckBox(QStringLiteral("ArmWithOpenedDoorCb"),
                    QStringLiteral("Постановка с открытой дверью"), this, {16, 216}, kBold13);

    inp_ = {TimeOfInpEdit, TimeOfInpUpDown, &Configuration::TimeOfInp,
            QStringLiteral("Время входа"), QStringLiteral("Задержка на вход")};
    out_ = {TimeOfOutEdit, TimeOfOutUpDown, &Configuration::TimeOfOut,
            QStringLiteral("Время выхода"), QStringLiteral("Задержка на выход")};

    connect(TimeOfInpUpDown, &UpDown::clicked, this, &ArmDisarmPanel::TimeOfInpUpDownClick);
    connect(TimeOfInpEdit, &QLineEdit::textChanged, this, &ArmDisarmPanel::TimeOfInpEditChange);
    connect(TimeOfOutUpDown, &UpDown::clicked, this, &ArmDisarmPanel::TimeOfOutUpDownClick);
    connect(TimeOfOutEdit, &QLineEdit::textChanged, this, &ArmDisarmPanel::TimeOfOutEditChange);
    connect(TimeOfAlarmMinUpDown, &UpDown::clicked, this,
            &ArmDisarmPanel::TimeOfAlarmMinUpDownClick);
    connect(TimeOfAlarmMinEdit, &QLineEdit::textChanged, this,
            &ArmDisarmPanel::TimeOfAlarmMinEditChange);
    connect(TimeOfAlarmSecUpDown, &UpDown::clicked, this,
            &ArmDisarmPanel::TimeOfAlarmSecUpDownClick);
    connect(TimeOfAlarmSecEdit, &QLineEdit::textChanged, this,
            &ArmDisarmPanel::TimeOfAlarmSecEditChange);
    connect(CheckAboutArmingCb, &QCheckBox::clicked, this,
            &ArmDisarmPanel::CheckAboutArmingCbClick);
    connect(ArmWithOpenedDoorCb, &QCheckBox::clicked, this,
            &ArmDisarmPanel::ArmWithOpenedDoorCbClick);

    // A number left half typed ("1" on the way to "160") stays while the user types; once
    // the edit is left, and before every command, it shows what is stored.
    const std::pair<QLineEdit*, std::int32_t Configuration::*> shown[] = {
        {TimeOfInpEdit, &Configuration::TimeOfInp},
        {TimeOfOutEdit, &Configuration::TimeOfOut},
        {TimeOfAlarmMinEdit, &Configuration::TimeOfAlarmMin},
        {TimeOfAlarmSecEdit, &Configuration::TimeOfAlarmSec},
    };
    for (const auto& [edit, field] : shown) {
        whenDone(edit,
                 [this, edit = edit, field = field] { showFieldAgain(edit, record().*field); });
    }

    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &ArmDisarmPanel::focusChanged);
    // Save, a write to the transmitter, New, Open, closing and a tree click finish an
    // object number edit even when the focus never left the panel: the texts join
    // the digits' step. The finisher touches only the context, which outlives the
    // panel.
    ctx.addEditFinisher(this, [&ctx, key = typingKey(ObjNameEdits[0])] {
        FillGuard guard(ctx);
        ctx.owner().edit({kObjNumStep, {View::ArmDisarm}, key}, [&ctx](Configuration& cfg) {
            return ad::FinishObjNumEdit(cfg, ctx.editor());
        });
    });
}

ArmDisarmPanel::~ArmDisarmPanel() {
    // The edits lose the focus as they go; by then this panel is no more.
    disconnect(focusWatch_);
}

bool ArmDisarmPanel::fill(const View& view) {
    if (view.kind != View::ArmDisarm) {
        return false;
    }
    setarmdisarm();
    return true;
}

void ArmDisarmPanel::setarmdisarm() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    context().unvispan();
    setShownView({View::ArmDisarm});
    show();
    FillPanel010();
}

void ArmDisarmPanel::FillPanel010() {
    FillGuard guard(context()); // held already when called from setarmdisarm
    clearPointOuts();
    const Configuration& cfg = record();
    for (int k = 1; k <= ad::kObjNumDigits; ++k) {
        ObjNameEdits[static_cast<std::size_t>(k - 1)]->setText(
            QString(QChar::fromLatin1(TetraToChar(cfg.ObjNum, ad::tetradOfDigit(k)))));
    }
    TimeOfInpUpDown->setPosition(cfg.TimeOfInp / ad::kDelayStep);
    TimeOfInpEdit->setText(number(cfg.TimeOfInp));
    TimeOfOutUpDown->setPosition(cfg.TimeOfOut / ad::kDelayStep);
    TimeOfOutEdit->setText(number(cfg.TimeOfOut));
    TimeOfAlarmMinUpDown->setPosition(cfg.TimeOfAlarmMin);
    TimeOfAlarmMinEdit->setText(number(cfg.TimeOfAlarmMin));
    TimeOfAlarmSecUpDown->setPosition(cfg.TimeOfAlarmSec);
    TimeOfAlarmSecEdit->setText(number(cfg.TimeOfAlarmSec));
    CheckAboutArmingCb->setChecked((cfg.Options & ad::kArmConfirmBit) != 0);
    ArmWithOpenedDoorCb->setChecked((cfg.Options & ad::kArmOpenDoorBit) != 0);
}

bool ArmDisarmPanel::ObjNameEditKeyPress(int k, QKeyEvent* event) {
    if (context().fillGuard()) {
        return false;
    }
    QLineEdit* edit = ObjNameEdits[static_cast<std::size_t>(k - 1)];
    const bool backspace = isBackspace(event);
    const QString typed = typedText(event);
    if (!backspace && typed.isEmpty()) {
        return false; // moving keys, Tab, shortcuts
    }
    if (!backspace && (typed.size() != 1 || !kHexDigits.contains(typed.at(0)))) {
        pointOut(edit, QStringLiteral("Номер объекта: только цифры 0–9 и буквы A–F."));
        return true;
    }
    clearPointOut(edit);
    if (!backspace && !edit->text().isEmpty()) {
        edit->clear(); // the new digit replaces the old one
    }
    {
        FillGuard guard(context());
        context().owner().markChanged();
        if (!backspace && k < ad::kObjNumDigits) {
            ObjNameEdits[static_cast<std::size_t>(k)]->setFocus(Qt::OtherFocusReason);
        } else if (backspace && k > 1) {
            ObjNameEdits[static_cast<std::size_t>(k - 2)]->setFocus(Qt::OtherFocusReason);
        }
    }
    if (backspace) {
        return false; // the key still lands in this edit
    }
    edit->insert(typed.toUpper());
    return true;
}

void ArmDisarmPanel::ObjNameEditChange(int k, const QString& text) {
    // The four digits are typed as one number: one step.
    write(kObjNumStep, ObjNameEdits[0], [&](Configuration& cfg) {
        if (!text.isEmpty()) {
            ad::SetObjNumDigit(cfg.ObjNum, k, text.at(0).toLatin1());
        }
        editor().ObjNumChanged = 1;
    });
}

void ArmDisarmPanel::DelayUpDownClick(const Delay& d) {
    write(d.step, [&](Configuration& cfg) {
        const std::int32_t seconds = d.upDown->position() * ad::kDelayStep;
        clearPointOut(d.edit);
        d.edit->setText(number(seconds));
        cfg.*d.field = seconds;
    });
}

void ArmDisarmPanel::DelayEditChange(const Delay& d, const QString& text) {
    if (context().fillGuard()) {
        return;
    }
    if (text.isEmpty()) {
        clearPointOut(d.edit);
        return;
    }
    const ad::Typed typed = ad::DelayFromText(latin(text));
    const std::int32_t max = ad::kDelayMaxSteps * ad::kDelayStep;
    if (typed.refused) {
        refuse(d.edit, record().*d.field,
               QStringLiteral("%1: от 0 до %2 сек.").arg(d.what).arg(max));
        return;
    }
    write(d.step, d.edit, [&](Configuration& cfg) {
        d.upDown->setPosition(typed.value / ad::kDelayStep);
        if (!ad::IsStartOfLongerValue(latin(text), max, ad::kDelayStep)) {
            d.edit->setText(number(typed.value));
        }
        const bool changed = cfg.*d.field != typed.value;
        cfg.*d.field = typed.value;
        return changed;
    });
    if (ad::ParseWholeNumber(latin(text))) {
        clearPointOut(d.edit);
    } else {
        pointOut(d.edit,
                 QStringLiteral("%1: не число, записано %2 сек.").arg(d.what).arg(typed.value));
    }
}

bool ArmDisarmPanel::storeSiren(Configuration& cfg, const ad::Siren& siren, bool showMinutes) {
    TimeOfAlarmMinUpDown->setPosition(siren.minutes);
    if (showMinutes) {
        clearPointOut(TimeOfAlarmMinEdit);
        TimeOfAlarmMinEdit->setText(number(siren.minutes));
    }
    bool changed = cfg.TimeOfAlarmMin != siren.minutes;
    cfg.TimeOfAlarmMin = siren.minutes;
    if (siren.seconds) {
        clearPointOut(TimeOfAlarmSecEdit);
        TimeOfAlarmSecUpDown->setPosition(*siren.seconds);
        TimeOfAlarmSecEdit->setText(number(*siren.seconds));
        changed = changed || cfg.TimeOfAlarmSec != *siren.seconds;
        cfg.TimeOfAlarmSec = *siren.seconds;
    }
    return changed;
}

void ArmDisarmPanel::TimeOfAlarmMinUpDownClick() {
    write(kSirenStep, [&](Configuration& cfg) {
        return storeSiren(
            cfg, ad::SirenMinutesSet(TimeOfAlarmMinUpDown->position(), cfg.TimeOfAlarmSec), true);
    });
}

void ArmDisarmPanel::TimeOfAlarmMinEditChange(const QString& text) {
    if (context().fillGuard()) {
        return;
    }
    if (text.isEmpty()) {
        clearPointOut(TimeOfAlarmMinEdit);
        return;
    }
    const ad::Typed typed = ad::CappedFromText(latin(text), ad::kSirenMaxMinutes);
    if (typed.refused) {
        guarded([&] { TimeOfAlarmMinEdit->setText(number(record().TimeOfAlarmMin)); });
        pointOut(
            TimeOfAlarmMinEdit,
            QStringLiteral("Время звучания сирены: от 0 до %1 мин.").arg(ad::kSirenMaxMinutes));
        return;
    }
    clearPointOut(TimeOfAlarmMinEdit);
    write(kSirenStep, TimeOfAlarmMinEdit, [&](Configuration& cfg) {
        const ad::Siren siren = ad::SirenMinutesSet(typed.value, cfg.TimeOfAlarmSec);
        return storeSiren(cfg, siren, !ad::IsStartOfLongerValue(latin(text), ad::kSirenMaxMinutes));
    });
}

void ArmDisarmPanel::TimeOfAlarmSecUpDownClick() {
    write(kSirenStep, [&](Configuration& cfg) {
        const std::optional<std::int32_t> s =
            ad::SirenSecondsSet(TimeOfAlarmSecUpDown->position(), cfg.TimeOfAlarmMin);
        if (!s) {
            // Ten minutes take no seconds: the spinner goes back to the field.
            TimeOfAlarmSecUpDown->setPosition(cfg.TimeOfAlarmSec);
            return false;
        }
        return storeSiren(cfg, {cfg.TimeOfAlarmMin, *s}, false);
    });
}

void ArmDisarmPanel::TimeOfAlarmSecEditChange(const QString& text) {
    if (context().fillGuard()) {
        return;
    }
    if (text.isEmpty()) {
        clearPointOut(TimeOfAlarmSecEdit);
        return;
    }
    const ad::Typed typed = ad::CappedFromText(latin(text), ad::kSirenMaxSeconds);
    const std::optional<std::int32_t> s =
        typed.refused ? std::nullopt : ad::SirenSecondsSet(typed.value, record().TimeOfAlarmMin);
    if (!s) {
        refuse(
            TimeOfAlarmSecEdit, record().TimeOfAlarmSec,
            typed.refused
                ? QStringLiteral("Время звучания сирены: от 0 до %1 сек.").arg(ad::kSirenMaxSeconds)
                : QStringLiteral("Время звучания сирены: не больше %1 мин.; "
                                 "при %1 мин. секунд нет.")
                      .arg(ad::kSirenMaxMinutes));
        return;
    }
    clearPointOut(TimeOfAlarmSecEdit);
    write(kSirenStep, TimeOfAlarmSecEdit, [&](Configuration& cfg) {
        TimeOfAlarmSecUpDown->setPosition(*s);
        if (*s != typed.value || !ad::IsStartOfLongerValue(latin(text), ad::kSirenMaxSeconds)) {
            TimeOfAlarmSecEdit->setText(number(*s));
        }
        const bool changed = cfg.TimeOfAlarmSec != *s;
        cfg.TimeOfAlarmSec = *s;
        return changed;
    });
}

void ArmDisarmPanel::CheckAboutArmingCbClick() {
    write(QStringLiteral("Подтверждение о постановке"), [&](Configuration& cfg) {
        return ad::SetFlag(cfg.Options, ad::kArmConfirmBit, CheckAboutArmingCb->isChecked());
    });
}

void ArmDisarmPanel::ArmWithOpenedDoorCbClick() {
    write(QStringLiteral("Постановка с открытой дверью"), [&](Configuration& cfg) {
        return ad::SetFlag(cfg.Options, ad::kArmOpenDoorBit, ArmWithOpenedDoorCb->isChecked());
    });
}

void ArmDisarmPanel::Panel010Exit() {
    if (context().fillGuard() || editor().ObjNumChanged == 0) {
        return;
    }
    // The regenerated texts join the digits' step.
    write(kObjNumStep, ObjNameEdits[0],
          [&](Configuration& cfg) { ad::FinishObjNumEdit(cfg, editor()); });
}

void ArmDisarmPanel::refuse(QLineEdit* edit, std::int32_t value, const QString& reason) {
    // The field keeps its value and the edit shows it again, selected, so that the
    // next key typed replaces it instead of being appended to it.
    guarded([&] {
        edit->setText(number(value));
        edit->selectAll();
    });
    pointOut(edit, reason);
}

void ArmDisarmPanel::showFieldAgain(QLineEdit* edit, std::int32_t value) {
    if (edit->text() == number(value)) {
        return;
    }
    // Also while a command holds FillGuard: the handlers ignore the new text.
    FillGuard guard(context());
    edit->setText(number(value));
    clearPointOut(edit);
}

void ArmDisarmPanel::focusChanged(QWidget* old, QWidget* now) {
    // OnExit: the focus moves from a control of this panel to one outside it. A
    // window that merely loses the activation (now is null) keeps its focus.
    if (old != nullptr && now != nullptr && isAncestorOf(old) && !isAncestorOf(now)) {
        Panel010Exit();
    }
}

} // namespace tk
