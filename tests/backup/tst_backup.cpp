// Backup and restore of the database, and the rotating copies of a SERVER installation: whole
// copies and archives, refusals that change nothing, and kills at every step that lose nothing.

#include "ChildProcess.h"
#include "EngineSkip.h"
#include "Support.h"
#include "TestContext.h"

#include "backup/DatabaseBackup.h"
#include "backup/Messages.h"
#include "backup/RotatingCopy.h"
#include "backup/ZipArchive.h"
#include "core/DurableFile.h"
#include "core/Settings.h"
#include "store/Messages.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <csignal>
#include <iostream>
#include <zip.h>

using namespace vx;
using namespace vx::msg::backup;
using vx::test::dumpOf;
using vx::test::readFile;
using vx::test::TestInstallation;

namespace {

const char* const kDieVariable = "VX_TEST_RESTORE_AND_DIE";

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

struct Entry {
    QByteArray name;
    QByteArray data;
    quint32 declared = 0; // > 0: deflated `data`, said to unpack to this many bytes
};

// A zip archive written by hand, so that a test can give entries any name and size at all, as a
// damaged or hostile archive would.
QByteArray handMadeZip(const QList<Entry>& entries)
{
    QByteArray out, central;
    QDataStream o(&out, QIODevice::WriteOnly), c(&central, QIODevice::WriteOnly);
    o.setByteOrder(QDataStream::LittleEndian);
    c.setByteOrder(QDataStream::LittleEndian);
    for (const Entry& e : entries) {
        const quint32 offset = quint32(out.size());
        const QByteArray data = e.declared ? qCompress(e.data).mid(6).chopped(4) : e.data;
        const quint16 method = e.declared ? 8 : 0;
        const quint32 size = e.declared ? e.declared : quint32(data.size());
        o << quint32(0x04034b50) << quint16(20) << quint16(0) << method << quint32(0) << crc32(e.data)
          << quint32(data.size()) << size << quint16(e.name.size()) << quint16(0);
        o.writeRawData(e.name.constData(), int(e.name.size()));
        o.writeRawData(data.constData(), int(data.size()));
        c << quint32(0x02014b50) << quint16(20) << quint16(20) << quint16(0) << method << quint32(0) << crc32(e.data)
          << quint32(data.size()) << size << quint16(e.name.size()) << quint16(0) << quint16(0) << quint16(0)
          << quint16(0) << quint32(0) << offset;
        c.writeRawData(e.name.constData(), int(e.name.size()));
    }
    const quint32 start = quint32(out.size());
    o.writeRawData(central.constData(), int(central.size()));
    o << quint32(0x06054b50) << quint16(0) << quint16(0) << quint16(entries.size()) << quint16(entries.size())
      << quint32(central.size()) << start << quint16(0);
    return out;
}

struct Fixture : vx::test::InstalledContext {
    DatabaseBackup backup{ctx};

