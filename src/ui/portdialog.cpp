#include "ui/portdialog.h"

#include "link/ports.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QShowEvent>
#include <QSlider>

#include <algorithm>

namespace tk {

QStringList presentSerialPorts() {
    QStringList names;
#ifdef Q_OS_WIN
    // COM1..COM14, those that open; a port another program holds does not.
    for (int n = 1; n <= 14; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        QSerialPort probe(name);
        if (probe.open(QIODevice::ReadOnly)) {
            names << name;
            probe.close();
        }
    }
#else
    for (const link::PortInfo& port : link::AvailablePorts()) {
        names << QString::fromStdString(port.name);
    }
    // /dev/ttyUSB2 before /dev/ttyUSB10.
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
#endif
    return names;
}

PortDialog::PortDialog(QWidget* parent, PortLister ports)
    : QDialog(parent), ports_(std::move(ports)) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Параметры порта"));
    // A fixed border, a title and no title-bar buttons, above the other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(305, 159);

    SelPortLabel = new QLabel(QStringLiteral("Выбранный порт:  "), this);
    SelPortLabel->setObjectName(QStringLiteral("SelPortLabel"));

    // The ports found present; a device path (a pseudo-terminal, an adapter the
    // enumeration misses) may also be typed.
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // Device names differ by case: completion never turns one into another.
    ComboBox1->completer()->setCaseSensitivity(Qt::CaseSensitive);
    SelPortLabel->setBuddy(ComboBox1);

    Label1 = new QLabel(QStringLiteral("Межсимвольная пауза при передаче: "), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    Label2 = new QLabel(QStringLiteral("1.0мс"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);

    TxWTrackBar = new QSlider(Qt::Horizontal, this);
    TxWTrackBar->setObjectName(QStringLiteral("TxWTrackBar"));
    TxWTrackBar->setRange(1, 99);
    TxWTrackBar->setValue(10);
    TxWTrackBar->setTickPosition(QSlider::TicksBelow);
    TxWTrackBar->setTickInterval(1);
    TxWTrackBar->setToolTip(
        QStringLiteral("Значение межсимвольной паузы между символами при передаче (*0.1мс)"));
    connect(TxWTrackBar, &QSlider::valueChanged, this, &PortDialog::TxWTrackBarChange);

    PauseMultiplierCB = new QCheckBox(QStringLiteral("Множитель (*10)"), this);
    PauseMultiplierCB->setObjectName(QStringLiteral("PauseMultiplierCB"));
    connect(PauseMultiplierCB, &QCheckBox::toggled, this, &PortDialog::PauseMultiplierCBClick);

    QuickExchangeCB = new QCheckBox(QStringLiteral("Быстрый обмен"), this);
    QuickExchangeCB->setObjectName(QStringLiteral("QuickExchangeCB"));
    QuickExchangeCB->setToolTip(
        QStringLiteral("Ответ принимается, как только пришло его окончание, без паузы "
                       "тишины после него; после \"OK\" модема - 0,2 с вместо 2 с. Передатчик, "
                       "с которым быстрый обмен не проверялся, сначала проверьте обычным."));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &PortDialog::Button1Click);

    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    connect(Button2, &QPushButton::clicked, this, &PortDialog::Button2Click);

    // Rows in the fixed client area; each label as wide as its text in the font in use.
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(8, 8, 8, 8);
    rows->setSpacing(6);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(SelPortLabel);
    portRow->addWidget(ComboBox1, 1);
    rows->addLayout(portRow);
    auto* pauseRow = new QHBoxLayout;
    pauseRow->setSpacing(0);
    pauseRow->addWidget(Label1);
    pauseRow->addWidget(Label2, 1);
    rows->addLayout(pauseRow);
    rows->addWidget(TxWTrackBar);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(PauseMultiplierCB);
    choiceRow->addStretch(1);
    choiceRow->addWidget(QuickExchangeCB);
    rows->addLayout(choiceRow);
    rows->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(Button1);
    buttonRow->addWidget(Button2);
    rows->addLayout(buttonRow);
}

QString PortDialog::pauseText(std::uint32_t pause, bool multiplied) {
    const QString ms = QStringLiteral("мс.");
    if (multiplied) {
        return QString::number(pause / 10) + ms;
    }
    if (pause < 10) {
        return QStringLiteral("0.") + QString::number(pause) + ms;
    }
    const QString digits = QString::number(pause);
    return digits.left(1) + QLatin1Char('.') + digits.mid(1, 1) + ms;
}

void PortDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per showing: switching back to the dialog does not start it over.
    if (!event->spontaneous()) {
        FormActivate();
    }
}

void PortDialog::FormActivate() {
    guard_ = true;
    ComboBox1->clear();
    ComboBox1->addItems(ports_ ? ports_() : QStringList());
    // Only the port in use is selected, never another one in its place: OK pressed to
    // change the pause must not move the link to a different port. A port that is
    // absent stays in the edit, so OK keeps it.
    ComboBox1->setCurrentIndex(
        ComboBox1->findText(settings_.PortName, Qt::MatchExactly | Qt::MatchCaseSensitive));
    ComboBox1->setEditText(settings_.PortName);

    pause_ = settings_.TxPause;
    const bool multiplied = pause_ >= 100;
    TxWTrackBar->setValue(static_cast<int>(multiplied ? pause_ / 10 : pause_));
    PauseMultiplierCB->setChecked(multiplied);
    QuickExchangeCB->setChecked(settings_.Quick);
    showPause();
    guard_ = false;
    Button1->setDefault(true);
    ComboBox1->setFocus();
}

void PortDialog::TxWTrackBarChange() {
    if (guard_) {
        return;
    }
    guard_ = true;
    const auto position = static_cast<std::uint32_t>(TxWTrackBar->value());
    pause_ = PauseMultiplierCB->isChecked() ? position * 10 : position;
    showPause();
    guard_ = false;
}

void PortDialog::PauseMultiplierCBClick() {
    TxWTrackBarChange();
}

void PortDialog::showPause() {
    Label2->setText(pauseText(pause_, PauseMultiplierCB->isChecked()));
}

void PortDialog::Button1Click() {
    // A port typed or chosen; with none the port stays as it was.
    const QString chosen = ComboBox1->currentText().trimmed();
    if (!chosen.isEmpty()) {
        settings_.PortName = chosen;
    }
    settings_.TxPause = pause_;
    settings_.Quick = QuickExchangeCB->isChecked();
    accept();
}

void PortDialog::Button2Click() {
    reject();
}

} // namespace tk
