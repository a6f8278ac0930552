// What holds between workstations, on a shared SQLite file (Multiutenza) and on a PostgreSQL
// server alike: several programs saving persons at once lose none and never half-write one; a
// program killed in the middle of a save leaves the database whole; a server stopped and started
// again is told as unreachable and the next save works; a workstation that starts while another
// has the database alone is refused.

#include "ChildProcess.h"
#include "HostProgram.h"
#include "RegioneProcess.h"
#include "Support.h"
#include "TestContext.h"

#include "app/DatabaseMigration.h"
#include "app/Messages.h"
#include "app/Startup.h"
#include "core/Settings.h"
#include "requests/SelectedRequest.h"
#include "roles/RoleList.h"
#include "roles/RolePersonCard.h"
#include "roles/TaxCode.h"
#include "store/ErrorAdvice.h"
#include "store/Schema.h"

#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <iostream>

using namespace vx;
using namespace vx::test;

namespace {

const char* const kSaverVariable = "VX_SAVER";
constexpr qint32 kShared = 1;

// Person `i` of workstation `station`: a codice fiscale of its own, matching its birth date.
RolePerson personOf(int station, int i, qint32 request)
{
    RolePerson p = rossi(request);
    p.gg = QStringLiteral("%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
    p.mm = QStringLiteral("%1").arg(i / 28 % 12 + 1, 2, 10, QLatin1Char('0'));
    p.aaaa = QString::number(1940 + 2 * station + i / 336);
    const QString first15 =
        QStringLiteral("RSSMRA") + p.aaaa.right(2) + roles::monthLetter(p.mm) + p.gg + QStringLiteral("A562");
    p.codFiscale = first15 + roles::checkCharacter(first15);
    return p;
}

// A user at the keyboard of a workstation in trouble: a database error offered for retry is
// retried after a moment (as a person would), up to a limit; everything else is acknowledged.
class PatientPrompter : public Prompter {
public:
    int told = 0;
    int retries = 0;
    Answer ask(const Message& message) override
    {
        ++told;
        if (message.buttons == Buttons::RetryCancel && retries++ < 200) {
            QThread::msleep(50);
            return Answer::Retry;
        }
        return message.buttons == Buttons::YesNo || message.buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
    QString chooseOpenFile(const FileChoice&) override { return {}; }
    QString chooseSaveFile(const FileChoice&) override { return {}; }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }
};

// Child mode "<folder>|<station>|<count>": a workstation saving `count` persons through the card,
// the even ones into its own Request (100 + station), the odd ones into the shared one; prints
// "<saved> <told>" as it goes.
int saveAsAWorkstation(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    const QString folder = parts.value(0);
    const int station = parts.value(1).toInt();
    const int count = parts.value(2).toInt();
    AppState state = stateIn(folder);
    Database db;
    PatientPrompter prompter;
    AppControl control;
    RecordingDesktop desktop;
    TestClock clock;
    clock.fixed = QDateTime(QDate(2026, 6, 1), QTime(10, 0));
    Context ctx{state, db, prompter, control, desktop, clock};
    if (!db.open(targetOf(state), Database::Mode::Multiutenza)) {
        std::cerr << qPrintable(errorLines(db.lastError())) << std::endl;
        return 2;
    }
    int saved = 0;
    for (int i = 0; i < count && !control.ended(); ++i) {
        const qint32 request = i % 2 == 0 ? 100 + station : kShared;
        state.selected = loadSelectedRequest(db, prompter, request);
        RoleKey key;
        RolePersonCard card(ctx, key);
        card.open();
        if (card.save(personOf(station, i, request)) == RolePersonCard::SaveOutcome::Saved)
            ++saved;
        std::cout << saved << ' ' << prompter.told << std::endl;
    }
    return 0;
}

// The rows of Ruoli of `request`, each checked whole (every column of the card filled).
struct Rows {
    int count = 0;
    int incomplete = 0;
};
Rows rowsOf(const TestInstallation& inst, qint32 request)
{
    Database db;
    Rows r;
    if (!inst.open(db, Database::Mode::Multiutenza, Database::Access::ReadOnly))
        return {-1, -1};
    QSqlQuery q = db.query();
    db.exec(q,
            QStringLiteral("SELECT Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel FROM Ruoli WHERE NumDoma = ?"),
            {request});
    while (q.next()) {
        ++r.count;
        for (int c = 0; c < 7; ++c) {
            if (q.value(c).toString().isEmpty()) {
                ++r.incomplete;
                break;
            }
        }
    }
    return r;
}

// An installation shared by `stations` workstations: operator A-12, the shared Request and one
// Request of each workstation's own.
void layOut(InstalledContext& c, int stations)
{
    c.inst.writeIni({.tipo = Settings::kMultiutenza});
    c.inst.addOperatorWithRequest(kShared);
    for (int s = 0; s < stations; ++s)
        c.inst.addRequest(100 + s, QStringLiteral("A"), 12, QStringLiteral("001"), 2 + s);
}

QProcess* startStation(const TestInstallation& inst, int station, int count, QObject* parent)
{
    auto* child = new QProcess(parent);
    prepareChild(*child, kSaverVariable, QStringLiteral("%1|%2|%3").arg(inst.folder()).arg(station).arg(count));
    child->setProcessChannelMode(QProcess::SeparateChannels);
    child->start();
    return child;
}

// The last "<saved> <told>" line a workstation printed.
std::pair<int, int> lastCounts(QProcess* child)
{
    const QList<QByteArray> lines = child->readAllStandardOutput().trimmed().split('\n');
    const QList<QByteArray> last = lines.last().split(' ');
    return {last.value(0).toInt(), last.value(1).toInt()};
}

void runCluster(const QString& action)
{
    runOnHost(QStringLiteral("pg-cluster"), {action, hostPath(qEnvironmentVariable("VX_TEST_PG_DIR"))}, 60000);
}

// The cluster over TCP on 127.0.0.1, where a password is asked, with TLS verified against `ca`.
DatabaseTarget overTls(const TestInstallation& inst, const QString& ca)
{
    DatabaseTarget t = TestInstallation::overTcp(inst.target());
    t.tlsMode = QStringLiteral("verify-full");
    t.caFile = RegioneProcess::certificates() + ca;
    return t;
}

class NoScreens : public StartupScreens {
public:
    void runInstallation(AppState&, IniFile&) override {}
};

} // namespace

class TstEngines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workstationsSaveTogether_data();
    void workstationsSaveTogether();
    void killedInTheMiddleOfASave();
    void serverStoppedInTheMiddleOfASave();
    void startingWhileAnotherHasTheDatabaseAlone();
    void sessionRenewedAfterARestart();
    void missingPrivilegesToldAsSuch();
    void serverVerifiedOverTls();
    void passwordAskedAtStart();
    void serverInstallationLaysTheTablesOut();
    void movedToAFileAndBack();
};

