#include "ui/panels/otherpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace tk {

namespace {

constexpr SettingsPanel::Font kBold{13, true};
constexpr SettingsPanel::Font kPlain{13, false};
constexpr int kLeft = 24;       // the check boxes and labels
constexpr int kFirstRow = 40;   // below the heading
constexpr int kRowStep = 24;    // check box to check box
constexpr QSize kCombo{64, 24}; // room for "10" and the arrow

QStringList numbers(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i) {
        items << QString::number(i);
    }
    return items;
}

} // namespace

OtherPanel::OtherPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel013"), parent) {
    addTitle(QStringLiteral("Panel013Label1"), QStringLiteral("Разное:"), 16, true);

    EnCyrillicCb = addCheckBox(QStringLiteral("EnCyrillicCb"),
                               QStringLiteral("Условие ИЛИ для отчета CID DialUP"), this,
                               {kLeft, kFirstRow}, kBold);
    V110FormatDataRepCb =
        addCheckBox(QStringLiteral("V110FormatDataRepCb"), QStringLiteral("Тональный набор"), this,
                    {kLeft, kFirstRow + kRowStep}, kBold);
    ZoneNotReadyVoiceCb = addCheckBox(QStringLiteral("ZoneNotReadyVoiceCb"),
                                      QStringLiteral("Звуковое подтверждение о неготовности зон"),
                                      this, {kLeft, kFirstRow + 2 * kRowStep}, kBold);

    // The two counts below the check boxes, each combo right of its label; the combos
    // share one left edge so that they stand one below the other.
    const int attemptsTop = kFirstRow + 4 * kRowStep;
    const int svingerTop = attemptsTop + kCombo.height() + 8;
    Panel013Label5 =
        addLabel(QStringLiteral("Panel013Label5"), QStringLiteral("Количество попыток дозвона:"),
                 this, {kLeft, attemptsTop + 4}, kBold);
    Panel013Label6 = addLabel(QStringLiteral("Panel013Label6"), QStringLiteral("Свингер:"), this,
                              {kLeft, svingerTop + 4}, kBold);
    const int comboLeft = kLeft + std::max(Panel013Label5->width(), Panel013Label6->width()) + 8;
    NumOfAttemptsCallMainComboBox =
        addCombo(QStringLiteral("NumOfAttemptsCallMainComboBox"),
                 numbers(kAttemptsRange.min, kAttemptsRange.max), this,
                 QRect(QPoint(comboLeft, attemptsTop), kCombo), kPlain, true);
    iSvingerComboBox =
        addCombo(QStringLiteral("iSvingerComboBox"), numbers(kSvingerRange.min, kSvingerRange.max),
                 this, QRect(QPoint(comboLeft, svingerTop), kCombo), kPlain, true);
    for (QComboBox* combo : {NumOfAttemptsCallMainComboBox, iSvingerComboBox}) {
        // Typed text never becomes a new item: the lists stay the offered values.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(15);
    }
    Panel013Label5->setBuddy(NumOfAttemptsCallMainComboBox);
    Panel013Label6->setBuddy(iSvingerComboBox);

    connect(EnCyrillicCb, &QCheckBox::clicked, this, &OtherPanel::EnCyrillicCbClick);
    connect(V110FormatDataRepCb, &QCheckBox::clicked, this, &OtherPanel::V110FormatDataRepCbClick);
    connect(ZoneNotReadyVoiceCb, &QCheckBox::clicked, this, &OtherPanel::ZoneNotReadyVoiceCbClick);
    connect(NumOfAttemptsCallMainComboBox, &QComboBox::editTextChanged, this,
            &OtherPanel::NumOfAttemptsCallMainComboBoxChange);
    connect(iSvingerComboBox, &QComboBox::editTextChanged, this,
            &OtherPanel::iSvingerComboBoxChange);
    // A text that was not taken (empty, no number) gives way to the stored count once
    // the combo is left, and before every command.
    const std::pair<QComboBox*, std::int32_t Configuration::*> counts[] = {
        {NumOfAttemptsCallMainComboBox, &Configuration::NumOfAttemptsCallMain},
        {iSvingerComboBox, &Configuration::SvingerCount},
    };
    for (const auto& [combo, field] : counts) {
        whenDone(combo->lineEdit(), [this, combo = combo, field = field] {
            if (combo->currentText() != QString::number(record().*field)) {
                FillGuard guard(context());
                showCount(combo, record().*field);
                clearPointOut(combo);
            }
        });
    }
}

