// The registry download: the list of operators and the form it sends, the split of the answer
// into files, the names an answer may and may not deliver (nothing is written when one is
// refused), the download against veltranorpx-regione with its failures, and
// `veltranorpx-cli scarica-anagrafe` from the download to the updated database.

#include "RegioneProcess.h"
#include "TestContext.h"

#include "cli/Command.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "refdata/RegistryDownload.h"
#include "refdata/RegistryUpdate.h"
#include "refdata/screens/frmOperatori.h"
#include "net/Exchange.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vx;
using namespace vx::refdata;
using vx::test::InstalledContext;
using vx::test::RegioneProcess;

namespace {

const QString kTitle = QStringLiteral("Aggiornamento Base Dati");
const QString kAccount = QStringLiteral("regione:demo2026");
const QString kServer = QStringLiteral("regione.example");
const QString kPath = QStringLiteral("/anagrafe/operatori");

QByteArray line(const QStringList& fields)
{
    return windows1252::encode(QLatin1Char('#') + fields.join(QStringLiteral("#,#")) + QLatin1Char('#'));
}
QByteArray operLine(const QString& group, int code, const QString& name)
{
    return line({group, QString::number(code), name, "01", "01234567890", "", "", "", "", "", "", "", "85"});
}
QByteArray compoLine(const QString& group, int code, int site)
{
    return line({group, QString::number(code), QString::number(site), "SL", "Sede", "G224", "35100", "Via Roma 1",
                 "049", "123", "", "", "", "", "", "855900.59"});
}
QByteArray lines(const QList<QByteArray>& list)
{
    QByteArray out;
    for (const QByteArray& l : list)
        out += l + "\r\n";
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<assente>");
}

QList<OperatorEntry> entries(const QList<std::pair<QString, int>>& keys)
{
    QList<OperatorEntry> out;
    for (const auto& [group, code] : keys)
        out.append({group, code, QString()});
    return out;
}

Message refusedName(const QString& name)
{
    return {QStringLiteral("La risposta del server contiene un file con un nome non ammesso: ") + name +
                QStringLiteral(".\r\nNessun file è stato scritto."),
            kTitle, Icon::Critical, Buttons::Ok};
}

// The program folder's files, and its parent's, to prove that nothing was written anywhere.
QStringList filesAround(const QString& folder)
{
    QStringList out;
    for (const QString& f : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        out.append(f);
    const QDir parent(folder + QStringLiteral(".."));
    for (const QString& name : {QStringLiteral("VELTRANORPX.INI"), QStringLiteral("oper.tx1")})
        if (parent.exists(name))
            out.append(QStringLiteral("../") + name);
    return out;
}

// An installation whose download address is the stand-in's.
struct Fixture : InstalledContext {
    RegioneProcess server;
    std::unique_ptr<Exchange> exchange;

    Fixture()
    {
        state.serverLabel = kServer;
        state.credential = kAccount;
    }
    void serve(const QString& name, const QByteArray& content)
    {
        QDir(server.folder()).mkpath(QStringLiteral("dati"));
        QFile f(server.folder() + QStringLiteral("dati/") + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    bool start(const QString& address = QString())
    {
        if (!server.start())
            return false;
        vx::test::IniValues values;
        values.connessione = {QStringLiteral("AGGIORNADB=") +
                              (address.isEmpty() ? server.address(kPath) : address.arg(server.port()))};
        inst.writeIni(values);
        ExchangeSettings settings;
        settings.caFile = RegioneProcess::certificates() + QStringLiteral("ca.pem");
        settings.timeLimitMs = 10000;
        exchange = std::make_unique<Exchange>(settings);
        return true;
    }
};

// A plain HTTP server in the test's own thread that gives one answer, for what the stand-in does
// not show: the request as it arrives, and an answer that announces its length.
struct WireServer {
    QTcpServer listener;
    QByteArray request;

    // `answer` as the body; `announced`, when given, as its length instead of the real one.
    explicit WireServer(const QByteArray& answer, qint64 announced = -1)
    {
        QObject::connect(&listener, &QTcpServer::newConnection, [this, answer, announced] {
            QTcpSocket* socket = listener.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, answer, announced] {
                request += socket->readAll();
                const qsizetype end = request.indexOf("\r\n\r\n");
                const qsizetype length = request.indexOf("Content-Length: ");
                if (end < 0 || length < 0 || request.size() < end + 4 + request.mid(length + 16, 8).toInt())
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
                              QByteArray::number(announced < 0 ? answer.size() : announced) + "\r\n\r\n" + answer);
                socket->disconnectFromHost();
            });
        });
    }
    // The installation's download address made this server's, with the stand-in's account.
    bool install(InstalledContext& c)
    {
        if (!listener.listen(QHostAddress::LocalHost))
            return false;
        c.state.credential = kAccount;
        vx::test::IniValues values;
        values.connessione = {QStringLiteral("AGGIORNADB=http://127.0.0.1:%1%2").arg(listener.serverPort()).arg(kPath)};
        c.inst.writeIni(values);
        return true;
    }
};

} // namespace

