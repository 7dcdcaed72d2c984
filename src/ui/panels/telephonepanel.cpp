#include "ui/panels/telephonepanel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolTip>

namespace tk {

namespace {

const QString kRoutingStep = QStringLiteral("Телефоны отчетов");

const QRect kListBounds(8, 40, 124, 112);
const QRect kEventsGridBounds(144, 96, 204, 108);
const QRect kInputPanelBounds(136, 0, 358, 377);
const QRect kInputGridBounds(0, 40, 358, 320);
const QRect kPartitionPanelBounds(136, 0, 358, 362);
constexpr int kRowHeight = 16;
constexpr int kListColumnWidth = 120;
constexpr int kListRowHeight = 17;
constexpr int kListTextMargins = 10; // the item's text margins, both sides together
constexpr int kListSmallestPixels = 8;
const QString kTick = QStringLiteral("x");
const QString kListHint = QStringLiteral("Двойной щелчок для редактирования списка телефонов");
const QString kPartitionRange = QStringLiteral("Номер раздела: от 1 до 4.");

// Column hints of the grids.
constexpr std::array<const char*, 4> kEventsHints = {
    "Неисправность батареи - CID DialUp", "Неисправность батареи - Alarm",
    "Периодический тест - CID DialUp", "Периодический тест - Alarm"};
constexpr std::array<const char*, 4> kInputHints = {"CID DialUp", "Alarm", nullptr, nullptr};
constexpr std::array<const char*, 4> kPartitionHints = {
    "Постановка/снятие - DialUp", "Постановка/снятие - Alarm", nullptr, nullptr};

// The header texts draw the grids' column frames with bars and blanks. Narrows the
// label's letter spacing until its text is no wider than the grid below it, so that the
// bars stand over the grid lines whatever face stands in for the designed one.
// Returns the spacing in percent.
qreal fitLetterSpacing(QLabel* label, int width) {
    QFont font = label->font();
    qreal percent = 100;
    for (; percent > 70; percent -= 1) {
        font.setLetterSpacing(QFont::PercentageSpacing, percent);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= width) {
            break;
        }
    }
    label->setFont(font);
    label->adjustSize();
    return percent;
}

} // namespace

// --- TelephonePanel -----------------------------------------------------------------

