// The print core: the template merge and its PDF (one person and three hundred, read back with
// poppler's pdftotext), the temporary-file-then-move rule, the plain listing's geometry on a
// recording target and in a PDF, and the reading of a Request's print data.

#include "HostProgram.h"
#include "Support.h"
#include "TestInstallation.h"

#include "print/Messages.h"
#include "print/PlainListing.h"
#include "print/RequestDocument.h"
#include "print/RequestPrint.h"
#include "store/Database.h"

#include "Version.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

using namespace vx;
using vx::test::TestInstallation;
namespace m = vx::msg::print;

namespace {

// What the listing asked of its printer, in order.
struct Event {
    enum Kind { SetUp, Text, EndPage, EndJob } kind;
    int x = 0;
    int y = 0;
    QString text;
    bool operator==(const Event&) const = default;
};

char* toString(const Event& e)
{
    return QTest::toString(QStringLiteral("%1(%2,%3,\"%4\")").arg(int(e.kind)).arg(e.x).arg(e.y).arg(e.text));
}

Event text(int x, int y, const QString& line)
{
    return {Event::Text, x, y, line};
}

class RecordingTarget : public PrintTarget {
public:
    static constexpr int kLine = 210; // any line height will do; the listing must use the target's
    QList<Event> events;
    bool accept = true;
    int height = 100000; // room for any line height

    void setUp(const PageSetUp& s) override
    {
        QCOMPARE(s, (PageSetUp{true, QStringLiteral("Courier New"), 9, false}));
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

RolePerson person(int i)
{
    const QString n = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
    const int role = 1 + i % 5;
    return {0,
            QStringLiteral("RSSMRA70C05L%1X").arg(n),
            QStringLiteral("COGNOME") + n,
            QStringLiteral("NOME"),
            QStringLiteral("5"),
            QStringLiteral("3"),
            QStringLiteral("1970"),
            QStringLiteral("p%1@ente.example").arg(i),
            QStringLiteral("0115550") + n,
            QStringLiteral("A"),
            123,
            role == 1 || role == 5 ? 0 : 2,
            role};
}

QList<RolePerson> persons(int count)
{
    QList<RolePerson> list;
    for (int i = 0; i < count; ++i)
        list.append(person(i));
    return list;
}

PrintRequest request45(bool printed = false)
{
    return {45,      "A",      123,           "CENTRO DI FORMAZIONE", "",
            "XY",    printed,  "01234567890", "MARIO ROSSI",          "VIA GARIBALDI 10",
            "10100", "TORINO", "TO"};
}

QString run(const QString& program, const QStringList& arguments)
{
    return vx::test::runOnHost(program, arguments);
}

// The text of each page of a PDF, in page order (ligatures read back as their letters).
QStringList pdfPages(const QString& path)
{
    QStringList pages =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), vx::test::hostPath(path), QStringLiteral("-")})
            .normalized(QString::NormalizationForm_KC)
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString pdfInfo(const QString& path, const QString& field)
{
    const QRegularExpression re(QLatin1Char('^') + field + QStringLiteral(":\\s*(.*)$"),
                                QRegularExpression::MultilineOption);
    return re.match(run(QStringLiteral("pdfinfo"), {vx::test::hostPath(path)})).captured(1).trimmed();
}

QString deliveredTemplate()
{
    return vx::test::TestInstallation::deliveredFile(QStringLiteral("_VELTRANORPX_01.html"));
}

DocumentJob job(int count, PrintType type = PrintType::Original)
{
    return DocumentJob{request45(), persons(count), type, QDate(2026, 3, 5), 1};
}

} // namespace

class TstPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void placeholders_data();
    void placeholders();
    void documentOfThreeHundred();
    void failedRunKeepsTheEarlierFile_data();
    void failedRunKeepsTheEarlierFile();
    void personLine();
    void listingPages_data();
    void listingPages();
    void listingPdf();
    void readsARequest();
    void requestOfAnInstallation();
};

void TstPrint::initTestCase()
{
    // A computer in another language (the C locale's "5 Mar 2026"): what is printed stays Italian.
    QLocale::setDefault(QLocale::c());
#ifndef Q_OS_WIN // under Wine the Linux machine's, run by scripts/windows/host-bridge
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext (poppler-utils) is needed: scripts/install-deps installs it");
#endif
    QVERIFY(QFile::exists(deliveredTemplate()));
}