void TstEngines::workstationsSaveTogether_data()
{
    QTest::addColumn<int>("stations");
    for (int n : {2, 4, 8})
        QTest::addRow("%d workstations", n) << n;
}

void TstEngines::workstationsSaveTogether()
{
    QFETCH(int, stations);
    constexpr int kPersons = 500;
    InstalledContext c;
    layOut(c, stations);
    QObject owner;
    QList<QProcess*> children;
    for (int s = 0; s < stations; ++s)
        children.append(startStation(c.inst, s, kPersons, &owner));
    int savedInAll = 0;
    for (int s = 0; s < stations; ++s) {
        QProcess* child = children[s];
        QVERIFY(child->waitForFinished(240000));
        QCOMPARE(child->exitCode(), 0);
        const auto [saved, told] = lastCounts(child);
        // Every save that did not go through was told to its user (a retry offered counts).
        QVERIFY2(saved == kPersons || told > 0, qPrintable(QStringLiteral("%1 of %2 saved").arg(saved).arg(kPersons)));
        const Rows own = rowsOf(c.inst, 100 + s);
        QCOMPARE(own.incomplete, 0);
        savedInAll += saved;
        QVERIFY(own.count >= saved / 2);
    }
    const Rows shared = rowsOf(c.inst, kShared);
    QCOMPARE(shared.incomplete, 0);
    int ownInAll = 0;
    for (int s = 0; s < stations; ++s)
        ownInAll += rowsOf(c.inst, 100 + s).count;
    // No update lost: every save reported as done is a row.
    QCOMPARE(shared.count + ownInAll, savedInAll);
    QCOMPARE(savedInAll, stations * kPersons);
}

