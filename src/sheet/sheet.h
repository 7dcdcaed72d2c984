// The configuration sheet an installer hands the customer: every setting the window
// shows, grouped by panel with the window's captions (the field table of
// model/field_table.h), the serial number, the transmitter's telephone, the comments,
// the file's name and the date; on A4 pages with a header and page numbers.
//
// Built as a QTextDocument, so the window prints it through QPrinter and tk515 report
// writes it through QPdfWriter or as HTML. Needs a QGuiApplication (fonts).
#pragma once

#include "model/configuration.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QTextDocument;

namespace tk {

// What the sheet says of where the configuration comes from.
struct SheetSource {
    QString fileName; // shown as given (the window: its file's name)
    QDateTime date;   // the date the sheet is made
};

// The sheet as HTML (UTF-8 when written): one page's worth per panel, tables of
// caption and value. Inputs above 4 and their telephones appear when activated.
QString SheetHtml(const Configuration& cfg, const SheetSource& source);

// The sheet as a document.
std::unique_ptr<QTextDocument> BuildSheet(const Configuration& cfg, const SheetSource& source);

// Lays the document out on the device's pages (A4, margins of 15 mm unless the device
// has its own) and paints every page with the header (`header` left, the date right)
// and "Страница i из N" at its foot. Returns the number of pages, 0 when the device
// cannot be painted on.
int PrintSheet(QTextDocument& doc, QPagedPaintDevice& device, const SheetSource& source);

// The sheet as the bytes of a PDF file (A4), for the checked file writer.
QByteArray SheetPdf(const Configuration& cfg, const SheetSource& source);

} // namespace tk
