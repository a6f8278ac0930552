#include "print/TemplateMerge.h"

#include "roles/RoleCodes.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

namespace vx {

namespace {

const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

// The legal seat's address on one line: street, postcode, town and its province, each when known.
QString seatAddress(const PrintRequest& r)
{
    QString place = r.seatPostcode;
    if (!r.seatTown.isEmpty())
        place += (place.isEmpty() ? QString() : QStringLiteral(" ")) + r.seatTown;
    if (!r.seatProvince.isEmpty())
        place += QStringLiteral(" (") + r.seatProvince + QLatin1Char(')');
    if (r.seatAddress.isEmpty() || place.isEmpty())
        return r.seatAddress + place;
    return r.seatAddress + QStringLiteral(" - ") + place;
}

} // namespace

HeaderValues headerValues(const PrintRequest& request, PrintType type, const QDate& date, int major, int minor,
                          int revision)
{
    HeaderValues v;
    v.numDoma = QString::number(request.number);
    v.data = date.toString(kDateFormat);
    v.ver = QStringLiteral("(ver. %1.%2.%3)").arg(major).arg(minor).arg(revision);
    v.tipoStampa = printTypeText(type);
    v.numDoma2 = v.numDoma;
    v.operPres = request.group + QLatin1Char('-') + QString::number(request.operatorCode);
    v.denominazione = request.operatorName;
    v.codFiscOper = request.operatorTaxCode;
    v.sedeLegale = seatAddress(request);
    v.legRappr = request.legalRepresentative;
    // A seat without its municipality in the registry leaves a line for the signer to write it on,
    // rather than a date after a lone comma.
    v.luogo = request.seatTown.trimmed().isEmpty() ? QStringLiteral("____________________") : request.seatTown;
    v.dataFirma = v.data;
    return v;
}

bool SostituisciCampo(QTextDocument& doc, int& position, const QString& text, const QString& placeholder,
                      const QString& family, int pointSize, bool bold)
{
    // Letter case does not matter; the search goes on from the start once the end is reached.
    QTextCursor found = doc.find(placeholder, position);
    if (found.isNull())
        found = doc.find(placeholder, 0);
    if (found.isNull())
        return false;
    QTextCharFormat format = found.charFormat();
    format.setFontFamilies({family});
    format.setFontPointSize(pointSize);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(false);
    format.setTextOutline(QPen(Qt::NoPen));
    found.insertText(text, format);
    position = found.position();
    QTextCursor next = doc.find(placeholder, position);
    if (next.isNull())
        next = doc.find(placeholder, 0);
    if (!next.isNull())
        position = next.selectionStart();
    return true;
}

void fillHeader(QTextDocument& doc, const HeaderValues& v)
{
    const QString arial = QStringLiteral("Arial");
    int position = 0;
    SostituisciCampo(doc, position, v.numDoma, QStringLiteral("<NumDoma>"), arial, 10, true);
    SostituisciCampo(doc, position, v.data, QStringLiteral("<Data>"), arial, 10, false);
    SostituisciCampo(doc, position, v.ver, QStringLiteral("<ver>"), QStringLiteral("Times New Roman"), 10, false);
    SostituisciCampo(doc, position, v.tipoStampa, QStringLiteral("<TIPOSTAMPA>"), arial, 10, true);
    SostituisciCampo(doc, position, v.numDoma2, QStringLiteral("<NumDoma2>"), arial, 10, true);
    SostituisciCampo(doc, position, v.operPres, QStringLiteral("<OperPres>"), arial, 10, true);
    SostituisciCampo(doc, position, v.denominazione, QStringLiteral("<Denominazione>"), arial, 10, true);
    SostituisciCampo(doc, position, v.codFiscOper, QStringLiteral("<CodFiscOper>"), arial, 10, false);
    SostituisciCampo(doc, position, v.sedeLegale, QStringLiteral("<SedeLegale>"), arial, 10, false);
    SostituisciCampo(doc, position, v.legRappr, QStringLiteral("<LegRappr>"), arial, 10, false);
    SostituisciCampo(doc, position, v.luogo, QStringLiteral("<Luogo>"), arial, 10, false);
    SostituisciCampo(doc, position, v.dataFirma, QStringLiteral("<DataFirma>"), arial, 10, false);
    SostituisciCampo(doc, position, v.legRappr, QStringLiteral("<FirmaLegRappr>"), arial, 10, false);
}

QString placeholdersAsText(QString html)
{
    // Read as HTML, "<NumDoma>" would be an unknown tag and vanish.
    static const QRegularExpression tagRe(
        QStringLiteral("<(NumDoma2?|Data|ver|TIPOSTAMPA|OperPres|Denominazione|CodFiscOper|SedeLegale|LegRappr|Luogo|"
                       "DataFirma|FirmaLegRappr)>"),
        QRegularExpression::CaseInsensitiveOption);
    return html.replace(tagRe, QStringLiteral("&lt;\\1&gt;"));
}

QPageLayout pageLayoutOf(const QString& html)
{
    QPageSize size(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    QMarginsF margins(15, 15, 15, 15);
    static const QRegularExpression pageRe(QStringLiteral("@page\\s*\\{([^}]*)\\}"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression sizeRe(QStringLiteral("size\\s*:\\s*([a-z0-9]+)?\\s*(landscape|portrait)?"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression marginRe(QStringLiteral("margin\\s*:\\s*([0-9.\\smm]+)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto page = pageRe.match(html);
    if (page.hasMatch()) {
        const QString rule = page.captured(1);
        const auto s = sizeRe.match(rule);
        if (s.hasMatch()) {
            const QString name = s.captured(1).toLower();
            if (name == QLatin1String("a3"))
                size = QPageSize(QPageSize::A3);
            else if (name == QLatin1String("a5"))
                size = QPageSize(QPageSize::A5);
            else if (name == QLatin1String("letter"))
                size = QPageSize(QPageSize::Letter);
            else if (name == QLatin1String("legal"))
                size = QPageSize(QPageSize::Legal);
            if (name == QLatin1String("portrait") ||
                s.captured(2).compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
                orientation = QPageLayout::Portrait;
        }
        const auto m = marginRe.match(rule);
        if (m.hasMatch()) {
            QList<qreal> mm;
            for (QString part : m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                part.remove(QStringLiteral("mm"));
                bool ok = false;
                const qreal value = part.toDouble(&ok);
                if (ok)
                    mm.append(value);
            }
            if (mm.size() == 1)
                margins = QMarginsF(mm[0], mm[0], mm[0], mm[0]);
            else if (mm.size() == 4)
                margins = QMarginsF(mm[3], mm[0], mm[1], mm[2]);
        }
    }
    return QPageLayout(size, orientation, margins, QPageLayout::Millimeter);
}

QStringList documentCells(const RolePerson& p)
{
    return {p.codFiscale,
            p.cognome,
            p.nome,
            p.gg + QLatin1Char('/') + p.mm + QLatin1Char('/') + p.aaaa,
            p.email,
            p.tel,
            p.gruppo + QLatin1Char('-') + QString::number(p.codice),
            p.sede == 0 ? QString() : QString::number(p.sede),
            roles::word(p.ruolo)};
}

} // namespace vx