TelephonePanel::TelephonePanel(PanelContext& ctx, QWidget* parent)
    : SettingsPanel(ctx, QStringLiteral("Panel011"), parent) {
    Panel011_InputNumLabel =
        addLabel(QStringLiteral("Panel011_InputNumLabel"), QString(), this, {8, 8}, {13, true});

    // The six report telephones.
    Panel011_1 = addSubPanel(QStringLiteral("Panel011_1"), this, kListBounds);
    Panel011_1->setToolTip(kListHint);
    LVtel = new QTableWidget(kReportTelephones, 1, Panel011_1);
    LVtel->setObjectName(QStringLiteral("LVtel"));
    LVtel->setGeometry(0, 0, kListBounds.width(), kListBounds.height());
    LVtel->setToolTip(kListHint);
    LVtel->horizontalHeader()->hide();
    LVtel->verticalHeader()->hide();
    LVtel->verticalHeader()->setMinimumSectionSize(1);
    LVtel->verticalHeader()->setDefaultSectionSize(kListRowHeight);
    LVtel->setColumnWidth(0, kListColumnWidth);
    LVtel->setShowGrid(true);
    LVtel->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LVtel->setSelectionMode(QAbstractItemView::SingleSelection);
    LVtel->setSelectionBehavior(QAbstractItemView::SelectRows);
    LVtel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LVtel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LVtel->setTabKeyNavigation(false);
    for (int k = 0; k < kReportTelephones; ++k) {
        auto* item = new QTableWidgetItem();
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        LVtel->setItem(k, 0, item);
    }
    connect(LVtel, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { LVtelDblClick(row); });
    // From the keyboard: Enter or F2 on the selected telephone.
    onKeyPress(LVtel, [this](QKeyEvent* event) {
        const int key = event->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_F2) {
            return false;
        }
        const QList<QTableWidgetItem*> selected = LVtel->selectedItems();
        if (!selected.isEmpty()) {
            LVtelDblClick(selected.first()->row());
        }
        return true;
    });

    // System events.
    Panel011_2 = addSubPanel(QStringLiteral("Panel011_2"), this, kEventsGridBounds);
    SGtel0 = new TickGrid(4, kTelRows, 49, kRowHeight, 10, Panel011_2);
    SGtel0->setObjectName(QStringLiteral("SGtel0"));
    SGtel0->move(0, 0);
    SGtel0->cellEnabled = [this](int col, int row) {
        return IsSGtel0CellEnabled(editor(), col, row);
    };
    connect(SGtel0, &TickGrid::cellClicked, this, &TelephonePanel::SGtel0Click);
    connect(SGtel0, &TickGrid::mouseMovedOver, this, &TelephonePanel::SGtel0MouseMove);

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
    // The five headers share one spacing, that of the row over the grid's four columns.
    const qreal spacing = fitLetterSpacing(headers_[3], 4 * 50 + 1);
    for (QLabel* header : headers_) {
        QFont font = header->font();
        font.setLetterSpacing(QFont::PercentageSpacing, spacing);
        header->setFont(font);
        header->adjustSize();
    }

    // Input n.
    Panel011_3 = addSubPanel(QStringLiteral("Panel011_3"), this, kInputPanelBounds);
    Panel011_3Label1 =
        addLabel(QStringLiteral("Panel011_3Label1"),
                 QStringLiteral("|      DialUp     |       ALARM     |"), Panel011_3, {8, 24});
    Panel011_4 = addSubPanel(QStringLiteral("Panel011_4"), Panel011_3, kInputGridBounds);
    fitLetterSpacing(Panel011_3Label1, 2 * 70 + 1);
    SGtelN = new TickGrid(2, kTelRows, 69, kRowHeight, 30, Panel011_4);
    SGtelN->setObjectName(QStringLiteral("SGtelN"));
    SGtelN->move(8, 0);
    SGtelN->cellEnabled = [this](int col, int row) {
        return IsSGtelNCellEnabled(record(), editor(), col, row, telephoneInput());
    };
    connect(SGtelN, &TickGrid::cellClicked, this, &TelephonePanel::SGtelNClick);
    connect(SGtelN, &TickGrid::mouseMovedOver, this, &TelephonePanel::SGtelNMouseMove);

    // Partition p.
    Panel011_7 = addSubPanel(QStringLiteral("Panel011_7"), this, kPartitionPanelBounds);
    Panel011_7PartNumLabel = addLabel(QStringLiteral("Panel011_7PartNumLabel"),
                                      QStringLiteral("Раздел №"), Panel011_7, {8, 5});
    Panel011_7PartNumComboBox = addCombo(
        QStringLiteral("Panel011_7PartNumComboBox"),
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")},
        Panel011_7, {72, 1, 49, 21}, {}, true);
    Panel011_7PartNumComboBox->setInsertPolicy(QComboBox::NoInsert);
    connect(Panel011_7PartNumComboBox, &QComboBox::currentTextChanged, this,
            &TelephonePanel::Panel011_7PartNumComboBoxChange);
    connect(Panel011_7PartNumComboBox->lineEdit(), &QLineEdit::editingFinished, this,
            &TelephonePanel::restorePartitionText);
    ctx.addEditFinisher(this, [this] { restorePartitionText(); });
    Panel011_7Label1 =
        addLabel(QStringLiteral("Panel011_7Label1"),
                 QStringLiteral("|      DialUp      |      ALARM    |"), Panel011_7, {8, 24});
    fitLetterSpacing(Panel011_7Label1, 2 * 70 + 1);
    SGtelAD = new TickGrid(2, kTelRows, 69, kRowHeight, 30, Panel011_7);
    SGtelAD->setObjectName(QStringLiteral("SGtelAD"));
    SGtelAD->move(8, 40);
    SGtelAD->cellEnabled = [this](int col, int row) {
        return IsSGtelADCellEnabled(editor(), col, row);
    };
    connect(SGtelAD, &TickGrid::cellClicked, this, &TelephonePanel::SGtelADClick);
    connect(SGtelAD, &TickGrid::mouseMovedOver, this, &TelephonePanel::SGtelADMouseMove);
}

