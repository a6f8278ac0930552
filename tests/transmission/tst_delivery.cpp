// The delivery of a printed Request against veltranorpx-regione: the upload (the region's copy
// equal byte for byte to the file written, the Request transmitted with its history row, the
// file gone), the server's failures and what stays as it was, a history that cannot be written,
// and the saved copy with its questions.

#include "RegioneProcess.h"
#include "TestContext.h"

#include "core/Settings.h"
#include "core/UserSettings.h"
#include "print/screens/Trasmis.h"
#include "requests/SelectedRequest.h"
#include "store/Lookups.h"
#include "net/Exchange.h"
#include "transmission/RequestDelivery.h"
#include "transmission/TransmissionFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace vx;
using vx::test::IniValues;
using vx::test::RegioneProcess;

namespace {

const QString kName = QStringLiteral("VELTRANORPX_6_37.A123");
const QString kEmail = QStringLiteral("ente@posta.it");
const QString kServer = QStringLiteral("regione.example");
const QString kVersion = QStringLiteral("1.0.0");
const Message kSent{QStringLiteral("Trasmissione completata con successo"), QStringLiteral("TRASMISSIONE TERMINATA"),
                    Icon::Information, Buttons::Ok};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

struct Fixture : vx::test::TestContext {
    RegioneProcess server;
    // Started, when asked, for the upload alone: a server whose certificate no authority vouches for.
    RegioneProcess untrusted;
    bool untrustedUpload = false;
    vx::test::TestInstallation inst;
    std::unique_ptr<Exchange> exchange;
    Settings settings;
    std::unique_ptr<RequestDelivery> delivery;

    Fixture()
    {
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 0));
        inst.addOperator(QStringLiteral("A"), 123, QStringLiteral("CENTRO FORMAZIONE"));
        inst.addRequest(37, QStringLiteral("A"), 123, QStringLiteral("001"), 1, true);
        inst.sql(QStringLiteral("UPDATE Domande SET Corrispondenza = 1, TipoOper = '01' WHERE NumDoma = 37"));
        inst.addPerson(37, QStringLiteral("RSSMRA85T10A562S"), 1, 0, QStringLiteral("A"), 123);
        inst.addPerson(37, QStringLiteral("VRDLGU80A01L219X"), 5, 2, QStringLiteral("A"), 123);
    }
    bool start()
    {
        if (!server.start())
            return false;
        const QString base = QStringLiteral("https://127.0.0.1:%1").arg(server.port());
        // UPLOAD holds the host and port alone, as the installations write it.
        QString uploadBase = QStringLiteral("127.0.0.1:%1").arg(server.port());
        if (untrustedUpload) {
            untrusted.serverCertificate = QStringLiteral("server-non-fidato");
            if (!untrusted.start())
                return false;
            uploadBase = QStringLiteral("https://127.0.0.1:%1").arg(untrusted.port());
        }
        inst.writeIni({.connessione = {QStringLiteral("VERSIONE=") + base + QStringLiteral("/versione/verifica"),
                                       QStringLiteral("UPLOAD=") + uploadBase,
                                       QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() +
                                           QStringLiteral("ca.pem"),
                                       QStringLiteral("TEMPO_LIMITE=5")}});
        state = inst.state();
        state.serverLabel = kServer;
        settings = Settings::read(inst.ini());
        exchange = std::make_unique<Exchange>(ExchangeSettings::from(settings));
        delivery = std::make_unique<RequestDelivery>(ctx, *exchange, settings, kVersion);
        return db.open(QString(), inst.databasePath(), Database::Mode::Multiutenza);
    }
    // The file as it is written today, made apart from the program folder.
    QByteArray expectedFile()
    {
        QTemporaryDir apart;
        TransmissionFile file(ctx);
        return readFile(file.create(37, kEmail, apart.path()));
    }
    QString received(const QString& name = kName) const
    {
        return server.folder() + QStringLiteral("stato/ricevuti/") + name;
    }
    bool transmitted()
    {
        QSqlQuery q = db.query();
        return db.exec(q, QStringLiteral("SELECT DomandaTrasmessa FROM Domande WHERE NumDoma = 37")) && q.next() &&
               q.value(0).toBool();
    }
    QString uploadLabel() const { return QStringLiteral("https://127.0.0.1"); }
};

} // namespace

