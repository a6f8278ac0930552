// The print core: the template merge and its PDF, the file names, the temporary-file-then-move
// rule, the plain listing's geometry on a recording target and in a PDF, and the reading of a
// Request's print data. PDF text is read back with poppler's pdftotext.

#include "TestInstallation.h"

#include "print/PdfOutput.h"
#include "print/PlainListing.h"
#include "print/PrintData.h"
#include "print/PrintTarget.h"
#include "print/RequestDocument.h"
#include "print/RequestPrint.h"
#include "store/Database.h"

#include "Version.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace vx;
using vx::test::TestInstallation;

namespace {

// What the listing asked of its printer, in order.
struct Event {
    enum Kind { SetUp, Text, EndPage, EndJob } kind;
    int x = 0;
    int y = 0;
    QString text;

    bool operator==(const Event&) const = default;
};

class RecordingTarget : public PrintTarget {
public:
    static constexpr int kLine = 210; // any line height will do; the listing must use the target's
    QList<Event> events;
    QList<PageSetUp> setUps;
    bool accept = true;
    int height = 100000; // room for any line height

    void setUp(const PageSetUp& s) override
    {
        setUps.append(s);
        events.append(Event{Event::SetUp});
    }
    int lineAdvance() const override { return kLine; }
    int pageHeight() const override { return height; }
    void text(int x, int y, const QString& line) override { events.append(Event{Event::Text, x, y, line}); }
    void endPage() override { events.append(Event{Event::EndPage}); }
    bool endJob() override
    {
        events.append(Event{Event::EndJob});
        return accept;
    }
};

char* toString(const Event& e)
{
    static const char* kinds[] = {"SetUp", "Text", "EndPage", "EndJob"};
    return QTest::toString(
        QStringLiteral("%1(%2,%3,\"%4\")").arg(QLatin1String(kinds[e.kind])).arg(e.x).arg(e.y).arg(e.text));
}

Event text(int x, int y, const QString& line)
{
    return {Event::Text, x, y, line};
}

PrintPerson person(int i)
{
    PrintPerson p;
    p.codFiscale = QStringLiteral("RSSMRA70C05L%1X").arg(i, 3, 10, QLatin1Char('0'));
    p.cognome = QStringLiteral("COGNOME%1").arg(i, 3, 10, QLatin1Char('0'));
    p.nome = QStringLiteral("NOME");
    p.gg = QStringLiteral("5");
    p.mm = QStringLiteral("3");
    p.aaaa = QStringLiteral("1970");
    p.email = QStringLiteral("p%1@ente.example").arg(i);
    p.tel = QStringLiteral("0115550%1").arg(i, 3, 10, QLatin1Char('0'));
    p.gruppo = QStringLiteral("A");
    p.codice = QStringLiteral("123");
    p.ruolo = QString::number(1 + i % 5);
    p.sede = i % 5 == 0 || i % 5 == 4 ? QStringLiteral("0") : QStringLiteral("2");
    return p;
}

QList<PrintPerson> persons(int count)
{
    QList<PrintPerson> list;
    for (int i = 0; i < count; ++i)
        list.append(person(i));
    return list;
}

PrintRequest request45(bool printed = false)
{
    PrintRequest r;
    r.number = 45;
    r.group = QStringLiteral("A");
    r.operatorCode = 123;
    r.provinceAbbrev = QStringLiteral("XY");
    r.printed = printed;
    return r;
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page of a PDF, in page order.
QStringList pdfPages(const QString& path)
{
    // Ligatures ("ﬁ") read back as their letters.
    QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
                            .normalized(QString::NormalizationForm_KC)
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString pdfInfo(const QString& path, const QString& field)
{
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const QRegularExpression re(QLatin1Char('^') + field + QStringLiteral(":\\s*(.*)$"),
                                QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

QString deliveredTemplate()
{
    return QFINDTESTDATA("../../data/_VELTRANORPX_01.html");
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A small template of the delivered kind, with `body` above the table.
QString smallTemplate(const QString& body, const QString& mark = QStringLiteral("StartDE"))
{
    QString cells;
    for (int i = 1; i < 9; ++i)
        cells += QStringLiteral("<td></td>");
    QString headings;
    for (int i = 1; i <= 9; ++i)
        headings += QStringLiteral("<th width=\"11%\">Colonna%1</th>").arg(i);
    return QStringLiteral("<html><body><p>%1</p><table border=\"1\" cellpadding=\"2\" width=\"100%\"><tr>%2</tr>"
                          "<tr><td>%3</td>%4</tr></table><p>Documento n. </p></body></html>")
        .arg(body, headings, mark, cells);
}

} // namespace

class TstPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void placeholders_data();
    void placeholders();
    void placeholderFonts_data();
    void placeholderFonts();
    void headerValuesOfARequest();
    void rawPlaceholderTagsAreText();
    void templateWithoutTheMark_data();
    void templateWithoutTheMark();
    void documentCells_data();
    void documentCells();

    void requestPdf();
    void rowsInOrderAcrossPages();
    void footerCarriesTheDocumentNumber();
    void columnsAlignedAsTheMarkedRow();

    void fileNames_data();
    void fileNames();
    void failedRunKeepsTheEarlierFile_data();
    void failedRunKeepsTheEarlierFile();
    void successfulRunReplacesTheEarlierFile();

    void columnHeading();
    void IncolonnaDestra_data();
    void IncolonnaDestra();
    void personLine();
    void listingPages_data();
    void listingPages();
    void listingOfTwentyTwo();
    void listingWithoutPersons();
    void tallLinesFitThePage();
    void listingReportsARefusedJob();
    void listingPdf();

    void readsARequest();
    void missingRequest();
    void requestOfAnInstallation();
};

void TstPrint::initTestCase()
{
    // The program runs in Italian whatever the system's language; so do its dates here.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext (poppler-utils) is needed: scripts/install-deps installs it");
    QVERIFY(QFile::exists(deliveredTemplate()));
}

void TstPrint::placeholders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every one, any letter case") << "<numdoma> <DATA> <Ver> <tipostampa> <NUMDOMA2> <operpres>"
                                                << "7 05/03/2026 (ver. 1.2.30) BOZZA N2 A-123";
    QTest::newRow("out of order: each found from where the last one was")
        << "<TipoStampa> | <NumDoma> <Data> <ver> | <TIPOSTAMPA>"
        << "<TipoStampa> | 7 05/03/2026 (ver. 1.2.30) | BOZZA";
    QTest::newRow("wrapping to the start") << "<OperPres> <TIPOSTAMPA> <NumDoma>"
                                           << "A-123 BOZZA 7";
    QTest::newRow("twice: one replaced per call") << "<NumDoma> e <NumDoma>"
                                                  << "7 e <NumDoma>";
    QTest::newRow("<NumDoma> is not <NumDoma2>") << "<NumDoma2> <NumDoma>"
                                                 << "N2 7";
    QTest::newRow("missing ones leave the rest") << "<ver> only"
                                                 << "(ver. 1.2.30) only";
}

void TstPrint::placeholders()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QTextDocument doc;
    doc.setPlainText(text);
    HeaderValues values = headerValues(request45(), PrintType::Bozza, QDate(2026, 3, 5), 1, 2, 30);
    values.numDoma = QStringLiteral("7");
    values.numDoma2 = QStringLiteral("N2");
    fillHeader(doc, values);
    QCOMPARE(doc.toPlainText(), expected);
}

void TstPrint::placeholderFonts_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("bold");
    QTest::newRow("<NumDoma>") << "N1"
                               << "Arial" << true;
    QTest::newRow("<Data>") << "05/03/2026"
                            << "Arial" << false;
    QTest::newRow("<ver>") << "(ver. 1.2.30)"
                           << "Times New Roman" << false;
    QTest::newRow("<TIPOSTAMPA>") << "ORIGINALE"
                                  << "Arial" << true;
    QTest::newRow("<NumDoma2>") << "N2"
                                << "Arial" << true;
    QTest::newRow("<OperPres>") << "A-123"
                                << "Arial" << true;
}

void TstPrint::placeholderFonts()
{
    QFETCH(QString, value);
    QFETCH(QString, family);
    QFETCH(bool, bold);
    QTextDocument doc;
    // The surrounding text is bold, underlined and in another face: the values take their own.
    doc.setHtml(QStringLiteral("<p style=\"font-family:Courier; font-size:14pt; font-weight:bold; "
                               "text-decoration:underline\">x &lt;NumDoma&gt; &lt;Data&gt; &lt;ver&gt; "
                               "&lt;TIPOSTAMPA&gt; &lt;NumDoma2&gt; &lt;OperPres&gt; y</p>"));
    HeaderValues values = headerValues(request45(), PrintType::Originale, QDate(2026, 3, 5), 1, 2, 30);
    values.numDoma = QStringLiteral("N1");
    values.numDoma2 = QStringLiteral("N2");
    fillHeader(doc, values);
    const QTextCursor found = doc.find(value, 0, QTextDocument::FindCaseSensitively);
    QVERIFY(!found.isNull());
    QTextCursor inside(&doc);
    inside.setPosition(found.selectionStart() + 1);
    const QTextCharFormat format = inside.charFormat();
    QCOMPARE(format.font().families().value(0), family);
    QCOMPARE(format.fontPointSize(), 10.0);
    QCOMPARE(format.fontWeight() == QFont::Bold, bold);
    QVERIFY(!format.fontUnderline());
}

void TstPrint::headerValuesOfARequest()
{
    const HeaderValues v = headerValues(request45(), PrintType::Originale, QDate(2026, 3, 5), 1, 2, 30);
    QCOMPARE(v.numDoma, QStringLiteral("45"));
    QCOMPARE(v.numDoma2, QStringLiteral("45"));
    QCOMPARE(v.data, QStringLiteral("05/03/2026"));
    QCOMPARE(v.ver, QStringLiteral("(ver. 1.2.30)"));
    QCOMPARE(v.tipoStampa, QStringLiteral("ORIGINALE"));
    QCOMPARE(v.operPres, QStringLiteral("A-123"));
    QCOMPARE(headerValues(request45(), PrintType::Bozza, QDate(2026, 3, 5), 1, 2, 30).tipoStampa,
             QStringLiteral("BOZZA"));
}

void TstPrint::rawPlaceholderTagsAreText()
{
    // Typed as tags in a text editor, the placeholders are still found.
    RequestDocument doc;
    QString error;
    QVERIFY2(doc.merge(smallTemplate(QStringLiteral("Richiesta <NumDoma> del <data>")),
                       headerValues(request45(), PrintType::Bozza, QDate(2026, 3, 5), 1, 2, 30), 1, &error),
             qPrintable(error));
    QVERIFY(doc.merged().toPlainText().contains(QStringLiteral("Richiesta 45 del 05/03/2026")));
}

void TstPrint::templateWithoutTheMark_data()
{
    QTest::addColumn<QString>("html");
    QTest::newRow("no mark") << smallTemplate(QString(), QStringLiteral("Inizio"));
    QTest::newRow("mark outside a table") << QStringLiteral("<html><body><p>StartDE</p></body></html>");
    QTest::newRow("eight columns") << QStringLiteral("<table><tr><td>StartDE</td><td></td><td></td><td></td><td></td>"
                                                     "<td></td><td></td><td></td></tr></table>");
}

void TstPrint::templateWithoutTheMark()
{
    QFETCH(QString, html);
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("_VELTRANORPX_01.html"));
    QFile f(templatePath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(html.toUtf8());
    f.close();
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString error;
    QVERIFY(!writeRequestPdf(templatePath, DocumentJob{request45(), persons(3), PrintType::Bozza, QDate(2026, 3, 5), 1},
                             pdf, &error));
    QCOMPARE(error, QStringLiteral("Il modello di stampa non contiene una tabella di nove colonne con la cella "
                                   "\"StartDE\" in prima colonna."));
    QVERIFY(!QFile::exists(pdf));
}

void TstPrint::documentCells_data()
{
    QTest::addColumn<QString>("ruolo");
    QTest::addColumn<QString>("sede");
    QTest::addColumn<QString>("siteCell");
    QTest::addColumn<QString>("roleCell");
    QTest::newRow("1 at the agency") << "1"
                                     << "0"
                                     << ""
                                     << "PROGETTISTA_PERCORSI_FORM";
    QTest::newRow("2 at site 3") << "2"
                                 << "3"
                                 << "3"
                                 << "PROGETTISTA_PERCORSI_SEDE";
    QTest::newRow("3 at site 10") << "3"
                                  << "10"
                                  << "10"
                                  << "VERIFICATORE_PERCORSI_SEDE";
    QTest::newRow("4 at site 1") << "4"
                                 << "1"
                                 << "1"
                                 << "PROGETTISTA_AGENZIA_PCV";
    QTest::newRow("5 at the agency") << "5"
                                     << "0"
                                     << ""
                                     << "VERIFICATORE_PERCORSI_FORM";
    QTest::newRow("no such role") << "6"
                                  << "0"
                                  << ""
                                  << "";
}

void TstPrint::documentCells()
{
    QFETCH(QString, ruolo);
    QFETCH(QString, sede);
    QFETCH(QString, siteCell);
    QFETCH(QString, roleCell);
    PrintPerson p = person(1);
    p.ruolo = ruolo;
    p.sede = sede;
    const QStringList cells = vx::documentCells(p);
    QCOMPARE(cells, (QStringList{p.codFiscale, p.cognome, p.nome, QStringLiteral("5/3/1970"), p.email, p.tel,
                                 QStringLiteral("A-123"), siteCell, roleCell}));
}

void TstPrint::requestPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(requestPdfName(request45(), PrintType::Originale));
    QString error;
    QVERIFY2(writeRequestPdf(deliveredTemplate(),
                             DocumentJob{request45(), persons(3), PrintType::Originale, QDate(2026, 3, 5), 1}, pdf,
                             &error),
             qPrintable(error));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Title")), QStringLiteral("Richiesta di Profilazione (VELTRANORPX)"));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Author")), QStringLiteral("VELTRANORPX"));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Page size")), QStringLiteral("842 x 595 pts (A4)"));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QString page = pages.first().simplified();
    QVERIFY2(page.contains(QStringLiteral("Richiesta n. 45 del 05/03/2026 (ver. %1)").arg(QLatin1String(kVersionText))),
             qPrintable(page));
    QVERIFY(page.contains(QStringLiteral("Documento stampato in ORIGINALE")));
    QVERIFY(page.contains(QStringLiteral("Operatore: A-123")));
    QVERIFY(page.contains(QStringLiteral("Richiesta n. 45:")));
    QVERIFY(!page.contains(QLatin1Char('<')));
    QVERIFY(!page.contains(QStringLiteral("StartDE")));
    // The first person's row starts where the mark was, its cells in the columns' order.
    QVERIFY2(page.contains(QStringLiteral("RSSMRA70C05L000X COGNOME000 NOME 5/3/1970 p0@ente.example 0115550000 "
                                          "A-123 PROGETTISTA_PERCORSI_FORM")),
             qPrintable(page));
    QVERIFY(page.contains(QStringLiteral("RSSMRA70C05L001X COGNOME001 NOME 5/3/1970 p1@ente.example 0115550001 "
                                         "A-123 2 PROGETTISTA_PERCORSI_SEDE")));
}

