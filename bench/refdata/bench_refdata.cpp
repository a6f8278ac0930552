// Reference-data figures, each against a reference measured in the same run:
//
// - the registry update (`aggiornaBaseDati` on `oper.tx1` and `compo.tx1`) of 20,000 operators and
//   60,000 sites, half of them already stored, with open Requests of the stored operators (a few
//   printed), against the `sqlite3` shell importing the same rows from tab files into empty tables
//   of the same shape; aim: within 1.5x;
// - the decode tables in update mode with a `Comuni.txt` of 8,000 rows, loaded twice: the second
//   load must leave every row as it was and take under 0.5 s (the shell's import of the same rows
//   is printed beside it).
//
// One line per figure; the exit code is non-zero when an aim is missed or a load goes wrong.

#include "../roles/BenchSeams.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryUpdate.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vx;
using vx::bench::median;
using vx::bench::NoDesktop;
using vx::bench::SilentPrompter;

namespace {

constexpr int kOperators = 20000;
constexpr int kSitesPerOperator = 3;
constexpr int kRequestEvery = 10; // one open Request for every 10th stored operator
constexpr int kPrintedEvery = 20; // of which every 20th printed
constexpr int kComuni = 8000;
constexpr int kRuns = 13;
constexpr int kRunsWithinAim = 12; // of kRuns, each update against the shell's import of its own run
constexpr double kRegistryAim = 1.5;
constexpr double kSecondLoadAimMs = 500.0;

const char* kGroups = "ABCD";
const char* kPlaces[] = {"PADOVA", "VENEZIA", "VERONA", "VICENZA", "TREVISO", "ROVIGO", "BELLUNO"};
const char* kProvinces[] = {"PD", "VE", "VR", "VI", "TV", "RO", "BL"};

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

QString line(const QStringList& fields)
{
    return QLatin1Char('#') + fields.join(QStringLiteral("#,#")) + QLatin1Char('#');
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString group(int i)
{
    return QString(QLatin1Char(kGroups[i % 4]));
}
int code(int i)
{
    return 1000 + i;
}
bool stored(int i)
{
    return i % 2 == 0;
}

// One operator as the file gives it and as the reference imports it (CorsiOper's 22 columns).
QStringList operatorFields(int i)
{
    // Every 5th operator comes without a legal representative: the stored one is kept.
    const bool legal = i % 5 != 0;
    const int p = i % 7;
    return {group(i),
            QString::number(code(i)),
            QStringLiteral("ENTE DI FORMAZIONE PROFESSIONALE N. %1 SOC. COOP. A R.L.").arg(i),
            QStringLiteral("0%1").arg(1 + i % 9),
            QStringLiteral("%1").arg(80000000000LL + i, 11, 10, QLatin1Char('0')),
            legal ? QStringLiteral("ROSSI MARIO %1").arg(i % 97) : QString(),
            legal ? QString::fromLatin1(kPlaces[p]) : QString(),
            legal ? QString::fromLatin1(kProvinces[p]) : QString(),
            legal ? QStringLiteral("%1%2%3")
                        .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                        .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                        .arg(1950 + i % 50)
                  : QString(),
            QString::fromLatin1(kProvinces[(p + 1) % 7]),
            QString::number(100000 + i),
            QString::number(1990 + i % 30),
            QString::number(80000 + i % 500)};
}

QStringList siteFields(int i, int site)
{
    const int p = (i + site) % 7;
    return {group(i),
            QString::number(code(i)),
            QString::number(site),
            site == 1 ? QStringLiteral("SL") : QStringLiteral("SO"),
            QStringLiteral("SEDE %1 DELL'ENTE N. %2 - CITTÀ DI %3").arg(site).arg(i).arg(QLatin1String(kPlaces[p])),
            QStringLiteral("G%1").arg(100 + p * 13),
            QStringLiteral("35%1").arg(100 + p, 3, 10, QLatin1Char('0')),
            QStringLiteral("VIA GIUSEPPE GARIBALDI %1").arg(1 + (i * site) % 300),
            QStringLiteral("049"),
            QStringLiteral("049/%1").arg(8000000 + i),
            QString(),
            i % 3 == 0 ? QStringLiteral("049/%1").arg(9000000 + i) : QString(),
            QString::number(p),
            QString(),
            QString(),
            QStringLiteral("855900")};
}

// The sites in the reference's shape (CorsiCompo's 16 columns) from the file's fields.
QStringList siteRow(const QStringList& f)
{
    const auto phone = [](const QString& s) { return s.mid(s.lastIndexOf(QLatin1Char('/')) + 1); };
    return {f[0],        f[1],         f[2],  f[3],  f[4],  f[5],      f[6],      f[7],
            phone(f[9]), phone(f[11]), f[12], f[13], f[14], QString(), QString(), f[15]};
}

QStringList operatorRow(const QStringList& f)
{
    QStringList row = f.mid(0, 8);
    row << f[8].mid(0, 2) << f[8].mid(2, 2) << f[8].mid(4, 4) << f[9] << f[10] << f[11] << f[12];
    while (row.size() < 22)
        row << QString();
    return row;
}

QStringList comuneFields(int i)
{
    const int p = i % 7;
    return {QStringLiteral("%1%2").arg(QLatin1Char('A' + i / 1000)).arg(i % 1000, 3, 10, QLatin1Char('0')),
            QStringLiteral("COMUNE DI PROVA NUMERO %1").arg(i),
            QString::fromLatin1(kProvinces[p]),
            QStringLiteral("%1").arg(10000 + i * 7 % 89999, 5, 10, QLatin1Char('0')),
            QStringLiteral("Z%1").arg(i, 3, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg(i * 13, 6, 10, QLatin1Char('0'))};
}

// Every row of a table as one text, in key order: what "nothing changed" is checked against.
QStringList content(Database& db, const QString& table)
{
    QSqlQuery q = db.query();
    q.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY 1"));
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int c = 0; c < q.record().count(); ++c)
            values << (q.value(c).isNull() ? QStringLiteral("<null>")
                                           : QString::fromLatin1(q.value(c).typeName()) + q.value(c).toString());
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

// The CREATE statements of `tables` and of their indexes, as the delivered database has them,
// told by the shell itself.
QString shapeOf(const QStringList& tables)
{
    QString sql;
    for (const QString& t : tables) {
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {QStringLiteral("-readonly"), QStringLiteral(VX_EMPTY_DB), QStringLiteral(".schema ") + t});
        shell.waitForFinished();
        sql += QString::fromUtf8(shell.readAllStandardOutput());
    }
    return sql;
}

// The reference: the sqlite3 shell, a process of its own, importing the tab files into empty
// tables of the same shape. Milliseconds, or a negative value when the shell failed.
double shellImport(const QString& dbPath, const QString& shape, const QList<QPair<QString, QString>>& imports)
{
    QFile::remove(dbPath);
    QString script = QStringLiteral(".bail on\n") + shape + QStringLiteral(".mode tabs\n");
    for (const auto& [file, table] : imports)
        script += QStringLiteral(".import '%1' %2\n").arg(file, table);
    QElapsedTimer t;
    t.start();
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {dbPath});
    if (!shell.waitForStarted())
        return -1;
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    if (!shell.waitForFinished(120000) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3: %s\n", shell.readAllStandardError().constData());
        return -1;
    }
    const double elapsed = ms(t);
    const QByteArray errors = shell.readAllStandardError();
    if (!errors.isEmpty())
        std::fprintf(stderr, "sqlite3: %s\n", errors.constData());
    return elapsed;
}

QByteArray tabFile(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& r : rows)
        text += r.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text.toUtf8();
}

