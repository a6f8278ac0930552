#include "TestInstallation.h"

#include "core/Settings.h"
#include "store/Schema.h"

#include "core/UserSettings.h"
#include "roles/RoleColumns.h"
#include "store/Database.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace vx::test {

namespace {
const QString kTemplate = QStringLiteral("vx_modello");
QAtomicInt g_installations;

// Statements on the cluster's maintenance database.
void onCluster(const QStringList& statements)
{
    DatabaseTarget t = TestInstallation::serverTarget();
    t.name = QStringLiteral("postgres");
    const QString name = QStringLiteral("vx-cluster-%1").arg(g_installations.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setDatabaseName(t.name);
        if (!db.open())
            qFatal("test cluster: %s", qPrintable(db.lastError().text()));
        for (const QString& s : statements) {
            QSqlQuery q(db);
            if (!q.exec(s))
                qFatal("test cluster: %s: %s", qPrintable(s), qPrintable(q.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

// The template every installation's database is copied from, laid out once for the cluster (the
// first test process to come does it; the others wait on the same lock).
void ensureTemplate()
{
    static bool ready = false;
    if (ready)
        return;
    const QString lockName = QStringLiteral("vx-template-lock");
    DatabaseTarget t = TestInstallation::serverTarget();
    {
        QSqlDatabase lock = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), lockName);
        lock.setHostName(t.host);
        lock.setPort(t.port);
        lock.setUserName(t.user);
        lock.setDatabaseName(QStringLiteral("postgres"));
        if (!lock.open())
            qFatal("test cluster: %s", qPrintable(lock.lastError().text()));
        QSqlQuery q(lock);
        q.exec(QStringLiteral("SELECT pg_advisory_lock(4242)"));
        q.exec(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = '%1'").arg(kTemplate));
        if (!q.next()) {
            onCluster({QStringLiteral("DROP DATABASE IF EXISTS vx_modello_nuovo WITH (FORCE)"),
                       QStringLiteral("CREATE DATABASE vx_modello_nuovo")});
            t.name = QStringLiteral("vx_modello_nuovo");
            {
                Database db;
                if (db.open(t, Database::Mode::StandAlone) || db.lastError().code() != Database::kNoTables ||
                    !db.createSchema())
                    qFatal("test cluster: the template: %s", qPrintable(db.lastError().description));
            }
            onCluster({QStringLiteral("ALTER DATABASE vx_modello_nuovo RENAME TO %1").arg(kTemplate)});
        }
        q.exec(QStringLiteral("SELECT pg_advisory_unlock(4242)"));
    }
    QSqlDatabase::removeDatabase(lockName);
    ready = true;
}
} // namespace

QString suiteProvider()
{
    return TestInstallation::onServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

bool TestInstallation::onServer()
{
    return qgetenv("VX_TEST_ENGINE") == "QPSQL";
}

QString TestInstallation::deliveredFile(const QString& name)
{
    return QStringLiteral(VX_PROGRAM_DIR "/") + name;
}

QString TestInstallation::clusterPassword()
{
    QFile file(qEnvironmentVariable("VX_TEST_PG_DIR") + QStringLiteral("/password"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}

DatabaseTarget TestInstallation::serverTarget()
{
    const QString dir = QString::fromLocal8Bit(qgetenv("VX_TEST_PG_DIR"));
    QFile portFile(dir + QStringLiteral("/porta"));
    if (dir.isEmpty() || !portFile.open(QIODevice::ReadOnly))
        qFatal("VX_TEST_ENGINE=QPSQL needs VX_TEST_PG_DIR, the folder of a cluster started by scripts/pg-cluster");
    DatabaseTarget t;
    t.driver = QStringLiteral("QPSQL");
    t.host = dir;
    t.port = portFile.readAll().trimmed().toInt();
    t.user = QStringLiteral("vx");
#ifdef _WIN32
    t = overTcp(t);
    t.password = clusterPassword();
#endif
    return t;
}

DatabaseTarget TestInstallation::overTcp(DatabaseTarget target)
{
    target.host = QStringLiteral("127.0.0.1");
    return target;
}

DatabaseTarget TestInstallation::target() const
{
    if (m_serverDatabase.isEmpty())
        return DatabaseTarget::file(databasePath());
    DatabaseTarget t = serverTarget();
    t.name = m_serverDatabase;
    return t;
}

bool TestInstallation::open(Database& db, Database::Mode mode, Database::Access access) const
{
    return db.open(target(), mode, access);
}

void TestInstallation::layOutRelease(int version) const
{
    QFile fixture(QStringLiteral(VX_FIXTURES "/schema-v%1.sql").arg(version));
    if (!fixture.open(QIODevice::ReadOnly))
        qFatal("fixture: %s", qPrintable(fixture.fileName()));
    const QString script = QString::fromUtf8(fixture.readAll());
    static const QRegularExpression view(QStringLiteral("^CREATE VIEW (\\w+)"));
    QStringList drop;
    for (const QString& s : store::schemaStatements(target().driver)) {
        if (const QRegularExpressionMatch m = view.match(s); m.hasMatch())
            drop.append(QStringLiteral("DROP VIEW IF EXISTS ") + m.captured(1));
    }
    for (const QString& table : store::schemaTables())
        drop.append(QStringLiteral("DROP TABLE IF EXISTS ") + table);
    Database db;
    if (!open(db))
        qFatal("fixture: %s", qPrintable(db.lastError().description));
    for (const QString& s : drop + store::statementsOf(script, target().driver)) {
        QSqlQuery q = db.query();
        if (!db.exec(q, s))
            qFatal("fixture: %s: %s", qPrintable(s), qPrintable(db.lastError().description));
    }
}

DatabaseTarget TestInstallation::emptyServerDatabase()
{
    DatabaseTarget t = serverTarget();
    t.name = QStringLiteral("%1_%2").arg(m_serverDatabase).arg(m_moreDatabases.size() + 1);
    onCluster({QStringLiteral("CREATE DATABASE %1").arg(t.name)});
    m_moreDatabases.append(t.name);
    return t;
}

TestInstallation::~TestInstallation()
{
    for (const QString& name : m_moreDatabases + QStringList{m_serverDatabase}) {
        if (!name.isEmpty())
            onCluster({QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name)});
    }
}

namespace {
void useSettingsIn(const QString& folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder + QStringLiteral("settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder + QStringLiteral("settings"));
}
} // namespace

AppState stateIn(const QString& folder)
{
    useSettingsIn(folder);
    AppState state;
    state.programFolder = folder;
    Settings::read(IniFile(folder)).applyTo(state);
    state.serverUser = UserSettings().databaseUser();
    return state;
}

TestInstallation::TestInstallation()
{
    QStandardPaths::setTestModeEnabled(true);
    m_folder = m_dir.path() + QLatin1Char('/');
    useSettingsIn(m_folder);
    if (!QFile::copy(QStringLiteral(VX_EMPTY_DB), databasePath()))
        qFatal("cannot copy the empty database %s", VX_EMPTY_DB);
    QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    // Help, import guide and document template as the build's program folder delivers them.
    QDir(m_folder).mkpath(QStringLiteral("help"));
    const QString delivered = QStringLiteral(VX_PROGRAM_DIR "/");
    for (const char* name : {"help/VELTRANORPX.html", "GuidaSezioneSoggettiRuoli.txt", "_VELTRANORPX_01.html"}) {
        if (!QFile::copy(delivered + QLatin1String(name), m_folder + QLatin1String(name)))
            qFatal("cannot copy %s from the program folder", name);
    }
    if (onServer()) {
        ensureTemplate();
        m_serverDatabase = QStringLiteral("vx_%1_%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(g_installations.fetchAndAddRelaxed(1));
        onCluster({QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_serverDatabase, kTemplate)});
    }
}

void TestInstallation::writeIni(const IniValues& v)
{
    const QString db = v.database.isNull() || v.database.isEmpty() ? databasePath() : v.database;
    const QString& provider = v.provider;
    QString server;
    if (!m_serverDatabase.isEmpty()) {
        const DatabaseTarget t = target();
        server = QStringLiteral("Server=%1\nPorta=%2\nNomeBaseDati=%3\n")
                     .arg(t.host)
                     .arg(t.port)
                     .arg(v.serverDatabase.isEmpty() ? t.name : v.serverDatabase);
    }
    const QString text = QStringLiteral("[Installazione]\nTipo=%1\nVersione=%2\nPROVIDER=%3\n\n"
                                        "[BaseDati]\nDatabase=%4\nNFileDB=%5\nNumDoma=%6\nFileBackup=\n%11\n"
                                        "[CONNESSIONE]\nPWD=%9\nNREG=%7\n%10\n[Help]\nFILEHELP=%8\n")
                             .arg(v.tipo, v.versione, provider, db, v.nFileDB, v.numDoma, v.nreg, v.fileHelp, v.pwd)
                             .arg(v.connessione.join(QLatin1Char('\n')), server);
    if (!m_serverDatabase.isEmpty())
        UserSettings().setDatabaseUser(target().user);
    writeFile(IniFile::kDefaultName, text.toUtf8());
}

QByteArray TestInstallation::iniBytes() const
{
    QFile f(m_folder + IniFile::kDefaultName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestInstallation::writeFile(const QString& name, const QByteArray& content) const
{
    QFile f(m_folder + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(name));
    f.write(content);
}

void TestInstallation::sql(const QString& statement, const QVariantList& values) const
{
    Database db;
    if (!open(db))
        qFatal("fixture: %s", qPrintable(db.lastError().description));
    QSqlQuery q = db.query();
    if (!db.exec(q, statement, values))
        qFatal("fixture: %s: %s", qPrintable(statement), qPrintable(db.lastError().description));
}

void TestInstallation::addProvince(const QString& code, const QString& name, const QString& abbreviation) const
{
    sql(QStringLiteral("INSERT INTO Province (PROV, DESPROV, SIGPROV) VALUES (?, ?, ?)"), {code, name, abbreviation});
}

void TestInstallation::addOperator(const QString& group, int code, const QString& name) const
{
    sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione) VALUES (?, ?, ?)"),
        {group, code, name});
}

void TestInstallation::addLegalSeat(const QString& group, int code) const
{
    sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo) VALUES (?, ?, 1, 'SL')"),
        {group, code});
}

void TestInstallation::addPerson(int number, const QString& codFiscale, int role, int site, const QString& group,
                                 int code) const
{
    sql(QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                       "VALUES (?, ?, ?, ?, ?, ?)"),
        {number, codFiscale, group, code, site, role});
}

void TestInstallation::addRequest(int number, const QString& group, int code, const QString& province,
                                  int runningNumber, bool printed) const
{
    // As a Request made from the registry is: its legal seat (site 1) receives the correspondence.
    sql(QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, DenominazioneOp, "
                       "DomandaStampata, Corrispondenza) VALUES (?, ?, ?, ?, ?, ?, ?, 1)"),
        {number, group, code, province, runningNumber, QStringLiteral("Operatore %1").arg(code), printed ? 1 : 0});
}

void TestInstallation::addRole(const RolePerson& person) const
{
    sql(roles::insertSql(), roles::values(person));
}

void TestInstallation::addOperatorWithRequest(int number, bool printed) const
{
    addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE"));
    sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, Indirizzo) "
                       "VALUES ('A', 12, 1, 'SL', 'SEDE LEGALE', 'VIA GARIBALDI 10'), "
                       "('A', 12, 2, 'SO', 'SEDE OPERATIVA DI MONCALIERI', 'VIA SANTA CROCE 4')"));
    addRequest(number, QStringLiteral("A"), 12, QStringLiteral("001"), 1, printed);
}

AppState TestInstallation::state() const
{
    AppState s;
    s.programFolder = m_folder;
    if (!m_serverDatabase.isEmpty()) {
        const DatabaseTarget t = target();
        s.provider = t.driver;
        s.serverHost = t.host;
        s.serverPort = t.port;
        s.serverDatabase = t.name;
        s.serverUser = t.user;
    }
    return s;
}

} // namespace vx::test
