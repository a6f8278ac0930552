// Workstations saving together, on a PostgreSQL server and on a shared SQLite file: 8 processes,
// each saving 500 persons through the person card (the even ones into a Request of its own, the
// odd ones into one Request they share), started together once every process has its database
// open. The server's reference is the same rows stored by 8 processes with nothing of the program:
// one INSERT each, in its own transaction, through a plain QSqlQuery. Every run starts from a
// fresh copy of the same database, the engines take turns, and a run whose rows do not add up
// to what the workstations reported saved is a failure (exit code 1). Prints one line per figure.
//
// bench_engines --server SOCKET_FOLDER --porta N [--utente vx] [--ripetizioni 3]
// (a workstation, as the coordinator starts it: --stazione S --persone N and --file FILE, or
// --server/--porta/--nome, with --nudo for the bare inserts)

#include "../roles/BenchSeams.h"
#include "../roles/GeneratedPersons.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "requests/SelectedRequest.h"
#include "roles/RolePersonCard.h"
#include "roles/TaxCode.h"
#include "store/Database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace vx;

namespace {

constexpr qint32 kShared = 1;

// Person `i` of workstation `station`: a codice fiscale of its own that agrees with its birth date.
RolePerson personOf(int station, int i)
{
    RolePerson p;
    p.numDoma = i % 2 == 0 ? 100 + station : kShared;
    p.cognome = QStringLiteral("ROSSI");
    p.nome = QStringLiteral("MARIO");
    p.gg = QStringLiteral("%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
    p.mm = QStringLiteral("%1").arg(i / 28 % 12 + 1, 2, 10, QLatin1Char('0'));
    p.aaaa = QString::number(1940 + 2 * station + i / 336);
    bench::giveTaxCode(p, false, QStringLiteral("A562"));
    p.email = QStringLiteral("mario.rossi%1.%2@ente.example").arg(station).arg(i);
    p.tel = QStringLiteral("011%1").arg(5550000 + 1000 * station + i);
    p.gruppo = QStringLiteral("A");
    p.codice = 12;
    p.ruolo = 1;
    return p;
}

// A user who, offered to try a save again (another workstation held the database too long), tries
// again after a moment; every other question is answered as its default. Each one is counted.
class PatientPrompter : public bench::SilentPrompter {
public:
    int told = 0;
    Answer ask(const Message& message) override
    {
        ++told;
        if (message.buttons == Buttons::RetryCancel && told < 200) {
            QThread::msleep(50);
            return Answer::Retry;
        }
        return message.buttons == Buttons::YesNo || message.buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
};

struct Where {
    QString file; // SQLite; otherwise the server's
    QString host;
    int port = 0;
    QString user;
    QString name;

    DatabaseTarget target() const
    {
        if (!file.isEmpty())
            return DatabaseTarget::file(file);
        DatabaseTarget t;
        t.driver = QStringLiteral("QPSQL");
        t.host = host;
        t.port = port;
        t.user = user;
        t.name = name;
        return t;
    }
};

// Waits for the coordinator's word, so that every workstation starts saving at the same moment.
void readyAndWait()
{
    std::cout << "pronto" << std::endl;
    std::string go;
    std::getline(std::cin, go);
}

// A workstation of the program: the Request chosen, the card opened and the person saved, as a
// user does it. Prints "<saved> <told>".
int saveAsAWorkstation(const Where& where, int station, int count)
{
    AppState state;
    Database db;
    PatientPrompter prompter;
    AppControl control;
    bench::NoDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
    if (!db.open(where.target(), Database::Mode::Multiutenza)) {
        std::cerr << qPrintable(db.lastError().description) << std::endl;
        return 2;
    }
    readyAndWait();
    int saved = 0;
    for (int i = 0; i < count; ++i) {
        const RolePerson p = personOf(station, i);
        state.selected = loadSelectedRequest(db, prompter, p.numDoma);
        RoleKey key;
        RolePersonCard card(ctx, key);
        card.open();
        saved += card.save(p) == RolePersonCard::SaveOutcome::Saved;
    }
    std::cout << saved << ' ' << prompter.told << std::endl;
    return 0;
}

// The same rows with nothing of the program: one INSERT each, committed on its own.
int insertBare(const Where& where, int station, int count)
{
    int saved = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
        db.setHostName(where.host);
        db.setPort(where.port);
        db.setUserName(where.user);
        db.setDatabaseName(where.name);
        if (!db.open()) {
            std::cerr << qPrintable(db.lastError().text()) << std::endl;
            return 2;
        }
        std::vector<RolePerson> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back(personOf(station, i));
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, "
                                 "Email, Tel, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        readyAndWait();
        for (const RolePerson& p : rows) {
            const QVariantList values{p.numDoma, p.codFiscale, p.cognome, p.nome,   p.gg,   p.mm,   p.aaaa,
                                      p.email,   p.tel,        p.gruppo,  p.codice, p.sede, p.ruolo};
            for (int c = 0; c < values.size(); ++c)
                q.bindValue(c, values[c]);
            saved += q.exec();
        }
    }
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    std::cout << saved << " 0" << std::endl;
    return 0;
}

bool fail(const QString& what)
{
    std::fprintf(stderr, "bench_engines: %s\n", qPrintable(what));
    return false;
}

// The operator, its seats, the shared Request and one Request per workstation.
bool fillIn(Database& db, int stations)
{
    const QStringList statements{
        QStringLiteral("INSERT INTO Province (PROV, DESPROV, SIGPROV) VALUES ('001', 'TORINO', 'TO')"),
        QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione) VALUES ('A', 12, 'CENTRO DI "
                       "FORMAZIONE')"),
        QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, Indirizzo) "
                       "VALUES ('A', 12, 1, 'SL', 'SEDE LEGALE', 'VIA GARIBALDI 10')")};
    return db.inWriteTransaction([&] {
        for (const QString& s : statements) {
            QSqlQuery q = db.query();
            if (!db.exec(q, s))
                return false;
        }
        for (int s = -1; s < stations; ++s) {
            QSqlQuery q = db.query();
            if (!db.exec(q,
                         QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, "
                                        "DenominazioneOp, DomandaStampata) VALUES (?, 'A', 12, '001', ?, "
                                        "'CENTRO DI FORMAZIONE', 0)"),
                         {s < 0 ? kShared : 100 + s, s + 2}))
                return false;
        }
        return true;
    }) || fail(db.lastError().description);
}

