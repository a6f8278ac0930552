// Import and export figures on 10,000 generated persons, each against a bare reference measured
// in the same run: the verification alone, the text import (file read, verification and the
// replacement) against a bare prepared insert of the same rows in one transaction, and the xlsx
// export against libxlsxwriter writing the same cells. One line per figure.
//
// bench_import [--server HOST --porta N --nome DB [--utente NOME]] --solo-importazione RIGHE: the
// text import of RIGHE rows alone, on a PostgreSQL server (DB an empty database there, laid out
// here) or on a SQLite file; bench/engines/run compares the two.

#include "BenchSeams.h"
#include "GeneratedPersons.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/Prompter.h"
#include "core/Windows1252.h"
#include "requests/SelectedRequest.h"
#include "roles/ImportVerification.h"
#include "roles/RoleColumns.h"
#include "roles/RoleTextFile.h"
#include "roles/RoleTransfer.h"
#include "store/Database.h"
#include "store/DatabaseTarget.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vx;
using vx::bench::median;
using vx::bench::NoDesktop;
using vx::bench::SilentPrompter;

namespace {

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption serverOption(QStringLiteral("server"), QString(), QStringLiteral("HOST"));
    const QCommandLineOption portOption(QStringLiteral("porta"), QString(), QStringLiteral("N"));
    const QCommandLineOption nameOption(QStringLiteral("nome"), QString(), QStringLiteral("NOME"));
    const QCommandLineOption userOption(QStringLiteral("utente"), QString(), QStringLiteral("NOME"));
    const QCommandLineOption importOnlyOption(QStringLiteral("solo-importazione"), QString(), QStringLiteral("RIGHE"));
    parser.addOptions({serverOption, portOption, nameOption, userOption, importOnlyOption});
    parser.process(app);

    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    DatabaseTarget target = DatabaseTarget::file(folder + QStringLiteral("VELTRANORPX.db"));
    if (parser.isSet(serverOption)) {
        target = DatabaseTarget{};
        target.driver = QStringLiteral("QPSQL");
        target.host = parser.value(serverOption);
        target.port = parser.value(portOption).toInt();
        target.name = parser.value(nameOption);
        target.user = parser.value(userOption);
    } else {
        QFile::copy(QStringLiteral(VX_EMPTY_DB), target.path);
        QFile::setPermissions(target.path, QFile::ReadOwner | QFile::WriteOwner);
    }
    QFile::copy(QStringLiteral(VX_TEMPLATE), folder + RoleTransfer::kTemplateFile);