class TstDownload : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void body_data();
    void body();
    void list_data();
    void list();
    void fill();
    void entryText_data();
    void entryText();
    void parseRefuses_data();
    void parseRefuses();
    void split();
    void writesTheFiles();
    void answerWithoutFiles();
    void deliverableNames_data();
    void deliverableNames();
    void refusedNames_data();
    void refusedNames();
    void writeFailureLeavesNoFile();
    void emptyList();
    void download();
    void hundredFiftySent();
    void confirmationScreen_data();
    void confirmationScreen();
    void requestOnTheWire();
    void announcedTooLarge();
    void answerLargerThanAForm();
    void failures_data();
    void failures();
    void untrustedCertificate();
    void forbiddenNameFromTheServer();
    void commandLine_data();
    void commandLine();
    void commandLineUsage_data();
    void commandLineUsage();
};

void TstDownload::body_data()
{
    QTest::addColumn<QList<OperatorEntry>>("list");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("two entries") << entries({{"A", 12}, {"B", 7}}) << QByteArray("g=A&c=12&g=B&c=7");
    QTest::newRow("one entry") << entries({{"C", 305}}) << QByteArray("g=C&c=305");
    QTest::newRow("a group that is no letter is encoded") << entries({{"&", 1}}) << QByteArray("g=%26&c=1");
    QList<OperatorEntry> full;
    QByteArray all;
    for (int i = 1; i <= OperatorList::kLimit; ++i) {
        full.append({QStringLiteral("D"), i, QString()});
        all += "&g=D&c=" + QByteArray::number(i);
    }
    QTest::newRow("150 entries") << full << all.mid(1);
}

void TstDownload::body()
{
    QFETCH(QList<OperatorEntry>, list);
    QFETCH(QByteArray, body);
    QCOMPARE(downloadBody(list), body);
}

void TstDownload::list_data()
{
    QTest::addColumn<int>("before"); // distinct entries already in the list
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("code");
    QTest::addColumn<OperatorList::AddResult>("result");
    QTest::addColumn<int>("after");
    QTest::newRow("added") << 3 << "B" << 9 << OperatorList::AddResult::Added << 4;
    QTest::newRow("duplicate") << 3 << "A" << 2 << OperatorList::AddResult::AlreadyThere << 3;
    QTest::newRow("same code, other group") << 3 << "B" << 2 << OperatorList::AddResult::Added << 4;
    QTest::newRow("no group") << 3 << "" << 9 << OperatorList::AddResult::NoGroup << 3;
    QTest::newRow("blank group") << 3 << " " << 9 << OperatorList::AddResult::NoGroup << 3;
    QTest::newRow("the 150th") << 149 << "B" << 1 << OperatorList::AddResult::Added << 150;
    QTest::newRow("the 151st") << 150 << "B" << 1 << OperatorList::AddResult::Full << 150;
    QTest::newRow("full before duplicate") << 150 << "A" << 2 << OperatorList::AddResult::Full << 150;
}

void TstDownload::list()
{
    QFETCH(int, before);
    QFETCH(QString, group);
    QFETCH(int, code);
    QFETCH(OperatorList::AddResult, result);
    QFETCH(int, after);
    OperatorList operators;
    for (int i = 1; i <= before; ++i)
        QCOMPARE(operators.add({QStringLiteral("A"), i, QString()}), OperatorList::AddResult::Added);
    QCOMPARE(operators.add({group, code, QStringLiteral("Ente")}), result);
    QCOMPARE(operators.size(), after);
    if (result == OperatorList::AddResult::Added)
        QCOMPARE(operators.entries().last().text(),
                 group + QLatin1Char('-') + QString::number(code) + QStringLiteral("      - Ente"));
    operators.remove(0);
    operators.remove(after + 5); // no such row: nothing
    QCOMPARE(operators.size(), after - 1);
    QCOMPARE(operators.entries().first().code, 2);
}

