#pragma once
// The Request document: the delivered HTML template filled with the Request and painted as PDF
// pages.
//
// The template gives the page (size and margins in its `@page` rule), the text above the persons'
// table with the placeholders (TemplateMerge.h), the table's columns, heading row and styles, the
// closing block after the table and the page footer (its last paragraph; DocumentLayout.h). The
// persons' rows start at the row whose first cell reads "StartDE"; they are laid out and painted
// here, cell by cell, with the template's column widths, fonts, padding and borders; every page
// after the first repeats the heading row, and no row is ever split across two pages. Under the
// footer, every page names the Request, says when it is a draft's, and gives "Pagina N di M". A thousand
// persons merged into the template's own `QTextTable` and printed by Qt take seconds, against a
// tenth of a second painted here: that is why the rows are painted rather than merged into the
// document (bench/print measures both).

#include "print/DocumentLayout.h"
#include "print/PdfOutput.h"
#include "print/PrintData.h"
#include "print/TemplateMerge.h"

#include <QDate>
#include <QList>
#include <QPageLayout>
#include <QStringList>

#include <functional>
#include <memory>

class QPagedPaintDevice;

namespace vx {

class RequestDocument {
public:
    RequestDocument();
    ~RequestDocument();

    // Reads and checks the template; the placeholders are filled and the document number written
    // in the footer. False, with `error` set, when the template is unusable.
    bool merge(const QString& templateHtml, const HeaderValues& values, int documentNumber, QString* error);

    // The merged template as Qt reads it (header, table up to the mark, closing, footer).
    const QTextDocument& merged() const { return *m_merged; }
    QPageLayout pageLayout() const { return m_pageLayout; }

    // Paints the pages on `device`, whose page layout is already pageLayout(). `progress` is told
    // the rows painted so far and may stop the run by giving false. False when stopped or when
    // the device fails.
    bool paint(QPagedPaintDevice& device, const QList<QStringList>& rows,
               const std::function<bool(int)>& progress = {});
    int pagesPainted() const { return m_pages; }
    // The Request as every page names it at its foot, beside "Pagina N di M"; empty: no such line.
    void setPageMark(const QString& mark) { m_pageMark = mark; }

private:
    std::unique_ptr<QTextDocument> m_merged;
    TemplateParts m_parts;
    QPageLayout m_pageLayout;
    int m_pages = 0;
    QString m_pageMark;
};

struct DocumentJob {
    PrintRequest request;
    QList<RolePerson> persons; // in the document's order
    PrintType type = PrintType::Draft;
    QDate date;
    int documentNumber = 1;
};

// Fills the template at `templatePath` with `job` and writes the PDF at `pdfPath` through a
// temporary file. False, with `error` set, when the template cannot be used, the run is stopped
// through `progress`, or the file cannot be written; the final path then keeps what it had.
bool writeRequestPdf(const QString& templatePath, const DocumentJob& job, const QString& pdfPath, QString* error,
                     const std::function<bool(int)>& progress = {});

} // namespace vx