void TstPrint::placeholders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every one, any letter case")
        << "<numdoma> <DATA> <Ver> <tipostampa> <NUMDOMA2> <operpres> <Denominazione> <codfiscoper> <SedeLegale> "
           "<LegRappr> <Luogo> <DataFirma> <FirmaLegRappr>"
        << "N1 D1 V1 T1 N2 O1 DEN CF SEDE LEG LUOGO D2 LEG";
    QTest::newRow("out of order: each found from where the last one was")
        << "<TipoStampa> | <NumDoma> <Data> <ver> | <TIPOSTAMPA>"
        << "<TipoStampa> | N1 D1 V1 | T1";
    QTest::newRow("wrapping to the start, one replaced per call") << "<OperPres> <NumDoma> e <NumDoma>"
                                                                  << "O1 N1 e <NumDoma>";
}

void TstPrint::placeholders()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QTextDocument doc;
    doc.setPlainText(text);
    fillHeader(doc, {"N1", "D1", "V1", "T1", "N2", "O1", "DEN", "CF", "SEDE", "LEG", "LUOGO", "D2"});
    QCOMPARE(doc.toPlainText(), expected);
}

void TstPrint::documentOfThreeHundred()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString error;
    int lastProgress = 0;
    QVERIFY2(writeRequestPdf(deliveredTemplate(), job(300), pdf, &error,
                             [&](int done) {
                                 lastProgress = done;
                                 return true;
                             }),
             qPrintable(error));
    QCOMPARE(lastProgress, 300);
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Author")), kAppTitle);
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Page size")), QStringLiteral("842 x 595 pts (A4)"));
    const QStringList pages = pdfPages(pdf);
    QVERIFY(pages.size() >= 8);
    // The first page: the header, the operator block, and the rows from where the mark was, their
    // cells in the columns' order.
    const QString first = pages.first().simplified();
    for (const QString& expected :
         {QStringLiteral("Richiesta n. 45 del 05/03/2026 (ver. %1)").arg(QLatin1String(kVersionText)),
          QStringLiteral("Documento stampato in ORIGINALE"), QStringLiteral("Operatore: A-123"),
          QStringLiteral("Denominazione: CENTRO DI FORMAZIONE"), QStringLiteral("Codice fiscale: 01234567890"),
          QStringLiteral("Sede legale: VIA GARIBALDI 10 - 10100 TORINO (TO)"),
          QStringLiteral("Legale rappresentante: MARIO ROSSI"),
          QStringLiteral("RSSMRA70C05L000X COGNOME000 NOME 5/3/1970 p0@ente.example 0115550000 A-123 "
                         "PROGETTISTA_PERCORSI_FORM RSSMRA70C05L001X COGNOME001 NOME 5/3/1970 p1@ente.example "
                         "0115550001 A-123 2 PROGETTISTA_PERCORSI_SEDE")})
        QVERIFY2(first.contains(expected), qPrintable(expected + QStringLiteral("\n---\n") + first));
    // The closing block once, after the last row.
    QVERIFY(pages.last().simplified().contains(
        QStringLiteral("Luogo e data: TORINO, 05/03/2026 Il legale rappresentante MARIO ROSSI")));
    static const QRegularExpression row(
        QStringLiteral("RSSMRA70C05L(\\d{3})X +COGNOME(\\d{3}) +NOME +5/3/1970 +p(\\d+)@ente.example"));
    int next = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QString& page = pages[i];
        // Every page with persons: the heading row once above them (the operator block's label is
        // another), each person whole and in order; every page: the footer last. The closing block
        // may come alone on a last page, with no heading.
        QVERIFY(!page.contains(QLatin1Char('<')) && !page.contains(QStringLiteral("StartDE")));
        const int headings = (i == 0 ? 1 : 0) + (row.match(page).hasMatch() ? 1 : 0);
        QVERIFY2(page.count(QStringLiteral("Codice fiscale")) == headings, qPrintable(page));
        QCOMPARE(page.contains(QStringLiteral("Luogo e data")), i == pages.size() - 1);
        // The footer, then the line that names the Request and numbers the page.
        QStringList lines = page.trimmed().split(QLatin1Char('\n'));
        lines.removeAll(QString());
        QCOMPARE(lines.value(lines.size() - 2).trimmed(), QStringLiteral("Documento n. 1"));
        QCOMPARE(lines.last().simplified(),
                 msg::print::pageMark(45, false) + QLatin1Char(' ') + msg::print::pageNumber(i + 1, int(pages.size())));
        const qsizetype heading = page.lastIndexOf(QStringLiteral("Codice fiscale"));
        for (auto it = row.globalMatch(page); it.hasNext(); ++next) {
            const auto match = it.next();
            QVERIFY(match.capturedStart() > heading);
            QCOMPARE(QStringList({match.captured(1), match.captured(2), match.captured(3)}),
                     QStringList({QStringLiteral("%1").arg(next, 3, 10, QLatin1Char('0')),
                                  QStringLiteral("%1").arg(next, 3, 10, QLatin1Char('0')), QString::number(next)}));
        }
    }
    QCOMPARE(next, 300);

    // A draft says so on every page, not on the first alone.
    DocumentJob draft = job(300);
    draft.type = PrintType::Draft;
    QVERIFY2(writeRequestPdf(deliveredTemplate(), draft, pdf, &error), qPrintable(error));
    const QStringList draftPages = pdfPages(pdf);
    QCOMPARE(draftPages.size(), pages.size());
    for (int i = 0; i < draftPages.size(); ++i)
        QVERIFY2(draftPages[i].simplified().endsWith(msg::print::pageMark(45, true) + QLatin1Char(' ') +
                                                     msg::print::pageNumber(i + 1, int(pages.size()))),
                 qPrintable(draftPages[i]));
}

