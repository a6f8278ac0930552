// The delivery of a printed Request against veltranorpx-regione: the version check (each status,
// the versions compared as numbers, the failures, a slow line, a file of authorities that cannot
// be read), the upload (the region's copy equal byte for byte to the file written, the Request
// transmitted with its history row, the file gone), every answer that is no success and what stays
// as it was, a second send while the first runs, and the saved copy with its questions.

#include "DeliveryFixture.h"

#include "core/UserSettings.h"
#include "net/Messages.h"
#include "print/screens/DeliveryScreen.h"
#include "requests/SelectedRequest.h"
#include "transmission/Messages.h"
#include "transmission/TransmissionFile.h"
#include "transmission/screens/UploadScreen.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vx;
using namespace vx::test;
namespace m = vx::msg::transmission;

namespace {

const QString kUpload = QStringLiteral("https://127.0.0.1");

struct Fixture : DeliveryContext {
    // The file as it is written today, made apart from the program folder.
    QByteArray expectedFile()
    {
        QTemporaryDir apart;
        return readFile(TransmissionFile(ctx).create(37, kDeliveryEmail, apart.path()));
    }
    bool transmitted()
    {
        QSqlQuery q = db.query();
        return db.exec(q, QStringLiteral("SELECT DomandaTrasmessa FROM Domande WHERE NumDoma = 37")) && q.next() &&
               q.value(0).toBool();
    }
    QStringList outcomes()
    {
        QStringList list;
        for (const TransmissionRecord& row : transmissionHistory(ctx))
            list << row.outcome + QStringLiteral(": ") + row.answer;
        return list;
    }
    bool fileKept() const { return QFile::exists(inst.file(kDeliveryFile)); }
};

TransferResult failure(int code, const QString& text = QString())
{
    TransferResult r;
    r.errorCode = code;
    r.errorText = text.isEmpty() ? msg::net::transferFailure(code, QString()) : text;
    return r;
}

} // namespace

class TstDelivery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { UserSettings().setEmail(QString()); }
    void versionAnswers_data();
    void versionAnswers();
    void versionFailures_data();
    void versionFailures();
    void slowLineIsNoSilence();
    void uploadDelivers();
    void uploadRefused_data();
    void uploadRefused();
    void untrustedUploadServer();
    void nothingSentBeforeTheFile();
    void secondSendWhileTheFirstRuns();
    void transmissionScreenDuringACall();
    void saveCopy();
    void saveWithoutEmail();
};

void TstDelivery::versionAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QList<Message>>("messages");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("S whatever the versions")
        << "1.0.0#1.0.0#S#x#"
        << "1.0.0" << QList<Message>{m::versionNoLongerManaged(QStringLiteral("1.0.0"))} << false;
    QTest::newRow("A") << "1.0.0#1.0.0#A#Sospese#"
                       << "1.0.0" << QList<Message>{m::regionStops(QStringLiteral("Sospese"))} << false;
    QTest::newRow("M, then older than the latest")
        << "1.0.0#1.2.0#M#Avviso#"
        << "1.1.0"
        << QList<Message>{m::regionNotice(QStringLiteral("Avviso")),
                          m::versionNotLatest(QStringLiteral("1.1.0"), QStringLiteral("1.2.0"))}
        << true;
    QTest::newRow("below the lowest") << "1.2.0#1.2.0#N#x#"
                                      << "1.1.0"
                                      << QList<Message>{m::versionNotAuthorised(QStringLiteral("1.1.0"),
                                                                                QStringLiteral("1.2.0"))}
                                      << false;
    QTest::newRow("1.0.10 is newer than 1.0.9") << "1.0.9#1.0.9#N#x#"
                                                << "1.0.10" << QList<Message>() << true;
    QTest::newRow("Errore in any case") << "Errore: anno non previsto"
                                        << "1.0.0"
                                        << QList<Message>{msg::net::serverAnswer(
                                               msg::net::Where::Service, QStringLiteral("versione/verifica"),
                                               QStringLiteral("Errore: anno non previsto"))}
                                        << false;
}

void TstDelivery::versionAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QString, version);
    QFETCH(QList<Message>, messages);
    QFETCH(bool, allowed);
    Fixture f;
    f.version = version;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=") + answer};
    QVERIFY(f.start());
    for (const Message& message : messages)
        f.prompter.expect(message);
    QCOMPARE(f.delivery->checkVersion(), allowed);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstDelivery::versionFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QByteArray>("authorities"); // the bytes of the installation's file; "" keeps the test's
    QTest::newRow("an HTML page") << "html" << QByteArray();
    QTest::newRow("connection dropped") << "caduta" << QByteArray();
    // Said as such, not as an untrusted server.
    QTest::newRow("no file of authorities") << "nessuno" << QByteArray("<manca>");
    QTest::newRow("a file without certificates") << "nessuno" << QByteArray("non un certificato");
}