void TstDownload::fill()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("Ente B7"));
    c.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Ente A12"));
    c.inst.addOperator(QStringLiteral("A"), 3, QStringLiteral("Ente A3"));
    c.inst.sql(QStringLiteral("UPDATE CorsiOper SET Denominazione = NULL WHERE Operatore = 3"));
    OperatorList operators;
    QVERIFY(operators.fill(c.db, c.prompter));
    QStringList texts;
    for (const OperatorEntry& e : operators.entries())
        texts.append(e.text());
    // By group, then by code as a number; a name the database does not know leaves the key alone.
    QCOMPARE(texts, (QStringList{"A-3      - ", "A-12      - Ente A12", "B-7      - Ente B7"}));

    c.db.failStatement(1);
    c.prompter.expect(QStringLiteral("CaricaListaOperatori - 10 - disk I/O error\nErrore di lettura o scrittura sul "
                                     "disco o sulla rete: verificare il collegamento alla cartella della base dati "
                                     "e riprovare."),
                      QStringLiteral("Errore"), Icon::Critical);
    QVERIFY(!operators.fill(c.db, c.prompter));
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(operators.size(), 0);
}

void TstDownload::entryText_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("with name") << "A" << 12 << "Ente Rossi - Padova"
                               << "A-12      - Ente Rossi - Padova";
    QTest::newRow("without name") << "B" << 7 << ""
                                  << "B-7      - ";
    QTest::newRow("largest code") << "F" << 2147483647 << "X"
                                  << "F-2147483647      - X";
}

void TstDownload::entryText()
{
    QFETCH(QString, group);
    QFETCH(int, code);
    QFETCH(QString, name);
    QFETCH(QString, text);
    const OperatorEntry entry{group, code, name};
    QCOMPARE(entry.text(), text);
    QString g;
    qint32 c = -1;
    QVERIFY(OperatorEntry::parse(text, g, c));
    QCOMPARE(g, group);
    QCOMPARE(c, code);
    QVERIFY(entry.sameKey({g, c, QString()}));
}

void TstDownload::parseRefuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("no dash") << "A12";
    QTest::newRow("no group") << "-12";
    QTest::newRow("two letters") << "AB-12";
    QTest::newRow("digit as group") << "1-12";
    QTest::newRow("no code") << "A-";
    QTest::newRow("letters after the code") << "A-12x";
    QTest::newRow("decimal code") << "A-1.5";
    QTest::newRow("negative code") << "A--3";
    QTest::newRow("code too large") << "A-2147483648";
}

void TstDownload::parseRefuses()
{
    QFETCH(QString, text);
    QString group = QStringLiteral("unchanged");
    qint32 code = -1;
    QVERIFY(!OperatorEntry::parse(text, group, code));
    QCOMPARE(group, QStringLiteral("unchanged"));
    QCOMPARE(code, -1);
}

void TstDownload::split()
{
    const QList<AnswerFile> files =
        splitAnswer(QStringLiteral("#orfana#\r\noper.tx1\r\nINSTALLAZIONE\r\n#A#,#12#\r\n  #A#,#7#  \r\nEOF\r\n"
                                   "compo.tx1\r\nAGGIORNAMENTO\r\n#A#,#12#,#1#\r\nEOF\r\n\r\nsediocc.tx1\r\n\r\n"
                                   "#dopo la fine#\r\nsediutil.tx1\nAGGIORNAMENTO\n#x#\n"));
    QCOMPARE(files.size(), 4);
    QCOMPARE(files.at(0).name, QStringLiteral("oper.tx1"));
    // The header keyword is one of the file's lines; data lines are kept as they are, blanks included.
    QCOMPARE(files.at(0).lines, (QStringList{"INSTALLAZIONE", "#A#,#12#", "  #A#,#7#  "}));
    QCOMPARE(files.at(1).name, QStringLiteral("compo.tx1"));
    QCOMPARE(files.at(1).lines, (QStringList{"AGGIORNAMENTO", "#A#,#12#,#1#"}));
    // An empty line ends a file as EOF does; lines outside a file are dropped.
    QCOMPARE(files.at(2).name, QStringLiteral("sediocc.tx1"));
    QCOMPARE(files.at(2).lines, QStringList{});
    QCOMPARE(files.at(3).name, QStringLiteral("sediutil.tx1"));
    QCOMPARE(files.at(3).lines, (QStringList{"AGGIORNAMENTO", "#x#"}));
}