void TstPrint::rowsInOrderAcrossPages()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const QList<PrintPerson> list = persons(120);
    QString error;
    int lastProgress = 0;
    QVERIFY2(writeRequestPdf(deliveredTemplate(),
                             DocumentJob{request45(), list, PrintType::Bozza, QDate(2026, 3, 5), 1}, pdf, &error,
                             [&](int done) {
                                 lastProgress = done;
                                 return true;
                             }),
             qPrintable(error));
    QCOMPARE(lastProgress, 120);
    const QStringList pages = pdfPages(pdf);
    QVERIFY(pages.size() >= 3);
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Pages")).toInt(), pages.size());
    int next = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QString page = pages[i];
        // Each page: the heading row above its persons, none of them lost or repeated.
        const qsizetype heading = page.indexOf(QStringLiteral("Codice fiscale"));
        QVERIFY2(heading >= 0, qPrintable(QStringLiteral("page %1 lacks the heading row").arg(i + 1)));
        QCOMPARE(page.count(QStringLiteral("Codice fiscale")), 1);
        QCOMPARE(page.contains(QStringLiteral("Documento stampato in BOZZA")), i == 0);
        static const QRegularExpression cf(QStringLiteral("RSSMRA70C05L(\\d{3})X"));
        auto it = cf.globalMatch(page);
        int onPage = 0;
        while (it.hasNext()) {
            const auto m = it.next();
            QVERIFY(m.capturedStart() > heading);
            QCOMPARE(m.captured(1).toInt(), next);
            ++next;
            ++onPage;
        }
        QVERIFY(onPage > 0);
    }
    QCOMPARE(next, 120);
}

