#include "ui/panels/inputspanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace tk {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList zoneItems() {
    QStringList items;
    for (int i = 0; i < kZoneItemCount; ++i) {
        items << fromUtf8(ZoneItemText(i));
    }
    return items;
}

// The longest contact list; the arm/disarm list shows its first items only.
QStringList ordinaryContactItems() {
    QStringList items;
    for (std::string_view text : ContactItems(ContactList::Ordinary)) {
        items << fromUtf8(text);
    }
    return items;
}

// One byte per character of an edit's text for the digit rules: characters outside
// ASCII become a byte that is no digit, so they leave their digit alone.
std::string digitText(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        out += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
    }
    return out;
}

// Applies a report key filter to a key press of `edit`: swallows keys the filter
// refuses and types the accepted character itself (lower case turned upper).
bool filterReportKey(QLineEdit* edit, QKeyEvent* event,
                     std::optional<char> (*filter)(char32_t, const EditState&)) {
    if (event->key() == Qt::Key_Backspace) {
        return false;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false; // the edit's own shortcuts (copy, paste, undo)
    }
    const QString typed = event->text();
    if (typed.isEmpty() || !typed.at(0).isPrint()) {
        return false; // moving keys, Delete, Enter
    }
    const std::u32string text = edit->text().toStdU32String();
    const bool selected = edit->hasSelectedText();
    const EditState state{
        text, static_cast<std::size_t>(selected ? edit->selectionStart() : edit->cursorPosition()),
        static_cast<std::size_t>(selected ? edit->selectedText().size() : 0)};
    const std::u32string chars = typed.toStdU32String();
    const std::optional<char> accepted =
        chars.size() == 1 ? filter(chars.front(), state) : std::nullopt;
    if (accepted) {
        edit->insert(QString(QChar::fromLatin1(*accepted)));
    }
    return true;
}

constexpr SettingsPanel::Font kFace{11, false};

} // namespace

InputsPanel::InputsPanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel100"), parent) {
    title_ =
        addTitle(QStringLiteral("Panel100Label1"), QStringLiteral("Настройки входов"), 16, true);
    settings_ = addSubPanel(QStringLiteral("Panel100_1"), this, QRect(8, 32, 488, 320));

    zoneTypes_ =
        addRadioGroup(QStringLiteral("Panel100InpZoneTypeRGrp"), QStringLiteral(" Тип зоны: "),
                      zoneItems(), settings_, QRect(8, 4, 188, 136), kFace);
    contacts_ =
        addRadioGroup(QStringLiteral("Panel100InpContRGrp"), QStringLiteral(" Контакты входа: "),
                      ordinaryContactItems(), settings_, QRect(204, 4, 276, 136), kFace);
    siren_ = addCheckBox(QStringLiteral("VoiceOnDuringAlarmCb"),
                         QStringLiteral("Включать сирену при тревоге"), settings_, QPoint(16, 150),
                         kFace);
    partitionLabel_ = addLabel(QStringLiteral("Panel100_1Label1"), QStringLiteral("Раздел:"),
                               settings_, QPoint(16, 184), kFace);
    partition_ = addCombo(
        QStringLiteral("InpPartNumComboBox"),
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")},
        settings_, QRect(72, 180, 56, 22), kFace, true);
    partition_->setInsertPolicy(QComboBox::NoInsert);

    report_ = new QGroupBox(QStringLiteral(" Параметры CID DialUp отчета: "), settings_);
    report_->setObjectName(QStringLiteral("Panel100GroupBox1"));
    report_->setGeometry(8, 212, 472, 84);
    const QString captions[] = {QStringLiteral("Номер объекта:"), QStringLiteral("Код события:"),
                                QStringLiteral("Номер входа:"), QStringLiteral("Номер раздела:")};
    QLineEdit* edits[4] = {};
    const QString editNames[] = {
        QStringLiteral("InpDataRepObjNumEd"), QStringLiteral("InpDataRepEvCodeEd"),
        QStringLiteral("InpDataRepInputNumEd"), QStringLiteral("InpDataRepPartNumEd")};
    for (int i = 0; i < 4; ++i) {
        const int x = 12 + 116 * i;
        addLabel(QStringLiteral("Panel100GroupBox1Label%1").arg(i + 1), captions[i], report_,
                 QPoint(x, 24), kFace);
        edits[i] = addEdit(editNames[i], report_, QRect(x, 44, 100, 22), kFace);
    }
    report_->setFont(edits[0]->font());
    objNum_ = edits[0];
    evCode_ = edits[1];
    inpNum_ = edits[2];
    partNum_ = edits[3];
    objNum_->setMaxLength(static_cast<int>(kReportEditLength));
    evCode_->setMaxLength(static_cast<int>(kReportEditLength));
    inpNum_->setEnabled(false);
    partNum_->setEnabled(false);

    connect(zoneTypes_, &RadioGroup::clicked, this, &InputsPanel::Panel100InpZoneTypeRGrpClick);
    connect(contacts_, &RadioGroup::clicked, this, &InputsPanel::Panel100InpContRGrpClick);
    connect(siren_, &QCheckBox::clicked, this, &InputsPanel::VoiceOnDuringAlarmCbClick);
    connect(objNum_, &QLineEdit::textChanged, this, &InputsPanel::InpDataRepObjNumEdChange);
    connect(evCode_, &QLineEdit::textChanged, this, &InputsPanel::InpDataRepEvCodeEdChange);
    connect(partition_, &QComboBox::editTextChanged, this, &InputsPanel::InpPartNumComboBoxChange);
    whenDone(partition_->lineEdit(), [this] { InpPartNumComboBoxExit(); });
    onKeyPress(objNum_, [this](QKeyEvent* e) { return InpDataRepObjNumEdKeyPress(e); });
    onKeyPress(evCode_, [this](QKeyEvent* e) { return InpDataRepEvCodeEdKeyPress(e); });
    // The combo hands its keys to its edit directly, past the edit's filters: both
    // get the filter.
    onKeyPress(partition_, [this](QKeyEvent* e) { return InpPartNumComboBoxKeyPress(e); });
    onKeyPress(partition_->lineEdit(),
               [this](QKeyEvent* e) { return InpPartNumComboBoxKeyPress(e); });
}