void TstDownload::writesTheFiles()
{
    InstalledContext c;
    c.inst.writeFile(kOperFile, "vecchio\r\n");
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    // "è" as Windows-1252 (0xE8) and a byte the code page leaves undefined (0x81) come back unchanged.
    const QByteArray answer = "oper.tx1\r\nINSTALLAZIONE\r\n#A#,#12#,#Citt\xe0\x81#\r\n#A#,#7#\r\nEOF\r\n"
                              "COMPO.TX1\nAGGIORNAMENTO\n#A#,#12#,#1#\nEOF";
    QCOMPARE(download.writeAnswer(answer), RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(download.written(), (QStringList{"oper.tx1", "compo.tx1"}));
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("INSTALLAZIONE\r\n#A#,#12#,#Citt\xe0\x81#\r\n#A#,#7#\r\n"));
    // Written under the name the update looks for, with CR LF line ends.
    QCOMPARE(readFile(c.inst.file(kCompoFile)), QByteArray("AGGIORNAMENTO\r\n#A#,#12#,#1#\r\n"));
    QCOMPARE(QDir(c.inst.folder()).entryList({QStringLiteral("*.tx1"), QStringLiteral("*.TX1")}, QDir::Files),
             (QStringList{"compo.tx1", "oper.tx1"}));
    QCOMPARE(c.control.busyDepth(), 0);
}

void TstDownload::answerWithoutFiles()
{
    // Nothing to split: the files an earlier download left are not taken for this one's.
    InstalledContext c;
    c.inst.writeFile(kOperFile, "vecchio\r\n");
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    c.prompter.expect(QStringLiteral("La risposta del server non contiene alcun file.\r\nNessun file è stato scritto."),
                      kTitle, Icon::Critical);
    QCOMPARE(download.writeAnswer("\r\n#A#,#12#\r\nEOF\r\n"), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("vecchio\r\n"));
    QVERIFY(!QFile::exists(c.inst.file(kAnswerFile)));
}

void TstDownload::deliverableNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("writtenAs");
    QTest::newRow("registry") << "oper.tx1"
                              << "oper.tx1";
    QTest::newRow("registry, capitals") << "SEDIUTIL.TX1"
                                        << "sediutil.tx1";
    QTest::newRow("decode table") << "comuni.TXT"
                                  << "Comuni.txt";
    QTest::newRow("decode table tx1") << "ParamPFA.tx1"
                                      << "ParamPFA.tx1";
    QTest::newRow("flag") << "INSTALLA.TAB"
                          << "installa.tab";
    QTest::newRow("other flag") << "aggiorna.tab"
                                << "aggiorna.tab";
    QTest::newRow("traversal") << "../VELTRANORPX.INI" << QString();
    QTest::newRow("the INI") << "VELTRANORPX.INI" << QString();
    QTest::newRow("the answer itself") << "$tmpDenOp.tx1" << QString();
    QTest::newRow("another text file") << "x.txt" << QString();
    QTest::newRow("blank inside") << "oper .tx1" << QString();
}

void TstDownload::deliverableNames()
{
    QFETCH(QString, name);
    QFETCH(QString, writtenAs);
    QCOMPARE(isDeliverableName(name), !writtenAs.isEmpty());
    QCOMPARE(deliverableName(name), writtenAs);
}

void TstDownload::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folder") << "../VELTRANORPX.INI";
    QTest::newRow("absolute") << "/etc/x";
    QTest::newRow("subfolder") << "sub/oper.tx1";
    QTest::newRow("backslash") << "..\\oper.tx1";
    QTest::newRow("drive letter") << "C:oper.tx1";
    QTest::newRow("other name") << "x.txt";
}