class TstDelivery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { UserSettings().setEmail(QString()); }
    void uploadDelivers();
    void uploadFailures_data();
    void uploadFailures();
    void uploadWithoutAccount();
    void untrustedUploadServer();
    void slowUploadCancelled();
    void historyNotWritten();
    void invalidEmail();
    void versionRefusedSendsNothing();
    void saveCopy();
    void saveWithoutEmail();
    void transmissionScreen();
};

void TstDelivery::uploadDelivers()
{
    Fixture f;
    QVERIFY(f.start());
    const QByteArray expected = f.expectedFile();
    f.prompter.expect(kSent);
    QVERIFY(f.delivery->upload(37, kEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(f.received()), QByteArray(expected).replace("\r\n", "\n"));
    QVERIFY(!QFile::exists(f.inst.file(kName)));
    QVERIFY(f.transmitted());
    QCOMPARE(UserSettings().email(), kEmail);
    const QList<TransmissionRecord> history = transmissionHistory(f.ctx, 37);
    QCOMPARE(history.size(), 1);
    const QByteArray body = kName.toLatin1() + '\n' + QByteArray(expected).replace("\r\n", "\n");
    QCOMPARE(history.first(),
             (TransmissionRecord{
                 f.clock.fixed, 37, kName, body.size(),
                 QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex()),
                 RequestDelivery::kOutcomeSent,
                 QStringLiteral("File ") + kName + QStringLiteral(" ricevuto. ") + RequestDelivery::kSuccess}));
    QCOMPARE(transmissionHistory(f.ctx, 38), QList<TransmissionRecord>());
}

void TstDelivery::uploadFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QList<Message>>("messages");
    QTest::addColumn<bool>("fileStays");

    const QString tail =
        QStringLiteral("\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure contattare "
                       "il servizio di assistenza KVR riportando questo messaggio.");
    QTest::newRow("server error") << "errore"
                                  << QList<Message>{{QStringLiteral("Operazione non riuscita (server di destinazione: "
                                                                    "https://127.0.0.1). Il server ha restituito il "
                                                                    "seguente messaggio di errore: \r\n\r\nERRORE: "
                                                                    "servizio temporaneamente non disponibile "
                                                                    "(simulazione).") +
                                                         tail,
                                                     QStringLiteral("Errore restituito dal Server"), Icon::Critical,
                                                     Buttons::Ok}}
                                  << true;
    QTest::newRow("html page") << "html"
                               << QList<Message>{{QStringLiteral("Si è verificato un errore sul server ") + kServer +
                                                      QStringLiteral(", cliccando su OK il sistema cercherà di "
                                                                     "visualizzare ulteriori informazioni sull'errore. "
                                                                     "Contattare il servizio assistenza KVR riportando "
                                                                     "questo messaggio e le informazioni visualizzate"),
                                                  QStringLiteral("ERRORE"), Icon::None, Buttons::Ok}}
                               << true;
    QTest::newRow("connection dropped")
        << "caduta"
        << QList<Message>{{QStringLiteral("Si è verificato un errore in trasmissione, 12030 : La connessione è stata "
                                          "interrotta dal server. (servizio: cgi-bin/fp/upload/allegati_fp_upload)"),
                           QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok},
                          {QStringLiteral(
                               "Errore di connessione al server (server di destinazione: https://127.0.0.1). "
                               "Riprovare in un secondo momento, oppure contattare il servizio di "
                               "assistenza KVR riportando questo messaggio."),
                           QStringLiteral("Errore di connessione"), Icon::Critical, Buttons::Ok}}
        << true;
}