void TstDelivery::versionFailures()
{
    QFETCH(QString, failure);
    QFETCH(QByteArray, authorities);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=") + failure};
    const QString file = f.inst.file(QStringLiteral("autorita.pem"));
    if (authorities != "<manca>" && !authorities.isEmpty())
        f.inst.writeFile(QStringLiteral("autorita.pem"), authorities);
    QVERIFY(f.start(authorities.isEmpty() ? QStringList() : QStringList{QStringLiteral("CERTIFICATI_CA=") + file}));
    const QString service = QStringLiteral("versione/verifica");
    if (failure == QLatin1String("html")) {
        f.prompter.expect(msg::net::serverErrorPage(QStringLiteral("regione.example"), service));
    } else {
        const TransferResult r =
            authorities.isEmpty()
                ? ::failure(Exchange::kConnectionAborted)
                : ::failure(Exchange::kCaFileUnusable, msg::net::caFileUnusable(QDir::toNativeSeparators(file)));
        f.prompter.expect(msg::net::deliveryTransferError(r, service, QString(), QString()))
            .expect(msg::net::connectionFailed(QStringLiteral("regione.example"), service));
    }
    QVERIFY(!f.delivery->checkVersion());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.desktop.opened.size(), failure == QLatin1String("html") ? 1 : 0);
}

void TstDelivery::slowLineIsNoSilence()
{
    // The answer takes about two seconds in four pieces, against a time limit of one second: the
    // line is slow, never silent, and the bytes received show as they come.
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=1.0.0#1.0.0#N#x#")};
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=gocce")};
    QVERIFY(f.start({QStringLiteral("TEMPO_LIMITE=1")}));
    QStringList progress;
    QVERIFY(f.delivery->checkVersion([&](const QString& text) { progress << text; }));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY2(progress.contains(msg::net::received(16)), qPrintable(progress.join(QLatin1Char('|'))));
    QVERIFY(progress.filter(msg::net::text(msg::net::Text::Downloading)).size() >= 3);
}

void TstDelivery::uploadDelivers()
{
    Fixture f;
    QVERIFY(f.start());
    const QByteArray expected = f.expectedFile();
    f.prompter.expect(m::sent(RequestDelivery::kSuccess));
    QVERIFY(f.delivery->upload(37, kDeliveryEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    const QByteArray lf = QByteArray(expected).replace("\r\n", "\n");
    QCOMPARE(readFile(f.received()), lf);
    QVERIFY(!f.fileKept());
    QVERIFY(f.transmitted());
    QCOMPARE(UserSettings().email(), kDeliveryEmail);
    const QByteArray body = kDeliveryFile.toLatin1() + '\n' + lf;
    const TransmissionRecord expectedRow{
        f.clock.fixed,
        37,
        kDeliveryFile,
        body.size(),
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex()),
        RequestDelivery::kOutcomeSent,
        QStringLiteral("File ") + kDeliveryFile + QStringLiteral(" ricevuto. ") + RequestDelivery::kSuccess};
    QCOMPARE(transmissionHistory(f.ctx, 37), QList<TransmissionRecord>{expectedRow});
    QCOMPARE(transmissionHistory(f.ctx, 38), QList<TransmissionRecord>());
}

void TstDelivery::uploadRefused_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("answer");  // the server's, shown in full
    QTest::addColumn<QString>("history"); // what the history keeps of it
    const QString error = QStringLiteral("ERRORE: servizio temporaneamente non disponibile (simulazione).");
    QTest::newRow("an error answer") << "errore" << error << error;
    // A success phrase is no success with an error status or an error marker.
    const QString status500 = QStringLiteral("Errore interno del server. Trasmissione completata con successo");
    QTest::newRow("the phrase with status 500") << "stato500" << status500 << QStringLiteral("HTTP 500 - ") + status500;
    const QString denied =
        QStringLiteral("ERRORE: file non acquisito. Trasmissione completata con successo NON avvenuta");
    QTest::newRow("the phrase denied") << "negata" << denied << denied;
    QTest::newRow("an HTML page") << "html" << QString() << QStringLiteral("HTTP 500 - <html>");
    QTest::newRow("connection dropped") << "caduta" << QString() << failure(Exchange::kConnectionAborted).errorText;
}