// The stored half of the registry and the Requests, written once into `path` by bare statements.
bool seedRegistry(const QString& path)
{
    Database db;
    if (!db.open(QString(), path, Database::Mode::StandAlone))
        return false;
    return db.inWriteTransaction([&] {
        QSqlQuery op = db.query();
        QSqlQuery promoter = db.query();
        QSqlQuery site = db.query();
        QSqlQuery request = db.query();
        if (!db.prepare(op, QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione, TipoOper, "
                                           "CodFisc, LegNome, LegComNasc, AttEcono, Corrispondenza) VALUES "
                                           "(?,?,?,?,?,?,?,?,?)")) ||
            !db.prepare(promoter, QStringLiteral("INSERT INTO PromotoriSostenitori_Oper (GrupOpe, Operatore, "
                                                 "Denominazione) VALUES (?,?,?)")) ||
            !db.prepare(site, QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, "
                                             "Denominazione, Tel, Email, Riferimento) VALUES (?,?,?,?,?,?,?,?)")) ||
            !db.prepare(request, QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, "
                                                "DenominazioneOp, Componente, DenominazioneSL, DomandaStampata) "
                                                "VALUES (?,?,?,'028',1,?,1,?,?)")))
            return false;
        int requests = 0;
        for (int i = 0; i < kOperators; ++i) {
            if (!stored(i))
                continue;
            const QString name = QStringLiteral("VECCHIA DENOMINAZIONE %1").arg(i);
            if (!db.run(op, {group(i), code(i), name, QStringLiteral("01"), QStringLiteral("00000000000"),
                             QStringLiteral("BIANCHI"), QStringLiteral("PADOVA"), 10,
                             i % 4 == 0 ? QVariant(1) : QVariant(QMetaType::fromType<int>())}) ||
                !db.run(promoter, {group(i), code(i), name}))
                return false;
            for (int s = 1; s <= kSitesPerOperator; ++s)
                if (!db.run(site, {group(i), code(i), s, s == 1 ? QStringLiteral("SL") : QStringLiteral("SO"),
                                   QStringLiteral("VECCHIA SEDE"), QStringLiteral("555"), QStringLiteral("a@b.it"),
                                   QStringLiteral("Sig. Neri")}))
                    return false;
            if ((i / 2) % kRequestEvery == 0) {
                ++requests;
                if (!db.run(request, {requests, group(i), code(i), name, QStringLiteral("VECCHIA SEDE"),
                                      requests % kPrintedEvery == 0 ? 1 : 0}))
                    return false;
            }
        }
        return true;
    });
}