void TstDownload::refusedNames()
{
    QFETCH(QString, name);
    InstalledContext c;
    QDir(c.inst.folder()).mkdir(QStringLiteral("sub"));
    const QStringList before = filesAround(c.inst.folder());
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    // A good file first: the refusal of the later name must keep it from being written too.
    c.prompter.expect(refusedName(name));
    QCOMPARE(download.writeAnswer("oper.tx1\r\n#A#,#12#\r\nEOF\r\n" + name.toLatin1() + "\r\n#x#\r\nEOF\r\n"),
             RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(filesAround(c.inst.folder()), before);
    QVERIFY(!QFile::exists(QStringLiteral("/etc/x")));
    QCOMPARE(QDir(c.inst.file(QStringLiteral("sub"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{});
    QVERIFY(download.written().isEmpty());
    QCOMPARE(c.control.busyDepth(), 0);
}

void TstDownload::writeFailureLeavesNoFile()
{
    InstalledContext c;
    // A folder where compo.tx1 should go: that file cannot be written, so oper.tx1 must not stay alone.
    QVERIFY(QDir(c.inst.folder()).mkdir(kCompoFile));
    const QStringList before = filesAround(c.inst.folder());
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    c.prompter.expect(QStringLiteral("Impossibile scrivere il file ") + c.inst.file(kCompoFile) +
                          QStringLiteral(": Filename refers to a directory.\r\nNessun file è stato scritto."),
                      kTitle, Icon::Critical);
    QCOMPARE(download.writeAnswer("oper.tx1\r\n#A#,#12#\r\nEOF\r\ncompo.tx1\r\n#A#,#12#,#1#\r\nEOF\r\n"),
             RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(filesAround(c.inst.folder()), before);
}

void TstDownload::emptyList()
{
    InstalledContext c;
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    c.prompter.expect(QStringLiteral("E' necessario imputare almeno un Operatore."), kTitle, Icon::Critical);
    QCOMPARE(download.run({}), RegistryDownload::Outcome::EmptyList);
    VX_VERIFY_PROMPTS(c.prompter);
}

void TstDownload::download()
{
    Fixture f;
    f.serve(kOperFile, lines({operLine("A", 12, "Ente A12"), operLine("B", 7, "Ente B7"), operLine("C", 305, "C")}));
    f.serve(kCompoFile, lines({compoLine("A", 12, 1), compoLine("C", 305, 1), compoLine("B", 7, 2)}));
    QVERIFY(f.start());
    f.inst.writeFile(kOperFile, "vecchio\r\n");
    RegistryDownload download(f.ctx, *f.exchange);
    QList<int> busyDuringCall;
    const auto outcome = download.run(entries({{"A", 12}, {"B", 7}}),
                                      [&](const QString&) { busyDuringCall.append(f.control.busyDepth()); });
    QCOMPARE(outcome, RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(download.written(), (QStringList{"oper.tx1", "compo.tx1"}));
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines({operLine("A", 12, "Ente A12"), operLine("B", 7, "Ente B7")}));
    QCOMPARE(readFile(f.inst.file(kCompoFile)), lines({compoLine("A", 12, 1), compoLine("B", 7, 2)}));
    QVERIFY(!QFile::exists(f.inst.file(kAnswerFile)));
    QVERIFY(!busyDuringCall.isEmpty());
    QCOMPARE(busyDuringCall, QList<int>(busyDuringCall.size(), 1));
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstDownload::confirmationScreen_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK goes on with the update") << true;
    QTest::newRow("Annulla keeps the files, updates nothing") << false;
}

void TstDownload::confirmationScreen()
{
    QFETCH(bool, ok);
    Fixture f;
    f.serve(kOperFile, lines({operLine("A", 12, "Ente A12")}));
    f.serve(kCompoFile, lines({compoLine("A", 12, 1)}));
    QVERIFY(f.start());
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Vecchio"));
    QVERIFY(f.open());
    frmOperatori screen(f.ctx, *f.exchange);
    QStringList shown;
    // The confirmation screen comes up once the download has written its files.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &screen, [&] {
        auto* confirmation = qobject_cast<frmConferma*>(QApplication::activeModalWidget());
        if (!confirmation)
            return;
        poll.stop();
        auto* files = confirmation->findChild<QListWidget*>(QStringLiteral("lstFile"));
        for (int i = 0; i < files->count(); ++i)
            shown.append(files->item(i)->text());
        ok ? confirmation->accept() : confirmation->reject();
    });
    poll.start(20);
    screen.confirm();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(shown, (QStringList{kOperFile, kCompoFile}));
    QCOMPARE(f.state.updateResult, ok ? AppState::kUpdateGoOn : AppState::kUpdateCancelled);
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    // Either way the files are in the program folder; the screen itself changes no row.
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines({operLine("A", 12, "Ente A12")}));
    QSqlQuery q = f.db.query();
    QVERIFY(q.exec(QStringLiteral("SELECT Denominazione FROM CorsiOper")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Vecchio"));
}

void TstDownload::hundredFiftySent()
{
    Fixture f;
    QList<QByteArray> all;
    QList<std::pair<QString, int>> wanted;
    for (int i = 1; i <= OperatorList::kLimit + 1; ++i) {
        all.append(operLine("A", i, QStringLiteral("Ente %1").arg(i)));
        if (i <= OperatorList::kLimit)
            wanted.append({QStringLiteral("A"), i});
    }
    f.serve(kOperFile, lines(all));
    QVERIFY(f.start());
    RegistryDownload download(f.ctx, *f.exchange);
    QCOMPARE(download.run(entries(wanted)), RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(f.prompter);
    // The server answers for every operator it was asked for, so all 150 were sent.
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines(all.mid(0, OperatorList::kLimit)));
}

void TstDownload::requestOnTheWire()
{
    // What the region's server reads: the form, the three headers of the form services (the last
    // one with its blank), and the installation's account.
    WireServer wire("oper.tx1\r\n#A#,#12#\r\nEOF\r\n");
    InstalledContext c;
    QVERIFY(wire.install(c));
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    QCOMPARE(download.run(entries({{"A", 12}, {"B", 7}})), RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(c.prompter);
    const QList<QByteArray> head = wire.request.left(wire.request.indexOf("\r\n\r\n")).split('\n');
    QCOMPARE(head.first(), QByteArray("POST /anagrafe/operatori HTTP/1.1\r"));
    for (const QByteArray& expected :
         {QByteArray("Content-Type: application/x-www-form-urlencoded\r"), QByteArray("Proxy-Connection: Keep-Alive\r"),
          QByteArray("HTTP: Protocol Version = HTTP/1.1 \r"),
          "Authorization: Basic " + kAccount.toLatin1().toBase64() + '\r'})
        QVERIFY2(head.contains(expected), wire.request.constData());
    QVERIFY(wire.request.endsWith("\r\n\r\ng=A&c=12&g=B&c=7"));
}

void TstDownload::announcedTooLarge()
{
    // An answer that announces more than the registry's cap is refused before it is read, and the
    // message names the cap.
    WireServer wire(QByteArray(), kRegistryAnswerLimit + 1);
    InstalledContext c;
    QVERIFY(wire.install(c));
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    c.prompter.expect(QStringLiteral("Si è verificato un errore in trasmissione, 12152 : La risposta del server supera "
                                     "il limite di 64 MiB."),
                      QStringLiteral("Errore di trasmissione"), Icon::Critical);
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
}

void TstDownload::answerLargerThanAForm()
{
    // A region's registry outgrows the cap of the form services' answers; the download has its own.
    Fixture f;
    QList<QByteArray> many(40000, operLine("A", 12, QString(100, QLatin1Char('x'))));
    f.serve(kOperFile, lines(many));
    QVERIFY(lines(many).size() > Exchange::kDefaultAnswerLimit);
    QVERIFY(f.start());
    RegistryDownload download(f.ctx, *f.exchange);
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines(many));
}

void TstDownload::failures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("account");
    QTest::addColumn<qint64>("cap");
    QTest::addColumn<Message>("message");
    QTest::addColumn<bool>("errorPage");
    const auto answered = [](const QString& answer) {
        return Message{QStringLiteral("Operazione non riuscita (servizio: anagrafe/operatori). Il server ha "
                                      "restituito il seguente messaggio di errore: \r\n\r\n") +
                           answer +
                           QStringLiteral("\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure "
                                          "contattare il servizio di assistenza KVR riportando questo messaggio."),
                       QStringLiteral("Errore restituito dal Server"), Icon::Critical, Buttons::Ok};
    };
    const auto tooLarge = [](const QString& limit) {
        return Message{QStringLiteral("Si è verificato un errore in trasmissione, 12152 : La risposta del server "
                                      "supera il limite di ") +
                           limit + QLatin1Char('.'),
                       QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok};
    };
    QTest::newRow("ERRORE answer") << "errore" << kAccount << kRegistryAnswerLimit
                                   << answered("ERRORE: servizio temporaneamente non disponibile (simulazione).")
                                   << false;
    QTest::newRow("wrong account") << "nessuno"
                                   << "regione:altra" << kRegistryAnswerLimit
                                   << answered("ERRORE: accesso non autorizzato.") << false;
    QTest::newRow("HTML page")
        << "html" << kAccount << kRegistryAnswerLimit
        << Message{QStringLiteral("Si è verificato un errore sul server ") + kServer +
                       QStringLiteral(" (servizio: anagrafe/operatori), cliccando su OK il sistema cercherà di "
                                      "visualizzare ulteriori informazioni sull'errore. Contattare il servizio "
                                      "assistenza KVR riportando questo messaggio e le informazioni visualizzate"),
                   QStringLiteral("ERRORE"), Icon::Critical, Buttons::Ok}
        << true;
    QTest::newRow("endless answer, small cap")
        << "infinita" << kAccount << qint64(1024 * 1024) << tooLarge(QStringLiteral("1 MiB")) << false;
    QTest::newRow("connection dropped")
        << "caduta" << kAccount << kRegistryAnswerLimit
        << Message{QStringLiteral("Si è verificato un errore in trasmissione, 12030 : La connessione è stata "
                                  "interrotta dal server."),
                   QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok}
        << false;
}

void TstDownload::failures()
{
    QFETCH(QString, failure);
    QFETCH(QString, account);
    QFETCH(qint64, cap);
    QFETCH(Message, message);
    QFETCH(bool, errorPage);
    Fixture f;
    f.state.credential = account;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("anagrafe=") + failure};
    f.serve(kOperFile, lines({operLine("A", 12, "Ente A12")}));
    f.serve(kCompoFile, lines({compoLine("A", 12, 1)}));
    QVERIFY(f.start());
    const QStringList before = filesAround(f.inst.folder());
    RegistryDownload download(f.ctx, *f.exchange);
    download.setAnswerLimit(cap);
    f.prompter.expect(message);
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QStringList after = filesAround(f.inst.folder());
    if (errorPage) {
        QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.inst.file(QStringLiteral("ErrServer.html")))});
        after.removeOne(QStringLiteral("ErrServer.html"));
    }
    QCOMPARE(after, before);
    QVERIFY(download.written().isEmpty());
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstDownload::untrustedCertificate()
{
    Fixture f;
    f.server.serverCertificate = QStringLiteral("server-non-fidato");
    QVERIFY(f.start(QStringLiteral("https://127.0.0.1:%1") + kPath));
    const QStringList before = filesAround(f.inst.folder());
    f.prompter.expect(QStringLiteral("Si è verificato un errore in trasmissione, 12045 : Il certificato del server "
                                     "non è emesso da un'autorità riconosciuta.\nE' necessario installare il "
                                     "certificato di autorizzazione per l'accesso al server sicuro 127.0.0.1.\nPer "
                                     "procedere alla reinstallazione, cercare nel sistema il file CA_ROOT.DER ed "
                                     "eseguire un doppio click su di esso.\nSe il file è assente dal sistema, "
                                     "contattare il servizio assistenza"),
                      QStringLiteral("Errore di trasmissione"), Icon::Critical);
    RegistryDownload download(f.ctx, *f.exchange);
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(filesAround(f.inst.folder()), before);
}