void TstDelivery::uploadRefused()
{
    QFETCH(QString, failure);
    QFETCH(QString, answer);
    QFETCH(QString, history);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("upload=") + failure};
    QVERIFY(f.start());
    if (!answer.isEmpty())
        f.prompter.expect(msg::net::serverAnswer(msg::net::Where::Destination, kUpload, answer));
    else if (failure == QLatin1String("html"))
        f.prompter.expect(msg::net::serverErrorPage(QStringLiteral("regione.example")));
    else
        f.prompter
            .expect(msg::net::deliveryTransferError(::failure(Exchange::kConnectionAborted),
                                                    QStringLiteral("cgi-bin/fp/upload/allegati_fp_upload"), QString(),
                                                    QString()))
            .expect(msg::net::uploadConnectionFailed(kUpload));
    QVERIFY(!f.delivery->upload(37, kDeliveryEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.transmitted());
    QVERIFY(f.fileKept());
    QVERIFY(!QFile::exists(f.received()));
    const QStringList outcomes = f.outcomes();
    QCOMPARE(outcomes.size(), 1);
    QVERIFY2(outcomes.first().startsWith(RequestDelivery::kOutcomeRefused + QStringLiteral(": ") + history),
             qPrintable(outcomes.first()));
    if (failure == QLatin1String("html"))
        QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.inst.file(QStringLiteral("ErrServer.html")))});
    // The account travels in a header, never in the address the server logs.
    QVERIFY(!f.server.log().contains(QLatin1String("mirto")));
}

