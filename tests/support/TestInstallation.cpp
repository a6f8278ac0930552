#include "TestInstallation.h"

#include "roles/RoleColumns.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace vx::test {

TestInstallation::TestInstallation()
{
    QStandardPaths::setTestModeEnabled(true);
    m_folder = m_dir.path() + QLatin1Char('/');
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder + QStringLiteral("settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder + QStringLiteral("settings"));
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
}

void TestInstallation::writeIni(const IniValues& v)
{
    const QString db = v.database.isNull() || v.database.isEmpty() ? databasePath() : v.database;
    const QString text = QStringLiteral("[Installazione]\nTipo=%1\nVersione=%2\nPROVIDER=%3\n\n"
                                        "[BaseDati]\nDatabase=%4\nNFileDB=%5\nNumDoma=%6\nFileBackup=\n\n"
                                        "[CONNESSIONE]\nPWD=%9\nNREG=%7\n%10\n[Help]\nFILEHELP=%8\n")
                             .arg(v.tipo, v.versione, v.provider, db, v.nFileDB, v.numDoma, v.nreg, v.fileHelp, v.pwd)
                             .arg(v.connessione.join(QLatin1Char('\n')));
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
    if (!db.open(QStringLiteral("QSQLITE"), databasePath(), Database::Mode::Multiutenza))
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
    sql(QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, DenominazioneOp, "
                       "DomandaStampata) VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {number, group, code, province, runningNumber, QStringLiteral("Operatore %1").arg(code), printed ? 1 : 0});
}

void TestInstallation::addRole(const RolePerson& person) const
{
    sql(ruoli::insertSql(), ruoli::values(person));
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
    return s;
}

} // namespace vx::test
