// Print figures, on a Request of 1,000 generated persons: its PDF from the delivered template
// (reading the persons included) against QPainter drawing the same cells bare on a QPdfWriter, in
// the same run; and the plain listing of the same persons to a PDF. One line per figure.

#include "print/PlainListing.h"
#include "print/PrintData.h"
#include "print/RequestDocument.h"
#include "store/Database.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vx;

namespace {

const char* kSurnames[] = {"ROSSI",   "BIANCHI", "VERDI",    "ESPOSITO", "COLOMBO",  "RICCI",
                           "MARINO",  "GRECO",   "BRUNO",    "GALLO",    "CONTI",    "DE LUCA",
                           "MANCINI", "COSTA",   "GIORDANO", "RIZZO",    "LOMBARDI", "MORETTI"};
const char* kNames[] = {"MARIO", "LAURA", "GIUSEPPE", "ANNA",  "FRANCESCO", "GIULIA", "LUCA",    "CHIARA",
                        "MARCO", "SARA",  "ANDREA",   "ELENA", "PAOLO",     "MARTA",  "STEFANO", "SILVIA"};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The reference: the same cells, one line each, at fixed places, 28 rows a page.
void drawBare(const QString& path, const QList<QStringList>& rows)
{
    QPdfWriter writer(path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                     QPageLayout::Millimeter));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Arial"), 8));
    const qreal columnWidth = writer.width() / 9.0;
    const qreal lineHeight = writer.height() / 30.0;
    int onPage = 0;
    for (const QStringList& row : rows) {
        if (onPage == 28) {
            writer.newPage();
            onPage = 0;
        }
        const qreal y = (onPage + 1) * lineHeight;
        for (int col = 0; col < row.size(); ++col)
            painter.drawText(QPointF(col * columnWidth, y), row[col]);
        ++onPage;
    }
    painter.end();
}

// The road not taken, for the record: the rows merged into the template's own table through
// QTextCursor and the whole document printed by Qt.
void printThroughTextTable(const QString& templatePath, const QString& path, const QList<QStringList>& rows)
{
    QFile file(templatePath);
    file.open(QIODevice::ReadOnly);
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(file.readAll()));
    QTextCursor cursor = doc.find(QStringLiteral("StartDE"));
    QTextTable* table = cursor.currentTable();
    const int first = table->cellAt(cursor.position()).row();
    table->insertRows(first + 1, int(rows.size()) - 1);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < 9; ++c) {
            QTextCursor cell = table->cellAt(first + r, c).firstCursorPosition();
            cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cell.insertText(rows[r][c]);
        }
    }
    QTextTableFormat format = table->format();
    format.setHeaderRowCount(first);
    table->setFormat(format);
    QPdfWriter writer(path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                     QPageLayout::Millimeter));
    doc.print(&writer);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("VX_BENCH_KEEP"));
    const QString folder = dir.path() + QLatin1Char('/');
    const QString path = folder + QStringLiteral("VELTRANORPX.db");
    QFile::copy(QStringLiteral(VX_EMPTY_DB), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Database db;
    if (!db.open(QString(), path, Database::Mode::StandAlone)) {
        std::fprintf(stderr, "base dati: %s\n", qPrintable(db.lastError().description));
        return 1;
    }

    constexpr int kPersons = 1000;
    {
        QSqlQuery q = db.query();
        db.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV, SIGPROV) VALUES ('001', 'TORINO', 'TO')"));
        db.exec(q, QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda) "
                                  "VALUES (45, 'A', 123, '001', 1)"));
        db.inWriteTransaction([&] {
            for (int i = 0; i < kPersons; ++i) {
                const int ruolo = 1 + i % 5;
                const int sede = ruolo == 1 || ruolo == 5 ? 0 : 1 + i % 3;
                QSqlQuery insert = db.query();
                if (!db.exec(insert, QStringLiteral("INSERT INTO Ruoli VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                             {45, QStringLiteral("CF%1XXXXXXXXXX").arg(i, 4, 10, QLatin1Char('0')),
                              QString::fromLatin1(kSurnames[i % std::size(kSurnames)]),
                              QString::fromLatin1(kNames[(i / 3) % std::size(kNames)]), QString::number(1 + i % 28),
                              QString::number(1 + i % 12), QString::number(1950 + i % 50),
                              QStringLiteral("persona.numero%1@ente-di-formazione.example").arg(i),
                              QStringLiteral("011%1").arg(5550000 + i), QStringLiteral("A"), 123, sede, ruolo}))
                    return false;
            }
            return true;
        });
    }
    const QString templatePath = QStringLiteral(VX_TEMPLATE);
    const QDate today = QDate::currentDate();

    constexpr int kRuns = 9;
    std::vector<double> bare, document, listing;
    int persons = 0;
    for (int run = 0; run < kRuns; ++run) {
        // The reference draws cells it is handed; its figure leaves the reading out.
        PrintData data;
        readPrintData(db, 45, PersonOrder::Document, data);
        QList<QStringList> rows;
        for (const RolePerson& p : std::as_const(data.persons))
            rows.append(documentCells(p));
        QElapsedTimer t;
        t.start();
        drawBare(folder + QStringLiteral("bare.pdf"), rows);
        bare.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        PrintData read;
        QString error;
        if (!readPrintData(db, 45, PersonOrder::Document, read, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        DocumentJob job{read.request, read.persons, PrintType::Original, today, 1};
        if (!writeRequestPdf(templatePath, job, folder + requestPdfName(read.request, job.type), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        document.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        PrintData listed;
        readPrintData(db, 45, PersonOrder::Listing, listed);
        if (!writeListingPdf(folder + QStringLiteral("elenco.pdf"), listed.request, listed.persons, today,
                             print::Ending::PageNumber, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        listing.push_back(t.nsecsElapsed() / 1e6);
        persons = int(read.persons.size());
    }
    QList<QStringList> rows;
    {
        PrintData data;
        readPrintData(db, 45, PersonOrder::Document, data);
        for (const RolePerson& p : std::as_const(data.persons))
            rows.append(documentCells(p));
    }
    // Seconds a run: once is enough to see the order of magnitude.
    QElapsedTimer t;
    t.start();
    printThroughTextTable(templatePath, folder + QStringLiteral("tabella.pdf"), rows);
    const double textTableMs = t.nsecsElapsed() / 1e6;

    const double bareMs = median(bare);
    const double documentMs = median(document);
    std::printf("request PDF, %d persons: bare cells on QPdfWriter %.1f ms, PDF from the template %.1f ms (median of "
                "%d), %.2fx the bare cells (aim: at most 300 ms and 3x)\n",
                persons, bareMs, documentMs, kRuns, documentMs / bareMs);
    std::printf("plain listing PDF, %d persons: %.1f ms (median of %d), %.2fx the bare cells (aim: at most 200 ms)\n",
                persons, median(listing), kRuns, median(listing) / bareMs);
    std::printf("for comparison, the same rows merged into the template's QTextTable and printed by Qt: %.1f ms "
                "(one run), %.2fx the bare cells\n",
                textTableMs, textTableMs / bareMs);
    return 0;
}
