#pragma once
// The Request document: the delivered HTML template filled with the Request and painted as PDF
// pages.
//
// The template gives the page (size and margins in its `@page` rule), the text above the persons'
// table with the six header placeholders, the table's columns, heading row and styles, and the
// page footer (whatever follows the table). The placeholders are found as text, without regard to
// letter case, and each is filled in its turn with its own font. The persons' rows start at the
// row whose first cell reads "StartDE"; they are laid out and painted here, cell by cell, with the
// template's column widths, fonts, padding and borders, and every page after the first repeats the
// heading row. A thousand persons merged into the template's own `QTextTable` and printed by Qt
// take seconds, against a tenth of a second painted here: that is why the rows are painted
// rather than merged into the document (bench/print measures both).

#include "print/PdfOutput.h"
#include "print/PrintData.h"

#include <QDate>
#include <QFont>
#include <QList>
#include <QPageLayout>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextDocument>

#include <functional>
#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace vx {

// The six header values, in the order they are filled.
struct HeaderValues {
    QString numDoma;
    QString data;
    QString ver;
    QString tipoStampa;
    QString numDoma2;
    QString operPres;
};

HeaderValues headerValues(const PrintRequest& request, PrintType type, const QDate& date, int major, int minor,
                          int revision);

// Replaces one occurrence of `placeholder` in `doc`, the first met from `position` onwards
// (going on from the start when there is none further on), with `text` in the given font; then
// moves `position` to the next occurrence, if any. False when there is no occurrence at all.
bool SostituisciCampo(QTextDocument& doc, int& position, const QString& text, const QString& placeholder,
                      const QString& family, int pointSize, bool bold);
// The six placeholders, in their order and with their fonts.
void fillHeader(QTextDocument& doc, const HeaderValues& values);

// The nine cells of a person's row: the role as its code word, site 0 (the agency) as empty text.
QStringList documentCells(const PrintPerson& person);

class RequestDocument {
public:
    static constexpr int kColumns = 9;
    static inline const QString kStartMark = QStringLiteral("StartDE");

    RequestDocument();
    ~RequestDocument();

    // Reads and checks the template; the placeholders are filled and the document number written
    // in the footer. False, with `error` set, when the template is unusable.
    bool merge(const QString& templateHtml, const HeaderValues& values, int documentNumber, QString* error);

    // The merged template as Qt reads it (header, table up to the mark, footer).
    const QTextDocument& merged() const { return *m_merged; }
    QPageLayout pageLayout() const { return m_pageLayout; }

    // Paints the pages on `device`, whose page layout is already pageLayout(). `progress` is told
    // the rows painted so far and may stop the run by giving false. False when stopped or when
    // the device fails.
    bool paint(QPagedPaintDevice& device, const QList<QStringList>& rows,
               const std::function<bool(int)>& progress = {});
    int pagesPainted() const { return m_pages; }

private:
    struct Cell {
        QString text;
        QFont font;
        Qt::Alignment alignment;
        QBrush background;
    };
    struct Style;

    bool readTable(QString* error);

    std::unique_ptr<QTextDocument> m_merged;
    std::unique_ptr<QTextDocument> m_header;
    std::unique_ptr<QTextDocument> m_footer;
    QPageLayout m_pageLayout;
    QList<QList<Cell>> m_headingRows;
    QList<Cell> m_dataCells; // font and alignment of each column of a person's row
    QList<QTextLength> m_widths;
    QTextLength m_tableWidth;
    qreal m_border = 0;
    qreal m_padding = 0;
    QBrush m_borderBrush;
    int m_pages = 0;
};

struct DocumentJob {
    PrintRequest request;
    QList<PrintPerson> persons; // in the document's order
    PrintType type = PrintType::Bozza;
    QDate date;
    int documentNumber = 1;
};

// Fills the template at `templatePath` with `job` and writes the PDF at `pdfPath` through a
// temporary file. False, with `error` set, when the template cannot be used, the run is stopped
// through `progress`, or the file cannot be written; the final path then keeps what it had.
bool writeRequestPdf(const QString& templatePath, const DocumentJob& job, const QString& pdfPath, QString* error,
                     const std::function<bool(int)>& progress = {});

// The title written in the information of every PDF of a Request.
QString requestPdfTitle();

} // namespace vx
