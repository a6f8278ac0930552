// Every operation that writes, under the one fault sweep: its Nth statement fails, for N = 1, 2, ...
// until it runs without meeting the fault, and after each run the database is whole and holds the
// content before the operation or the whole change, never a mix; a failure is told. Each
// subsystem adds its operations to the table below.

#include "DeliveryFixture.h"
#include "FaultSweep.h"
#include "RefdataFixture.h"
#include "Support.h"

#include "app/OptionsEditor.h"
#include "app/SchemaUpgrade.h"
#include "backup/DatabaseBackup.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "net/Exchange.h"
#include "print/PrintRegistration.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryUpdate.h"
#include "requests/RequestCreation.h"
#include "requests/RequestSelection.h"
#include "requests/SelectedRequest.h"
#include "roles/Messages.h"
#include "roles/RoleList.h"
#include "roles/RolePersonCard.h"
#include "roles/RoleTextFile.h"
#include "roles/RoleTransfer.h"

#include <QDir>

#include <QTest>

using namespace vx;
using namespace vx::test;

namespace {

class NoScreens : public CreationScreens {
public:
    void showProgress(const QString&) override {}
    bool askEmail() override { return true; }
    QString alternativeIdentity(const QUrl&) override { return QString(); }
};

// Not the fixture's bianchi(): the person the faults' Request 11 holds beside ROSSI, with role 5.
RolePerson bianchiOfRequest11()
{
    RolePerson p = rossi(11);
    p.codFiscale = QStringLiteral("BNCLRA78D43L219O");
    p.cognome = QStringLiteral("BIANCHI");
    p.nome = QStringLiteral("LAURA");
    p.gg = QStringLiteral("03");
    p.mm = QStringLiteral("04");
    p.aaaa = QStringLiteral("1978");
    p.ruolo = 5;
    return p;
}

// Operator A-12 with Requests 10 and 11, ROSSI under each; Request 11 selected.
std::unique_ptr<InstalledContext> twoRequests()
{
    auto c = std::make_unique<InstalledContext>();
    c->clock.fixed = QDateTime(QDate(2026, 6, 1), QTime(10, 0));
    c->inst.addOperatorWithRequest(10);
    c->inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 2);
    c->inst.addRole(rossi(10));
    c->inst.addRole(rossi(11));
    if (!c->open(Database::Mode::StandAlone))
        qFatal("fixture: %s", qPrintable(c->db.lastError().description));
    c->state.selected = loadSelectedRequest(c->db, c->prompter, 11);
    return c;
}

