// The assistance request: the archive's name, the page's address with every value encoded, the
// computer's description in its formats, and the copy refused while others hold the database.

#include "TestContext.h"
#include "Version.h"

#include "assist/AssistanceRequest.h"
#include "backup/ZipArchive.h"
#include "core/Settings.h"
#include "core/UserSettings.h"

#include <QDir>
#include <QTest>
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
        state.selected.number = 1000101;
        state.selected.group = QStringLiteral("A");
        state.selected.operatorCode = 123;
        state.selected.operatorName = QStringLiteral("FORMAZIONE & LAVORO S.R.L.");
        state.selected.runningNumber = 7;
        open(Database::modeFor(state.installationType));
    }
    QString archive() const { return inst.file(QStringLiteral("VELTRANORPX_05-03-2026_A123-0007.zip")); }
};

QMap<QString, QString> queryOf(const QUrl& url)
{
    QMap<QString, QString> values;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        values.insert(key, value);
    return values;
}

QStringList keysOf(const QUrl& url)
{
    QStringList keys;
    for (const auto& item : QUrlQuery(url).queryItems())
        keys.append(item.first);
    return keys;
}

} // namespace

class TstAssistance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void archiveName();
    void pageAddress_data();
    void pageAddress();
    void computerTexts();
    void requestOpensThePage();
    void refusedWhileOthersHoldTheDatabase();
    void copyThatFailsIsTold_data();
    void copyThatFailsIsTold();
};

void TstAssistance::archiveName()
{
    QCOMPARE(AssistanceRequest::archivePath(QStringLiteral("/prog/"), QDate(2026, 3, 5), QStringLiteral("A"), 123, 7),
             QStringLiteral("/prog/VELTRANORPX_05-03-2026_A123-0007.zip"));
}

void TstAssistance::pageAddress_data()
{
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("from");
    QTest::newRow("saved address") << "segreteria@ente.example"
                                   << "segreteria@ente.example";
    QTest::newRow("none saved") << ""
                                << "Indirizzo e-mail...";
}

void TstAssistance::pageAddress()
{
    QFETCH(QString, email);
    QFETCH(QString, from);
    Fixture f;
    UserSettings().setEmail(email);
    const QString system = ComputerDescription::systemText(QStringLiteral("Debian GNU/Linux 12 (bookworm)"),
                                                           QStringLiteral("linux"), QStringLiteral("6.1.0-13-amd64"));
    const QString memory = ComputerDescription::memoryText(8LL << 30, 3LL << 30, 10LL << 30, 5LL << 30);
    const QUrl url = f.request.pageAddress(QStringLiteral("/prog/a b&c.zip"), system,
                                           QStringLiteral("Browser Firefox ver. 115.0"), memory);
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme() + QStringLiteral("://") + url.authority() + url.path(),
             QStringLiteral("https://127.0.0.1:8443/cgi-bin/fp/upload/form_allegato_bin_upload.cgi"));
    QCOMPARE(keysOf(url),
             (QStringList{"fr", "su", "g", "c", "d", "cp", "so", "h", "ie", "mem", "tel", "rif", "prb", "ap", "file"}));
    const QMap<QString, QString> v = queryOf(url);
    QCOMPARE(v.value("fr"), from);
    QCOMPARE(v.value("su"), QStringLiteral("VELTRANORPX (ver. %1)").arg(QLatin1String(kVersionText)));
    QCOMPARE(v.value("g"), QStringLiteral("A"));
    QCOMPARE(v.value("c"), QStringLiteral("123"));
    QCOMPARE(v.value("d"), QStringLiteral("FORMAZIONE & LAVORO S.R.L."));
    QCOMPARE(v.value("so"), system);
    QCOMPARE(v.value("mem"), memory);
    QCOMPARE(v.value("ap"), QStringLiteral("VELTRANORPX"));
    QCOMPARE(v.value("file"), QStringLiteral("/prog/a b&c.zip"));
    QCOMPARE(v.value("tel"), QString());
}

void TstAssistance::computerTexts()
{
    QCOMPARE(ComputerDescription::systemText(QStringLiteral("Debian GNU/Linux 12 (bookworm)"), QStringLiteral("linux"),
                                             QStringLiteral("6.1.0")),
             QStringLiteral("     Debian GNU/Linux 12 (bookworm)   linux\r\n     Versione: 6.1.0"));
    QCOMPARE(ComputerDescription::memoryText(1536LL * 1024 * 1024 + 600 * 1024, 1024 * 1024 / 2, 0, 3 * 1024 * 1024),
             QStringLiteral("     Total RAM = 1537MB\r\n     Available RAM = 1MB\r\n     Total Virtual Memory = 0MB\r\n"
                            "     Available Virtual Memory = 3MB"));
    QCOMPARE(ComputerDescription::browserText(QString(), QString()), QStringLiteral("Browser predefinito non trovato"));
    // This computer's own figures keep the formats.
    QVERIFY(ComputerDescription::currentSystem().contains(QStringLiteral("\r\n     Versione: ")));
    QVERIFY(ComputerDescription::currentMemory().startsWith(QStringLiteral("     Total RAM = ")));
    QVERIFY(ComputerDescription::currentBrowser().startsWith(QStringLiteral("Browser ")));
}

void TstAssistance::requestOpensThePage()
{
    Fixture f;
    QVERIFY(f.request.run());
    QCOMPARE(f.statuses,
             (QStringList{QStringLiteral("Creazione Backup base dati in corso........"),
                          QStringLiteral("Collegamento in corso........"), QStringLiteral("Collegamento effettuato")}));
    QCOMPARE(f.desktop.opened.size(), 1);
    QCOMPARE(queryOf(f.desktop.opened.first()).value("file"), f.archive());
    QList<zip::Entry> entries;
    QVERIFY(zip::listEntries(f.archive(), entries, nullptr));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().name, QStringLiteral("VELTRANORPX.db"));
    QVERIFY(f.db.isOpen()); // the connection is back
}

void TstAssistance::refusedWhileOthersHoldTheDatabase()
{
    Fixture f(QStringLiteral("Multiutenza"));
    Database other; // another workstation
    QVERIFY(other.open(QString(), f.inst.databasePath(), Database::Mode::Multiutenza));
    f.prompter.expect(
        QStringLiteral("Qualche client potrebbe ancora essere connesso alla base dati. \r\n\r\nL'operazione non è "
                       "consentita."),
        QStringLiteral("Contatta l'assistenza"), Icon::Critical);
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
    f.prompter.expect({QStringLiteral("Non è stato possibile creare la copia della base dati da allegare alla "
                                      "richiesta:\nimpossibile scrivere ") +
                           f.archive() + QStringLiteral("\n\nAprire comunque la pagina della richiesta di assistenza?"),
                       QStringLiteral("Contatta l'assistenza"), Icon::Exclamation, Buttons::YesNo},
                      openAnyway ? Answer::Yes : Answer::No);
    QCOMPARE(f.request.run(), openAnyway);
    QCOMPARE(f.desktop.opened.size(), openAnyway ? 1 : 0);
    if (openAnyway)
        QCOMPARE(queryOf(f.desktop.opened.first()).value("file"), QString());
}

QTEST_GUILESS_MAIN(TstAssistance)
#include "tst_assistance.moc"