const Input* InputsPanel::current() const {
    const int n = editor().CurInput;
    if (n < 1 || n > kBaseInputs) {
        return nullptr;
    }
    return &record().Inputs.at(static_cast<std::size_t>(n));
}

Input& InputsPanel::currentIn(Configuration& cfg) const {
    return cfg.Inputs.at(static_cast<std::size_t>(editor().CurInput));
}

bool InputsPanel::fill(const View& view) {
    if (view.kind == View::Inp0) {
        setinp0();
    } else if (view.kind == View::Inp) {
        setinp(view.arg);
    } else {
        return false;
    }
    return true;
}

void InputsPanel::setinp0() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::Inp0});
    show();
    title_->setText(QStringLiteral("Настройки входов"));
    settings_->hide();
}

void InputsPanel::setinp(int n) {
    if (n < 1 || n > kBaseInputs) {
        return;
    }
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::Inp, n});
    clearPointOuts();
    show();
    settings_->show();
    settings_->setEnabled(true);
    title_->setText(QStringLiteral("Вход № ") + QString::number(n));

    for (int i = 0; i < kZoneItemCount; ++i) {
        zoneTypes_->button(i)->setText(fromUtf8(ZoneItemText(i)));
    }
    // Inputs 1..4 cannot be fire zones: the bit goes in place, without marking a change.
    Input& in = context().record().Inputs.at(static_cast<std::size_t>(n));
    ClearFireZone(in);
    editor().CurInput = n;

    showZoneDependent(in);
    zoneTypes_->setItemIndex(ZoneItemOf(in.ZoneType));
    siren_->setChecked(HasSiren(in));

    objNum_->setText(QString::fromLatin1(ObjNumDigits(in)));
    evCode_->setText(QString::fromLatin1(EvCodeDigits(in)));
    inpNum_->setText(QString::fromLatin1(InpNumDigits(in)));
    showPartition(in);
}

void InputsPanel::showContactList(ContactList list) {
    const auto items = ContactItems(list);
    for (int i = 0; i < contacts_->count(); ++i) {
        QRadioButton* b = contacts_->button(i);
        const bool used = static_cast<std::size_t>(i) < items.size();
        if (used) {
            b->setText(fromUtf8(items[static_cast<std::size_t>(i)]));
        }
        b->setVisible(used);
    }
    shownList_ = list;
}

void InputsPanel::showZoneDependent(const Input& in) {
    const bool armDisarm = IsArmDisarmZone(in.ZoneType);
    siren_->setEnabled(!armDisarm);
    evCode_->setEnabled(!armDisarm);
    showContactList(ContactListFor(in.ZoneType));
    contacts_->setItemIndex(ContactItemOf(in));
}

void InputsPanel::showPartition(const Input& in) {
    // The list follows the text, so the arrow keys step from the partition shown.
    const QString text = QString::number(in.Partition);
    const int item = partition_->findText(text);
    if (item >= 0) {
        partition_->setCurrentIndex(item);
    }
    if (partition_->currentText() != text) {
        partition_->setEditText(text);
    }
    partNum_->setText(QString::fromLatin1(PartNumDigits(in)));
}