int TelephonePanel::telephoneInput() const {
    return context().panelState().TelInput;
}

void TelephonePanel::showHeaders(bool visible) {
    for (QLabel* header : headers_) {
        header->setVisible(visible);
    }
}

void TelephonePanel::showView() {
    context().unvispan();
    show();
    Panel011_1->show();
}

// --- Views --------------------------------------------------------------------------

bool TelephonePanel::fill(const View& view) {
    switch (view.kind) {
    case View::Teleph0:
        setteleph0();
        return true;
    case View::TelephN:
        settelephN(view.arg);
        return true;
    case View::TelephAD:
        settelephAD(view.arg);
        return true;
    default:
        return false;
    }
}

void TelephonePanel::setteleph0() {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    setShownView({View::Teleph0});
    show();
    showHeaders(false);
    Panel011_InputNumLabel->setText(QStringLiteral("Настройки телефонных номеров для отчетов."));
    Panel011_InputNumLabel->adjustSize();
}

void TelephonePanel::settelephN(int n) {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    showView();
    setShownView({View::TelephN, n});
    context().panelState().TelInput = n;
    if (n == 0) {
        Panel011_2->show();
        showHeaders(true);
        Panel011_InputNumLabel->setText(QStringLiteral("Системн. соб."));
        Panel011_InputNumLabel->adjustSize();
        FillLVtel();
        FillSGtel0();
    } else {
        Panel011_3->setGeometry(kInputPanelBounds);
        Panel011_4->setGeometry(kInputGridBounds);
        Panel011_3->show();
        Panel011_4->show();
        showHeaders(false);
        Panel011_InputNumLabel->setText(QStringLiteral("Вход № ") + QString::number(n));
        Panel011_InputNumLabel->adjustSize();
        FillLVtel();
        FillSGtelN(n);
    }
}

void TelephonePanel::settelephAD(int p) {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    showView();
    Panel011_7->setGeometry(kPartitionPanelBounds);
    Panel011_7->show();
    showHeaders(false);
    fillPartitionView(p);
}

void TelephonePanel::fillPartitionView(int p) {
    editor().CurPartition = p;
    setShownView({View::TelephAD, p});
    // The selector shows p + 1; a text that already means it (being typed) stays.
    // The selector's item follows too, so the arrow keys step from p.
    QComboBox* combo = Panel011_7PartNumComboBox;
    const QString typed = combo->currentText();
    const PartitionChoice shown = partitionFromText(typed.toStdString());
    if (combo->currentIndex() != p) {
        const int cursor = combo->lineEdit()->cursorPosition();
        combo->setCurrentIndex(p);
        if (shown.kind == PartitionChoice::Ok && shown.index == p &&
            combo->currentText() != typed) {
            combo->setEditText(typed);
            combo->lineEdit()->setCursorPosition(cursor);
        }
    }
    if (shown.kind != PartitionChoice::Ok || shown.index != p) {
        combo->setEditText(QString::number(p + 1));
    }
    clearPointOut(Panel011_7PartNumComboBox);
    Panel011_InputNumLabel->setText(QStringLiteral("Пост./Снятие"));
    Panel011_InputNumLabel->adjustSize();
    FillLVtel();
    FillSGtelAD(p);
}

// --- Fill and scan ------------------------------------------------------------------