void TstDelivery::uploadFailures()
{
    QFETCH(QString, failure);
    QFETCH(QList<Message>, messages);
    QFETCH(bool, fileStays);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("upload=") + failure};
    QVERIFY(f.start());
    for (const Message& m : messages)
        f.prompter.expect(m);
    QVERIFY(!f.delivery->upload(37, kEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.transmitted());
    QCOMPARE(QFile::exists(f.inst.file(kName)), fileStays);
    QVERIFY(!QFile::exists(f.received()));
    const QList<TransmissionRecord> history = transmissionHistory(f.ctx);
    QCOMPARE(history.size(), 1);
    QCOMPARE(history.first().outcome, RequestDelivery::kOutcomeRefused);
    if (failure == QLatin1String("html"))
        QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.inst.file(QStringLiteral("ErrServer.html")))});
}

void TstDelivery::uploadWithoutAccount()
{
    // A region that takes another account refuses the upload; its answer is shown in full.
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("account_upload=altro:segreto")};
    QVERIFY(f.start());
    f.prompter.expect(
        QStringLiteral("Operazione non riuscita (server di destinazione: https://127.0.0.1). Il server ha "
                       "restituito il seguente messaggio di errore: \r\n\r\nERRORE: accesso non "
                       "autorizzato.\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure "
                       "contattare il servizio di assistenza KVR riportando questo messaggio."),
        QStringLiteral("Errore restituito dal Server"), Icon::Critical);
    QVERIFY(!f.delivery->upload(37, kEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.transmitted());
    QVERIFY(QFile::exists(f.inst.file(kName)));
    // The account travels in a header, never in the address the server logs.
    QVERIFY(!f.server.log().contains(QLatin1String("mirto")));
}

void TstDelivery::untrustedUploadServer()
{
    // The transfer error tells the user; the file goes, as the certificate must be installed first.
    Fixture f;
    f.untrustedUpload = true;
    QVERIFY(f.start());
    TransferResult untrusted;
    untrusted.errorCode = Exchange::kUntrustedCertificate;
    untrusted.errorText = QStringLiteral("Il certificato del server non è emesso da un'autorità riconosciuta.");
    f.prompter.expect(
        {QStringLiteral("Si è verificato un errore in trasmissione, 12045 : ") + untrusted.errorText +
             QStringLiteral(" (servizio: cgi-bin/fp/upload/allegati_fp_upload)\r\n\r\nE' necessario installare il "
                            "certificato di autorizzazione per l'accesso al server https://127.0.0.1:") +
             QString::number(f.delivery->uploadAddress().port()) +
             QStringLiteral(".\r\nIl certificato e le istruzioni per l'installazione sono reperibili "
                            "all'indirizzo:\r\n\r\n\r\n\r\nSe, dopo l'installazione, il problema persiste "
                            "contattare il servizio assistenza KVR riportando questo messaggio"),
         QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok});
    QVERIFY(!f.delivery->upload(37, kEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.transmitted());
    QVERIFY(!QFile::exists(f.inst.file(kName)));
    QVERIFY(!QFile::exists(f.untrusted.folder() + QStringLiteral("stato/ricevuti/") + kName));
}

void TstDelivery::slowUploadCancelled()
{
    // A slow region, and the user stops the upload: nothing more to say, the Request stays as it was.
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=30")};
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("upload=lento")};
    QVERIFY(f.start());
    int calls = 0;
    const QString connecting = Exchange::stateText(Exchange::State::Connecting);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!f.delivery->upload(37, kEmail, [&](const QString& text) {
        if (text == connecting && ++calls == 2)
            QTimer::singleShot(200, f.exchange.get(), [&] { f.exchange->cancel(); });
    }));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!f.transmitted());
    QVERIFY(QFile::exists(f.inst.file(kName)));
    QCOMPARE(transmissionHistory(f.ctx).first().outcome, RequestDelivery::kOutcomeRefused);
}