const OperatorEntry kOperator{QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE")};

bool saveOnCard(InstalledContext& c, bool changed)
{
    RoleKey key = changed ? RoleKey::of(rossi(11)) : RoleKey();
    RolePersonCard card(c.ctx, key);
    card.open();
    RolePerson values = bianchiOfRequest11();
    if (changed) {
        values = rossi(11);
        values.tel = QStringLiteral("0119999999");
        values.ruolo = 5;
    }
    return card.save(values) == RolePersonCard::SaveOutcome::Saved;
}

// Request 11 with the import file of ROSSI and BIANCHI in the program folder.
std::unique_ptr<InstalledContext> importFile()
{
    auto c = twoRequests();
    QByteArray bytes;
    for (const RolePerson& p : {rossi(11), bianchiOfRequest11()})
        bytes += windows1252::encode(roles::writeLine(roles::fieldsOf(p, p.gruppo, p.codice, QString()))) + "\r\n";
    c->inst.writeFile(roles::textFileName(11), bytes);
    return c;
}

bool importOnList(InstalledContext& c)
{
    c.prompter.expectOpenFile(c.inst.file(roles::textFileName(11)));
    RoleTransfer(c.ctx).importCommand(RoleTransfer::Format::Text);
    return c.prompter.shown().join(QLatin1Char('\n')).contains(msg::roles::imported(2).text);
}

// Request 37, printed, with its persons, on an installation that talks to the regional servers'
// stand-in (one for every run).
std::unique_ptr<InstalledContext> deliverable()
{
    static RegioneProcess server;
    static const bool started = server.start();
    if (!started)
        qFatal("fixture: %s", qPrintable(server.errorOutput()));
    auto c = std::make_unique<InstalledContext>(IniValues{.connessione = connectionTo(server)});
    c->clock.fixed = QDateTime(QDate(2026, 6, 1), QTime(10, 0));
    seedDeliverable(c->inst);
    if (!c->open())
        qFatal("fixture: %s", qPrintable(c->db.lastError().description));
    return c;
}

// The installation's database moved from the server to a file in its folder, as the options
// screen moves it; true when the program ends on the new file.
bool moveToFile(InstalledContext& c)
{
    c.state.installationType = Settings::kStandAlone;
    OptionsEditor editor(c.state, c.db, c.prompter, c.control);
    OptionsValues values = editor.load();
    values.onServer = false;
    values.database = c.inst.file(QStringLiteral("spostato.db"));
    return editor.moveDatabase(values) == OptionsEditor::Outcome::ProgramEnded;
}

// -- reference data

// Province 099 and 028 stored, a Province file of three rows armed by `flag`.
std::unique_ptr<InstalledContext> provinceFile(const QString& flag)
{
    auto c = std::make_unique<InstalledContext>();
    c->inst.sql(QStringLiteral("INSERT INTO Province VALUES ('099', 'Vecchia', 'VV', '01'), ('028', 'V', 'PD', '01')"));
    c->inst.writeFile(flag, "");
    c->inst.writeFile(QStringLiteral("Province.txt"), "\r\n#028#,#Padova#,#PD#,#05#\r\n#027#,#Venezia#,#VE#,#05#\r\n"
                                                      "#026#,#Rovigo#,#RO#,#05#\r\n");
    if (!c->open(Database::Mode::StandAlone))
        qFatal("fixture: %s", qPrintable(c->db.lastError().description));
    return c;
}

// A table not loaded keeps its file and its flag for the next start; a loaded one is in `Car`.
FaultOperation decodeTable(const QString& flag)
{
    return {[flag] { return provinceFile(flag); },
            [](InstalledContext& c) {
                return refdata::DecodeTables(c.ctx).aggiornaTabelleDecodifica() ==
                       refdata::DecodeTables::Outcome::Loaded;
            },
            [flag](InstalledContext& c, bool done) {
                const bool left =
                    QFile::exists(c.inst.file(QStringLiteral("Province.txt"))) && QFile::exists(c.inst.file(flag));
                return done != left && QFile::exists(c.inst.file(QStringLiteral("Car/Province.txt"))) == done
                           ? QString()
                           : QStringLiteral("file della tabella o flag fuori posto");
            }};
}

// Operators A-12 (stored, with Requests 1 open and 2 printed) and A-7 (new) in the registry files.
std::unique_ptr<InstalledContext> registryFiles()
{
    auto c = std::make_unique<InstalledContext>();
    c->inst.addOperatorWithRequest(1);
    c->inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("001"), 2, true);
    c->inst.sql(QStringLiteral("UPDATE Domande SET Componente = 1"));
    c->inst.writeFile(
        refdata::kOperFile,
        (operLine("A", "7", "Altro", "Verdi") + "\r\n" + operLine("A", "12", "Nuovo") + "\r\n").toLatin1());
    c->inst.writeFile(refdata::kCompoFile, (compoLine("A", "7", "1", "SL", "Sede A7") + "\r\n" +
                                            compoLine("A", "12", "1", "SL", "Sede", "049/123") + "\r\n")
                                               .toLatin1());
    if (!c->open(Database::Mode::StandAlone))
        qFatal("fixture: %s", qPrintable(c->db.lastError().description));
    return c;
}