void TelephonePanel::showListItem(int k, const QString& number) {
    QTableWidgetItem* item = LVtel->item(k, 0);
    item->setText(number);
    // A long number is drawn smaller until it fits the column; its tool tip always
    // holds it whole.
    QFont font = LVtel->font();
    const int room = kListColumnWidth - kListTextMargins;
    for (int px = QFontInfo(font).pixelSize(); px > kListSmallestPixels; --px) {
        if (QFontMetrics(font).horizontalAdvance(number) <= room) {
            break;
        }
        font.setPixelSize(px - 1);
    }
    item->setFont(font);
    item->setToolTip(number.isEmpty() ? kListHint : number + u'\n' + kListHint);
}

void TelephonePanel::FillLVtel() {
    for (int k = 0; k < kReportTelephones; ++k) {
        showListItem(k, fromRecordText(record().TelNum[static_cast<std::size_t>(k)]));
    }
    FillTelCellEnabled(record(), editor());
    for (TickGrid* grid : {SGtel0, SGtelN, SGtelAD}) {
        grid->update();
    }
}

TelTicks TelephonePanel::ticksOf(const TickGrid* grid) {
    TelTicks ticks{};
    for (int col = 0; col < grid->columns(); ++col) {
        for (int row = 0; row < grid->rows(); ++row) {
            ticks[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)] =
                grid->cellText(col, row) == kTick;
        }
    }
    return ticks;
}

void TelephonePanel::showTicks(TickGrid* grid, const TelTicks& ticks) {
    for (int col = 0; col < grid->columns(); ++col) {
        for (int row = 0; row < grid->rows(); ++row) {
            grid->setCellText(col, row,
                              ticks[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)]
                                  ? kTick
                                  : QString());
        }
    }
    grid->update();
}

void TelephonePanel::fillGrid(TickGrid* grid, TelGrid kind, int source) {
    showTicks(grid, FillTelGrid(record(), editor(), kind, source));
}

void TelephonePanel::scanGrid(TickGrid* grid, TelGrid kind, int source) {
    context().owner().edit({kRoutingStep, shownView()}, [&](Configuration& cfg) {
        ScanTelGrid(cfg, kind, source, ticksOf(grid));
        return true;
    });
}

void TelephonePanel::FillSGtel0() {
    fillGrid(SGtel0, TelGrid::Events, 0);
}

void TelephonePanel::FillSGtelN(int n) {
    fillGrid(SGtelN, TelGrid::Input, n);
}

void TelephonePanel::FillSGtelAD(int p) {
    fillGrid(SGtelAD, TelGrid::Partition, p);
}

void TelephonePanel::ScanSGtel0() {
    scanGrid(SGtel0, TelGrid::Events, 0);
}

void TelephonePanel::ScanSGtelN(int n) {
    scanGrid(SGtelN, TelGrid::Input, n);
}

void TelephonePanel::ScanSGtelAD(int p) {
    scanGrid(SGtelAD, TelGrid::Partition, p);
}

// --- Handlers -----------------------------------------------------------------------

void TelephonePanel::gridClick(TickGrid* grid, TelGrid kind, int source, int col, int row) {
    // An enabled cell toggles, and the whole grid goes back into the record.
    write(kRoutingStep, [&](Configuration& cfg) {
        TelTicks ticks = ticksOf(grid);
        if (!ClickTelCell(cfg, editor(), kind, source, ticks, col, row)) {
            return false;
        }
        showTicks(grid, ticks);
        return true;
    });
}

void TelephonePanel::SGtel0Click(int col, int row) {
    gridClick(SGtel0, TelGrid::Events, 0, col, row);
}

void TelephonePanel::SGtelNClick(int col, int row) {
    const int n = telephoneInput();
    if (n >= 1 && n <= kInputCount) {
        gridClick(SGtelN, TelGrid::Input, n, col, row);
    }
}

void TelephonePanel::SGtelADClick(int col, int row) {
    // The partition shown: the selector's number, which a text being typed (and not
    // yet taken) does not replace.
    const int p = editor().CurPartition;
    if (p >= 0 && p < kPartitionCount) {
        gridClick(SGtelAD, TelGrid::Partition, p, col, row);
    }
}