void TstPrint::footerCarriesTheDocumentNumber()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString error;
    QVERIFY2(writeRequestPdf(deliveredTemplate(),
                             DocumentJob{request45(), persons(90), PrintType::Bozza, QDate(2026, 3, 5), 1}, pdf,
                             &error),
             qPrintable(error));
    const QStringList pages = pdfPages(pdf);
    QVERIFY(pages.size() >= 2);
    for (const QString& page : pages) {
        const QStringList lines = page.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.last().trimmed(), QStringLiteral("Documento n. 1"));
    }
}

void TstPrint::columnsAlignedAsTheMarkedRow()
{
    // The delivered template centres the date, operator and site columns, under their centred
    // headings; the other columns start at their left edge.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString error;
    QVERIFY2(writeRequestPdf(deliveredTemplate(),
                             DocumentJob{request45(), persons(2), PrintType::Bozza, QDate(2026, 3, 5), 1}, pdf, &error),
             qPrintable(error));
    const QString boxes = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    QHash<QString, QPair<double, double>> at; // the last place of each word: in the rows, not the header
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        at.insert(m.captured(3), {m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    // The centre of the words' boxes taken together: a heading on one line or two.
    auto centre = [&](const QStringList& words) {
        double left = 1e9;
        double right = -1e9;
        for (const QString& w : words) {
            left = std::min(left, at.value(w).first);
            right = std::max(right, at.value(w).second);
        }
        return (left + right) / 2;
    };
    const QList<std::pair<QString, QStringList>> centred = {
        {QStringLiteral("5/3/1970"), {QStringLiteral("Data"), QStringLiteral("di"), QStringLiteral("nascita")}},
        {QStringLiteral("A-123"), {QStringLiteral("Operatore")}},
        {QStringLiteral("2"), {QStringLiteral("Sede")}}};
    for (const auto& [value, heading] : centred) {
        QVERIFY2(at.contains(value), qPrintable(value));
        const double valueCentre = centre({value});
        const double headingCentre = centre(heading);
        QVERIFY2(
            qAbs(valueCentre - headingCentre) < 1.0,
            qPrintable(QStringLiteral("%1 at %2, its heading at %3").arg(value).arg(valueCentre).arg(headingCentre)));
    }
    // Left-aligned: the name starts well left of its centred heading.
    QVERIFY(at.value(QStringLiteral("NOME")).first < at.value(QStringLiteral("Nome")).first - 10);
}

void TstPrint::fileNames_data()
{
    QTest::addColumn<bool>("printed");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    const int bozza = int(PrintType::Bozza);
    const int originale = int(PrintType::Originale);
    QTest::newRow("draft, not printed yet") << false << bozza << "VELTRANORPX-A123-XY-Domanda45.pdf";
    QTest::newRow("definitive") << false << originale << "VELTRANORPX-A123-XY-Domanda45.pdf";
    QTest::newRow("definitive again") << true << originale << "VELTRANORPX-A123-XY-Domanda45.pdf";
    QTest::newRow("draft of a printed Request") << true << bozza << "VELTRANORPX-A123-XY-Domanda45-Bozza.pdf";
}

void TstPrint::fileNames()
{
    QFETCH(bool, printed);
    QFETCH(int, type);
    QFETCH(QString, name);
    QCOMPARE(requestPdfName(request45(printed), PrintType(type)), name);
}

void TstPrint::failedRunKeepsTheEarlierFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("stopped halfway") << "stop";
    QTest::newRow("final path taken by a folder") << "folder";
    QTest::newRow("missing folder") << "missing";
}

void TstPrint::failedRunKeepsTheEarlierFile()
{
    QFETCH(QString, failure);
    QTemporaryDir dir;
    QString pdf = dir.filePath(requestPdfName(request45(), PrintType::Originale));
    const QByteArray earlier("%PDF-1.4 the document the agency kept\n%%EOF\n");
    if (failure == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QFileInfo(pdf).fileName()));
    } else if (failure == QLatin1String("missing")) {
        pdf = dir.filePath(QStringLiteral("nessuna/cartella.pdf"));
    } else {
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(earlier);
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QString error;
    const bool written = writeRequestPdf(
        deliveredTemplate(), DocumentJob{request45(), persons(200), PrintType::Originale, QDate(2026, 3, 5), 1}, pdf,
        &error, [&](int done) { return failure != QLatin1String("stop") || done < 100; });
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    // Nothing new in the folder: no temporary file left, no PDF where there was none.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    if (failure == QLatin1String("stop"))
        QCOMPARE(readBytes(pdf), earlier);
    else
        QVERIFY(!QFileInfo(pdf).isFile());
}