void InputsPanel::Panel100InpZoneTypeRGrpClick() {
    // A click always applies the item's bits, also on the item shown: what is shown
    // may be derived from other bits (0x09 shows as "проходная").
    const int item = zoneTypes_->itemIndex();
    if (current() == nullptr || item == kNoItem) {
        return;
    }
    write(QStringLiteral("Тип зоны"), [&](Configuration& cfg) {
        Input& in = currentIn(cfg);
        const Input before = in;
        ChooseZoneType(in, item, editor().CurInput);
        showZoneDependent(in);
        evCode_->setText(QString::fromLatin1(EvCodeDigits(in)));
        siren_->setChecked(HasSiren(in));
        return !(in == before);
    });
}

void InputsPanel::Panel100InpContRGrpClick() {
    const int item = contacts_->itemIndex();
    if (current() == nullptr || item == kNoItem) {
        return;
    }
    write(QStringLiteral("Тип контактов"), [&](Configuration& cfg) {
        Input& in = currentIn(cfg);
        const Input before = in;
        ChooseContactType(in, shownList_, item);
        // The group shows what is now stored: the fire marker keeps a resistor loop
        // whatever the contact bits say, until a zone type is chosen.
        const int shown = ContactItemOf(in);
        contacts_->setItemIndex(shown);
        if (shown != item) {
            pointOut(contacts_, QStringLiteral("У входа пожарный признак: контакты остаются "
                                               "шлейфовыми, пока не выбран тип зоны."));
        } else {
            clearPointOut(contacts_);
        }
        return !(in == before);
    });
}

void InputsPanel::VoiceOnDuringAlarmCbClick() {
    if (current() == nullptr) {
        return;
    }
    write(QStringLiteral("Сирена при тревоге"),
          [&](Configuration& cfg) { SetSiren(currentIn(cfg), siren_->isChecked()); });
}

bool InputsPanel::InpDataRepObjNumEdKeyPress(QKeyEvent* event) {
    return filterReportKey(objNum_, event, &ObjNumKey);
}

bool InputsPanel::InpDataRepEvCodeEdKeyPress(QKeyEvent* event) {
    return filterReportKey(evCode_, event, &EvCodeKey);
}

void InputsPanel::InpDataRepObjNumEdChange() {
    if (current() == nullptr) {
        return;
    }
    write(QStringLiteral("Номер объекта входа"), objNum_,
          [&](Configuration& cfg) { ApplyObjNumText(currentIn(cfg), digitText(objNum_->text())); });
}

void InputsPanel::InpDataRepEvCodeEdChange() {
    if (current() == nullptr) {
        return;
    }
    write(QStringLiteral("Код события"), evCode_,
          [&](Configuration& cfg) { ApplyEvCodeText(currentIn(cfg), digitText(evCode_->text())); });
}

bool InputsPanel::InpPartNumComboBoxKeyPress(QKeyEvent* event) {
    const QString typed = typedText(event);
    char32_t bad = 0;
    if (!typed.isEmpty() && !toRecordText(typed, &bad)) {
        pointOut(partition_, refusedCharacterText(bad));
        return true;
    }
    return false;
}

void InputsPanel::InpPartNumComboBoxChange() {
    const Input* in = current();
    if (in == nullptr || context().fillGuard()) {
        return;
    }
    const QString text = partition_->currentText();
    const PartitionParse parsed = ParsePartition(text.toStdString());
    if (parsed.error == PartitionError::NotANumber) {
        // Perhaps half typed: the text stays for the user to go on; the record and the
        // partition number keep their values.
        pointOut(
            partition_,
            text.trimmed().isEmpty()
                ? QStringLiteral("Введите номер раздела: число от 1 до 4.")
                : QStringLiteral("«%1» — не номер раздела: введите число от 1 до 4.").arg(text));
        return;
    }
    if (parsed.error == PartitionError::OutOfRange) {
        guarded([&] { showPartition(*in); });
        partition_->lineEdit()->selectAll();
        pointOut(partition_, QStringLiteral("Раздела «%1» нет: разделы — от 1 до 4.").arg(text));
        return;
    }
    clearPointOut(partition_);
    write(QStringLiteral("Раздел входа"), partition_, [&](Configuration& cfg) {
        Input& changed = currentIn(cfg);
        const Input before = changed;
        SetPartition(changed, *parsed.value);
        showPartition(changed);
        return !(changed == before); // the same partition again is no change
    });
}

void InputsPanel::InpPartNumComboBoxExit() {
    const Input* in = current();
    if (in == nullptr || !isPointedOut(partition_)) {
        return;
    }
    if (guarded([&] { showPartition(*in); })) {
        clearPointOut(partition_);
    }
}

} // namespace tk
