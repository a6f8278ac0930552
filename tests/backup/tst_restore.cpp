// Backup and restore of the database: the archive made from a consistent snapshot, and a restore
// that refuses what it cannot prove and never leaves the user without a database.

#include "ChildProcess.h"
#include "TestContext.h"

#include "backup/DatabaseBackup.h"
#include "backup/ZipArchive.h"
#include "core/Settings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>

using namespace vx;
using vx::test::IniValues;
using vx::test::InstalledContext;

namespace {

const char* const kRestoreVariable = "VX_TEST_RESTORE_AND_DIE";

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A zip archive written by hand (entries stored as they are), so that a test can give entries
// any name at all, as a damaged or hostile archive would.
QByteArray handMadeZip(const QList<std::pair<QByteArray, QByteArray>>& entries)
{
    QByteArray out;
    QByteArray central;
    auto le16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    auto le32 = [&](QByteArray& b, quint32 v) {
        le16(b, quint16(v & 0xffff));
        le16(b, quint16(v >> 16));
    };
    for (const auto& [name, data] : entries) {
        const quint32 offset = quint32(out.size());
        const quint32 crc = crc32(data);
        le32(out, 0x04034b50);
        le16(out, 20), le16(out, 0), le16(out, 0), le16(out, 0), le16(out, 0);
        le32(out, crc), le32(out, quint32(data.size())), le32(out, quint32(data.size()));
        le16(out, quint16(name.size())), le16(out, 0);
        out.append(name).append(data);
        le32(central, 0x02014b50);
        le16(central, 20), le16(central, 20), le16(central, 0), le16(central, 0), le16(central, 0), le16(central, 0);
        le32(central, crc), le32(central, quint32(data.size())), le32(central, quint32(data.size()));
        le16(central, quint16(name.size())), le16(central, 0), le16(central, 0), le16(central, 0), le16(central, 0);
        le32(central, 0), le32(central, offset);
        central.append(name);
    }
    const quint32 start = quint32(out.size());
    out.append(central);
    le32(out, 0x06054b50);
    le16(out, 0), le16(out, 0), le16(out, quint16(entries.size())), le16(out, quint16(entries.size()));
    le32(out, quint32(central.size())), le32(out, start), le16(out, 0);
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Fixture : InstalledContext {
    DatabaseBackup backup{ctx};

    explicit Fixture(const IniValues& values = IniValues()) : InstalledContext(values)
    {
        Settings::read(inst.ini()).applyTo(state);
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    }
    QStringList provinces() const
    {
        Database probe;
        probe.open(QString(), inst.databasePath(), Database::Mode::StandAlone, Database::Access::ReadOnly);
        QSqlQuery q = probe.query();
        probe.exec(q, QStringLiteral("SELECT PROV FROM Province ORDER BY PROV"));
        QStringList out;
        while (q.next())
            out.append(q.value(0).toString());
        return out;
    }
    QString archive() const { return inst.file(QStringLiteral("copie/VELTRANORPX.zip")); }
    void makeBackup()
    {
        QDir().mkpath(inst.file(QStringLiteral("copie")));
        prompter.expect(QStringLiteral("Backup eseguito con successo."), kAppTitle, Icon::Information);
        QCOMPARE(backup.backup(archive()), DatabaseBackup::Outcome::Done);
    }
    void expectFailure(const QString& reason)
    {
        prompter.expect(QStringLiteral("Recupero fallito\n\n") + reason, kAppTitle, Icon::Critical);
    }
};

// Child mode: "<folder>|<archive>|<step>": a restore killed (SIGKILL) when it reaches the step.
int restoreAndDie(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    AppState state;
    state.programFolder = parts.value(0);
    Settings::read(IniFile(state.programFolder)).applyTo(state);
    Database db;
    test::ScriptedPrompter prompter; // the restore is killed before it says anything
    AppControl control;
    test::RecordingDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
    const int killAt = parts.value(2).toInt();
    DatabaseBackup(ctx).restore(parts.value(1), true, [&](DatabaseBackup::RestoreStep step) {
        if (int(step) == killAt)
            ::raise(SIGKILL);
    });
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(DatabaseBackup::RestoreStep)

class TstRestore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void archiveName_data();
    void archiveName();
    void backupThenRestore_data();
    void backupThenRestore();
    void failedBackupKeepsTheOldArchive();
    void nothingChosen();
    void refusedArchives_data();
    void refusedArchives();
    void sharedDatabaseHeldElsewhere();
    void killAtEachStep_data();
    void killAtEachStep();
};

void TstRestore::archiveName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("archive");
    auto row = [](const char* name, const char* typed, const char* archive) {
        QTest::newRow(name) << typed << archive;
    };
    row("zip", "/copie/VELTRANORPX.zip", "/copie/VELTRANORPX.zip");
    row("no extension", "/copie/lunedi", "/copie/lunedi.zip");
    row("other extension", "/copie/lunedi.bak", "/copie/lunedi.zip");
    row("two dots", "/copie/dati.5.marzo", "/copie/dati.5.zip");
}

void TstRestore::archiveName()
{
    QFETCH(QString, typed);
    QFETCH(QString, archive);
    QCOMPARE(DatabaseBackup::archivePathFor(typed), archive);
}

void TstRestore::backupThenRestore_data()
{
    QTest::addColumn<bool>("keepCopy");
    QTest::newRow("replace") << false;
    QTest::newRow("replace and keep a copy") << true;
}

void TstRestore::backupThenRestore()
{
    QFETCH(bool, keepCopy);
    Fixture f;
    f.makeBackup();
    QCOMPARE(f.backup.lastArchive(), f.archive());
    QList<zip::Entry> entries;
    QVERIFY(zip::listEntries(f.archive(), entries, nullptr));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().name, QStringLiteral("VELTRANORPX.db"));

    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    const QByteArray changed = fileBytes(f.inst.databasePath());
    const QByteArray ini = f.inst.iniBytes();
    f.prompter.expect(QStringLiteral("Recupero eseguito con successo"), kAppTitle, Icon::Information);
    QCOMPARE(f.backup.restore(f.archive(), keepCopy), DatabaseBackup::Outcome::Done);
    QCOMPARE(f.provinces(), QStringList{QStringLiteral("001")});
    QCOMPARE(f.inst.iniBytes(), ini);
    const QString kept = f.inst.file(QStringLiteral("copie/BackupDB/VELTRANORPX.db"));
    QCOMPARE(QFile::exists(kept), keepCopy);
    if (keepCopy)
        QCOMPARE(fileBytes(kept), changed);
    // Nothing of the work is left behind.
    QVERIFY(!QFile::exists(f.inst.file(QStringLiteral("copie/DBUnzip"))));
    QCOMPARE(QDir(f.inst.folder()).entryList({QStringLiteral("VELTRANORPX.db.*")}, QDir::Files), QStringList());
}