struct Bench {
    QString folder;
    AppState state;
    Database db;
    SilentPrompter prompter{Answer::No};
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString work = folder + QStringLiteral("prog/");
    QDir().mkpath(work);
    const QString path = work + QStringLiteral("VELTRANORPX.db");
    const QString seed = folder + QStringLiteral("seed.db");
    const QString shellDb = folder + QStringLiteral("shell.db");
    QFile::copy(QStringLiteral(VX_EMPTY_DB), seed);
    QFile::setPermissions(seed, QFile::ReadOwner | QFile::WriteOwner);
    {
        IniFile ini(work);
        Settings::writeVersion(ini, Settings::kServer);
    }

    // The delivery, and the same rows for the reference.
    QString oper, compo;
    QList<QStringList> operRows, compoRows;
    for (int i = 0; i < kOperators; ++i) {
        const QStringList f = operatorFields(i);
        oper += line(f) + QStringLiteral("\r\n");
        operRows << operatorRow(f);
        for (int s = 1; s <= kSitesPerOperator; ++s) {
            const QStringList sf = siteFields(i, s);
            compo += line(sf) + QStringLiteral("\r\n");
            compoRows << siteRow(sf);
        }
    }
    const QByteArray operBytes = windows1252::encode(oper);
    const QByteArray compoBytes = windows1252::encode(compo);
    writeFile(folder + QStringLiteral("oper.tsv"), tabFile(operRows));
    writeFile(folder + QStringLiteral("compo.tsv"), tabFile(compoRows));
    if (!seedRegistry(seed)) {
        std::fprintf(stderr, "preparazione della base dati non riuscita\n");
        return 1;
    }

