// Installations of the installed program: the first start lays one out where the user chooses;
// databases laid out by earlier releases (tests/fixtures/schema-vN.sql, each holding a Request in
// use) are brought up to this version where an installation opens them, the data intact and a copy
// of them as they were; a database of a newer program is refused, untouched.
#include "CliRunner.h"
#include "ScriptedPrompter.h"
#include "Support.h"
#include "TestInstallation.h"

#include "TestContext.h"
#include "app/InstallationFolder.h"
#include "app/Messages.h"
#include "app/SchemaUpgrade.h"
#include "app/Startup.h"
#include "backup/DatabaseBackup.h"
#include "backup/Messages.h"
#include "backup/ZipArchive.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Settings.h"
#include "store/ErrorAdvice.h"
#include "store/Messages.h"
#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace vx;
using vx::test::Dump;
using vx::test::TestInstallation;

namespace {

class NoScreens : public StartupScreens {
public:
    void runInstallation(AppState&, IniFile&) override { QFAIL("no installation screen expected"); }
};

// A statement run outside the program's store, which refuses to open a database of a newer version.
bool raw(const TestInstallation& inst, const QString& sql)
{
    const DatabaseTarget t = inst.target();
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(t.driver, QStringLiteral("raw"));
        db.setDatabaseName(t.isServer() ? t.name : t.path);
        db.setHostName(t.host);
        db.setPort(t.port);
        db.setUserName(t.user);
        db.setPassword(t.password);
        QSqlQuery q(db);
        done = db.open() && q.exec(sql);
        if (!done)
            qWarning("%s %s", qPrintable(db.lastError().text()), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return done;
}

// What the upgrade must leave: every row as it was, the tables that version lacked empty, the version's row.
Dump upgraded(const Dump& before)
{
    Dump expected = before;
    for (const QString& table : store::schemaTables())
        expected.insert(table, before.value(table));
    expected.insert(QStringLiteral("VersioneSchema"), {QString::number(store::schemaVersion())});
    return expected;
}

} // namespace

class TstInstalled : public QObject {
    Q_OBJECT
private slots:
    void firstStartLaysOut();
    void earlierVersions_data();
    void earlierVersions();
    void newerRefusedUntouched();
    void olderArchiveRestored();
};

void TstInstalled::firstStartLaysOut()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("pacchetto/"));
    QVERIFY(QDir().mkpath(package + QStringLiteral("tabelle")));
    const QList<std::pair<QString, QByteArray>> delivered{
        {QStringLiteral("VELTRANORPX.INI"), "[Installazione]\nTipo=\n"},
        {QStringLiteral("VELTRANORPX.db"), "vuota"},
        {QStringLiteral("tabelle/Regioni.txt"), "INSTALLAZIONE\n"}};
    for (const auto& [name, bytes] : delivered) {
        QFile file(package + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    const QString proposed = dir.filePath(QStringLiteral("casa/VELTRANORPX"));
    QVERIFY(dir.isValid() && QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly));
    const QString impossible = dir.filePath(QStringLiteral("file/sotto"));

    // The user gives up at the folder: nothing laid out, nothing remembered, nothing left behind.
    vx::test::ScriptedPrompter prompter;
    prompter.expect(msg::app::chooseInstallationFolder(proposed)).expectFolder(QString());
    QVERIFY(app::chooseAndLayOut(prompter, package, proposed).isEmpty());
    QVERIFY(app::remembered().isEmpty() && !QFileInfo::exists(proposed));
    // A folder that cannot be made is told; the next one is laid out and remembered.
    prompter.expect(msg::app::chooseInstallationFolder(proposed))
        .expectFolder(impossible)
        .expect(msg::app::installationFolderNotWritable(QDir::toNativeSeparators(impossible)), Answer::Retry)
        .expectFolder(proposed);
    QCOMPARE(app::chooseAndLayOut(prompter, package, proposed), proposed + QLatin1Char('/'));
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(app::remembered(), proposed + QLatin1Char('/'));
    const QStringList laidOut{QStringLiteral("Regioni.txt"), QStringLiteral("VELTRANORPX.INI"),
                              QStringLiteral("VELTRANORPX.db")};
    QCOMPARE(QDir(proposed).entryList(QDir::Files, QDir::Name), laidOut);
    QCOMPARE(vx::test::readFile(proposed + QStringLiteral("/Regioni.txt")), QByteArray("INSTALLAZIONE\n"));
    QVERIFY(QFileInfo(proposed + QStringLiteral("/VELTRANORPX.db")).isWritable());
    // An installation already there is left as it is.
    QVERIFY(QFile::remove(proposed + QStringLiteral("/Regioni.txt")));
    QVERIFY(app::layOut(package, proposed, nullptr));
    QVERIFY(!QFileInfo::exists(proposed + QStringLiteral("/Regioni.txt")));
}

void TstInstalled::earlierVersions_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("byCommandLine");
    QTest::newRow("first release, at start") << 1 << false;
    QTest::newRow("first release, by the command line") << 1 << true;
    QTest::newRow("version 2, at start") << 2 << false;
}

