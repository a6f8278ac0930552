#include "print/PdfOutput.h"

#include "Version.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "print/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

namespace vx {

QString printTypeText(PrintType type)
{
    switch (type) {
    case PrintType::Draft:
        return QStringLiteral("BOZZA");
    case PrintType::Original:
        return QStringLiteral("ORIGINALE");
    case PrintType::Copy:
        return QStringLiteral("COPIA");
    }
    return QString();
}

QString requestPdfName(const PrintRequest& request, PrintType type)
{
    const QString draft = type == PrintType::Draft ? QStringLiteral("-Bozza") : QString();
    return QStringLiteral("VELTRANORPX-") + request.group + QString::number(request.operatorCode) + QLatin1Char('-') +
           request.provinceAbbrev + QStringLiteral("-Domanda") + QString::number(request.number) + draft +
           QStringLiteral(".pdf");
}

namespace print {

QString author()
{
    return kAppTitle;
}

QString creator()
{
    return kAppTitle + QLatin1Char(' ') + QLatin1String(kVersionText);
}

void prepare(QPdfWriter& writer, const QString& title)
{
    writer.setTitle(title);
    writer.setCreator(creator());
}

namespace {

// A PDF text string in UTF-16 with its byte-order mark, written in hex so that no character
// needs escaping.
QByteArray textString(const QString& text)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return '<' + bytes.toHex().toUpper() + '>';
}

} // namespace

bool setDocumentInfo(QByteArray& pdf, const QString& title)
{
    // The last cross-reference section and its trailer, as Qt writes them.
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype trailerAt = pdf.lastIndexOf("trailer", startxref);
    if (startxref < 0 || trailerAt < 0)
        return false;
    const QString tail = QString::fromLatin1(pdf.mid(trailerAt));
    static const QRegularExpression sizeRe(QStringLiteral("/Size (\\d+)"));
    static const QRegularExpression infoRe(QStringLiteral("/Info (\\d+) 0 R"));
    static const QRegularExpression rootRe(QStringLiteral("/Root (\\d+) 0 R"));
    static const QRegularExpression idRe(QStringLiteral("/ID \\[[^\\]]*\\]"));
    static const QRegularExpression prevRe(QStringLiteral("startxref\\s+(\\d+)"));
    const auto size = sizeRe.match(tail);
    const auto info = infoRe.match(tail);
    const auto root = rootRe.match(tail);
    const auto prev = prevRe.match(tail);
    if (!size.hasMatch() || !info.hasMatch() || !root.hasMatch() || !prev.hasMatch())
        return false;
    const QByteArray infoNumber = info.captured(1).toLatin1();

    // The creation date Qt wrote is kept; the rest of the information is written anew.
    QByteArray created;
    const qsizetype objAt = pdf.indexOf('\n' + infoNumber + " 0 obj");
    if (objAt >= 0) {
        const qsizetype close = pdf.indexOf("endobj", objAt);
        static const QRegularExpression dateRe(QStringLiteral("/CreationDate \\((D:[0-9+\\-Z']*)\\)"));
        const auto date = dateRe.match(QString::fromLatin1(pdf.mid(objAt, close - objAt)));
        if (date.hasMatch())
            created = "\n/CreationDate (" + date.captured(1).toLatin1() + ')';
    }

    if (!pdf.endsWith('\n'))
        pdf.append('\n');
    const qsizetype objectOffset = pdf.size();
    pdf += infoNumber + " 0 obj\n<<\n/Title " + textString(title) + "\n/Author " + textString(author()) +
           "\n/Creator " + textString(creator()) + "\n/Producer " + textString(QStringLiteral("Qt " QT_VERSION_STR)) +
           created + "\n>>\nendobj\n";
    const qsizetype xrefOffset = pdf.size();
    pdf += "xref\n0 1\n0000000000 65535 f \n" + infoNumber + " 1\n" +
           QByteArray::number(objectOffset).rightJustified(10, '0') + " 00000 n \n";
    const auto id = idRe.match(tail);
    pdf += "trailer\n<<\n/Size " + size.captured(1).toLatin1() + "\n/Info " + infoNumber + " 0 R\n/Root " +
           root.captured(1).toLatin1() + " 0 R\n" + (id.hasMatch() ? id.captured(0).toLatin1() + '\n' : QByteArray()) +
           "/Prev " + prev.captured(1).toLatin1() + "\n>>\nstartxref\n" + QByteArray::number(xrefOffset) + "\n%%EOF\n";
    return true;
}

bool saveAtomically(const QString& path, const QByteArray& pdf, QString* error)
{
    QSaveFile file(path);
    // Never written straight over the old file, even where the folder forbids a temporary one.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        if (error)
            *error = msg::print::cannotWrite(QDir::toNativeSeparators(path), msg::core::whyNotWritten(path));
        file.cancelWriting();
        return false;
    }
    return true;
}

bool finish(const QString& path, QByteArray& pdf, const QString& title, QString* error)
{
    if (!setDocumentInfo(pdf, title)) {
        if (error)
            *error = msg::print::text(msg::print::Text::PdfFailed);
        return false;
    }
    return saveAtomically(path, pdf, error);
}

} // namespace print
} // namespace vx