    bool ok = true;
    Bench b;
    b.state.programFolder = work;
    const QString shape =
        shapeOf({QStringLiteral("CorsiOper"), QStringLiteral("CorsiCompo"), QStringLiteral("Comuni")});
    if (!shape.contains(QStringLiteral("CREATE TABLE CorsiCompo"))) {
        std::fprintf(stderr, "sqlite3: forma delle tabelle non letta\n");
        return 1;
    }

    // (a) The registry update against the shell's import.
    std::vector<double> update, reference, bareQt;
    QStringList firstOperators;
    for (int run = 0; run < kRuns; ++run) {
        b.db.close();
        QDir(work).removeRecursively();
        QDir().mkpath(work);
        QFile::copy(seed, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        {
            IniFile ini(work);
            Settings::writeVersion(ini, Settings::kServer);
        }
        if (!b.db.open(QString(), path, Database::Mode::StandAlone)) {
            std::fprintf(stderr, "base dati: %s\n", qPrintable(b.db.lastError().description));
            return 1;
        }
        writeFile(work + refdata::kOperFile, operBytes);
        writeFile(work + refdata::kCompoFile, compoBytes);

        refdata::RegistryUpdate registry(b.ctx);
        QElapsedTimer t;
        // Where the time goes: each pass over a file starts with a call for its row 0.
        QStringList passes;
        registry.progressWithTotal = [&](const QString& file, int rows, int total) {
            if (rows == 0)
                passes << QStringLiteral("%1 %2").arg(file).arg(ms(t), 0, 'f', 0);
            else if (rows == total)
                passes.last() += QStringLiteral("-%1 ms").arg(ms(t), 0, 'f', 0);
        };
        t.start();
        const auto outcome = registry.aggiornaBaseDati();
        update.push_back(ms(t));
        passes << QStringLiteral("end %1 ms").arg(update.back(), 0, 'f', 0);
        if (outcome != refdata::RegistryUpdate::Outcome::Done) {
            std::fprintf(stderr, "aggiornamento non riuscito: %s\n", qPrintable(b.db.lastError().description));
            return 1;
        }
        QSqlQuery q = b.db.query();
        int counts[4] = {};
        const char* tables[] = {"CorsiOper", "CorsiCompo", "PromotoriSostenitori_Oper", "Domande"};
        for (int k = 0; k < 4; ++k) {
            q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(tables[k]));
            q.next();
            counts[k] = q.value(0).toInt();
        }
        if (counts[0] != kOperators || counts[1] != kOperators * kSitesPerOperator || counts[2] != kOperators) {
            std::fprintf(stderr, "righe attese mancanti: %d operatori, %d sedi, %d promotori\n", counts[0], counts[1],
                         counts[2]);
            ok = false;
        }
        if (run == 0) {
            QFile log(registry.logPath());
            log.open(QIODevice::ReadOnly);
            const int logLines = QString::fromLatin1(log.readAll()).count(QStringLiteral("\r\n"));
            std::printf("registry update: %d operators, %d sites (half stored), %d Requests; %d log lines; passes: "
                        "%s\n",
                        kOperators, kOperators * kSitesPerOperator, counts[3], logLines,
                        qPrintable(passes.join(QStringLiteral(", "))));
        }

        const double r = shellImport(shellDb, shape,
                                     {{folder + QStringLiteral("oper.tsv"), QStringLiteral("CorsiOper")},
                                      {folder + QStringLiteral("compo.tsv"), QStringLiteral("CorsiCompo")}});
        if (r < 0)
            return 1;
        reference.push_back(r);

        // What Qt SQL itself costs: a bare prepared insert of the same rows, one transaction,
        // into the empty tables of a delivered database. Printed, not aimed at.
        const QString barePath = folder + QStringLiteral("bare.db");
        QFile::remove(barePath);
        QFile::copy(QStringLiteral(VX_EMPTY_DB), barePath);
        QFile::setPermissions(barePath, QFile::ReadOwner | QFile::WriteOwner);
        Database bareDb;
        if (!bareDb.open(QString(), barePath, Database::Mode::StandAlone))
            return 1;
        t.restart();
        const bool inserted = bareDb.inWriteTransaction([&] {
            for (const auto& [table, tableRows] : {std::pair{QStringLiteral("CorsiOper"), &operRows},
                                                   std::pair{QStringLiteral("CorsiCompo"), &compoRows}}) {
                QSqlQuery insert = bareDb.query();
                const int columns = int(tableRows->first().size());
                QStringList marks;
                for (int c = 0; c < columns; ++c)
                    marks << QStringLiteral("?");
                if (!bareDb.prepare(
                        insert, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(QLatin1Char(',')))))
                    return false;
                for (const QStringList& row : *tableRows) {
                    for (int c = 0; c < columns; ++c)
                        insert.bindValue(c, row.at(c));
                    if (!insert.exec())
                        return false;
                }
            }
            return true;
        });
        bareQt.push_back(ms(t));
        if (!inserted) {
            std::fprintf(stderr, "inserimento nudo non riuscito\n");
            return 1;
        }
    }
    const double u = median(update);
    const double r = median(reference);
    std::vector<double> ratios;
    int within = 0;
    for (int run = 0; run < kRuns; ++run) {
        ratios.push_back(update[run] / reference[run]);
        within += ratios.back() <= kRegistryAim ? 1 : 0;
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("registry update: %.1f ms; sqlite3 shell .import of the same rows: %.1f ms (median of %d); "
                "ratio %.2f; runs within %.1fx: %d of %d (aim: at least %d), ratios %.2f to %.2f; a bare Qt SQL "
                "prepared insert of the same rows: %.1f ms (%.2fx)\n",
                u, r, kRuns, u / r, kRegistryAim, within, kRuns, kRunsWithinAim, ratios.front(), ratios.back(),
                median(bareQt), median(bareQt) / r);
    if (within < kRunsWithinAim)
        ok = false;

    // (b) The decode tables in update mode, twice.
    QString comuni = refdata::kUpdateHeader + QStringLiteral("\r\n");
    QList<QStringList> comuniRows;
    for (int i = 0; i < kComuni; ++i) {
        comuni += line(comuneFields(i)) + QStringLiteral("\r\n");
        comuniRows << comuneFields(i);
    }
    const QByteArray comuniBytes = windows1252::encode(comuni);
    writeFile(folder + QStringLiteral("comuni.tsv"), tabFile(comuniRows));
    b.db.close();
    QFile::remove(path);
    QFile::copy(QStringLiteral(VX_EMPTY_DB), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (!b.db.open(QString(), path, Database::Mode::StandAlone))
        return 1;
    double loads[2] = {};
    QStringList after[2];
    for (int pass = 0; pass < 2; ++pass) {
        writeFile(work + refdata::kUpdateFlag, QByteArray());
        writeFile(work + QStringLiteral("Comuni.txt"), comuniBytes);
        refdata::DecodeTables tables(b.ctx);
        QElapsedTimer t;
        t.start();
        const auto outcome = tables.aggiornaTabelleDecodifica();
        loads[pass] = ms(t);
        if (outcome != refdata::DecodeTables::Outcome::Loaded) {
            std::fprintf(stderr, "tabelle di decodifica: %s\n", qPrintable(tables.lastError()));
            return 1;
        }
        after[pass] = content(b.db, QStringLiteral("Comuni"));
    }
    const bool unchanged = after[0].size() == kComuni && after[0] == after[1];
    const double comuniRef =
        shellImport(shellDb, shape, {{folder + QStringLiteral("comuni.tsv"), QStringLiteral("Comuni")}});
    std::printf("decode tables, Comuni of %d rows in update mode: first load %.1f ms, second load %.1f ms "
                "(aim: under %.0f ms, nothing changed: %s); sqlite3 shell .import of the same rows: %.1f ms\n",
                kComuni, loads[0], loads[1], kSecondLoadAimMs, unchanged ? "yes" : "NO", comuniRef);
    if (!unchanged || loads[1] >= kSecondLoadAimMs)
        ok = false;
    if (!ok)
        std::printf("refdata: aim missed\n");
    return ok ? 0 : 1;
}
