#include "sheet/sheet.h"

#include "model/cp1251.h"
#include "model/field_table.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace tk {
namespace {

const QString kTitle = QStringLiteral("Лист конфигурации передатчика TK 515 Pro");
const QString kFontFamily = QStringLiteral("DejaVu Sans");
constexpr qreal kBodyPoints = 9.5;
constexpr qreal kHeaderPoints = 8;
constexpr qreal kMarginMm = 15;

QString html(const std::string& utf8) {
    return QString::fromStdString(utf8).toHtmlEscaped();
}

QString textHtml(const Text& cp1251Text) {
    return cp1251Text.empty() ? QString::fromUtf8(kNoValue) : html(cp1251ToUtf8(cp1251Text));
}

QString dateText(const QDateTime& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

// Rows of the sheet: the settings the window shows; inputs above 4 (and their
// telephones) only when activated.
bool onSheet(const FieldRow& row, const Configuration& cfg) {
    // The serial number, the telephone and the comments stand on their own above.
    const std::vector<std::string>& f = row.fields;
    if (row.hidden || f == std::vector<std::string>{"Comments"} ||
        f == std::vector<std::string>{"TxSerialNum"} || f == std::vector<std::string>{"TxTlfNum"}) {
        return false;
    }
    if (row.place == FieldPlace::InputTable) {
        return (cfg.Inputs[static_cast<std::size_t>(row.index)].Flags & 1) != 0;
    }
    return true;
}

QString tableRow(const QString& caption, const QString& value) {
    return QStringLiteral("<tr><td width=\"62%\">%1</td><td>%2</td></tr>").arg(caption, value);
}

const QString kTableStart =
    QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                   "style=\"border-collapse: collapse; border-color: #999999;\">");

} // namespace

QString SheetHtml(const Configuration& cfg, const SheetSource& source) {
    QString out =
        QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>")
            .arg(kTitle.toHtmlEscaped());
    out += QStringLiteral("<h1>%1</h1>").arg(kTitle.toHtmlEscaped());
    out += kTableStart;
    out += tableRow(QStringLiteral("Файл"), source.fileName.toHtmlEscaped());
    out += tableRow(QStringLiteral("Дата"), dateText(source.date));
    out += tableRow(QStringLiteral("Серийный номер передатчика"), textHtml(cfg.TxSerialNum));
    out += tableRow(QStringLiteral("Телефон передатчика"), textHtml(cfg.TxTlfNum));
    out += QStringLiteral("</table>");
    out += QStringLiteral("<h3>Комментарии</h3><p>");
    if (cfg.Comments.empty()) {
        out += QString::fromUtf8(kNoValue);
    }
    for (std::size_t i = 0; i < cfg.Comments.size(); ++i) {
        out += (i == 0 ? QString() : QStringLiteral("<br>")) + html(cp1251ToUtf8(cfg.Comments[i]));
    }
    out += QStringLiteral("</p>");

    QString panel;
    QString group;
    for (const FieldRow& row : FieldTable()) {
        if (!onSheet(row, cfg)) {
            continue;
        }
        const QString rowPanel = QString::fromStdString(row.panel);
        if (rowPanel != panel) {
            if (!panel.isEmpty()) {
                out += QStringLiteral("</table>");
            }
            panel = rowPanel;
            group.clear();
            out += QStringLiteral("<h2>%1</h2>").arg(panel.toHtmlEscaped()) + kTableStart;
        }
        const QString rowGroup = QString::fromStdString(row.group);
        if (rowGroup != group) {
            group = rowGroup;
            out += QStringLiteral("<tr><td colspan=\"2\"><b>%1</b></td></tr>")
                       .arg(group.toHtmlEscaped());
        }
        out += tableRow(html(row.caption), html(row.value(cfg)));
    }
    if (!panel.isEmpty()) {
        out += QStringLiteral("</table>");
    }
    out += QStringLiteral("</body></html>");
    return out;
}

std::unique_ptr<QTextDocument> BuildSheet(const Configuration& cfg, const SheetSource& source) {
    auto doc = std::make_unique<QTextDocument>();
    QFont font(kFontFamily);
    font.setPointSizeF(kBodyPoints);
    doc->setDefaultFont(font);
    doc->setMetaInformation(QTextDocument::DocumentTitle, kTitle);
    doc->setHtml(SheetHtml(cfg, source));
    return doc;
}

int PrintSheet(QTextDocument& doc, QPagedPaintDevice& device, const SheetSource& source) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return 0;
    }
    // Fonts in points, measured on the device.
    doc.documentLayout()->setPaintDevice(&device);
    QFont small(kFontFamily);
    small.setPointSizeF(kHeaderPoints);
    const QFontMetricsF metrics(small, &device);
    const qreal width = device.width();
    const qreal header = metrics.height() * 2;
    const qreal footer = metrics.height() * 2;
    const qreal body = device.height() - header - footer;
    doc.setPageSize(QSizeF(width, body));
    const int pages = doc.pageCount();
    const QString left = kTitle + QStringLiteral(" — ") + source.fileName;
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            device.newPage();
        }
        painter.setFont(small);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, 0, width, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                         metrics.elidedText(left, Qt::ElideMiddle, width * 0.75));
        painter.drawText(QRectF(0, 0, width, metrics.height()), Qt::AlignRight | Qt::AlignTop,
                         dateText(source.date));
        const qreal rule = metrics.height() * 1.4;
        painter.drawLine(QPointF(0, rule), QPointF(width, rule));
        painter.drawText(QRectF(0, device.height() - metrics.height(), width, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("Страница %1 из %2").arg(i + 1).arg(pages));

        painter.save();
        painter.translate(0, header - i * body);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * body, width, body);
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(context.clip);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}

QByteArray SheetPdf(const Configuration& cfg, const SheetSource& source) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(kTitle);
        writer.setCreator(QStringLiteral("TK515Pro"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        const std::unique_ptr<QTextDocument> doc = BuildSheet(cfg, source);
        if (PrintSheet(*doc, writer, source) == 0) {
            return {};
        }
    }
    return bytes;
}

} // namespace tk