// Statements on the cluster's maintenance database (names are the benchmark's own).
bool onCluster(const Where& server, const QStringList& statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("cluster"));
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setDatabaseName(QStringLiteral("postgres"));
        ok = db.open() || fail(db.lastError().text());
        for (const QString& s : QStringList{QStringLiteral("SET client_min_messages = warning")} + statements) {
            QSqlQuery q(db);
            if (ok && !q.exec(s))
                ok = fail(s + QStringLiteral(": ") + q.lastError().text());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cluster"));
    return ok;
}

qint64 rowsOf(const Where& where)
{
    Database db;
    if (!db.open(where.target(), Database::Mode::Multiutenza, Database::Access::ReadOnly))
        return -1;
    QSqlQuery q = db.query();
    return db.exec(q, QStringLiteral("SELECT count(*) FROM Ruoli")) && q.next() ? q.value(0).toLongLong() : -1;
}

struct Outcome {
    double seconds = 0;
    int saved = 0;
    int told = 0;
};

// The workstations started on `where`, set off together once all are ready; timed until the last ends.
std::optional<Outcome> runStations(const Where& where, bool bare, int stations, int persons)
{
    QObject owner;
    QList<QProcess*> children;
    for (int s = 0; s < stations; ++s) {
        QStringList args{QStringLiteral("--stazione"), QString::number(s), QStringLiteral("--persone"),
                         QString::number(persons)};
        if (!where.file.isEmpty())
            args << QStringLiteral("--file") << where.file;
        else
            args << QStringLiteral("--server") << where.host << QStringLiteral("--porta") << QString::number(where.port)
                 << QStringLiteral("--utente") << where.user << QStringLiteral("--nome") << where.name;
        if (bare)
            args << QStringLiteral("--nudo");
        auto* child = new QProcess(&owner);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationFilePath(), args);
        children.append(child);
    }
    for (QProcess* child : children) {
        while (!child->canReadLine()) {
            if (!child->waitForReadyRead(30000)) {
                fail(QStringLiteral("a workstation did not open its database"));
                return std::nullopt;
            }
        }
        child->readLine();
    }
    QElapsedTimer t;
    t.start();
    for (QProcess* child : children)
        child->write("via\n");
    Outcome out;
    for (QProcess* child : children) {
        if (!child->waitForFinished(300000) || child->exitCode() != 0) {
            fail(QStringLiteral("a workstation failed"));
            return std::nullopt;
        }
    }
    out.seconds = t.nsecsElapsed() / 1e9;
    for (QProcess* child : children) {
        const QList<QByteArray> counts = child->readAll().trimmed().split(' ');
        out.saved += counts.value(0).toInt();
        out.told += counts.value(1).toInt();
    }
    // No save reported that is not a row, and none lost.
    const qint64 rows = rowsOf(where);
    if (rows != out.saved || out.saved != stations * persons) {
        fail(QStringLiteral("%1 rows for %2 saves reported, of %3").arg(rows).arg(out.saved).arg(stations * persons));
        return std::nullopt;
    }
    return out;
}