    AppState state;
    state.programFolder = folder;
    Database db;
    // An empty database on a server is laid out as a SERVER installation lays it out.
    if (!db.open(target, Database::Mode::StandAlone) &&
        (db.lastError().code() != Database::kNoTables || !db.createSchema())) {
        std::fprintf(stderr, "base dati: %s\n", qPrintable(db.lastError().description));
        return 1;
    }
    SilentPrompter prompter(Answer::Yes);
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
    {
        QSqlQuery q = db.query();
        db.exec(q, QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda) "
                                  "VALUES (1, 'A', 12, '001', 1)"));
        db.exec(q, QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente) VALUES ('A', 12, 1), "
                                  "('A', 12, 2), ('A', 12, 3)"));
    }
    state.selected = loadSelectedRequest(db, prompter, 1);

    const int kRows = parser.isSet(importOnlyOption) ? parser.value(importOnlyOption).toInt() : 10000;
    const bool importOnly = parser.isSet(importOnlyOption);
    QRandomGenerator rng(20261206);
    QList<ImportedRow> rows;
    QByteArray text;
    for (int i = 0; i < kRows; ++i) {
        ImportedRow r;
        r.person = bench::person(rng, i);
        r.codiceText = QString::number(r.person.codice);
        r.sedeText = QString::number(r.person.sede);
        rows.append(r);
        text += windows1252::encode(
                    roles::writeLine(roles::fieldsOf(r.person, QStringLiteral("A"), 12, QStringLiteral("ENTE")))) +
                "\r\n";
    }
    const QString textPath = folder + roles::textFileName(1);
    {
        QFile f(textPath);
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    RoleTransfer transfer(ctx);
    constexpr int kRuns = 7;

    // The text import alone, file read, verification and replacement: the figure the engines'
    // bench compares between a SQLite file and a server.
    if (importOnly) {
        std::vector<double> import;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer t;
            t.start();
            bool ok = false;
            const QList<ImportedRow> read = transfer.readFile(textPath, &ok);
            if (!ok || !transfer.verify(read).passed() || !transfer.replaceRows(read)) {
                std::fprintf(stderr, "importazione non eseguita\n");
                return 1;
            }
            import.push_back(ms(t));
        }
        std::printf("text import, %d rows: %.2f ms (median of %d)\n", kRows, median(import), kRuns);
        return 0;
    }

    std::vector<double> verifyMs;
    int faults = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        faults = int(transfer.verify(rows).lines.size());
        verifyMs.push_back(ms(t));
    }
    std::printf("verification, %d rows: %.2f ms (median of %d; aim: within 100 ms), %d report lines\n", kRows,
                median(verifyMs), kRuns, faults);

    std::vector<double> bare;
    std::vector<double> import;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        db.inWriteTransaction([&] {
            QSqlQuery clear = db.query();
            db.exec(clear, QStringLiteral("DELETE FROM Ruoli WHERE NumDoma = 1"));
            QSqlQuery insert = db.query();
            insert.prepare(roles::insertSql());
            for (const ImportedRow& r : rows) {
                const QVariantList values = roles::values(r.person);
                for (int c = 0; c < values.size(); ++c)
                    insert.bindValue(c, values[c]);
                if (!insert.exec())
                    return false;
            }
            return true;
        });
        bare.push_back(ms(t));

        t.restart();
        bool ok = false;
        const QList<ImportedRow> read = transfer.readFile(textPath, &ok);
        const bool passed = ok && transfer.verify(read).passed();
        const bool replaced = passed && transfer.replaceRows(read);
        import.push_back(ms(t));
        if (!replaced) {
            std::fprintf(stderr, "importazione non eseguita\n");
            return 1;
        }
    }
    std::printf("text import, %d rows: bare prepared insert %.2f ms, import with file read and verification %.2f ms "
                "(median of %d), %.2fx (aim: at most 2x)\n",
                kRows, median(bare), median(import), kRuns, median(import) / median(bare));

    std::vector<double> bareSheet;
    std::vector<double> exportSheet;
    const QList<RolePerson> stored = transfer.exportRows();
    const QByteArray barePath = QFile::encodeName(folder + QStringLiteral("bare.xlsx"));
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        lxw_workbook* book = workbook_new(barePath.constData());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        lxw_row_t r = 1;
        for (const RolePerson& p : stored) {
            worksheet_write_string(sheet, r, 0, p.codFiscale.toUtf8().constData(), nullptr);
            worksheet_write_string(sheet, r, 1, p.cognome.toUtf8().constData(), nullptr);
            worksheet_write_string(sheet, r, 2, p.nome.toUtf8().constData(), nullptr);
            worksheet_write_string(sheet, r, 3, (p.gg + '/' + p.mm + '/' + p.aaaa).toUtf8().constData(), nullptr);
            worksheet_write_string(sheet, r, 4, p.email.toUtf8().constData(), nullptr);
            worksheet_write_string(sheet, r, 5, p.tel.toUtf8().constData(), nullptr);
            worksheet_write_string(sheet, r, 6, (p.gruppo + '-' + QString::number(p.codice)).toUtf8().constData(),
                                   nullptr);
            worksheet_write_number(sheet, r, 8, p.sede, nullptr);
            worksheet_write_number(sheet, r, 9, p.ruolo, nullptr);
            ++r;
        }
        workbook_close(book);
        bareSheet.push_back(ms(t));

        t.restart();
        if (!transfer.writeFile(RoleTransfer::Format::Sheet, transfer.exportPath(RoleTransfer::Format::Sheet))) {
            std::fprintf(stderr, "esportazione non eseguita\n");
            return 1;
        }
        exportSheet.push_back(ms(t));
    }
    std::printf("xlsx export, %d rows: bare libxlsxwriter %.2f ms, export %.2f ms (median of %d), %.2fx (aim: at most "
                "2x)\n",
                kRows, median(bareSheet), median(exportSheet), kRuns, median(exportSheet) / median(bareSheet));
    return 0;
}