void TstPrint::successfulRunReplacesTheEarlierFile()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(requestPdfName(request45(), PrintType::Originale));
    {
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    QString error;
    QVERIFY2(writeRequestPdf(deliveredTemplate(),
                             DocumentJob{request45(), persons(2), PrintType::Originale, QDate(2026, 3, 5), 1}, pdf,
                             &error),
             qPrintable(error));
    const QByteArray bytes = readBytes(pdf);
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.endsWith("%%EOF\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QFileInfo(pdf).fileName()});
}

void TstPrint::columnHeading()
{
    const QString& h = listing::kColumnHeading;
    QCOMPARE(h.size(), 137);
    const QStringList labels = {QStringLiteral("Cod. Fiscale"), QStringLiteral("Cognome"), QStringLiteral("Nome"),
                                QStringLiteral("Data nasc."),   QStringLiteral("e-mail"),  QStringLiteral("telefono"),
                                QStringLiteral("Oper.-Sede"),   QStringLiteral("Ruolo")};
    const QList<int> columns = {0, 25, 48, 60, 78, 103, 118, 132};
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(h.indexOf(labels[i]), columns[i]);
}

void TstPrint::IncolonnaDestra_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("surname of 25, cut to 19 first")
        << QString(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY")).left(19) << 20 << " ABCDEFGHIJKLMNOPQRS";
    QTest::newRow("surname of 5") << "ROSSI" << 20 << QString(15, QLatin1Char(' ')) + "ROSSI";
    QTest::newRow("e-mail of 30") << "abcdefghijklmnopqrstuvwxyz1234" << 25 << "abcdefghijklmnopqrstuvwxy";
    QTest::newRow("e-mail of 10") << "ab@cd.test" << 25 << QString(15, QLatin1Char(' ')) + "ab@cd.test";
    QTest::newRow("exactly the width") << "12345" << 5 << "12345";
    QTest::newRow("operator and site") << "A-1234-0" << 11 << "   A-1234-0";
    QTest::newRow("surrounding blanks count once") << " AB " << 6 << "     AB ";
    QTest::newRow("empty") << "" << 3 << "   ";
}

void TstPrint::IncolonnaDestra()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(listing::IncolonnaDestra(text, width), expected);
}