void TstInstalled::earlierVersions()
{
    QFETCH(int, version);
    QFETCH(bool, byCommandLine);
    TestInstallation inst;
    inst.writeIni();
    inst.layOutRelease(version);
    const Dump before = vx::test::dumpOf(inst.target());
    QCOMPARE(before.value(QStringLiteral("Ruoli")).size(), 2);
    // A copy left by an earlier attempt stays as it was.
    inst.writeFile(QStringLiteral("VELTRANORPX_versione%1.db").arg(version), "precedente");
    const QString copy = inst.folder() + QStringLiteral("VELTRANORPX_versione%1-2.db").arg(version);
    const Message told = msg::app::schemaUpgraded(version, store::schemaVersion(), copy);

    if (byCommandLine) {
        // A reading command upgrades too; the notice goes to standard error, the listing is whole.
        const auto r = vx::test::runCli({QStringLiteral("ruoli"), QStringLiteral("7")}, inst.folder());
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(told.text.section(QLatin1Char('\n'), 0, 0)), qPrintable(r.err));
        QCOMPARE(r.out.count(QLatin1Char('\n')), 3);
    } else {
        AppState state = inst.state();
        Database db;
        vx::test::ScriptedPrompter prompter;
        AppControl control;
        NoScreens screens;
        prompter.expect(told);
        QVERIFY(Startup(state, db, prompter, control, screens).run());
        VX_VERIFY_PROMPTS(prompter);
        QCOMPARE(*db.schemaVersion(), store::schemaVersion());
    }
    QCOMPARE(vx::test::dumpOf(inst.target()), upgraded(before));
    QCOMPARE(vx::test::dumpOf(copy), before);
    QCOMPARE(vx::test::readFile(inst.folder() + QStringLiteral("VELTRANORPX_versione%1.db").arg(version)),
             QByteArray("precedente"));

    // The next opening finds nothing to do.
    Database again;
    QVERIFY(inst.open(again));
    const SchemaUpgrade second = upgradeSchema(again, inst.folder());
    QVERIFY(second.outcome == SchemaUpgrade::Outcome::Current && second.copy.isEmpty());
}

void TstInstalled::newerRefusedUntouched()
{
    TestInstallation inst;
    inst.writeIni();
    inst.addOperatorWithRequest(7);
    const Dump before = vx::test::dumpOf(inst.target());
    const int newer = store::schemaVersion() + 1;
    QVERIFY(raw(inst, QStringLiteral("UPDATE VersioneSchema SET Versione = %1").arg(newer)));
    const DbError refused{QString::number(Database::kNewerSchema),
                          msg::store::newerSchema(inst.target().where(), newer, store::schemaVersion())};

    AppState state = inst.state();
    Database db;
    vx::test::ScriptedPrompter prompter;
    AppControl control;
    NoScreens screens;
    prompter.expect(msg::app::openFailed(refused));
    QVERIFY(!Startup(state, db, prompter, control, screens).run());
    VX_VERIFY_PROMPTS(prompter);
    QVERIFY(control.ended());
    const auto r = vx::test::runCli({QStringLiteral("info")}, inst.folder());
    QVERIFY(r.code != 0 && r.err.contains(refused.description));

    // Nothing else was written: with its version put back, the database is what it was.
    QVERIFY(raw(inst, QStringLiteral("UPDATE VersioneSchema SET Versione = %1").arg(store::schemaVersion())));
    QCOMPARE(vx::test::dumpOf(inst.target()), before);
}

void TstInstalled::olderArchiveRestored()
{
    // An archive of the first release: restored, then brought up to this version.
    vx::test::InstalledContext c;
    Settings::read(c.inst.ini()).applyTo(c.state);
    c.inst.layOutRelease(1);
    const Dump before = vx::test::dumpOf(c.inst.target());
    const QString old = c.inst.folder() + Settings::kDatabaseFileName + QStringLiteral(".v1");
    QVERIFY(snapshotDatabase(c.inst.target(), old));
    c.inst.layOutRelease(2);
    const QString archive = c.inst.folder() + QStringLiteral("vecchia.zip");
    QVERIFY(backup::packFile(old, Settings::kDatabaseFileName, archive, nullptr));
    // Told, with the copy of the archive's content as it was, as an opening tells it.
    const QString copy = c.inst.folder() + QStringLiteral("VELTRANORPX_versione1.db");
    c.prompter.expect(msg::backup::notice(msg::backup::Notice::RestoreDone))
        .expect(msg::backup::restoredUpgraded(1, store::schemaVersion(), copy));
    const DatabaseBackup::Outcome outcome = DatabaseBackup(c.ctx).restore(archive, false);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(outcome, DatabaseBackup::Outcome::Done);
    QCOMPARE(vx::test::dumpOf(c.inst.target()), upgraded(before));
    QCOMPARE(vx::test::dumpOf(copy), before);
}

QTEST_GUILESS_MAIN(TstInstalled)
#include "tst_installed.moc"