void TstPrint::failedRunKeepsTheEarlierFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("stopped halfway") << "stop";
    QTest::newRow("final path taken by a folder") << "folder";
}

void TstPrint::failedRunKeepsTheEarlierFile()
{
    QFETCH(QString, failure);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(requestPdfName(request45(), PrintType::Original));
    const QByteArray earlier("%PDF-1.4 the document the agency kept\n%%EOF\n");
    if (failure == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QFileInfo(pdf).fileName()));
    } else {
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(earlier);
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QString error;
    QVERIFY(!writeRequestPdf(deliveredTemplate(), job(200), pdf, &error,
                             [&](int done) { return failure != QLatin1String("stop") || done < 100; }));
    QVERIFY(!error.isEmpty());
    // Nothing new in the folder: no temporary file left, no PDF where there was none.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    if (failure == QLatin1String("stop"))
        QCOMPARE(test::readFile(pdf), earlier);
    else
        QVERIFY(!QFileInfo(pdf).isFile());
}

void TstPrint::personLine()
{
    RolePerson p = person(7);
    p.cognome = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
    p.nome = QStringLiteral("MARIO");
    p.email = QStringLiteral("abcdefghijklmnopqrstuvwxyz1234");
    p.codice = 1234;
    p.sede = 0;
    p.ruolo = 5;
    QCOMPARE(print::personLine(p),
             QStringLiteral("RSSMRA70C05L007X  ABCDEFGHIJKLMNOPQRS                MARIO   5/3/1970 "
                            "abcdefghijklmnopqrstuvwxy      0115550007     A-1234-0         5"));
}

void TstPrint::listingPages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("ending");
    QTest::addColumn<int>("height"); // of the page, in twips
    QTest::addColumn<int>("pages");
    const int legend = int(print::Ending::Legend);
    const int number = int(print::Ending::PageNumber);
    QTest::newRow("none: the ending alone") << 0 << number << 100000 << 1;
    QTest::newRow("1, legend") << 1 << legend << 100000 << 1;
    QTest::newRow("22, legend alone on the second page") << 22 << legend << 100000 << 2;
    QTest::newRow("44, page number") << 44 << number << 100000 << 3;
    // A4 across: lines of 210 twips would put the page number below the paper's edge.
    QTest::newRow("23, lines drawn closer") << 23 << number << 11906 << 2;
}