void TstRestore::failedBackupKeepsTheOldArchive()
{
    Fixture f;
    f.makeBackup();
    const QByteArray before = fileBytes(f.archive());
    f.state.databasePath = f.inst.file(QStringLiteral("manca.db"));
    f.prompter.expect(QStringLiteral("Backup fallito\n\nErrore 14 - unable to open database file"), kAppTitle,
                      Icon::Critical);
    QCOMPARE(f.backup.backup(f.archive()), DatabaseBackup::Outcome::Failed);
    QCOMPARE(fileBytes(f.archive()), before);
    QCOMPARE(f.backup.lastArchive(), QString());
}

void TstRestore::nothingChosen()
{
    Fixture f;
    f.prompter.expect(QStringLiteral("Selezionare prima un nome per l'Archivio di Backup."), QStringLiteral("Errore"),
                      Icon::Critical);
    QCOMPARE(f.backup.backup(QStringLiteral("  ")), DatabaseBackup::Outcome::ChooseFile);
    f.prompter.expect(QStringLiteral("Nessun file da ripristinare selezionato."), QStringLiteral("Errore"),
                      Icon::Critical);
    QCOMPARE(f.backup.restore(QString(), false), DatabaseBackup::Outcome::ChooseFile);
}

void TstRestore::refusedArchives_data()
{
    QTest::addColumn<QByteArray>("entry");    // the name of a second, third... entry
    QTest::addColumn<QByteArray>("database"); // the bytes of the VELTRANORPX.db entry ("" none)
    QTest::addColumn<QString>("reason");
    auto row = [](const char* tag, const char* entry, const char* database, const QString& reason) {
        QTest::newRow(tag) << QByteArray(entry) << QByteArray(database) << reason;
    };
    const QString path = QStringLiteral("L'archivio contiene la voce \"%1\", che indica un percorso: per sicurezza non "
                                        "viene ripristinato nulla.");
    const QString others = QStringLiteral("L'archivio contiene altri file oltre alla base dati VELTRANORPX.db: "
                                          "%1.\nNon viene ripristinato nulla.");
    const QString notWhole =
        QStringLiteral("Il file VELTRANORPX.db contenuto nell'archivio non è una base dati integra di VELTRANORPX.");
    row("traversal", "../VELTRANORPX.INI", "good", path.arg(QStringLiteral("../VELTRANORPX.INI")));
    row("absolute path", "/tmp/x", "good", path.arg(QStringLiteral("/tmp/x")));
    row("extra file", "VELTRANORPX.INI", "good", others.arg(QStringLiteral("VELTRANORPX.INI")));
    row("no database", "altro.db", "", others.arg(QStringLiteral("altro.db")));
    row("empty archive", "", "", QStringLiteral("L'archivio non contiene la base dati VELTRANORPX.db."));
    row("not a database", "", "solo testo", notWhole);
    row("damaged database", "", "damaged", notWhole);
}