void TstPrint::personLine()
{
    PrintPerson p = person(7);
    p.cognome = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
    p.nome = QStringLiteral("MARIO");
    p.email = QStringLiteral("abcdefghijklmnopqrstuvwxyz1234");
    p.tel = QStringLiteral("0115550007");
    p.codice = QStringLiteral("1234");
    p.sede = QStringLiteral("0");
    p.ruolo = QStringLiteral("5");
    QCOMPARE(listing::personLine(p),
             QStringLiteral("RSSMRA70C05L007X  ABCDEFGHIJKLMNOPQRS                MARIO   5/3/1970 "
                            "abcdefghijklmnopqrstuvwxy      0115550007     A-1234-0         5"));
}

void TstPrint::listingPages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("ending");
    QTest::addColumn<int>("pages");
    const int legend = int(listing::Ending::Legend);
    const int number = int(listing::Ending::PageNumber);
    QTest::newRow("1, legend") << 1 << legend << 1;
    QTest::newRow("21, page number") << 21 << number << 1;
    QTest::newRow("22, legend") << 22 << legend << 2;
    QTest::newRow("23, legend") << 23 << legend << 2;
    QTest::newRow("23, page number") << 23 << number << 2;
    QTest::newRow("44, page number") << 44 << number << 3;
    QTest::newRow("67, legend") << 67 << legend << 4;
}