    explicit Fixture(const vx::test::IniValues& values = {}) : InstalledContext(values)
    {
        Settings::read(inst.ini()).applyTo(state);
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    }
    QStringList provinces() const { return dumpOf(inst.target()).value(QStringLiteral("Province")); }
    QString archive() const { return inst.file(QStringLiteral("copie/VELTRANORPX.zip")); }
    void makeBackup()
    {
        QDir().mkpath(inst.file(QStringLiteral("copie")));
        prompter.expect(msg::backup::notice(msg::backup::Notice::BackupDone));
        QCOMPARE(backup.backup(archive()), DatabaseBackup::Outcome::Done);
    }
};

const QStringList kTorino{QStringLiteral("001|TORINO|TO|<null>")};
const QStringList kBoth{QStringLiteral("001|TORINO|TO|<null>"), QStringLiteral("002|VERCELLI|VC|<null>")};

// Child mode: "<r, b or o>|<folder>|<archive>|<step>": a restore, a backup or a rotating copy of
// the installation in the folder, killed (SIGKILL) when it reaches the step.
int runAndDie(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    vx::test::TestContext t; // killed before it says anything
    t.state = vx::test::stateIn(parts.value(1));
    const int killAt = parts.value(3).toInt();
    auto die = [killAt](auto step) {
        if (int(step) == killAt)
            vx::test::dieAbruptly();
    };
    if (parts.value(0) == QLatin1String("r"))
        DatabaseBackup(t.ctx).restore(parts.value(2), true, die);
    else if (parts.value(0) == QLatin1String("b"))
        DatabaseBackup(t.ctx).backup(parts.value(2), die);
    else
        makeRotatingCopy(parts.value(1), targetOf(t.state), die);
    return 0;
}

vx::test::ChildRun killAt(const Fixture& f, const char* kind, int step)
{
    return vx::test::runChild(kDieVariable, QLatin1String(kind) + '|' + f.inst.folder() + '|' + f.archive() + '|' +
                                                QString::number(step));
}

const char* kWriterVariable = "VX_WRITER";
constexpr int kRowsPerWrite = 400;

QStringList files(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

// The provinces of the database or copy at `path`, as "PROV|DESPROV|SIGPROV|Regione" rows.
QStringList provincesIn(const QString& path)
{
    return dumpOf(path).value(QStringLiteral("Province"), {QStringLiteral("<illeggibile>")});
}

QStringList provinces(std::initializer_list<const char*> codes)
{
    QStringList rows;
    for (const char* code : codes)
        rows.append(QLatin1String(code) + QStringLiteral("|<null>|<null>|<null>"));
    return rows;
}

// Child mode: a workstation that keeps rewriting the database (each write replaces
// kRowsPerWrite long rows with new ones) until the file "<path>.stop" appears, 60 s at most.
int writeUntilStopped(const QString& path)
{
    Database db;
    if (!db.open(QString(), path, Database::Mode::Multiutenza))
        return 1;
    std::cout << "pronto" << std::endl;
    const QString filler(3000, QLatin1Char('x'));
    QDeadlineTimer deadline(60000);
    for (int round = 0; !QFile::exists(path + QStringLiteral(".stop")) && !deadline.hasExpired(); ++round) {
        db.inWriteTransaction([&] {
            QSqlQuery q = db.query();
            bool ok = db.exec(q, QStringLiteral("DELETE FROM Province"));
            for (int i = 0; ok && i < kRowsPerWrite; ++i)
                ok = db.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES (?, ?)"),
                             {QStringLiteral("%1-%2").arg(round).arg(i), filler});
            return ok;
        });
    }
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(DatabaseBackup::RestoreStep)
Q_DECLARE_METATYPE(vx::RotationStep)

class TstBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void archiveName();
    void backupThenRestore_data();
    void backupThenRestore();
    void restoreAsksFirst_data();
    void restoreAsksFirst();
    void failedBackupKeepsTheOldArchive();
    void killedBackupLosesNothing();
    void nothingChosen();
    void refusedArchives_data();
    void refusedArchives();
    void sharedDatabaseHeldElsewhere();
    void othersKeptOutUntilTheNewFileIsOpen();
    void restoredThatDoesNotOpenReplacesNothing();
    void restoreKilledAtEachStep_data();
    void restoreKilledAtEachStep();
    void fourEndsCycleTheCopies();
    void failedCopyKeepsTheMarker();
    void markersLeftBefore();
    void rotationKilledAtEachStep_data();
    void rotationKilledAtEachStep();
    void copyWhileAnotherWorkstationWrites();
};

void TstBackup::archiveName()
{
    QCOMPARE(DatabaseBackup::archivePathFor(QStringLiteral("/copie/lunedi")), QStringLiteral("/copie/lunedi.zip"));
    QCOMPARE(DatabaseBackup::archivePathFor(QStringLiteral("/copie/dati.5.marzo")),
             QStringLiteral("/copie/dati.5.zip"));
}

void TstBackup::backupThenRestore_data()
{
    QTest::addColumn<bool>("keepCopy");
    QTest::newRow("replace") << false;
    QTest::newRow("replace and keep a copy") << true;
}

void TstBackup::backupThenRestore()
{
    QFETCH(bool, keepCopy);
    Fixture f;
    f.makeBackup();
    QCOMPARE(f.backup.lastArchive(), f.archive());
    QList<backup::ZipEntry> entries;
    QVERIFY(backup::listEntries(f.archive(), entries, nullptr));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().name, QStringLiteral("VELTRANORPX.db"));

    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    const vx::test::Dump changed = dumpOf(f.inst.target());
    const QByteArray ini = f.inst.iniBytes();
    f.prompter.expect(msg::backup::notice(msg::backup::Notice::RestoreDone));
    QCOMPARE(f.backup.restore(f.archive(), keepCopy), DatabaseBackup::Outcome::Done);
    QCOMPARE(f.provinces(), kTorino);
    QCOMPARE(f.inst.iniBytes(), ini);
    const QString kept = f.inst.file(QStringLiteral("copie/BackupDB/VELTRANORPX.db"));
    QCOMPARE(QFile::exists(kept), keepCopy);
    if (keepCopy)
        QCOMPARE(dumpOf(kept), changed);
    // Nothing of the work is left behind.
    QCOMPARE(QDir(f.inst.file(QStringLiteral("copie"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (keepCopy ? QStringList{"BackupDB", "VELTRANORPX.zip"} : QStringList{"VELTRANORPX.zip"}));
    QCOMPARE(QDir(f.inst.folder()).entryList({QStringLiteral("VELTRANORPX.db*")}, QDir::Files),
             QStringList{"VELTRANORPX.db"});
}

void TstBackup::restoreAsksFirst_data()
{
    QTest::addColumn<bool>("keepCopy");
    QTest::addColumn<int>("answer");
    QTest::newRow("no: nothing replaced") << true << int(Answer::No);
    QTest::newRow("yes, keeping a copy") << true << int(Answer::Yes);
    QTest::newRow("yes, without a copy") << false << int(Answer::Yes);
}

void TstBackup::restoreAsksFirst()
{
    // The screen's restore names the archive, its date and the database it replaces first; a No
    // leaves everything as it was.
    QFETCH(bool, keepCopy);
    QFETCH(int, answer);
    Fixture f;
    f.makeBackup();
    const QDateTime made(QDate(2026, 11, 30), QTime(8, 15));
    {
        QFile archive(f.archive());
        QVERIFY(archive.open(QIODevice::ReadWrite) && archive.setFileTime(made, QFileDevice::FileModificationTime));
    }
    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    const vx::test::Dump changed = dumpOf(f.inst.target());
    f.backup.setAskFirst(true);
    const QString replaced = TestInstallation::onServer() ? targetOf(f.state).where() : f.state.databasePath;
    f.prompter.expect(restoreQuestion(f.archive(), made, replaced, keepCopy, DatabaseBackup::kKeptFolder),
                      Answer(answer));
    if (Answer(answer) == Answer::Yes)
        f.prompter.expect(msg::backup::notice(msg::backup::Notice::RestoreDone));
    QCOMPARE(f.backup.restore(f.archive(), keepCopy),
             Answer(answer) == Answer::Yes ? DatabaseBackup::Outcome::Done : DatabaseBackup::Outcome::NotConfirmed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(dumpOf(f.inst.target()) == changed, Answer(answer) != Answer::Yes);
    QCOMPARE(QFile::exists(f.inst.file(QStringLiteral("copie/BackupDB/VELTRANORPX.db"))),
             keepCopy && Answer(answer) == Answer::Yes);
}

void TstBackup::failedBackupKeepsTheOldArchive()
{
    Fixture f;
    f.makeBackup();
    const QByteArray before = readFile(f.archive());
    f.state.databasePath = f.inst.file(QStringLiteral("manca.db"));
    f.state.serverDatabase = QStringLiteral("manca"); // on a server, a database it does not have
    Database missing;
    QVERIFY(!missing.open(targetOf(f.state), Database::Mode::Multiutenza, Database::Access::ReadOnly));
    f.prompter.expect(
        backupFailed(copyFailed(TestInstallation::onServer() ? missing.lastError() : DbError::sqlite(14))));
    QCOMPARE(f.backup.backup(f.archive()), DatabaseBackup::Outcome::Failed);
    QCOMPARE(readFile(f.archive()), before);
    QCOMPARE(f.backup.lastArchive(), QString());
}

void TstBackup::killedBackupLosesNothing()
{
    // Killed with the new archive whole beside the old one: the old one is still there, whole; the
    // copy of the database the killed run made is cleared by the next backup.
    Fixture f;
    QTemporaryDir temporary;
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    f.makeBackup();
    const QByteArray before = readFile(f.archive());
    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    QVERIFY(killAt(f, "b", int(DatabaseBackup::BackupStep::Packed)).crashed);
    QCOMPARE(readFile(f.archive()), before);
    f.makeBackup();
    qputenv("TMPDIR", tmpdir);
    QCOMPARE(QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QCOMPARE(QDir(f.inst.file(QStringLiteral("copie"))).entryList(QDir::Files), QStringList{"VELTRANORPX.zip"});
    f.prompter.expect(msg::backup::notice(msg::backup::Notice::RestoreDone));
    QCOMPARE(f.backup.restore(f.archive(), false), DatabaseBackup::Outcome::Done);
    QCOMPARE(f.provinces(), kBoth);
}

void TstBackup::nothingChosen()
{
    Fixture f;
    f.prompter.expect(chooseArchiveFirst());
    QCOMPARE(f.backup.backup(QStringLiteral("  ")), DatabaseBackup::Outcome::ChooseFile);
    f.prompter.expect(chooseRestoreFirst());
    QCOMPARE(f.backup.restore(QString(), false), DatabaseBackup::Outcome::ChooseFile);
}

void TstBackup::refusedArchives_data()
{
    QTest::addColumn<QByteArray>("database"); // the VELTRANORPX.db entry: "good", "damaged", other bytes, or ""
    QTest::addColumn<QByteArray>("entry");    // the name of a second entry
    QTest::addColumn<QString>("reason");
    const QString db = QStringLiteral("VELTRANORPX.db");
    auto row = [](const char* tag, const char* database, const char* entry, const QString& reason) {
        QTest::newRow(tag) << QByteArray(database) << QByteArray(entry) << reason;
    };
    row("traversal", "good", "../VELTRANORPX.INI", entryIsAPath(QStringLiteral("../VELTRANORPX.INI")));
    row("absolute path", "good", "/tmp/x", entryIsAPath(QStringLiteral("/tmp/x")));
    row("extra file", "good", "VELTRANORPX.INI", otherEntries(db, {QStringLiteral("VELTRANORPX.INI")}));
    row("no database", "", "altro.db", otherEntries(db, {QStringLiteral("altro.db")}));
    row("empty archive", "", "", noDatabaseEntry(db));
    row("not a database", "solo testo", "", notWhole(db));
    row("damaged database", "damaged", "", notWhole(db));
    row("the database twice", "good", "VELTRANORPX.db", QStringLiteral("?") + zipError(ZIP_ER_EXISTS));
    row("not a zip", "<testo>", "", QStringLiteral("?") + zipError(ZIP_ER_NOZIP));
    row("unpacks beyond any database", "<enorme>", "",
        tooLarge(db, qint64(3) << 30, DatabaseBackup::kMaxDatabaseBytes));
}

void TstBackup::refusedArchives()
{
    QFETCH(QByteArray, database);
    QFETCH(QByteArray, entry);
    QFETCH(QString, reason);
    Fixture f;
    const QString archive = f.inst.file(QStringLiteral("copia.zip"));
    QList<Entry> entries;
    QByteArray bytes = readFile(f.inst.databasePath());
    if (database == "damaged") // a real database with pages overwritten in the middle
        for (qsizetype i = 4096; i < bytes.size() - 100; i += 4096)
            bytes.replace(i + 8, 40, QByteArray(40, '\x5a'));
    if (database == "<enorme>")
        entries.append({"VELTRANORPX.db", QByteArray(1000, 'x'), 0xC0000000u});
    else if (!database.isEmpty())
        entries.append({"VELTRANORPX.db", database == "good" || database == "damaged" ? bytes : database});
    if (!entry.isEmpty())
        entries.append({entry, bytes});
    f.inst.writeFile(QStringLiteral("copia.zip"), database == "<testo>" ? "solo testo" : handMadeZip(entries));
    if (reason.startsWith(QLatin1Char('?'))) // the archive cannot be read
        reason = unreadableArchive(archive, reason.mid(1));
    const QByteArray before = readFile(f.inst.databasePath());
    const QByteArray ini = f.inst.iniBytes();
    f.prompter.expect(restoreFailed(reason));
    QCOMPARE(f.backup.restore(archive, true), DatabaseBackup::Outcome::Failed);
    QCOMPARE(readFile(f.inst.databasePath()), before);
    QCOMPARE(f.inst.iniBytes(), ini);
    QCOMPARE(
        QDir(f.inst.folder()).entryList({QStringLiteral("x"), QStringLiteral("DBUnzip"), QStringLiteral("BackupDB")}),
        QStringList());
}

void TstBackup::sharedDatabaseHeldElsewhere()
{
    Fixture f({.tipo = QStringLiteral("Multiutenza")});
    f.makeBackup();
    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    Database other; // another workstation, with the database open
    QVERIFY(f.inst.open(other));
    f.prompter.expect(msg::store::clientsConnected(msg::backup::text(msg::backup::Text::Title)));
    QCOMPARE(f.backup.restore(f.archive(), false), DatabaseBackup::Outcome::Failed);
    QCOMPARE(f.provinces(), kBoth);
}

void TstBackup::othersKeptOutUntilTheNewFileIsOpen()
{
    // Another program that opens the database just before or just after the new file takes its
    // place is turned away: nothing it writes can land in a file the restore then replaces.
    Fixture f({.tipo = QStringLiteral("Multiutenza")});
    f.makeBackup();
    QStringList others;
    // On a server the tables are replaced in one transaction: just before it, and just after it.
    const auto before =
        TestInstallation::onServer() ? DatabaseBackup::RestoreStep::CopyKept : DatabaseBackup::RestoreStep::KeptAside;
    f.prompter.expect(msg::backup::notice(msg::backup::Notice::RestoreDone));
    QCOMPARE(f.backup.restore(f.archive(), false,
                              [&](DatabaseBackup::RestoreStep step) {
                                  if (step != before && step != DatabaseBackup::RestoreStep::Replaced)
                                      return;
                                  Database other;
                                  others.append(f.inst.open(other) ? QStringLiteral("aperta")
                                                                   : other.lastError().number);
                              }),
             DatabaseBackup::Outcome::Done);
    // Where an open file cannot be renamed over, the restore lets the files go just before the
    // rename: one who opens then has the new file, or makes the rename fail.
    const bool heldThrough = TestInstallation::onServer() || openFilesCanBeReplaced();
    QCOMPARE(others, (QStringList{"5", heldThrough ? QStringLiteral("5") : QStringLiteral("aperta")}));
}

void TstBackup::restoredThatDoesNotOpenReplacesNothing()
{
    // The archive's database is whole but cannot be opened here: the one in use stays, and the
    // user is told so (the put-back that used to follow could itself fail, unsaid).
    Fixture f;
    f.makeBackup();
    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    const QByteArray before = readFile(f.inst.databasePath());
    f.state.provider = QStringLiteral("QNONESISTE");
    const DbError noDriver{QStringLiteral("-1"), msg::store::driverUnavailable(f.state.provider)};
    f.prompter.expect(restoreFailed(restoredDoesNotOpen(noDriver)));
    QCOMPARE(f.backup.restore(f.archive(), false,
                              [&](DatabaseBackup::RestoreStep step) {
                                  if (step == DatabaseBackup::RestoreStep::KeptAside)
                                      QFile::remove(f.inst.databasePath() + QStringLiteral(".precedente"));
                              }),
             DatabaseBackup::Outcome::Failed);
    QCOMPARE(readFile(f.inst.databasePath()), before);
}

void TstBackup::restoreKilledAtEachStep_data()
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

void TstBackup::restoreKilledAtEachStep()
{
    QFETCH(DatabaseBackup::RestoreStep, step);
    QFETCH(bool, restored);
    if (step == DatabaseBackup::RestoreStep::Staged || step == DatabaseBackup::RestoreStep::KeptAside)
        VX_SQLITE_FILE_ONLY("the new file staged and the old one set aside");
    Fixture f;
    f.makeBackup();
    f.inst.addProvince(QStringLiteral("002"), QStringLiteral("VERCELLI"), QStringLiteral("VC"));
    const QByteArray ini = f.inst.iniBytes();
    QVERIFY(killAt(f, "r", int(step)).crashed);
    // A usable database, the old one or the new one, and the settings untouched.
    Database db;
    QVERIFY(f.inst.open(db));
    db.close();
    QCOMPARE(f.provinces(), restored ? kTorino : kBoth);
    QCOMPARE(f.inst.iniBytes(), ini);
    // A restore after the killed one goes through.
    f.prompter.expect(msg::backup::notice(msg::backup::Notice::RestoreDone));
    QCOMPARE(f.backup.restore(f.archive(), false), DatabaseBackup::Outcome::Done);
    QCOMPARE(f.provinces(), kTorino);
}

void TstBackup::fourEndsCycleTheCopies()
{
    TestInstallation inst;
    const char* expected[] = {"001", "002", "003", "001"};
    for (int end = 0; end < 4; ++end) {
        // Each run leaves its trace in the database, so that each copy is of its own end.
        inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES (?)"), {QString::number(end)});
        QVERIFY(makeRotatingCopy(inst.folder(), inst.target()));
        QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{QLatin1String(expected[end]) + ".lst"});
        const QString copy = inst.file(QStringLiteral("backup.") + QLatin1String(expected[end]));
        QVERIFY(isWholeDatabase(copy));
        QCOMPARE(dumpOf(copy), dumpOf(inst.target()));
    }
    QCOMPARE(files(inst.folder(), QStringLiteral("backup.*")), (QStringList{"backup.001", "backup.002", "backup.003"}));
    QCOMPARE(vx::test::readFile(inst.file(QStringLiteral("001.lst"))), QByteArray("\"ultimo backup\"\r\n"));
    QVERIFY(files(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
}

void TstBackup::failedCopyKeepsTheMarker()
{
    TestInstallation inst;
    QVERIFY(makeRotatingCopy(inst.folder(), inst.target()));
    QVERIFY(!makeRotatingCopy(inst.folder(), DatabaseTarget::file(inst.file(QStringLiteral("manca.db")))));
    QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{"001.lst"});
    QCOMPARE(files(inst.folder(), QStringLiteral("backup.*")), QStringList{"backup.001"});
}

void TstBackup::markersLeftBefore()
{
    // A marker in another letter case; two markers, left by a stop between writing the new one
    // and removing the old: the newer follows the other in the cycle.
    for (const auto& [markers, next] : {std::pair{QStringList{"002.LST"}, 3}, {QStringList{"003.lst", "001.lst"}, 2}}) {
        TestInstallation inst;
        for (const QString& m : markers)
            inst.writeFile(m, "\"ultimo backup\"\r\n");
        QVERIFY(makeRotatingCopy(inst.folder(), inst.target()));
        QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("00%1.lst").arg(next)});
        QCOMPARE(files(inst.folder(), QStringLiteral("backup.*")),
                 QStringList{QStringLiteral("backup.00%1").arg(next)});
    }
}

void TstBackup::rotationKilledAtEachStep_data()
{
    QTest::addColumn<RotationStep>("step");
    QTest::addColumn<int>("next"); // the copy the end after the killed one writes
    QTest::newRow("before the copy") << RotationStep::Started << 2;
    QTest::newRow("copy in place") << RotationStep::CopyInPlace << 2;
    QTest::newRow("new marker written") << RotationStep::MarkerWritten << 3;
    QTest::newRow("old marker removed") << RotationStep::Done << 3;
}

void TstBackup::rotationKilledAtEachStep()
{
    QFETCH(RotationStep, step);
    QFETCH(int, next);
    TestInstallation inst;
    inst.writeIni();
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('A')"));
    QVERIFY(makeRotatingCopy(inst.folder(), inst.target()));
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('B')"));
    QVERIFY(vx::test::runChild(kDieVariable, "o|" + inst.folder() + "||" + QString::number(int(step))).crashed);
    // Whatever the markers left, the one taken as the newest names a whole copy.
    QCOMPARE(nextRotatingCopy(inst.folder()), next);
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.00%1").arg(next - 1))),
             next == 2 ? provinces({"A"}) : provinces({"A", "B"}));
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('C')"));
    QVERIFY(makeRotatingCopy(inst.folder(), inst.target()));
    QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("00%1.lst").arg(next)});
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.00%1").arg(next))), provinces({"A", "B", "C"}));
    // The oldest copy was never the one overwritten.
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.001"))), provinces({"A"}));
    QVERIFY(files(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
}

void TstBackup::copyWhileAnotherWorkstationWrites()
{
    TestInstallation inst;
    QProcess writer;
    vx::test::prepareChild(writer, kWriterVariable, inst.databasePath());
    writer.start();
    QVERIFY(writer.waitForStarted() && writer.waitForReadyRead(30000));
    QCOMPARE(writer.readLine().trimmed(), QByteArray("pronto"));
    const QString copy = inst.file(QStringLiteral("copia.db"));
    QSet<QString> writesSeen;
    for (QDeadlineTimer deadline(3000); !deadline.hasExpired();) {
        DbError error;
        QVERIFY2(copyDatabase(inst.databasePath(), copy, &error), qPrintable(error.description));
        QVERIFY(isWholeDatabase(copy));
        // A snapshot between two writes: each write replaces all the rows at once.
        const QStringList rows = provincesIn(copy);
        QVERIFY2(rows.size() == 0 || rows.size() == kRowsPerWrite, qPrintable(QString::number(rows.size())));
        QSet<QString> writes;
        for (const QString& row : rows)
            writes.insert(row.section(QLatin1Char('-'), 0, 0));
        QVERIFY(writes.size() <= 1);
        writesSeen += writes;
    }
    inst.writeFile(QStringLiteral("VELTRANORPX.db.stop"), "");
    QVERIFY(writer.waitForFinished(30000));
    QCOMPARE(writer.exitCode(), 0);
    QVERIFY2(writesSeen.size() >= 2, "the copies were taken while the writes went on");
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kDieVariable))
        return runAndDie(qEnvironmentVariable(kDieVariable));
    if (qEnvironmentVariableIsSet(kWriterVariable))
        return writeUntilStopped(qEnvironmentVariable(kWriterVariable));
    TstBackup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup.moc"