void TstDelivery::untrustedUploadServer()
{
    // The transfer error tells the user; the file goes, as the certificate must be installed first.
    Fixture f;
    RegioneProcess untrusted;
    untrusted.serverCertificate = QStringLiteral("server-non-fidato");
    QVERIFY(untrusted.start());
    QVERIFY(f.start({QStringLiteral("UPLOAD=https://127.0.0.1:%1").arg(untrusted.port())}));
    f.prompter.expect(msg::net::deliveryTransferError(
        failure(Exchange::kUntrustedCertificate), QStringLiteral("cgi-bin/fp/upload/allegati_fp_upload"),
        QStringLiteral("https://127.0.0.1:%1").arg(untrusted.port()), QString()));
    QVERIFY(!f.delivery->upload(37, kDeliveryEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.transmitted());
    QVERIFY(!f.fileKept());
    QVERIFY(!QFile::exists(untrusted.folder() + QStringLiteral("stato/ricevuti/") + kDeliveryFile));
}

void TstDelivery::nothingSentBeforeTheFile()
{
    // An address the check refuses, then a version the region stops: no file, no call, no history.
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=1.0.0#1.0.0#A#Sospese#")};
    QVERIFY(f.start());
    f.prompter.goOn(false);
    QVERIFY(!f.delivery->upload(37, QStringLiteral("a,b@x.it")));
    QCOMPARE(f.prompter.shown().size(), 1);
    QCOMPARE(UserSettings().email(), QString());
    QVERIFY(!f.delivery->upload(37, kDeliveryEmail));
    QCOMPARE(f.prompter.shown().last(), describe(m::regionStops(QStringLiteral("Sospese"))));
    QVERIFY(!f.fileKept());
    QVERIFY(!QFile::exists(f.received()));
    QCOMPARE(f.outcomes(), QStringList());
}

void TstDelivery::secondSendWhileTheFirstRuns()
{
    // A slow region. Meanwhile "Invia" is clicked again: nothing more is sent; Escape stops the
    // call (not the screen), and the Request stays as it was.
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=30")};
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("upload=lento")};
    QVERIFY(f.start());
    f.state.selected.number = 37;
    UserSettings().setEmail(kDeliveryEmail);
    UploadScreen screen(f.ctx, *f.delivery);
    screen.show();
    auto* send = screen.findChild<QPushButton*>(QStringLiteral("cmdInvia"));
    int calls = 0;
    connect(f.exchange.get(), &Exchange::stateChanged, &screen, [&](Exchange::State state) {
        if (state != Exchange::State::Connecting || ++calls != 2)
            return;
        QTimer::singleShot(200, send, [send] { QTest::mouseClick(send, Qt::LeftButton); });
        QTimer::singleShot(400, &screen, [&screen] { QTest::keyClick(&screen, Qt::Key_Escape); });
    });
    QElapsedTimer clock;
    clock.start();
    f.prompter.expect(msg::transmission::notice(msg::transmission::Notice::UploadStopped));
    QTest::mouseClick(send, Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(calls, 2);
    QVERIFY(screen.isVisible());
    QVERIFY(!f.transmitted());
    QVERIFY(f.fileKept());
    QCOMPARE(f.outcomes(), QStringList{RequestDelivery::kOutcomeRefused + QStringLiteral(": ") +
                                       msg::net::text(msg::net::Text::CancelledByUser)});
}

void TstDelivery::transmissionScreenDuringACall()
{
    // The save's version check waits for a slow region: every command is off, "Interrompi" stops it.
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=30")};
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=lento")};
    QVERIFY(f.start());
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 37);
    DeliveryScreen screen(f.ctx);
    screen.show();
    auto* save = screen.findChild<QPushButton*>(QStringLiteral("cmdSalva"));
    QStringList during;
    QTimer::singleShot(500, &screen, [&] {
        for (const char* name : {"cmdSalva", "cmdSend", "cmdStampa", "cmdInterrompi"})
            during << QString::number(screen.findChild<QPushButton*>(QLatin1String(name))->isEnabled());
        QTest::mouseClick(screen.findChild<QPushButton*>(QStringLiteral("cmdInterrompi")), Qt::LeftButton);
    });
    f.prompter.expect(m::notice(m::Notice::AskVersionCheck), Answer::Yes)
        .expect(m::notice(m::Notice::VersionNotEnabledGoOn), Answer::No);
    QTest::mouseClick(save, Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(during, (QStringList{"0", "0", "0", "1"}));
    QVERIFY(save->isEnabled());
    QVERIFY(!screen.findChild<QPushButton*>(QStringLiteral("cmdInterrompi"))->isEnabled());
}

void TstDelivery::saveCopy()
{
    Fixture f;
    QVERIFY(f.start());
    const QByteArray expected = f.expectedFile();
    const QString folder = f.inst.file(RequestDelivery::kSaveFolder);
    const QString copy = folder + QLatin1Char('/') + kDeliveryFile;
    auto confirm = [] {
        UserSettings().setEmail(kDeliveryEmail);
        return true;
    };
    f.prompter.expect(m::notice(m::Notice::AskVersionCheck), Answer::Yes)
        .expect(m::notice(m::Notice::VersionEnabled))
        .expect(m::saved(kDeliveryFile, QDir::toNativeSeparators(folder)));
    QCOMPARE(f.delivery->saveCopy(37, confirm), copy);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(copy), expected);
    QCOMPARE(readFile(f.inst.file(kDeliveryFile)), expected); // the program folder's file stays
    QVERIFY(!f.transmitted());
    QCOMPARE(f.outcomes(), QStringList());

    // The same day again, without the version check: asked before overwriting; No keeps the first.
    f.inst.writeFile(RequestDelivery::kSaveFolder + QLatin1Char('/') + kDeliveryFile, "prima copia");
    f.prompter.expect(m::notice(m::Notice::AskVersionCheck), Answer::No)
        .expect(m::overwrite(QDir::toNativeSeparators(folder), kDeliveryFile), Answer::No);
    QCOMPARE(f.delivery->saveCopy(37, confirm), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(copy), QByteArray("prima copia"));
    f.prompter.expect(m::notice(m::Notice::AskVersionCheck), Answer::No)
        .expect(m::overwrite(QDir::toNativeSeparators(folder), kDeliveryFile), Answer::Yes)
        .expect(m::saved(kDeliveryFile, QDir::toNativeSeparators(folder)));
    QCOMPARE(f.delivery->saveCopy(37, confirm), copy);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(copy), expected);
}

void TstDelivery::saveWithoutEmail()
{
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=1.2.0#1.2.0#N#x#")};
    QVERIFY(f.start());
    f.prompter.expect(m::notice(m::Notice::AskVersionCheck), Answer::Yes)
        .expect(m::versionNotAuthorised(QStringLiteral("1.0.0"), QStringLiteral("1.2.0")))
        .expect(m::notice(m::Notice::VersionNotEnabledGoOn), Answer::Yes)
        .expect(m::emailRequired());
    QCOMPARE(f.delivery->saveCopy(37, [] { return false; }), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.fileKept());
    QVERIFY(!QDir(f.inst.file(RequestDelivery::kSaveFolder)).exists());
}

QTEST_MAIN(TstDelivery)
#include "tst_delivery.moc"
