#pragma once
// The template's text filled with the Request: the placeholders, found as text without regard to
// letter case and each filled in its turn with its own font; the page the template asks for; and
// the cells of a person's row.
//
// The six placeholders of the Request's header come first, in their historical order; then the
// operator block and the closing block (documented in the delivered template itself).

#include "print/PdfOutput.h"
#include "print/PrintData.h"

#include <QDate>
#include <QPageLayout>
#include <QStringList>

class QTextDocument;

namespace vx {

// The placeholder values, in the order they are filled.
struct HeaderValues {
    QString numDoma;
    QString data;
    QString ver;
    QString tipoStampa;
    QString numDoma2;
    QString operPres;
    // The operator block and the closing block.
    QString denominazione;
    QString codFiscOper;
    QString sedeLegale;
    QString legRappr;
    QString luogo;
    QString dataFirma;
};

HeaderValues headerValues(const PrintRequest& request, PrintType type, const QDate& date, int major, int minor,
                          int revision);

// Replaces one occurrence of `placeholder` in `doc`, the first met from `position` onwards
// (going on from the start when there is none further on), with `text` in the given font; then
// moves `position` to the next occurrence, if any. False when there is no occurrence at all.
bool SostituisciCampo(QTextDocument& doc, int& position, const QString& text, const QString& placeholder,
                      const QString& family, int pointSize, bool bold);
// Every placeholder, in its order and with its font.
void fillHeader(QTextDocument& doc, const HeaderValues& values);

// The template's HTML as a document reads it: placeholders typed as tags in a text editor are
// taken as text.
QString placeholdersAsText(QString html);

// The page of the template's `@page` rule: "size: A4 landscape; margin: 12mm" (one margin for
// every side, or top right bottom left). A4 landscape with 15 mm margins where it says nothing.
QPageLayout pageLayoutOf(const QString& html);

// The nine cells of a person's row: the role as its code word, site 0 (the agency) as empty text.
QStringList documentCells(const RolePerson& person);

} // namespace vx