void TstDelivery::historyNotWritten()
{
    Fixture f;
    QVERIFY(f.start());
    // The history row's INSERT, the statement after BEGIN, fails once the upload succeeded.
    f.prompter.expect(kSent);
    f.prompter.expect(QStringLiteral("La Regione ha ricevuto il file ") + kName +
                          QStringLiteral(", ma non è stato possibile registrare la trasmissione della domanda: il "
                                         "file resta nella cartella del programma.\r\nErrore 10 --> disk I/O error"),
                      QStringLiteral("Trasmissione"), Icon::Critical);
    // The upload is the second call: once it starts, the version check and the file are behind,
    // and the next write statements are the transaction's BEGIN and the history row's INSERT.
    int calls = 0;
    const QString connecting = Exchange::stateText(Exchange::State::Connecting);
    QVERIFY(!f.delivery->upload(37, kEmail, [&](const QString& text) {
        if (text == connecting && ++calls == 2)
            f.db.failStatement(2);
    }));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.db.faultFired());
    QVERIFY(!f.transmitted());
    QCOMPARE(transmissionHistory(f.ctx), QList<TransmissionRecord>());
    QVERIFY(QFile::exists(f.inst.file(kName)));
    QVERIFY(QFile::exists(f.received()));
}

void TstDelivery::invalidEmail()
{
    Fixture f;
    QVERIFY(f.start());
    f.prompter.expect(QStringLiteral("L'indirizzo e-mail non può contenere virgole."),
                      QStringLiteral("Indirizzo e-mail"), Icon::Information);
    QVERIFY(!f.delivery->upload(37, QStringLiteral("a,b@x.it")));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!QFile::exists(f.inst.file(kName)));
    QCOMPARE(UserSettings().email(), QString());
}

void TstDelivery::versionRefusedSendsNothing()
{
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=1.0.0#1.0.0#A#Sospese#")};
    QVERIFY(f.start());
    f.prompter.expect(QStringLiteral("Sospese"), QStringLiteral("Trasmissione"), Icon::Critical);
    QVERIFY(!f.delivery->upload(37, kEmail));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!QFile::exists(f.inst.file(kName)));
    QVERIFY(!QFile::exists(f.received()));
    QCOMPARE(transmissionHistory(f.ctx), QList<TransmissionRecord>());
}

void TstDelivery::saveCopy()
{
    Fixture f;
    QVERIFY(f.start());
    const QByteArray expected = f.expectedFile();
    const QString folder = f.inst.file(RequestDelivery::kSaveFolder);
    const Message question{
        QStringLiteral("E' possibile controllare se questa versione dell'applicativo è aggiornata e quindi abilitata "
                       "alla trasmissione.\r\nQualunque sia l'esito del controllo, sarà comunque possibile effettuare "
                       "la copia dei dati.\r\nE' necessario che sia attiva la connessione ad Internet. Procedere?"),
        QStringLiteral("Controllo Versione"), Icon::Information, Buttons::YesNo};
    const Message saved{QStringLiteral("Il file \r\n") + kName +
                            QStringLiteral("\r\nè stato salvato nella cartella\r\n") + folder,
                        QStringLiteral("Copia dei dati effettuata."), Icon::Information, Buttons::Ok};
    const Message overwrite{QStringLiteral("Nella cartella \r\n") + folder +
                                QStringLiteral("\r\nE' già presente un file \r\n") + kName +
                                QStringLiteral("\r\nSovrascriverlo?"),
                            QStringLiteral("File di trasmissione già esistente"), Icon::None, Buttons::YesNo};
    auto confirm = [] {
        UserSettings().setEmail(kEmail);
        return true;
    };

    f.prompter.expect(question, Answer::Yes)
        .expect(QStringLiteral("La presente versione dell'applicativo è abilitata alla trasmissione."),
                QStringLiteral("Controllo Versione"), Icon::Information)
        .expect(saved);
    QCOMPARE(f.delivery->saveCopy(37, confirm), folder + QLatin1Char('/') + kName);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(folder + QLatin1Char('/') + kName), expected);
    QCOMPARE(readFile(f.inst.file(kName)), expected); // the program folder's file stays
    QVERIFY(!f.transmitted());
    QCOMPARE(transmissionHistory(f.ctx), QList<TransmissionRecord>());

    // The same day again, without the version check: asked before overwriting; No keeps the first.
    QFile::remove(folder + QLatin1Char('/') + kName);
    QFile first(folder + QLatin1Char('/') + kName);
    QVERIFY(first.open(QIODevice::WriteOnly));
    first.write("prima copia");
    first.close();
    f.prompter.expect(question, Answer::No).expect(overwrite, Answer::No);
    QCOMPARE(f.delivery->saveCopy(37, confirm), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(folder + QLatin1Char('/') + kName), QByteArray("prima copia"));

    f.prompter.expect(question, Answer::No).expect(overwrite, Answer::Yes).expect(saved);
    QVERIFY(!f.delivery->saveCopy(37, confirm).isEmpty());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(folder + QLatin1Char('/') + kName), expected);
}