void TstEngines::killedInTheMiddleOfASave()
{
    InstalledContext c;
    layOut(c, 2);
    QObject owner;
    QProcess* child = startStation(c.inst, 0, 100000, &owner);
    QByteArray seen;
    while (seen.count('\n') < 50 && child->waitForReadyRead(30000))
        seen += child->readAllStandardOutput();
    child->kill(); // SIGKILL, in the middle of whatever it was doing
    QVERIFY(child->waitForFinished());
    Database db;
    QVERIFY(c.inst.open(db));
    QCOMPARE(db.integrityProblems(), QString());
    db.close();
    const Rows own = rowsOf(c.inst, 100), shared = rowsOf(c.inst, kShared);
    QCOMPARE(own.incomplete + shared.incomplete, 0);
    QVERIFY(own.count + shared.count >= 50);
    // The next workstation saves.
    QProcess* next = startStation(c.inst, 1, 4, &owner);
    QVERIFY(next->waitForFinished(60000));
    QCOMPARE(lastCounts(next).first, 4);
}

void TstEngines::serverStoppedInTheMiddleOfASave()
{
    if (!TestInstallation::onServer())
        QSKIP("a server to stop: only on PostgreSQL");
    InstalledContext c;
    layOut(c, 1);
    QObject owner;
    QProcess* child = startStation(c.inst, 0, 400, &owner);
    QByteArray seen;
    while (seen.count('\n') < 20 && child->waitForReadyRead(30000))
        seen += child->readAllStandardOutput();
    runCluster(QStringLiteral("restart"));
    QVERIFY(child->waitForFinished(240000));
    QCOMPARE(child->exitCode(), 0);
    const auto [saved, told] = lastCounts(child);
    // The stop was told ("server non raggiungibile", offered for retry), and the saves went on.
    QVERIFY2(told > 0, "the server's stop was not told");
    QVERIFY2(saved == 400, child->readAllStandardError().constData());
    const Rows own = rowsOf(c.inst, 100), shared = rowsOf(c.inst, kShared);
    QCOMPARE(own.incomplete + shared.incomplete, 0);
    QCOMPARE(own.count + shared.count, 400);
}

// A server restarted while the program stays open: the next read runs on a new session before
// anything is shown, the list is whole, the selection of a Request goes on, a save starts.
void TstEngines::sessionRenewedAfterARestart()
{
    if (!TestInstallation::onServer())
        QSKIP("a server to restart: only on PostgreSQL");
    InstalledContext c;
    layOut(c, 0);
    c.inst.addRole(rossi(kShared));
    QVERIFY(c.open());
    c.state.selected.number = kShared;
    RolesModel model;
    QVERIFY(RoleList(c.ctx).load(model));
    const QList<RolePerson> before = model.rows();
    QCOMPARE(before.size(), 1);

    runCluster(QStringLiteral("restart"));
    const bool reloaded = RoleList(c.ctx).load(model);
    QVERIFY2(reloaded, qPrintable(c.db.lastError().number + QLatin1Char(32) + c.db.lastError().description));
    QCOMPARE(model.rows(), before);

    runCluster(QStringLiteral("restart"));
    IniFile ini = c.inst.ini();
    SelectedRequest selected;
    SalvaVarINI(c.db, ini, c.prompter, kShared, selected);
    QCOMPARE(selected.number, kShared);

    runCluster(QStringLiteral("restart"));
    QVERIFY2(c.db.inWriteTransaction([&] {
        QSqlQuery q = c.db.query();
        return c.db.exec(q, QStringLiteral("UPDATE Ruoli SET Tel = ? WHERE NumDoma = ?"),
                         {QStringLiteral("1"), kShared});
    }),
             qPrintable(c.db.lastError().description));
    VX_VERIFY_PROMPTS(c.prompter);
}