void TstPrint::listingPages()
{
    QFETCH(int, count);
    QFETCH(int, ending);
    QFETCH(int, height);
    QFETCH(int, pages);
    const int lh = std::min(RecordingTarget::kLine, (height - 1000) / 54);
    RecordingTarget target;
    target.height = height;
    QVERIFY(printPlainListing(target, request45(), persons(count), QDate(2026, 3, 5), print::Ending(ending)));
    QList<QList<Event>> onPages(1);
    for (const Event& e : std::as_const(target.events)) {
        if (e.kind == Event::EndPage)
            onPages.append(QList<Event>());
        else if (e.kind != Event::EndJob)
            onPages.last().append(e);
    }
    QCOMPARE(target.events.count({Event::EndJob}), 1);
    QCOMPARE(target.events.last().kind, Event::EndJob);
    QCOMPARE(onPages.size(), pages);
    int next = 0;
    for (int page = 0; page < pages; ++page) {
        const QList<Event>& events = onPages[page];
        const int here = std::min(count - next, 22);
        int i = 0;
        if (here > 0) {
            QCOMPARE(events.value(i++).kind, Event::SetUp);
            QCOMPARE(events.value(i++), text(1000, 1000, QStringLiteral("Richiesta di Profilazione (VELTRANORPX)")));
            QCOMPARE(
                events.value(i++),
                text(1000, 1000 + 2 * lh, QStringLiteral("Operatore: A-123    Richiesta num: 45       data05/03/26")));
            QCOMPARE(events.value(i++).y, 1000 + 5 * lh); // the column heading
            for (int row = 0; row < here; ++row, ++next)
                QCOMPARE(events.value(i++), text(1000, 1000 + (8 + 2 * row) * lh, print::personLine(person(next))));
        }
        const int y = here > 0 ? 1000 + (8 + 2 * here) * lh : 0;
        if (here == 22 || ending == int(print::Ending::PageNumber)) {
            QCOMPARE(events.value(i++), text(10000, y + lh, QStringLiteral(" pag. %1").arg(page + 1)));
            QVERIFY(y + 2 * lh <= height);
        } else {
            QCOMPARE(events.value(i++), text(1000, y + lh, QStringLiteral("LEGENDA codici Ruolo:")));
            for (int code = 1; code <= 5; ++code)
                QCOMPARE(events.value(i++).text.left(4), QStringLiteral("%1 - ").arg(code));
        }
        QCOMPARE(i, events.size());
    }
    QCOMPARE(next, count);
}

void TstPrint::listingPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("elenco.pdf"));
    QString error;
    QVERIFY2(writeListingPdf(pdf, request45(), persons(23), QDate(2026, 3, 5), print::Ending::Legend, &error),
             qPrintable(error));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Page size")), QStringLiteral("842 x 595 pts (A4)"));
    QCOMPARE(pdfPages(pdf).size(), 2);
    // Twips become points exactly: 1000 twips are 50 pt from the page's corner, 10000 twips 500 pt
    // (" pag." starts with a blank: one character, 0.6 of 9 pt, later).
    const QString boxes =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-l"), QStringLiteral("1"),
                                          vx::test::hostPath(pdf), QStringLiteral("-")});
    auto xMin = [&](const QString& word) {
        const QRegularExpression re(QStringLiteral("<word xMin=\"([0-9.]+)\"[^>]*>") + word +
                                    QStringLiteral("</word>"));
        return re.match(boxes).captured(1).toDouble();
    };
    QVERIFY2(qAbs(xMin(QStringLiteral("Richiesta")) - 50.0) < 0.5, qPrintable(boxes.left(400)));
    QVERIFY(xMin(QStringLiteral("pag\\.")) > 500.0 && xMin(QStringLiteral("pag\\.")) < 500.0 + 9 * 0.7);
}

