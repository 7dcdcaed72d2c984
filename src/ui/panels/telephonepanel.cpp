#include "ui/panels/telephonepanel.h"

#include <QLabel>

namespace tk {

namespace {
const QRect kInputPanelBounds(136, 0, 358, 377);
const QRect kInputGridBounds(0, 40, 358, 320);
const QRect kPartitionPanelBounds(136, 0, 358, 362);
} // namespace

TelephonePanel::TelephonePanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel011"), parent) {
    title_ = addLabel(QStringLiteral("Panel011_InputNumLabel"), QString(), this, QPoint(8, 8));
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    title_->setFont(bold);

    list_ = addSubPanel(QStringLiteral("Panel011_1"), this, QRect(8, 40, 124, 112));
    eventsGrid_ = addSubPanel(QStringLiteral("Panel011_2"), this, QRect(144, 96, 204, 108));

    struct Header {
        const char* name;
        const char* text;
        QPoint at;
    };
    const std::array<Header, 5> headers{{
        {"Panel011Label1", "|Неисправность", {144, 40}},
        {"Panel011Label2", "|   Батареи  |", {144, 56}},
        {"Panel011Label3", "|                  |", {242, 56}},
        {"Panel011Label4", "|   DialUp  |  Alarm   |  DialUp  |  Alarm   |", {144, 72}},
        {"Panel011Label5", "|Период. тест |", {242, 40}},
    }};
    for (std::size_t i = 0; i < headers.size(); ++i) {
        headers_[i] = addLabel(QString::fromLatin1(headers[i].name),
                               QString::fromUtf8(headers[i].text), this, headers[i].at);
        headers_[i]->hide();
    }

    inputPanel_ = addSubPanel(QStringLiteral("Panel011_3"), this, kInputPanelBounds);
    addLabel(QStringLiteral("Panel011_3Label1"),
             QStringLiteral("|      DialUp     |       ALARM     |"), inputPanel_, QPoint(8, 24));
    inputGrid_ = addSubPanel(QStringLiteral("Panel011_4"), inputPanel_, kInputGridBounds);

    partitionPanel_ = addSubPanel(QStringLiteral("Panel011_7"), this, kPartitionPanelBounds);
    addLabel(QStringLiteral("Panel011_7PartNumLabel"), QStringLiteral("Раздел №"), partitionPanel_,
             QPoint(8, 4));
    addLabel(QStringLiteral("Panel011_7Label1"),
             QStringLiteral("|      DialUp      |      ALARM    |"), partitionPanel_,
             QPoint(8, 24));
}

void TelephonePanel::showHeaders(bool visible) {
    for (QLabel* header : headers_) {
        header->setVisible(visible);
    }
}

void TelephonePanel::showList() {
    context().unvispan();
    show();
    list_->show();
}

void TelephonePanel::setteleph0() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    show();
    showHeaders(false);
    title_->setText(QStringLiteral("Настройки телефонных номеров для отчетов."));
    title_->adjustSize();
}

void TelephonePanel::settelephN(int n) {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    showList();
    telephoneInput_ = n;
    if (n == 0) {
        eventsGrid_->show();
        showHeaders(true);
        title_->setText(QStringLiteral("Системн. соб."));
    } else {
        inputPanel_->setGeometry(kInputPanelBounds);
        inputGrid_->setGeometry(kInputGridBounds);
        inputPanel_->show();
        inputGrid_->show();
        showHeaders(false);
        title_->setText(QStringLiteral("Вход № ") + QString::number(n));
    }
    title_->adjustSize();
}

void TelephonePanel::settelephAD(int p) {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    showList();
    partitionPanel_->setGeometry(kPartitionPanelBounds);
    partitionPanel_->show();
    showHeaders(false);
    context().editor().CurPartition = p;
    title_->setText(QStringLiteral("Пост./Снятие"));
    title_->adjustSize();
}

} // namespace tk