// A user the server's administrator gave too few rights is told which grant is missing, never
// that the database is not the program's (which would offer to lay the tables out).
void TstEngines::missingPrivilegesToldAsSuch()
{
    if (!TestInstallation::onServer())
        QSKIP("rights of the server's users: only on PostgreSQL");
    // The superuser's password is for its owner's eyes only (Linux's modes: Windows' rights on a
    // file are another matter, and Wine shows none of the cluster's).
    if (!underWine()) {
        const QFile::Permissions password =
            QFileInfo(qEnvironmentVariable("VX_TEST_PG_DIR") + QStringLiteral("/password")).permissions();
        QCOMPARE(password & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    InstalledContext c;
    layOut(c, 0);
    const QString user = QStringLiteral("vx_diritti_%1").arg(QCoreApplication::applicationPid());
    c.inst.sql(QStringLiteral("DROP ROLE IF EXISTS ") + user);
    // Its password counts over TCP (the only way on Windows); through the socket it is let in.
    c.inst.sql(QStringLiteral("CREATE ROLE ") + user + QStringLiteral(" LOGIN PASSWORD 'diritti'"));
    const auto dropUser = qScopeGuard([&] {
        c.inst.sql(QStringLiteral("DROP OWNED BY ") + user);
        c.inst.sql(QStringLiteral("DROP ROLE ") + user);
    });
    DatabaseTarget target = c.inst.target();
    target.user = user;
    target.password = QStringLiteral("diritti");
    const auto refusal = [&](Database::Access access) {
        Database db;
        if (db.open(target, Database::Mode::Multiutenza, access))
            return 0;
        return db.lastError().code();
    };
    QCOMPARE(refusal(Database::Access::ReadOnly), Database::kNoPrivileges);
    c.inst.sql(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO ") + user);
    QCOMPARE(refusal(Database::Access::ReadOnly), 0);
    QCOMPARE(refusal(Database::Access::ReadWrite), Database::kNoPrivileges);
    // Rights on the role table only: refused at the opening, before any document is made.
    c.inst.sql(QStringLiteral("GRANT INSERT, UPDATE, DELETE ON Ruoli TO ") + user);
    QCOMPARE(refusal(Database::Access::ReadWrite), Database::kNoPrivileges);
    c.inst.sql(QStringLiteral("GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO ") + user);
    QCOMPARE(refusal(Database::Access::ReadWrite), 0);
    // A database the server does not have, for a user it lets in: said as such, not as a password
    // refused or a server out of reach.
    target.name = QStringLiteral("vx_nessuna_%1").arg(QCoreApplication::applicationPid());
    QCOMPARE(refusal(Database::Access::ReadWrite), Database::kNoDatabase);
}

void TstEngines::startingWhileAnotherHasTheDatabaseAlone()
{
    InstalledContext c;
    layOut(c, 0);
    Database alone;
    QVERIFY(c.inst.open(alone, Database::Mode::StandAlone));
    Database starting;
    QVERIFY(!c.inst.open(starting, Database::Mode::Multiutenza));
    QVERIFY(starting.lastOpenWasLocked());
    alone.close();
    QVERIFY(c.inst.open(starting, Database::Mode::Multiutenza));
    // And the other way: an exclusive operation is refused while a workstation is in.
    Database exclusive;
    QVERIFY(!c.inst.open(exclusive, Database::Mode::StandAlone));
    QVERIFY(exclusive.lastOpenWasLocked());
}

void TstEngines::serverVerifiedOverTls()
{
    if (!TestInstallation::onServer())
        QSKIP("a server's certificate: only on PostgreSQL");
    TestInstallation inst;
    DatabaseTarget t = overTls(inst, QStringLiteral("ca.pem"));
    t.password = TestInstallation::clusterPassword();
    Database db;
    QVERIFY2(db.open(t, Database::Mode::Multiutenza), qPrintable(db.lastError().description));
    // A certificate that another authority issued is not the server's: no connection.
    t.caFile = RegioneProcess::certificates() + QStringLiteral("altra-ca.pem");
    Database other;
    QVERIFY(!other.open(t, Database::Mode::Multiutenza));
    QCOMPARE(other.lastError().code(), Database::kUnreachable);
}

void TstEngines::passwordAskedAtStart()
{
    if (!TestInstallation::onServer())
        QSKIP("a password asked by the server: only on PostgreSQL");
    InstalledContext c;
    c.inst.writeIni();
    const DatabaseTarget t = overTls(c.inst, QStringLiteral("ca.pem"));
    // The password the tests on Windows are given (support/TestProcess.cpp) is not the user's.
    const QByteArray given = qgetenv("PGPASSWORD");
    qunsetenv("PGPASSWORD");
    const auto restore = qScopeGuard([&] {
        if (!given.isEmpty())
            qputenv("PGPASSWORD", given);
    });
    IniFile ini(c.inst.folder());
    Settings::writeServer(ini, t.host, t.port, t.name, t.tlsMode, t.caFile);
    c.inst.addOperatorWithRequest(1);
    // Asked when the server wants it, asked again when refused, never written anywhere.
    c.prompter.expectPassword(msg::app::text(msg::app::Text::DatabasePasswordTitle), QStringLiteral("sbagliata"))
        .expectPassword(msg::app::text(msg::app::Text::DatabasePasswordTitle), TestInstallation::clusterPassword());
    NoScreens screens;
    AppState state = c.inst.state();
    QVERIFY(Startup(state, c.db, c.prompter, c.control, screens).run());
    VX_VERIFY_PROMPTS(c.prompter);
    QVERIFY(c.db.isOpen());
    QVERIFY(!c.inst.iniBytes().contains(TestInstallation::clusterPassword().toLatin1()));
}

void TstEngines::serverInstallationLaysTheTablesOut()
{
    if (!TestInstallation::onServer())
        QSKIP("an empty database on a server: only on PostgreSQL");
    InstalledContext c;
    c.inst.writeIni();
    const DatabaseTarget empty = c.inst.emptyServerDatabase();
    IniFile ini(c.inst.folder());
    Settings::writeServer(ini, empty.host, empty.port, empty.name, QString(), QString());
    const QString folder = QDir::toNativeSeparators(QDir::cleanPath(c.inst.folder()));
    c.prompter.expect(msg::app::createTablesQuestion(empty.where()), Answer::Yes)
        .expect(msg::app::registryFilesMissing(folder));
    NoScreens screens;
    AppState state = c.inst.state();
    QVERIFY(!Startup(state, c.db, c.prompter, c.control, screens).run());
    VX_VERIFY_PROMPTS(c.prompter);
    Database db;
    QVERIFY(db.open(empty, Database::Mode::Multiutenza));
    QCOMPARE(db.tables()->size(), store::schemaTables().size());
}

void TstEngines::movedToAFileAndBack()
{
    if (!TestInstallation::onServer())
        QSKIP("a move between engines needs a server");
    InstalledContext c;
    c.inst.addOperatorWithRequest(1);
    c.inst.addRole(rossi(1));
    const QString file = c.inst.file(QStringLiteral("spostata.db"));
    IniFile ini(c.inst.folder());
    DatabaseMigration toFile(c.state);
    QCOMPARE(toFile.move(DatabaseTarget::file(file), ini), DatabaseMigration::Outcome::Moved);
    Settings settings = Settings::read(ini);
    QCOMPARE(settings.provider, Settings::kProvider);
    QCOMPARE(settings.database, file);
    QCOMPARE(dumpOf(file), dumpOf(c.inst.target()));
    // A move killed after its copy was made, before the settings were written: the copy is
    // recognised by its sums and the move finished, the file left as it is.
    const QDateTime written = QFileInfo(file).lastModified();
    Settings::writeServer(ini, c.state.serverHost, c.state.serverPort, c.state.serverDatabase, c.state.serverTlsMode,
                          c.state.serverCaFile);
    QCOMPARE(DatabaseMigration(c.state).move(DatabaseTarget::file(file), ini), DatabaseMigration::Outcome::Moved);
    QCOMPARE(Settings::read(ini).database, file);
    QCOMPARE(QFileInfo(file).lastModified(), written);
    // A file that holds other rows is never overwritten.
    const QString tel = rossi(1).tel;
    c.inst.sql(QStringLiteral("UPDATE Ruoli SET Tel = ?"), {QStringLiteral("999")});
    QCOMPARE(DatabaseMigration(c.state).move(DatabaseTarget::file(file), ini), DatabaseMigration::Outcome::Refused);
    c.inst.sql(QStringLiteral("UPDATE Ruoli SET Tel = ?"), {tel});

    // And back, into an empty database on the server.
    AppState onFile = c.state;
    settings.applyTo(onFile);
    const DatabaseTarget empty = c.inst.emptyServerDatabase();
    DatabaseMigration toServer(onFile);
    QCOMPARE(toServer.move(empty, ini), DatabaseMigration::Outcome::Moved);
    QCOMPARE(Settings::read(ini).serverDatabase, empty.name);
    QCOMPARE(toServer.sums(), toFile.sums());
    QCOMPARE(toServer.sums().value(QStringLiteral("Ruoli")).rows, 1);
    // Killed after the server's commit: the next move finds the same rows there and finishes.
    Settings::writeInstallation(ini, onFile.installationType, file, QFileInfo(file).fileName());
    Settings::writeProvider(ini, Settings::kProvider);
    QCOMPARE(DatabaseMigration(onFile).move(empty, ini), DatabaseMigration::Outcome::Moved);
    QCOMPARE(Settings::read(ini).serverDatabase, empty.name);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kSaverVariable))
        return saveAsAWorkstation(qEnvironmentVariable(kSaverVariable));
    TstEngines test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_engines.moc"