int coordinate(const Where& server, int runs, int stations, int persons)
{
    QTemporaryDir dir;
    const QString model = dir.filePath(QStringLiteral("modello.db"));
    const QString shared = dir.filePath(QStringLiteral("VELTRANORPX.db"));
    {
        QFile::copy(QStringLiteral(VX_EMPTY_DB), model);
        QFile::setPermissions(model, QFile::ReadOwner | QFile::WriteOwner);
        Database db;
        if (!db.open(DatabaseTarget::file(model), Database::Mode::StandAlone)) {
            fail(db.lastError().description);
            return 1;
        }
        if (!fillIn(db, stations))
            return 1;
    }
    Where modelOnServer = server;
    modelOnServer.name = QStringLiteral("vx_banco_modello");
    if (!onCluster(server, {QStringLiteral("DROP DATABASE IF EXISTS vx_banco_modello"),
                            QStringLiteral("CREATE DATABASE vx_banco_modello")}))
        return 1;
    {
        Database db;
        // Laid out as a SERVER installation lays out an empty database.
        if (db.open(modelOnServer.target(), Database::Mode::StandAlone) ||
            db.lastError().code() != Database::kNoTables || !db.createSchema()) {
            fail(db.lastError().description);
            return 1;
        }
        if (!fillIn(db, stations))
            return 1;
    }

    enum Kind { Program, Bare, File };
    std::vector<double> rates[3];
    int told[3] = {};
    for (int run = 0; run < runs; ++run) {
        for (Kind kind : {Program, Bare, File}) {
            Where where = server;
            if (kind == File) {
                QFile::remove(shared);
                QFile::copy(model, shared);
                where = Where{shared};
            } else {
                where.name = QStringLiteral("vx_banco_%1").arg(run);
                // The model's last session may take a moment to leave: CREATE DATABASE waits for it.
                if (!onCluster(server,
                               {QStringLiteral("DROP DATABASE IF EXISTS %1").arg(where.name),
                                QStringLiteral("CREATE DATABASE %1 TEMPLATE vx_banco_modello").arg(where.name)}))
                    return 1;
            }
            const std::optional<Outcome> out = runStations(where, kind == Bare, stations, persons);
            if (kind != File)
                onCluster(server, {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(where.name)});
            if (!out)
                return 1;
            rates[kind].push_back(out->saved / out->seconds);
            told[kind] += out->told;
        }
    }
    onCluster(server, {QStringLiteral("DROP DATABASE IF EXISTS vx_banco_modello")});
    const double pg = bench::median(rates[Program]), bare = bench::median(rates[Bare]),
                 file = bench::median(rates[File]);
    const int total = stations * persons;
    std::printf("saves, %d workstations x %d persons through the card (median of %d runs, every row checked):\n",
                stations, persons, runs);
    std::printf("saves PostgreSQL, the program:        %7.0f persons/s (%d questions to users in all runs)\n", pg,
                told[Program]);
    std::printf("saves PostgreSQL, bare INSERTs:       %7.0f persons/s (the server's reference, %d rows a run)\n", bare,
                total);
    std::printf("saves SQLite Multiutenza, one file:   %7.0f persons/s (%d questions to users in all runs)\n", file,
                told[File]);
    std::printf("saves ratios in persons/s: SQLite/PostgreSQL %.2fx; PostgreSQL program/bare INSERTs %.2fx\n",
                file / pg, pg / bare);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption serverOption(QStringLiteral("server"), QString(), QStringLiteral("CARTELLA"));
    const QCommandLineOption portOption(QStringLiteral("porta"), QString(), QStringLiteral("N"));
    const QCommandLineOption userOption(QStringLiteral("utente"), QString(), QStringLiteral("NOME"),
                                        QStringLiteral("vx"));
    const QCommandLineOption nameOption(QStringLiteral("nome"), QString(), QStringLiteral("NOME"));
    const QCommandLineOption fileOption(QStringLiteral("file"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption stationOption(QStringLiteral("stazione"), QString(), QStringLiteral("N"));
    const QCommandLineOption personsOption(QStringLiteral("persone"), QString(), QStringLiteral("N"),
                                           QStringLiteral("500"));
    const QCommandLineOption stationsOption(QStringLiteral("stazioni"), QString(), QStringLiteral("N"),
                                            QStringLiteral("8"));
    const QCommandLineOption runsOption(QStringLiteral("ripetizioni"), QString(), QStringLiteral("N"),
                                        QStringLiteral("3"));
    const QCommandLineOption bareOption(QStringLiteral("nudo"));
    parser.addOptions({serverOption, portOption, userOption, nameOption, fileOption, stationOption, personsOption,
                       stationsOption, runsOption, bareOption});
    parser.process(app);

    Where where{parser.value(fileOption), parser.value(serverOption), parser.value(portOption).toInt(),
                parser.value(userOption), parser.value(nameOption)};
    const int persons = parser.value(personsOption).toInt();
    if (parser.isSet(stationOption)) {
        const int station = parser.value(stationOption).toInt();
        return parser.isSet(bareOption) ? insertBare(where, station, persons)
                                        : saveAsAWorkstation(where, station, persons);
    }
    if (where.host.isEmpty() || where.port <= 0) {
        std::fprintf(stderr, "uso: bench_engines --server CARTELLA_SOCKET --porta N [--ripetizioni N]\n");
        return 2;
    }
    return coordinate(where, parser.value(runsOption).toInt(), parser.value(stationsOption).toInt(), persons);
}