void TstPrint::listingPages()
{
    QFETCH(int, count);
    QFETCH(int, ending);
    QFETCH(int, pages);
    const int lh = RecordingTarget::kLine;
    RecordingTarget target;
    QVERIFY(printPlainListing(target, request45(), persons(count), QDate(2026, 3, 5), listing::Ending(ending)));

    // Split the job into pages.
    QList<QList<Event>> onPages(1);
    for (const Event& e : std::as_const(target.events)) {
        if (e.kind == Event::EndPage)
            onPages.append(QList<Event>());
        else if (e.kind != Event::EndJob)
            onPages.last().append(e);
    }
    QCOMPARE(target.events.last().kind, Event::EndJob);
    QCOMPARE(target.events.count({Event::EndJob}), 1);
    QCOMPARE(onPages.size(), pages);

    int next = 0;
    for (int page = 0; page < pages; ++page) {
        const QList<Event>& events = onPages[page];
        const int here = std::min(count - next, listing::kPersonsPerPage);
        int i = 0;
        if (here > 0) {
            // Header: set-up, then title, operator line and column heading at the left margin.
            QCOMPARE(events.value(i++).kind, Event::SetUp);
            QCOMPARE(events.value(i++), text(1000, 1000, QStringLiteral("Richiesta di Profilazione (VELTRANORPX)")));
            QCOMPARE(
                events.value(i++),
                text(1000, 1000 + 2 * lh, QStringLiteral("Operatore: A-123    Richiesta num: 45       data05/03/26")));
            QCOMPARE(events.value(i++), text(1000, 1000 + 5 * lh, listing::kColumnHeading));
            for (int row = 0; row < here; ++row, ++next)
                QCOMPARE(events.value(i++), text(1000, 1000 + (8 + 2 * row) * lh, listing::personLine(person(next))));
        }
        const int y = here > 0 ? 1000 + (8 + 2 * here) * lh : 0;
        if (here == listing::kPersonsPerPage) {
            QCOMPARE(events.value(i++), text(10000, y + lh, QStringLiteral(" pag. %1").arg(page + 1)));
        } else if (ending == int(listing::Ending::Legend)) {
            QCOMPARE(events.value(i++), text(1000, y + lh, QStringLiteral("LEGENDA codici Ruolo:")));
            QCOMPARE(events.value(i++),
                     text(1000, y + 2 * lh, QStringLiteral("1 - Progettista di Percorsi Formativi (ENTE)")));
            QCOMPARE(events.value(i++),
                     text(1000, y + 3 * lh, QStringLiteral("2 - Progettista di Percorsi Formativi (SEDE)")));
            QCOMPARE(events.value(i++),
                     text(1000, y + 4 * lh, QStringLiteral("3 - Verificatore di Percorsi Formativi (SEDE)")));
            QCOMPARE(events.value(i++), text(1000, y + 5 * lh, QStringLiteral("4 - Progettista di PCV di agenzia")));
            QCOMPARE(events.value(i++),
                     text(1000, y + 6 * lh, QStringLiteral("5 - Verificatore di Percorsi Formativi (ENTE)")));
        } else {
            QCOMPARE(events.value(i++), text(10000, y + lh, QStringLiteral(" pag. %1").arg(page + 1)));
        }
        QCOMPARE(i, events.size());
    }
    QCOMPARE(next, count);
    for (const PageSetUp& s : std::as_const(target.setUps))
        QCOMPARE(s, (PageSetUp{true, QStringLiteral("Courier New"), 9, false}));
}

void TstPrint::listingOfTwentyTwo()
{
    // 22 persons: one full page, then the ending alone on a second page without header.
    RecordingTarget target;
    QVERIFY(printPlainListing(target, request45(), persons(22), QDate(2026, 3, 5), listing::Ending::PageNumber));
    const int lh = RecordingTarget::kLine;
    const QList<Event> tail = target.events.mid(target.events.size() - 5);
    QCOMPARE(tail, (QList<Event>{text(1000, 1000 + (8 + 2 * 21) * lh, listing::personLine(person(21))),
                                 text(10000, 1000 + (8 + 44 + 1) * lh, QStringLiteral(" pag. 1")),
                                 {Event::EndPage},
                                 text(10000, lh, QStringLiteral(" pag. 2")),
                                 {Event::EndJob}}));
    QCOMPARE(target.setUps.size(), 1);
}

void TstPrint::listingWithoutPersons()
{
    // No header and no page set-up: only the ending.
    RecordingTarget target;
    QVERIFY(printPlainListing(target, request45(), {}, QDate(2026, 3, 5), listing::Ending::PageNumber));
    QCOMPARE(target.events,
             (QList<Event>{text(10000, RecordingTarget::kLine, QStringLiteral(" pag. 1")), {Event::EndJob}}));
    RecordingTarget legend;
    QVERIFY(printPlainListing(legend, request45(), {}, QDate(2026, 3, 5), listing::Ending::Legend));
    QVERIFY(legend.setUps.isEmpty());
    QCOMPARE(legend.events.size(), 7);
    QCOMPARE(legend.events.first(), text(1000, RecordingTarget::kLine, QStringLiteral("LEGENDA codici Ruolo:")));
}