void TstDownload::forbiddenNameFromTheServer()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("anagrafe=nomevietato")};
    f.serve(kOperFile, lines({operLine("A", 12, "Ente A12")}));
    QVERIFY(f.start());
    const QStringList before = filesAround(f.inst.folder());
    const QByteArray ini = f.inst.iniBytes();
    f.prompter.expect(refusedName(QStringLiteral("../VELTRANORPX.INI")));
    RegistryDownload download(f.ctx, *f.exchange);
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(filesAround(f.inst.folder()), before);
    QCOMPARE(f.inst.iniBytes(), ini);
}

void TstDownload::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errText");
    QTest::addColumn<QString>("outText"); // besides the log's path
    // The log's path is the result, on standard output; nobody is offered to open it.
    QTest::newRow("every operator of the database") << QStringList() << "SERVER" << 0 << QString() << QString();
    QTest::newRow("the operators named") << QStringList{"a-12", "A-12"} << "SERVER" << 0 << QString() << QString();
    QTest::newRow("client") << QStringList() << "CLIENT" << 1
                            << "veltranorpx-cli: La funzione di Aggiornamento Base Dati è disponibile solo dalle "
                               "installazioni di tipo SERVER.\n"
                            << QString();
    // The region answers with empty files: the update refuses them and puts the database back.
    QTest::newRow("an operator the region does not know")
        << QStringList{"B-7"} << "SERVER" << 1
        << "veltranorpx-cli: ATTENZIONE: il file Oper.TX1 contenente le anagrafiche degli Operatori da aggiornare "
           "risulta vuoto. Impossibile continuare l'operazione di aggiornamento.\n"
        << "Ripristino della base dati riuscito\n";
}