void TstDelivery::saveWithoutEmail()
{
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=1.2.0#1.2.0#N#x#")};
    QVERIFY(f.start());
    f.prompter
        .expect(QStringLiteral("E' possibile controllare se questa versione dell'applicativo è aggiornata e quindi "
                               "abilitata alla trasmissione.\r\nQualunque sia l'esito del controllo, sarà comunque "
                               "possibile effettuare la copia dei dati.\r\nE' necessario che sia attiva la connessione "
                               "ad Internet. Procedere?"),
                QStringLiteral("Controllo Versione"), Icon::Information, Buttons::YesNo, Answer::Yes)
        .expect(QStringLiteral("La presente versione dell'applicativo ( 1.0.0 ) non è autorizzata a trasmettere.\r\n"
                               "Scaricare da Internet la nuova versione: 1.2.0"),
                QStringLiteral("Controllo Versione"), Icon::Critical)
        .expect(QStringLiteral("La presente versione dell'applicativo non è abilitata alla trasmissione. Scaricare ed "
                               "installare il più presto possibile la versione più recente. Continuare l'operazione "
                               "di copia su dischetto?"),
                QStringLiteral("Controllo Versione"), Icon::Critical, Buttons::YesNo, Answer::Yes)
        .expect(QStringLiteral("E' necessario specificare un indirizzo di posta\r\nelettronica per poter procedere al "
                               "salvataggio dei dati."),
                QStringLiteral("Salvataggio dati"), Icon::Exclamation);
    QCOMPARE(f.delivery->saveCopy(37, [] { return false; }), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!QFile::exists(f.inst.file(kName)));
    QVERIFY(!QDir(f.inst.file(RequestDelivery::kSaveFolder)).exists());
}

void TstDelivery::transmissionScreen()
{
    Fixture f;
    QVERIFY(f.start());
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 37);
    f.prompter.expect(kSent);
    QVERIFY(f.delivery->upload(37, kEmail));
    Trasmis screen(f.ctx);
    auto* history = screen.findChild<QTreeWidget*>(QStringLiteral("lstTrasmissioni"));
    QVERIFY(history);
    QCOMPARE(history->topLevelItemCount(), 1);
    QCOMPARE(history->topLevelItem(0)->text(0), QStringLiteral("05/03/2026 09:00:00"));
    QCOMPARE(history->topLevelItem(0)->text(1), kName);
    QCOMPARE(history->topLevelItem(0)->text(3), RequestDelivery::kOutcomeSent);
    // The send asks first; Cancel opens nothing.
    f.prompter.expect(QStringLiteral("Attivazione collegamento con Internet\r\nProcedere solo dopo aver aperto la "
                                     "connessione \r\ncon il vostro Provider"),
                      QStringLiteral("Trasmissione dati"), Icon::Information, Buttons::OkCancel, Answer::Cancel);
    QTest::mouseClick(screen.findChild<QPushButton*>(QStringLiteral("cmdSend")), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
}

QTEST_MAIN(TstDelivery)
#include "tst_delivery.moc"
