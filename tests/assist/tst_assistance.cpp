// The e-mail address check, and the assistance request: its page, its archive, and what the user
// is told when the copy or the page fails and while the browser is looked for.

#include "RefdataFixture.h"
#include "Support.h"
#include "TestContext.h"
#include "Version.h"

#include "assist/AssistanceRequest.h"
#include "assist/EmailCheck.h"
#include "assist/Messages.h"
#include "backup/ZipArchive.h"
#include "core/FieldLog.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "store/Messages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

using namespace vx;
using vx::test::InstalledContext;

namespace {

struct Fixture : InstalledContext {
    QStringList statuses;
    AssistanceRequest request{ctx, [this](const QString& text) { statuses.append(text); }};

    explicit Fixture(const QString& tipo = QStringLiteral("StandAlone"))
        : InstalledContext({.tipo = tipo, .connessione = {QStringLiteral("UPLOAD=127.0.0.1:8443")}})
    {
        Settings::read(inst.ini()).applyTo(state);
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 30));
        state.selected.group = QStringLiteral("A");
        state.selected.operatorCode = 123;
        state.selected.operatorName = QStringLiteral("FORMAZIONE & LAVORO S.R.L.");
        state.selected.runningNumber = 7;
        open(Database::modeFor(state.installationType));
    }
    // 5 March 2026, operator A 123, running number 7.
    QString archive() const { return inst.file(QStringLiteral("VELTRANORPX_05-03-2026_A123-0007.zip")); }
};

QMap<QString, QString> queryOf(const QUrl& url)
{
    QMap<QString, QString> values;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        values.insert(key, value);
    return values;
}

} // namespace

class TstAssistance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emailRules_data();
    void emailRules();
    void pageAddress();
    void computerTexts();
    void requestOpensThePage();
    void refusedWhileOthersHoldTheDatabase();
    void copyThatFailsIsTold_data();
    void copyThatFailsIsTold();
    void pageThatCannotOpenIsTold();
    void slowBrowserLookupKeepsTheWindowAlive();
};

void TstAssistance::emailRules_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<Message>("fault"); // under the title "E-Mail"; an empty text: valid
    const QString t = QStringLiteral("E-Mail");
    auto row = [](const char* name, const char* address, const Message& fault = {}) {
        QTest::newRow(name) << QString::fromUtf8(address) << fault;
    };
    row("valid, dots in the user and after the at", "m.rossi@posta.example.com");
    row("empty", "", msg::assist::emailMissing(t));
    row("1 comma", "mario,rossi@libero.it", msg::assist::emailComma(t));
    row("2 blank, also the prompt text", "Indirizzo e-mail...", msg::assist::emailBlanks(t));
    row("3 slash", "mario/rossi@libero.it", msg::assist::emailSlash(t));
    row("4 two dots", "mario..rossi@libero.it", msg::assist::emailDoubleDot(t));
    row("5 no at", "mario.libero.it", msg::assist::emailNoAt(t));
    row("6 at-dot", "mario@.it", msg::assist::emailNoDotAfterAt(t));
    // The provider follows the last ".", not the first one after the "@".
    row("7 dot last, after the provider", "mario@libero.it.", msg::assist::emailNoProvider(t));
    row("8 at first", "@libero.it", msg::assist::emailNoUserName(t));
    row("8 dot first", ".mario@libero.it", msg::assist::emailNoUserName(t));
    row("9 two at", "mario@libero.it@altro", msg::assist::emailTwoAts(t));
}

void TstAssistance::emailRules()
{
    QFETCH(QString, address);
    QFETCH(Message, fault);
    vx::test::ScriptedPrompter prompter;
    if (!fault.text.isEmpty())
        prompter.expect(fault);
    QCOMPARE(VerificaEmail(prompter, address, fault.title), fault.text.isEmpty());
    VX_VERIFY_PROMPTS(prompter);
}

void TstAssistance::pageAddress()
{
    // Without a saved e-mail address the page carries the prompt text.
    Fixture f;
    UserSettings().setEmail(QString());
    const QUrl url = f.request.pageAddress(QStringLiteral("/prog/a b&c.zip"), QStringLiteral("so"),
                                           QStringLiteral("ie"), QStringLiteral("mem\r\nx"));
    QCOMPARE(url.toString(QUrl::RemoveQuery),
             QStringLiteral("https://127.0.0.1:8443/cgi-bin/fp/upload/form_allegato_bin_upload.cgi"));
    QStringList keys;
    for (const auto& item : QUrlQuery(url).queryItems())
        keys.append(item.first);
    QCOMPARE(keys,
             (QStringList{"fr", "su", "g", "c", "d", "cp", "so", "h", "ie", "mem", "tel", "rif", "prb", "ap", "file"}));
    const QMap<QString, QString> v = queryOf(url);
    QCOMPARE(v.value("fr"), QStringLiteral("Indirizzo e-mail..."));
    QCOMPARE(v.value("su"), QStringLiteral("VELTRANORPX (ver. %1)").arg(QLatin1String(kVersionText)));
    QCOMPARE(v.value("c"), QStringLiteral("123"));
    QCOMPARE(v.value("d"), QStringLiteral("FORMAZIONE & LAVORO S.R.L."));
    QCOMPARE(v.value("mem"), QStringLiteral("mem\r\nx"));
    QCOMPARE(v.value("file"), QStringLiteral("/prog/a b&c.zip"));
}