// VX_TEST_PART "k/n": only every n-th row from the k-th, so that the sweep on a server runs as n
// tests, each well inside its time limit on a busy machine.
bool inThisPart()
{
    static int row = 0;
    const QList<QByteArray> part = qgetenv("VX_TEST_PART").split('/');
    const int k = part.value(0).toInt(), n = part.value(1).toInt();
    const int index = row++;
    return n <= 0 || index % n == k - 1;
}

} // namespace

Q_DECLARE_METATYPE(vx::test::FaultOperation)

class TstFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyStatementFails_data();
    void everyStatementFails();
};

void TstFaults::everyStatementFails_data()
{
    QTest::addColumn<FaultOperation>("operation");
    const QList<std::pair<const char*, FaultOperation>> operations{
        {"request creation",
         {twoRequests,
          [](InstalledContext& c) {
              Exchange exchange(ExchangeSettings::from(Settings::read(c.inst.ini())));
              NoScreens screens;
              const ProvinceEntry province{QStringLiteral("001"), QStringLiteral("TO"), QStringLiteral("TORINO")};
              return RequestCreation(c.ctx, exchange, screens).insertRequest(500, kOperator, province);
          }}},
        {"request deletion",
         {twoRequests,
          [](InstalledContext& c) {
              RequestSelection selection(c.ctx);
              QList<RequestRow> rows = selection.requests(kOperator, QStringLiteral("001"));
              const auto current =
                  std::find_if(rows.cbegin(), rows.cend(), [](const RequestRow& r) { return r.number == 10; });
              return selection.deleteRequest(rows, int(current - rows.cbegin()), kOperator, QStringLiteral("001"));
          }}},
        {"card, new row", {twoRequests, [](InstalledContext& c) { return saveOnCard(c, false); }}},
        {"card, changed row", {twoRequests, [](InstalledContext& c) { return saveOnCard(c, true); }}},
        // roles
        {"import replaces the persons", {importFile, importOnList}},
        {"role deletion",
         {twoRequests, [](InstalledContext& c) { return RoleList(c.ctx).remove(rolesOf(c.db, 11), 0); }}},
        {"batch listing",
         {twoRequests,
          [](InstalledContext& c) {
              c.state.reservedMode = true;
              QDir(c.inst.folder()).mkpath(QStringLiteral("ELABORAZIONE COMPLESSIVA"));
              c.inst.writeFile(QStringLiteral("ELABORAZIONE COMPLESSIVA/a.txt"), "x");
              return RoleList(c.ctx).batchListing();
          }}},
        // Print and transmission.
        {"definitive print registered",
         {twoRequests,
          [](InstalledContext& c) {
              return PrintRegistration(c.ctx).afterDefinitivePrint({}, false, true).sendEnabled;
          }}},
        {"alternative original registered",
         {twoRequests,
          [](InstalledContext& c) {
              return PrintRegistration(c.ctx).alternativePrint({}, [] { return true; }).sendEnabled;
          }}},
        {"upload recorded",
         {deliverable,
          [](InstalledContext& c) {
              const Settings settings = Settings::read(c.inst.ini());
              Exchange exchange(ExchangeSettings::from(settings));
              return RequestDelivery(c.ctx, exchange, settings, QStringLiteral("1.0.0")).upload(37, kDeliveryEmail);
          },
          nullptr, false}},
    };
    for (const auto& [name, operation] : operations) {
        for (const char* answer : {"cancel", "retry"}) {
            if (inThisPart())
                QTest::addRow("%s, %s", name, answer) << operation;
        }
    }

    // Reference data: no Retry is offered, a failure is told and the update left to the next time.
    const QList<std::pair<const char*, FaultOperation>> refdataOperations{
        {"decode table, install", decodeTable(refdata::kInstallFlag)},
        {"decode table, update", decodeTable(refdata::kUpdateFlag)},
        {"registry update",
         {registryFiles,
          [](InstalledContext& c) {
              return refdata::RegistryUpdate(c.ctx).aggiornaBaseDati() == refdata::RegistryUpdate::Outcome::Done;
          },
          [](InstalledContext& c, bool done) {
              return QFile::exists(c.inst.file(done ? "CAR/oper.car" : "BAD/oper.car")) &&
                             !QFile::exists(c.inst.databasePath() + refdata::kBackupSuffix)
                         ? QString()
                         : QStringLiteral("file dell'anagrafe o copia di sicurezza fuori posto");
          }}},
        {"registry of a first installation",
         {registryFiles, [](InstalledContext& c) { return refdata::RegistryUpdate(c.ctx).installRegistry(); }}},
    };
    for (const auto& [name, operation] : refdataOperations) {
        if (inThisPart())
            QTest::addRow("%s, cancel", name) << operation;
    }

    // Operations on connections of their own, where only a server has statements to fail: the
    // restore replaces every table in one transaction; the move to a file reads the server's
    // tables and proves the copy, and the installation points at it only when all went well.
    if (TestInstallation::onServer()) {
        const QList<std::pair<const char*, FaultOperation>> ownConnections{
            {"restore onto the server, keeping a copy",
             {.prepare =
                  [] {
                      auto c = twoRequests();
                      c->db.close(); // the snapshot is read on a connection of its own
                      QDir().mkpath(c->inst.file("copie"));
                      QString error;
                      if (!DatabaseBackup(c->ctx).packSnapshot(c->inst.file("copie/VELTRANORPX.zip"), &error) ||
                          !c->open())
                          qFatal("fixture: %s", qPrintable(error + c->db.lastError().description));
                      QSqlQuery q = c->db.query();
                      if (!c->db.exec(q, QStringLiteral("DELETE FROM Ruoli WHERE NumDoma = ?"), {10}))
                          qFatal("fixture: %s", qPrintable(c->db.lastError().description));
                      return c;
                  },
              .run =
                  [](InstalledContext& c) {
                      DatabaseBackup backup(c.ctx);
                      backup.releaseDatabase();
                      return backup.restore(c.inst.file("copie/VELTRANORPX.zip"), true) ==
                             DatabaseBackup::Outcome::Done;
                  },
              .retriesEveryFault = false,
              .ownConnections = true}},
            {"move to a file",
             {.prepare = twoRequests,
              .run = [](InstalledContext& c) { return moveToFile(c); },
              .check =
                  [](InstalledContext& c, bool moved) {
                      // Where the settings point: the copy, whole, after a move; the server otherwise,
                      // and the move, made again once the fault has passed, goes through.
                      if (!moved && !moveToFile(c))
                          return QStringLiteral("spostamento non riuscito anche senza guasto");
                      AppState now;
                      Settings::read(c.inst.ini()).applyTo(now);
                      const DatabaseTarget where = targetOf(now);
                      if (where.isServer() || dumpOf(where.path) != dumpOf(c.inst.target()))
                          return QStringLiteral("impostazioni o copia fuori posto");
                      return QString();
                  },
              .retriesEveryFault = false,
              .ownConnections = true,
              .leavesTheDatabase = true,
              .stride = 7}},
        };
        for (const auto& [name, operation] : ownConnections) {
            if (inThisPart())
                QTest::addRow("%s, cancel", name) << operation;
        }
    }

    // A database of the first release brought up to this version: told, and the program ends.
    if (inThisPart())
        QTest::addRow("schema upgrade") << FaultOperation{
            [] {
                auto c = std::make_unique<InstalledContext>();
                c->inst.layOutRelease(1);
                if (!c->open(Database::Mode::StandAlone))
                    qFatal("fixture: %s", qPrintable(c->db.lastError().description));
                return c;
            },
            [](InstalledContext& c) { return upgradeSchemaTelling(c.db, c.inst.folder(), c.prompter); }, nullptr,
            false};
}

void TstFaults::everyStatementFails()
{
    QFETCH(FaultOperation, operation);
    const bool retry = QByteArray(QTest::currentDataTag()).endsWith("retry");
    const QString problem = sweepFaults(operation, retry);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
