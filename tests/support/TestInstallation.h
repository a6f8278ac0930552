#pragma once
// A throw-away installation for one test: its own program folder with the empty database, an
// INI file written on request, and per-user settings that live inside the folder.
//
// The engine is the suite's: SQLite by default, or a PostgreSQL server when VX_TEST_ENGINE is
// QPSQL (the cluster of VX_TEST_PG_DIR, which scripts/pg-cluster started). On a server each
// installation has a database of its own, laid out from a template and dropped at the end.

#include "core/AppState.h"
#include "core/IniFile.h"
#include "roles/RolePerson.h"
#include "store/Database.h"

#include <QTemporaryDir>
#include <QVariantList>

namespace vx::test {

// QPSQL when the suite runs on a server, QSQLITE otherwise.
QString suiteProvider();

struct IniValues {
    QString tipo = QStringLiteral("StandAlone");
    QString versione = QStringLiteral("SERVER");
    QString provider = suiteProvider();
    QString database; // empty: the folder's VELTRANORPX.db
    QString nFileDB = QStringLiteral("VELTRANORPX.db");
    QString numDoma = QStringLiteral("0");
    QString fileHelp = QStringLiteral("help/VELTRANORPX.html");
    QString nreg = QStringLiteral("https://127.0.0.1:8443/nreg/numero");
    QString pwd = QStringLiteral("q`rrvnse"); // scrambled
    QStringList connessione;                  // further lines of section CONNESSIONE
    QString serverDatabase;                   // on a server; empty: the installation's own
};

// What a program started in the installation `folder` knows (a child process of a test): the
// INI's settings, and the per-user settings of that installation (the database user among them).
AppState stateIn(const QString& folder);

class TestInstallation {
public:
    TestInstallation();
    ~TestInstallation();
    TestInstallation(const TestInstallation&) = delete;
    TestInstallation& operator=(const TestInstallation&) = delete;

    // True when the suite runs on a PostgreSQL server.
    static bool onServer();
    // The suite's cluster (host = its socket folder, port, user), without a database. On Windows,
    // where libpq has no Unix socket, its TCP address and the password it then asks.
    static DatabaseTarget serverTarget();
    // `target` on the cluster reached over TCP on this machine instead of its socket folder.
    static DatabaseTarget overTcp(DatabaseTarget target);
    // The password of the cluster's superuser (scripts/pg-cluster wrote it beside the cluster).
    static QString clusterPassword();
    // A file the build's program folder delivers (the document template, the guide...).
    static QString deliveredFile(const QString& name);
    // The installation's database, on the suite's engine.
    DatabaseTarget target() const;
    bool open(Database& db, Database::Mode mode = Database::Mode::Multiutenza,
              Database::Access access = Database::Access::ReadWrite) const;
    // Every table and view of the database replaced by the layout and rows of an earlier release
    // (tests/fixtures/schema-v<version>.sql).
    void layOutRelease(int version) const;
    // On a server: a second database of this installation's, empty (no tables), dropped at the end.
    DatabaseTarget emptyServerDatabase();

    QString folder() const { return m_folder; } // ends with "/"
    QString databasePath() const { return m_folder + QStringLiteral("VELTRANORPX.db"); }
    QString file(const QString& name) const { return m_folder + name; }

    void writeIni(const IniValues& values = IniValues());
    IniFile ini() const { return IniFile(m_folder); }
    QString readIni(const QString& section, const QString& key) const { return ini().read(section, key); }
    QByteArray iniBytes() const;
    void writeFile(const QString& name, const QByteArray& content) const;

    // Runs fixture statements on the database through a connection of their own.
    void sql(const QString& statement, const QVariantList& values = {}) const;
    void addProvince(const QString& code, const QString& name, const QString& abbreviation) const;
    void addOperator(const QString& group, int code, const QString& name) const;
    // The operator's legal seat (component 1), without which a Request cannot be printed.
    void addLegalSeat(const QString& group, int code) const;
    // A person with a role under Request `number`, at the operator's site `site`.
    void addPerson(int number, const QString& codFiscale, int role = 1, int site = 0,
                   const QString& group = QStringLiteral("A"), int code = 12) const;
    void addRequest(int number, const QString& group, int code, const QString& province, int runningNumber,
                    bool printed = false) const;
    // A row of Ruoli with every column of `person`.
    void addRole(const RolePerson& person) const;
    // Operator A-12 "CENTRO DI FORMAZIONE" with its legal seat (site 1) and a site 2, province 001
    // TORINO, and Request `number` of it (running number 1).
    void addOperatorWithRequest(int number, bool printed = false) const;

    AppState state() const;

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_serverDatabase; // on a server: this installation's database
    QStringList m_moreDatabases;
};

} // namespace vx::test