void TstAssistance::computerTexts()
{
    QCOMPARE(ComputerDescription::systemText(QStringLiteral("Debian GNU/Linux 12 (bookworm)"), QStringLiteral("linux"),
                                             QStringLiteral("6.1.0")),
             QStringLiteral("     Debian GNU/Linux 12 (bookworm)   linux\r\n     Versione: 6.1.0"));
    QCOMPARE(ComputerDescription::memoryText(1536LL * 1024 * 1024 + 600 * 1024, 1024 * 1024 / 2, 0, 3 * 1024 * 1024),
             QStringLiteral("     Total RAM = 1537MB\r\n     Available RAM = 1MB\r\n     Total Virtual Memory = 0MB\r\n"
                            "     Available Virtual Memory = 3MB"));
    QVERIFY(ComputerDescription::currentMemory().startsWith(QStringLiteral("     Total RAM = ")));
}

void TstAssistance::requestOpensThePage()
{
    Fixture f;
    // The program's log goes with the database's copy, the older file too.
    f.inst.writeFile(fieldlog::kFileName + QStringLiteral(".1"), "prima\n");
    f.inst.writeFile(fieldlog::kFileName, "poi\n");
    QVERIFY(f.request.run());
    QVERIFY(f.statuses.contains(msg::assist::text(msg::assist::Text::StatusCopying)));
    QCOMPARE(f.statuses.last(), msg::assist::statusConnectedWithCopy(QDir::toNativeSeparators(f.archive())));
    QCOMPARE(f.desktop.opened.size(), 1);
    QCOMPARE(queryOf(f.desktop.opened.first()).value("file"), f.archive());
    QList<backup::ZipEntry> entries;
    QVERIFY(backup::listEntries(f.archive(), entries, nullptr));
    QStringList names;
    for (const backup::ZipEntry& e : entries)
        names.append(e.name);
    QCOMPARE(names, QStringList({"VELTRANORPX.db", "VELTRANORPX.log.1", "VELTRANORPX.log"}));
    const QString unpacked = f.inst.file(QStringLiteral("log-letto"));
    QVERIFY(backup::extractEntry(f.archive(), fieldlog::kFileName, unpacked, 100, nullptr));
    QCOMPARE(vx::test::readFile(unpacked), QByteArray("poi\n"));
    QVERIFY(f.db.isOpen()); // the connection is back
}

void TstAssistance::refusedWhileOthersHoldTheDatabase()
{
    Fixture f(QStringLiteral("Multiutenza"));
    Database other; // another workstation
    QVERIFY(f.inst.open(other));
    f.prompter.expect(msg::store::clientsConnected(msg::assist::text(msg::assist::Text::Title)));
    QVERIFY(!f.request.run());
    QVERIFY(f.desktop.opened.isEmpty());
    QVERIFY(!QFile::exists(f.archive()));
    QVERIFY(f.db.isOpen());
    QCOMPARE(f.db.mode(), Database::Mode::Multiutenza);
}

void TstAssistance::copyThatFailsIsTold_data()
{
    QTest::addColumn<bool>("openAnyway");
    QTest::newRow("page not wanted") << false;
    QTest::newRow("page wanted") << true;
}

void TstAssistance::copyThatFailsIsTold()
{
    QFETCH(bool, openAnyway);
    Fixture f;
    // A folder where the archive should go: the archive cannot be written.
    QVERIFY(QDir().mkpath(f.archive() + QStringLiteral("/occupata")));
    f.prompter.expect(msg::assist::copyFailed(QStringLiteral("impossibile scrivere ") + f.archive()),
                      openAnyway ? Answer::Yes : Answer::No);
    QCOMPARE(f.request.run(), openAnyway);
    QCOMPARE(f.desktop.opened.size(), openAnyway ? 1 : 0);
    if (openAnyway)
        QCOMPARE(queryOf(f.desktop.opened.first()).value("file"), QString());
}

void TstAssistance::pageThatCannotOpenIsTold()
{
    Fixture f;
    vx::test::ClosedDesktop closed;
    Context ctx{f.state, f.db, f.prompter, f.control, closed, f.clock};
    QStringList statuses;
    AssistanceRequest request(ctx, [&](const QString& text) { statuses.append(text); });
    f.prompter.goOn(false);
    QVERIFY(!request.run());
    QCOMPARE(f.prompter.shown(), QStringList{describe(msg::core::cannotOpen(closed.asked))});
    QCOMPARE(statuses.last(), msg::assist::text(msg::assist::Text::StatusNotOpened));
}

void TstAssistance::slowBrowserLookupKeepsTheWindowAlive()
{
    // The default browser is asked of a program that takes long to answer: the window goes on
    // repainting meanwhile, and the page opens after a short wait without the browser's name.
#ifdef Q_OS_WIN
    QSKIP("Windows names its default browser in the registry, read at once: no program is asked");
#endif
    QTemporaryDir bin;
    QFile slow(bin.filePath(QStringLiteral("xdg-settings")));
    QVERIFY(slow.open(QIODevice::WriteOnly));
    slow.write("#!/bin/sh\nsleep 8\necho lento.desktop\n");
    slow.close();
    slow.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    Fixture f;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QElapsedTimer clock;
    clock.start();
    const bool opened = f.request.run();
    const qint64 took = clock.elapsed();
    qputenv("PATH", path);
    QVERIFY(opened);
    QVERIFY2(took < 5000, qPrintable(QString::number(took)));
    QVERIFY2(ticks > 10, qPrintable(QString::number(ticks)));
    QCOMPARE(queryOf(f.desktop.opened.first()).value("ie"), msg::assist::text(msg::assist::Text::NoBrowser));
}

QTEST_MAIN(TstAssistance)
#include "tst_assistance.moc"