void TstDownload::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, version);
    QFETCH(int, exitCode);
    QFETCH(QString, errText);
    QFETCH(QString, outText);
    Fixture f;
    f.serve(kOperFile, lines({operLine("A", 12, "Nuovo")}));
    f.serve(kCompoFile, lines({compoLine("A", 12, 1)}));
    QVERIFY(f.server.start());
    vx::test::IniValues values;
    values.versione = version;
    values.pwd = Settings::unscramble(kAccount); // the INI keeps it scrambled
    values.connessione = {QStringLiteral("AGGIORNADB=") + f.server.address(kPath),
                          QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() + QStringLiteral("ca.pem"),
                          QStringLiteral("TEMPO_LIMITE=10")};
    f.inst.writeIni(values);
    f.inst.addProvince(QStringLiteral("028"), QStringLiteral("Padova"), QStringLiteral("PD"));
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Vecchio"));
    f.inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("028"), 1, true);

    QString output, errorText;
    QTextStream out(&output), err(&errorText);
    const int code =
        vx::cli::run(QStringList{QStringLiteral("scarica-anagrafe")} + arguments, f.inst.folder(), out, err);
    out.flush();
    err.flush();
    const QString log = f.inst.file(kLogFile);
    QCOMPARE(errorText, errText.contains(QLatin1String("%1")) ? errText.arg(log) : errText);
    QCOMPARE(code, exitCode);
    QCOMPARE(output, exitCode == 0 ? log + QLatin1Char('\n') : outText);
    QVERIFY(f.open());
    QSqlQuery q = f.db.query();
    QVERIFY(q.exec(QStringLiteral("SELECT Denominazione FROM CorsiOper")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), exitCode == 0 ? QStringLiteral("Nuovo") : QStringLiteral("Vecchio"));
    // The client asked the region for nothing; a download that was loaded left its files in CAR.
    if (version == QLatin1String("CLIENT"))
        QVERIFY(!f.server.log().contains(kPath));
    QCOMPARE(QFile::exists(f.inst.file(QStringLiteral("CAR/oper.car"))), exitCode == 0);
    QVERIFY(!QFile::exists(f.inst.file(kOperFile)));
}

void TstDownload::commandLineUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("errText");
    QTest::newRow("no dash") << QStringList{"A-12", "B7"}
                             << "veltranorpx-cli: Operatore non valido: B7 (atteso gruppo e codice, per esempio "
                                "A-12)\n";
    QTest::newRow("a name after the key") << QStringList{"A-12      - Ente"}
                                          << "veltranorpx-cli: Operatore non valido: A-12      - Ente (atteso "
                                             "gruppo e codice, per esempio A-12)\n";
    QStringList many;
    for (int i = 1; i <= OperatorList::kLimit + 1; ++i)
        many.append(QStringLiteral("A-%1").arg(i));
    QTest::newRow("151 operators")
        << many << "veltranorpx-cli: E' stato raggiunto il limite massimo di aziende scaricabili da Internet\n";
}

void TstDownload::commandLineUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, errText);
    InstalledContext c;
    QString outText, errorText;
    QTextStream out(&outText), err(&errorText);
    const int code =
        vx::cli::run(QStringList{QStringLiteral("scarica-anagrafe")} + arguments, c.inst.folder(), out, err);
    err.flush();
    QCOMPARE(errorText, errText);
    QCOMPARE(code, vx::cli::kUsage);
}

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
