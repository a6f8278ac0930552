// Roles figures: the roles list opening on a Request with 5,000 persons against a bare query of
// the same rows, and the card validation of 10,000 generated persons. One line per figure.
//
// bench_roles [--server HOST --porta N --nome DB [--utente NOME]] [--solo-elenco]: the list on a
// PostgreSQL server (DB an empty database there, laid out here) instead of a SQLite file; the
// validation, which reads no database, left out with --solo-elenco.

#include "BenchSeams.h"
#include "GeneratedPersons.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/Prompter.h"
#include "requests/SelectedRequest.h"
#include "roles/RoleValidation.h"
#include "roles/TaxCode.h"
#include "roles/screens/RolesListScreen.h"
#include "store/Database.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vx;
using vx::bench::median;
using vx::bench::NoDesktop;
using vx::bench::person;
using vx::bench::SilentPrompter;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption serverOption(QStringLiteral("server"), QString(), QStringLiteral("HOST"));
    const QCommandLineOption portOption(QStringLiteral("porta"), QString(), QStringLiteral("N"));
    const QCommandLineOption nameOption(QStringLiteral("nome"), QString(), QStringLiteral("NOME"));
    const QCommandLineOption userOption(QStringLiteral("utente"), QString(), QStringLiteral("NOME"));
    const QCommandLineOption listOnlyOption(QStringLiteral("solo-elenco"));
    parser.addOptions({serverOption, portOption, nameOption, userOption, listOnlyOption});
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

    AppState state;
    state.programFolder = folder;
    Database db;
    // An empty database on a server is laid out as a SERVER installation lays it out.
    if (!db.open(target, Database::Mode::StandAlone) &&
        (db.lastError().code() != Database::kNoTables || !db.createSchema())) {
        std::fprintf(stderr, "base dati: %s\n", qPrintable(db.lastError().description));
        return 1;
    }
    SilentPrompter prompter;
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};

    QRandomGenerator rng(20261206);
    constexpr int kPersons = 5000;
    {
        QSqlQuery q = db.query();
        db.exec(q, QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda) "
                                  "VALUES (1, 'A', 12, '001', 1)"));
        db.inWriteTransaction([&] {
            for (int i = 0; i < kPersons; ++i) {
                const RolePerson p = person(rng, i);
                QSqlQuery insert = db.query();
                if (!db.exec(insert, QStringLiteral("INSERT INTO Ruoli VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                             {p.numDoma, p.codFiscale, p.cognome, p.nome, p.gg, p.mm, p.aaaa, p.email, p.tel, p.gruppo,
                              p.codice, p.sede, p.ruolo}))
                    return false;
            }
            return true;
        });
    }
    state.selected = loadSelectedRequest(db, prompter, 1);

    constexpr int kRuns = 15;
    std::vector<double> bare;
    std::vector<double> list;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        QSqlQuery q = db.query();
        q.setForwardOnly(true);
        db.exec(q,
                QStringLiteral("SELECT NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel, "
                               "GruppoOperatore, CodiceOperatore, Sede, Ruolo FROM Ruoli WHERE NumDoma = ? "
                               "ORDER BY Cognome, Nome"),
                {1});
        int rows = 0;
        while (q.next()) {
            for (int c = 0; c < 13; ++c)
                (void)q.value(c);
            ++rows;
        }
        bare.push_back(t.nsecsElapsed() / 1e6);
        if (rows != kPersons)
            return 1;

        // The opening: from the command to the list on screen (closing it is not part of the figure).
        t.restart();
        auto* screen = new RolesListScreen(ctx);
        screen->show();
        QApplication::processEvents();
        list.push_back(t.nsecsElapsed() / 1e6);
        const int shown = screen->model()->rowCount();
        delete screen;
        if (shown != kPersons)
            return 1;
    }
    const double bareMs = median(bare);
    const double listMs = median(list);
    std::printf("roles list, %d persons%s: bare query %.2f ms, list opening %.2f ms (median of %d), %.2fx the bare "
                "query (aim: at most 1.5x)\n",
                kPersons, db.isServer() ? " on PostgreSQL" : "", bareMs, listMs, kRuns, listMs / bareMs);
    if (parser.isSet(listOnlyOption))
        return 0;

    constexpr int kValidated = 10000;
    std::vector<RolePerson> persons;
    persons.reserve(kValidated);
    for (int i = 0; i < kValidated; ++i)
        persons.push_back(person(rng, i));
    std::vector<double> rates;
    int faults = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer t;
        t.start();
        faults = 0;
        for (const RolePerson& p : persons)
            faults += validateRolePerson(p, 2026).step != 0;
        rates.push_back(kValidated / (t.nsecsElapsed() / 1e9));
    }
    std::printf("card validation, %d generated persons: %.0f persons/s (median of 7; aim: 100000 or more), %d "
                "refused\n",
                kValidated, median(rates), faults);
    return faults == 0 ? 0 : 1;
}