void TstRestore::refusedArchives()
{
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, database);
    QFETCH(QString, reason);
    Fixture f;
    QList<std::pair<QByteArray, QByteArray>> entries;
    if (database == "good") {
        database = fileBytes(f.inst.databasePath());
    } else if (database == "damaged") {
        // A real database with pages overwritten in the middle: SQLite's header is intact.
        database = fileBytes(f.inst.databasePath());
        for (qsizetype i = 4096; i < database.size() - 100; i += 4096)
            database.replace(i + 8, 40, QByteArray(40, '\x5a'));
    }
    if (!database.isEmpty())
        entries.append({QByteArray("VELTRANORPX.db"), database});
    if (!entry.isEmpty())
        entries.append({entry, QByteArray("contenuto")});
    f.inst.writeFile(QStringLiteral("copia.zip"), handMadeZip(entries));
    const QByteArray before = fileBytes(f.inst.databasePath());
    const QByteArray ini = f.inst.iniBytes();
    f.expectFailure(reason);
    QCOMPARE(f.backup.restore(f.inst.file(QStringLiteral("copia.zip")), true), DatabaseBackup::Outcome::Failed);
    QCOMPARE(fileBytes(f.inst.databasePath()), before);
    QCOMPARE(f.inst.iniBytes(), ini);
    QVERIFY(!QFile::exists(f.inst.file(QStringLiteral("x"))));
    QVERIFY(!QFile::exists(f.inst.file(QStringLiteral("DBUnzip"))));
}

void TstRestore::sharedDatabaseHeldElsewhere()
{
    Fixture f({.tipo = QStringLiteral("Multiutenza")});
    f.makeBackup();
    Database other; // another workstation, with the database open
    QVERIFY(other.open(QString(), f.inst.databasePath(), Database::Mode::Multiutenza));
    const QByteArray before = fileBytes(f.inst.databasePath());
    f.prompter.expect(
        QStringLiteral("Qualche client potrebbe ancora essere connesso alla base dati. \r\n\r\nL'operazione non è "
                       "consentita."),
        DatabaseBackup::kTitle, Icon::Critical);
    QCOMPARE(f.backup.restore(f.archive(), false), DatabaseBackup::Outcome::Failed);
    QCOMPARE(fileBytes(f.inst.databasePath()), before);
}

void TstRestore::killAtEachStep_data()
{
    QTest::addColumn<DatabaseBackup::RestoreStep>("step");
    QTest::addColumn<bool>("restored"); // the path holds the archive's database afterwards
    QTest::newRow("checked") << DatabaseBackup::RestoreStep::Checked << false;
    QTest::newRow("unpacked") << DatabaseBackup::RestoreStep::Unpacked << false;
    QTest::newRow("copy kept") << DatabaseBackup::RestoreStep::CopyKept << false;
    QTest::newRow("staged") << DatabaseBackup::RestoreStep::Staged << false;
    QTest::newRow("kept aside") << DatabaseBackup::RestoreStep::KeptAside << false;
    QTest::newRow("replaced") << DatabaseBackup::RestoreStep::Replaced << true;
    QTest::newRow("done") << DatabaseBackup::RestoreStep::Done << true;
}

void TstRestore::killAtEachStep()
{
    QFETCH(DatabaseBackup::RestoreStep, step);
    QFETCH(bool, restored);
    Fixture f;
    f.makeBackup();
    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    const QByteArray ini = f.inst.iniBytes();
    const vx::test::ChildRun killed =
        vx::test::runChild(kRestoreVariable, f.inst.folder() + QLatin1Char('|') + f.archive() + QLatin1Char('|') +
                                                 QString::number(int(step)));
    QVERIFY(killed.crashed);
    // A usable database, the old one or the new one, and the settings untouched.
    Database db;
    QVERIFY(db.open(QString(), f.inst.databasePath(), Database::Mode::StandAlone));
    db.close();
    QCOMPARE(f.provinces(), restored ? QStringList{QStringLiteral("001")}
                                     : (QStringList{QStringLiteral("001"), QStringLiteral("002")}));
    QCOMPARE(f.inst.iniBytes(), ini);
    // A restore after the killed one goes through.
    f.prompter.expect(QStringLiteral("Recupero eseguito con successo"), kAppTitle, Icon::Information);
    QCOMPARE(f.backup.restore(f.archive(), false), DatabaseBackup::Outcome::Done);
    QCOMPARE(f.provinces(), QStringList{QStringLiteral("001")});
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kRestoreVariable))
        return restoreAndDie(qEnvironmentVariable(kRestoreVariable));
    TstRestore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_restore.moc"