void TelephonePanel::gridMouseMove(TickGrid* grid, const std::array<const char*, 4>& hints, int col,
                                   int row) {
    PanelState& state = context().panelState();
    if (col == state.HintCol && row == state.HintRow) {
        return;
    }
    state.HintCol = col;
    state.HintRow = row;
    QToolTip::hideText();
    const bool named = col >= 0 && col < static_cast<int>(hints.size()) && row >= 0 &&
                       hints[static_cast<std::size_t>(col)] != nullptr;
    grid->setToolTip(named ? QString::fromUtf8(hints[static_cast<std::size_t>(col)]) : QString());
}

void TelephonePanel::SGtel0MouseMove(int col, int row) {
    gridMouseMove(SGtel0, kEventsHints, col, row);
}

void TelephonePanel::SGtelNMouseMove(int col, int row) {
    gridMouseMove(SGtelN, kInputHints, col, row);
}

void TelephonePanel::SGtelADMouseMove(int col, int row) {
    gridMouseMove(SGtelAD, kPartitionHints, col, row);
}

void TelephonePanel::LVtelDblClick(int item) {
    FillGuard guard(context());
    if (!guard) {
        return;
    }
    if (item < 0 || item >= kReportTelephones) {
        return;
    }
    QTableWidgetItem* caption = LVtel->item(item, 0);
    context().TelDialogText = caption->text();
    if (!context().runTelephoneDialog()) {
        return;
    }
    // The dialog lets through digits, "*" and "+" only, all of them in Windows-1251.
    const std::optional<Text> number = toRecordText(context().TelDialogText);
    if (!number) {
        return;
    }
    // FillGuard is this handler's: the change goes through the door directly.
    context().owner().edit({QStringLiteral("Телефон %1").arg(item + 1), shownView()},
                           [&](Configuration& cfg) {
                               cfg.TelNum[static_cast<std::size_t>(item)] = *number;
                               return true;
                           });

    // Enabled cells and ticks follow the new list.
    FillLVtel();
    FillSGtel0();
    if (const int n = telephoneInput(); n >= 1 && n <= kInputCount) {
        FillSGtelN(n);
    }
    if (const int p = editor().CurPartition; p >= 0 && p < kPartitionCount) {
        FillSGtelAD(p);
    }
}

void TelephonePanel::Panel011_7PartNumComboBoxChange(const QString& text) {
    if (context().fillGuard()) {
        return;
    }
    const PartitionChoice choice = partitionFromText(text.toStdString());
    switch (choice.kind) {
    case PartitionChoice::Ok: {
        FillGuard guard(context());
        // The view of the partition, in place: the selector keeps the focus.
        fillPartitionView(choice.index);
        return;
    }
    case PartitionChoice::Empty:
        pointOut(Panel011_7PartNumComboBox,
                 QStringLiteral("Введите номер раздела. ") + kPartitionRange);
        return;
    case PartitionChoice::NotNumber:
        pointOut(Panel011_7PartNumComboBox,
                 QStringLiteral("«%1» не является числом. ").arg(text) + kPartitionRange);
        return;
    case PartitionChoice::OutOfRange:
        // A number that is no partition is refused at once: the selector shows the
        // partition shown again.
        guarded([this] {
            Panel011_7PartNumComboBox->setEditText(QString::number(editor().CurPartition + 1));
        });
        pointOut(Panel011_7PartNumComboBox,
                 QStringLiteral("Раздела %1 нет. ").arg(text.trimmed()) + kPartitionRange);
        return;
    }
}

void TelephonePanel::restorePartitionText() {
    // A text that was not taken gives way to the partition shown once the user is done.
    if (!isPointedOut(Panel011_7PartNumComboBox)) {
        return;
    }
    guarded([this] {
        Panel011_7PartNumComboBox->setEditText(QString::number(editor().CurPartition + 1));
        clearPointOut(Panel011_7PartNumComboBox);
    });
}

} // namespace tk