bool OtherPanel::fill(const View& view) {
    if (view.kind != View::Other) {
        return false;
    }
    setother();
    return true;
}

void OtherPanel::setother() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::Other});
    show();
    FillPanel013();
}

void OtherPanel::FillPanel013() {
    const Configuration& c = record();
    EnCyrillicCb->setChecked(HasOption(c.Options, OptCyrillic));
    V110FormatDataRepCb->setChecked(HasOption(c.Options, OptToneDialling));
    ZoneNotReadyVoiceCb->setChecked(HasOption(c.Options, OptZoneNotReady));
    showCount(NumOfAttemptsCallMainComboBox, c.NumOfAttemptsCallMain);
    showCount(iSvingerComboBox, c.SvingerCount);
    clearPointOuts();
}

void OtherPanel::showCount(QComboBox* combo, std::int32_t value) {
    const QString text = QString::number(value);
    // The list follows the value where it offers it, so the drop-down opens on it.
    const int index = combo->findText(text);
    if (index >= 0) {
        combo->setCurrentIndex(index);
    }
    combo->setEditText(text);
}

void OtherPanel::EnCyrillicCbClick() {
    // The option and every SMS text it regenerates: one step.
    write(QStringLiteral("Тексты SMS на русском"),
          [&](Configuration& c) { SetSmsLanguage(c, EnCyrillicCb->isChecked()); });
}

void OtherPanel::V110FormatDataRepCbClick() {
    write(QStringLiteral("Тональный набор"), [&](Configuration& c) {
        c.Options = WithOption(c.Options, OptToneDialling, V110FormatDataRepCb->isChecked());
    });
}

void OtherPanel::ZoneNotReadyVoiceCbClick() {
    write(QStringLiteral("Подтверждение о неготовности зон"), [&](Configuration& c) {
        c.Options = WithOption(c.Options, OptZoneNotReady, ZoneNotReadyVoiceCb->isChecked());
    });
}

void OtherPanel::NumOfAttemptsCallMainComboBoxChange() {
    countChanged(NumOfAttemptsCallMainComboBox, QStringLiteral("Количество попыток дозвона"),
                 kCountByteRange, &Configuration::NumOfAttemptsCallMain);
}

void OtherPanel::iSvingerComboBoxChange() {
    countChanged(iSvingerComboBox, QStringLiteral("Свингер"), kCountByteRange,
                 &Configuration::SvingerCount);
}

void OtherPanel::countChanged(QComboBox* combo, const QString& what, CountRange range,
                              std::int32_t Configuration::*field) {
    if (context().fillGuard()) {
        return;
    }
    const QString text = combo->currentText();
    const DecimalText typed = ParseDecimal(text.toStdString());
    const QString allowed = QStringLiteral("%1: от %2 до %3")
                                .arg(what, QString::number(range.min), QString::number(range.max));
    switch (typed.kind) {
    case DecimalText::Kind::Incomplete:
        // Still typing: the stored value stays until the text is a number.
        clearPointOut(combo);
        return;
    case DecimalText::Kind::Invalid:
        pointOut(combo, QStringLiteral("«%1» — не число. %2; сохранено %3.")
                            .arg(text, allowed, QString::number(record().*field)));
        return;
    case DecimalText::Kind::Number:
        break;
    }
    const std::optional<int> count = AcceptCount(typed.value, range);
    if (!count) {
        const std::int32_t kept = record().*field;
        pointOut(combo, QStringLiteral("Число %1 не подходит. %2; оставлено %3.")
                            .arg(text.trimmed(), allowed, QString::number(kept)));
        guarded([&] { showCount(combo, kept); });
        return;
    }
    clearPointOut(combo);
    write(what, combo, [&](Configuration& c) { c.*field = *count; });
}

} // namespace tk