void TstPrint::tallLinesFitThePage()
{
    // A4 across with lines of 210 twips would put the page number below the paper's edge.
    RecordingTarget target;
    target.height = 11906;
    QVERIFY(printPlainListing(target, request45(), persons(22), QDate(2026, 3, 5), listing::Ending::Legend));
    const Event pageNumber = target.events.at(target.events.indexOf(Event{Event::EndPage}) - 1);
    QCOMPARE(pageNumber.text, QStringLiteral(" pag. 1"));
    const int advance = (11906 - 1000) / 54;
    QCOMPARE(pageNumber.y, 1000 + 53 * advance);
    QVERIFY(pageNumber.y + advance <= target.height);
    QCOMPARE(target.events.at(1).y + 2 * advance, target.events.at(2).y);
}

void TstPrint::listingReportsARefusedJob()
{
    RecordingTarget target;
    target.accept = false;
    QVERIFY(!printPlainListing(target, request45(), persons(2), QDate(2026, 3, 5), listing::Ending::PageNumber));
}

void TstPrint::listingPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("elenco.pdf"));
    QString error;
    QVERIFY2(writeListingPdf(pdf, request45(), persons(23), QDate(2026, 3, 5), listing::Ending::Legend, &error),
             qPrintable(error));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Author")), QStringLiteral("VELTRANORPX"));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Page size")), QStringLiteral("842 x 595 pts (A4)"));
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral(" pag. 1")));
    QVERIFY(pages[1].contains(QStringLiteral("LEGENDA codici Ruolo:")));
    QVERIFY(!pages[1].contains(QStringLiteral("pag.")));
    // Every person line as the listing made it, in order (pdftotext gives runs of blanks as it likes).
    QString all = pages.join(QLatin1Char('\n')).simplified();
    qsizetype from = 0;
    for (int i = 0; i < 23; ++i) {
        const QString line = listing::personLine(person(i)).simplified();
        const qsizetype at = all.indexOf(line, from);
        QVERIFY2(at >= 0, qPrintable(line));
        from = at + line.size();
    }

    // Twips become points exactly: 1000 twips are 50 pt from the page's corner, 10000 twips 500 pt.
    const QString boxes =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                          QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    auto it = word.globalMatch(boxes);
    QVERIFY(it.hasNext());
    const auto first = it.next();
    QCOMPARE(first.captured(3), QStringLiteral("Richiesta"));
    QVERIFY2(qAbs(first.captured(1).toDouble() - 50.0) < 0.5, qPrintable(first.captured(1)));
    QVERIFY2(qAbs(first.captured(2).toDouble() - 50.0) < 2.0, qPrintable(first.captured(2)));
    double pagX = -1;
    QList<double> surnameEnds;
    static const QRegularExpression wordEnd(QStringLiteral("xMax=\"([0-9.]+)\""));
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(3) == QLatin1String("pag."))
            pagX = m.captured(1).toDouble();
        if (m.captured(3).startsWith(QLatin1String("COGNOME")))
            surnameEnds.append(wordEnd.match(m.captured(0)).captured(1).toDouble());
    }
    // Right-aligned in a fixed pitch: every surname ends at the same place.
    QCOMPARE(surnameEnds.size(), 22);
    for (double end : std::as_const(surnameEnds))
        QVERIFY2(qAbs(end - surnameEnds.first()) < 0.01, qPrintable(QString::number(end)));
    // " pag." starts with a blank: the word begins one character (0.6 of 9 pt, fixed pitch) later.
    QVERIFY2(pagX > 500.0 && pagX < 500.0 + 9 * 0.7, qPrintable(QString::number(pagX)));
}

