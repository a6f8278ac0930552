#include "print/PlainListing.h"

#include "roles/RoleCodes.h"

#include "print/Messages.h"
#include "print/PainterPrintTarget.h"
#include "print/PdfOutput.h"
#include "print/PrintTarget.h"
#include "roles/RolePerson.h"

#include <QBuffer>
#include <QLocale>
#include <QPdfWriter>

#include <algorithm>

namespace vx {

namespace print {

QString IncolonnaDestra(const QString& text, int width)
{
    if (text.size() >= width)
        return text.left(width);
    const qsizetype pad = width - text.trimmed().size();
    return QString(pad, QLatin1Char(' ')) + text;
}

QString personLine(const RolePerson& p)
{
    const QChar blank(QLatin1Char(' '));
    QString line;
    line.reserve(160);
    line += p.codFiscale;
    line += blank;
    line += IncolonnaDestra(p.cognome.left(19), 20);
    line += blank;
    line += IncolonnaDestra(p.nome.left(19), 20);
    line += QStringLiteral("   ");
    line += p.gg + QLatin1Char('/') + p.mm + QLatin1Char('/') + p.aaaa;
    line += blank;
    line += IncolonnaDestra(p.email, 25);
    line += blank;
    line += IncolonnaDestra(p.tel, 15);
    line += QStringLiteral("  ");
    line += IncolonnaDestra(
        p.gruppo + QLatin1Char('-') + QString::number(p.codice) + QLatin1Char('-') + QString::number(p.sede), 11);
    line += QString(9, blank);
    line += QString::number(p.ruolo);
    return line;
}

PageSetUp pageSetUp()
{
    return PageSetUp{true, QStringLiteral("Courier New"), 9, false};
}

} // namespace print

namespace {

using print::kLinesOnFullPage;
using print::kTop;

// The printer's pen: it keeps the current vertical position as a print statement would, one
// line of the current font per printed line, back to the top of the page after a page end.
// Where a font's lines are too tall for a full page to reach its page number on the paper, the
// lines are drawn closer together, just enough for it.
class Pen {
public:
    explicit Pen(PrintTarget& target) : m_target(target) {}

    int advance() const
    {
        const int fit = (m_target.pageHeight() - kTop) / kLinesOnFullPage;
        return std::max(1, std::min(m_target.lineAdvance(), fit));
    }

    void moveTo(int y) { m_y = y; }
    void print(int x, const QString& text)
    {
        m_target.text(x, m_y, text);
        m_y += advance();
    }
    void blank() { m_y += advance(); }
    void endPage()
    {
        m_target.endPage();
        m_y = 0;
    }

private:
    PrintTarget& m_target;
    int m_y = 0;
};

} // namespace

bool printPlainListing(PrintTarget& target, const PrintRequest& request, const QList<RolePerson>& persons,
                       const QDate& date, print::Ending ending)
{
    using namespace print;
    Pen pen(target);
    int onPage = 0;
    int page = 1;
    // The short date of an Italian reader, whatever the language of the computer it prints on.
    const QString operatorLine =
        msg::print::listingOperatorLine(request.group, request.operatorCode, request.number,
                                        QLocale(QLocale::Italian, QLocale::Italy).toString(date, QLocale::ShortFormat));
    for (const RolePerson& person : persons) {
        if (onPage == 0) {
            target.setUp(pageSetUp());
            pen.moveTo(kTop);
            pen.print(kLeft, msg::print::text(msg::print::Text::DocumentTitle));
            pen.blank();
            pen.print(kLeft, operatorLine);
            pen.blank();
            pen.blank();
            pen.print(kLeft, msg::print::listingColumnHeading());
            pen.blank();
            pen.blank();
        }
        pen.print(kLeft, personLine(person));
        pen.blank();
        if (++onPage == kPersonsPerPage) {
            onPage = 0;
            pen.blank();
            pen.print(kPageNumberX, msg::print::pageNumber(page));
            ++page;
            pen.endPage();
        }
    }
    pen.blank();
    if (ending == Ending::Legend) {
        pen.print(kLeft, msg::print::text(msg::print::Text::LegendHeading));
        QList<int> codes;
        for (const roles::Role& role : roles::all())
            codes.append(role.code);
        std::sort(codes.begin(), codes.end());
        for (const int code : std::as_const(codes))
            pen.print(kLeft, msg::print::legendLine(code, roles::text(code)));
    } else {
        pen.print(kPageNumberX, msg::print::pageNumber(page));
    }
    return target.endJob();
}

bool writeListingPdf(const QString& path, const PrintRequest& request, const QList<RolePerson>& persons,
                     const QDate& date, print::Ending ending, QString* error)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        print::prepare(writer, msg::print::text(msg::print::Text::DocumentTitle));
        // A sheet has no unprintable border: the listing's twips count from the paper's corner; the
        // listing turns the page to landscape itself.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        PainterPrintTarget target(writer);
        if (!printPlainListing(target, request, persons, date, ending)) {
            if (error)
                *error = msg::print::text(msg::print::Text::PdfFailed);
            return false;
        }
    }
    return print::finish(path, bytes, msg::print::text(msg::print::Text::DocumentTitle), error);
}

} // namespace vx