void TstPrint::readsARequest()
{
    TestInstallation inst;
    inst.addOperatorWithRequest(45, true);
    inst.sql(QStringLiteral("UPDATE CorsiOper SET CodFisc = '01234567890', LegNome = 'MARIO ROSSI'"));
    inst.sql(QStringLiteral("INSERT INTO Comuni (CodComune, Denominazione, PROV) VALUES ('L219', 'TORINO', '001')"));
    inst.sql(QStringLiteral("UPDATE CorsiCompo SET CodComune = 'L219', Cap = '10100' WHERE TipoCompo = 'SL'"));
    const QString insert = QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GruppoOperatore, "
                                          "CodiceOperatore, Sede, Ruolo) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    // Same surname and name: the document orders by codice fiscale first, the listing by operator.
    inst.sql(insert, {45, "BBBBBB70C05L219X", "ROSSI", "MARIO", "A", 12, 2, 3});
    inst.sql(insert, {45, "AAAAAA70C05L219X", "ROSSI", "MARIO", "B", 7, 0, 1});
    inst.sql(insert, {45, "CCCCCC70C05L219X", "BIANCHI", "ANNA", "A", 12, 0, 5});
    inst.sql(insert, {46, "DDDDDD70C05L219X", "ALTRA", "RICHIESTA", "A", 12, 0, 1});
    Database db;
    QVERIFY(inst.open(db, Database::Mode::StandAlone));
    PrintData data;
    QString error;
    auto read = [&](PersonOrder order) {
        QStringList fields;
        if (!readPrintData(db, 45, order, data, &error))
            return fields << error;
        const PrintRequest& r = data.request;
        fields << r.group + QString::number(r.operatorCode) << r.operatorName << r.province << r.provinceAbbrev
               << QString::number(r.printed) << r.operatorTaxCode << r.legalRepresentative << r.seatAddress
               << r.seatPostcode << r.seatTown << r.seatProvince;
        for (const RolePerson& p : std::as_const(data.persons))
            fields << p.codFiscale;
        return fields;
    };
    const QStringList request{"A12",         "CENTRO DI FORMAZIONE", "001",   "TO",     "1", "01234567890",
                              "MARIO ROSSI", "VIA GARIBALDI 10",     "10100", "TORINO", "TO"};
    QCOMPARE(read(PersonOrder::Document),
             request + QStringList({"CCCCCC70C05L219X", "AAAAAA70C05L219X", "BBBBBB70C05L219X"}));
    QCOMPARE(read(PersonOrder::Listing),
             request + QStringList({"CCCCCC70C05L219X", "BBBBBB70C05L219X", "AAAAAA70C05L219X"}));
    // Fields without a value are empty; the agency's site is no number.
    QCOMPARE(documentCells(data.persons.first()), (QStringList{"CCCCCC70C05L219X", "BIANCHI", "ANNA", "//", "", "",
                                                               "A-12", "", "VERIFICATORE_PERCORSI_FORM"}));
    QVERIFY(!readPrintData(db, 99, PersonOrder::Document, data, &error));
    QCOMPARE(error, m::requestMissing(99));
    QVERIFY(data.persons.isEmpty());
}

void TstPrint::requestOfAnInstallation()
{
    TestInstallation inst;
    inst.addOperatorWithRequest(45);
    inst.addRole(test::rossi(45));
    Database db; // shared: the fixture changes the Request while it is open
    QVERIFY(inst.open(db));
    const QString templatePath = inst.file(kTemplateFileName);
    const QString definitive = inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45.pdf"));

    // A template without a table of nine columns.
    inst.writeFile(kTemplateFileName, "<table><tr><td>StartDE</td><td></td></tr></table>");
    QCOMPARE(printRequestPdf(db, inst.folder(), 45, PrintType::Draft, QDate(2026, 3, 5)).error,
             m::text(m::Text::TemplateWithoutTable));
    QVERIFY(!QFile::exists(definitive));

    // A draft and the definitive document are two files: neither ever replaces the other.
    QVERIFY(QFile::remove(templatePath) && QFile::copy(deliveredTemplate(), templatePath));
    const QString draft = inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45-Bozza.pdf"));
    PrintOutcome outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Draft, QDate(2026, 3, 4));
    QCOMPARE(outcome.path, draft);
    const QByteArray firstDraft = test::readFile(draft);
    outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Original, QDate(2026, 3, 5));
    QCOMPARE(outcome.path, definitive);
    QCOMPARE(test::readFile(draft), firstDraft);
    QVERIFY(pdfPages(definitive).value(0).contains(QStringLiteral("RSSMRA85T10A562S")));
    const QByteArray kept = test::readFile(definitive);
    inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1 WHERE NumDoma = 45"));
    outcome = printRequestPdf(db, inst.folder(), 45, PrintType::Draft, QDate(2026, 3, 6));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.path, inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45-Bozza.pdf")));
    QCOMPARE(test::readFile(definitive), kept);

    RecordingTarget refusing;
    refusing.accept = false;
    outcome = printListing(refusing, db, 45, QDate(2026, 3, 5), print::Ending::PageNumber);
    QCOMPARE(outcome.error, m::text(m::Text::PrinterRefused));
    QVERIFY(refusing.events.at(4).text.startsWith(QStringLiteral("RSSMRA85T10A562S ")));
}

QTEST_MAIN(TstPrint)
#include "tst_print.moc"