void TstPrint::readsARequest()
{
    TestInstallation inst;
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addOperator(QStringLiteral("A"), 123, QStringLiteral("ENTE DI FORMAZIONE"));
    inst.addRequest(45, QStringLiteral("A"), 123, QStringLiteral("001"), 1, true);
    const QString insert = QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, "
                                          "AAAANasc, Email, Tel, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // Same surname and name: the document orders by codice fiscale first, the listing by operator.
    inst.sql(insert,
             {45, "BBBBBB70C05L219X", "ROSSI", "MARIO", "5", "3", "1970", "m@x.example", "011", "A", 123, 2, 3});
    inst.sql(insert, {45, "AAAAAA70C05L219X", "ROSSI", "MARIO", "5", "3", "1970", "m@x.example", "011", "B", 7, 0, 1});
    inst.sql(insert, {45, "CCCCCC70C05L219X", "BIANCHI", "ANNA", QVariant(), QVariant(), QVariant(), QVariant(),
                      QVariant(), "A", 123, 0, 5});
    inst.sql(insert, {46, "DDDDDD70C05L219X", "ALTRA", "RICHIESTA", "1", "1", "1980", "", "", "A", 123, 0, 1});

    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    PrintData data;
    QString error;
    QVERIFY2(readPrintData(db, 45, PersonOrder::Document, data, &error), qPrintable(error));
    QCOMPARE(data.request.number, 45);
    QCOMPARE(data.request.group, QStringLiteral("A"));
    QCOMPARE(data.request.operatorCode, 123);
    QCOMPARE(data.request.operatorName, QStringLiteral("ENTE DI FORMAZIONE"));
    QCOMPARE(data.request.provinceAbbrev, QStringLiteral("TO"));
    QVERIFY(data.request.printed);
    QCOMPARE(requestPdfName(data.request, PrintType::Originale), QStringLiteral("VELTRANORPX-A123-TO-Domanda45.pdf"));
    QStringList codes;
    for (const PrintPerson& p : std::as_const(data.persons))
        codes.append(p.codFiscale);
    QCOMPARE(codes, (QStringList{"CCCCCC70C05L219X", "AAAAAA70C05L219X", "BBBBBB70C05L219X"}));
    const PrintPerson& anna = data.persons.first();
    QCOMPARE(anna.gg + anna.mm + anna.aaaa + anna.email + anna.tel, QString());
    QCOMPARE(vx::documentCells(data.persons[2]).mid(6), (QStringList{"A-123", "2", "VERIFICATORE_PERCORSI_SEDE"}));

    QVERIFY(readPrintData(db, 45, PersonOrder::Listing, data, &error));
    codes.clear();
    for (const PrintPerson& p : std::as_const(data.persons))
        codes.append(p.codFiscale);
    QCOMPARE(codes, (QStringList{"CCCCCC70C05L219X", "BBBBBB70C05L219X", "AAAAAA70C05L219X"}));
    QCOMPARE(listing::personLine(data.persons[2]).right(21),
             QString(6, QLatin1Char(' ')) + QStringLiteral("B-7-0") + QString(9, QLatin1Char(' ')) + QLatin1Char('1'));
}

void TstPrint::missingRequest()
{
    TestInstallation inst;
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    PrintData data;
    data.persons = persons(2);
    QString error;
    QVERIFY(!readPrintData(db, 99, PersonOrder::Document, data, &error));
    QCOMPARE(error, QStringLiteral("La Richiesta 99 non esiste."));
    QVERIFY(data.persons.isEmpty());
}

void TstPrint::requestOfAnInstallation()
{
    TestInstallation inst;
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addRequest(45, QStringLiteral("A"), 123, QStringLiteral("001"), 1, false);
    inst.sql(QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GruppoOperatore, CodiceOperatore, "
                            "Sede, Ruolo) VALUES (45, 'RSSMRA70C05L219X', 'ROSSI', 'MARIO', 'A', 123, 0, 1)"));
    Database db; // shared: the fixture changes the Request while it is open
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));

    // A folder without the template.
    QVERIFY(QFile::remove(inst.file(kTemplateFileName)));
    PrintOutcome outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Bozza, QDate(2026, 3, 5));
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.startsWith(QStringLiteral("Impossibile leggere il modello di stampa ")),
             qPrintable(outcome.error));
    QVERIFY(!QFile::exists(outcome.path));

    QVERIFY(QFile::copy(deliveredTemplate(), inst.file(kTemplateFileName)));
    outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Bozza, QDate(2026, 3, 5));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.path, inst.file(QStringLiteral("VELTRANORPX-A123-TO-Domanda45.pdf")));
    QVERIFY(pdfPages(outcome.path).value(0).contains(QStringLiteral("RSSMRA70C05L219X")));

    // Once printed, a draft goes beside the definitive document and leaves it alone.
    outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Originale, QDate(2026, 3, 5));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QByteArray definitive = readBytes(outcome.path);
    inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1 WHERE NumDoma = 45"));
    outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Bozza, QDate(2026, 3, 6));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.path, inst.file(QStringLiteral("VELTRANORPX-A123-TO-Domanda45-Bozza.pdf")));
    QCOMPARE(readBytes(inst.file(QStringLiteral("VELTRANORPX-A123-TO-Domanda45.pdf"))), definitive);

    const QString listingPath = inst.file(QStringLiteral("elenco.pdf"));
    outcome = printListingPdf(db, 45, QDate(2026, 3, 5), listing::Ending::Legend, listingPath);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(pdfPages(listingPath).value(0).contains(QStringLiteral("LEGENDA codici Ruolo:")));
    outcome = printListingPdf(db, 46, QDate(2026, 3, 5), listing::Ending::Legend, listingPath);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error, QStringLiteral("La Richiesta 46 non esiste."));

    RecordingTarget printer;
    outcome = printListing(printer, db, 45, QDate(2026, 3, 5), listing::Ending::PageNumber);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(printer.events.at(4).text.startsWith(QStringLiteral("RSSMRA70C05L219X ")));
    RecordingTarget refusing;
    refusing.accept = false;
    outcome = printListing(refusing, db, 45, QDate(2026, 3, 5), listing::Ending::PageNumber);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error, QStringLiteral("La stampante non ha accettato la stampa."));
}

QTEST_MAIN(TstPrint)
#include "tst_print.moc"
