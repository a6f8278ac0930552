// The registry download: the list of operators and the form it sends, the split of the answer
// into files (nothing is written when a name is refused or a file cannot be), the download against
// veltranorpx-regione with its failures, the main screen's database-update command from its
// questions to the connection opened again, and `veltranorpx-cli scarica-anagrafe`.

#include "RefdataFixture.h"
#include "RegioneProcess.h"
#include "Support.h"
#include "TestContext.h"

#include "app/DatabaseUpdateFlow.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "net/Exchange.h"
#include "refdata/Messages.h"
#include "refdata/RegistryDownload.h"
#include "refdata/RegistryUpdate.h"

#include <QDir>
#include <QTest>

#include <memory>

using namespace vx;
using namespace vx::refdata;
using namespace vx::msg::refdata;
using vx::test::InstalledContext;
using vx::test::readFile;
using vx::test::RegioneProcess;

namespace {

const QString kAccount = QStringLiteral("regione:demo2026");
const QString kServer = QStringLiteral("regione.example");
const QString kPath = QStringLiteral("/anagrafe/operatori");

QByteArray operLine(const QString& group, int code, const QString& name)
{
    return windows1252::encode(vx::test::operLine(group, QString::number(code), name));
}
QByteArray compoLine(const QString& group, int code, int site)
{
    return windows1252::encode(vx::test::compoLine(group, QString::number(code), QString::number(site), "SL", "Sede"));
}
QByteArray lines(const QList<QByteArray>& list)
{
    QByteArray out;
    for (const QByteArray& l : list)
        out += l + "\r\n";
    return out;
}

QList<OperatorEntry> entries(const QList<std::pair<QString, int>>& keys)
{
    QList<OperatorEntry> out;
    for (const auto& [group, code] : keys)
        out.append({group, code, QString()});
    return out;
}

// The program folder's files, and its parent's, to prove that nothing was written anywhere.
QStringList filesAround(const QString& folder)
{
    QStringList out = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : {QStringLiteral("VELTRANORPX.INI"), QStringLiteral("oper.tx1")})
        if (QDir(folder + QStringLiteral("..")).exists(name))
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
        inst.writeIni({.connessione = {QStringLiteral("AGGIORNADB=") +
                                       (address.isEmpty() ? server.address(kPath) : address.arg(server.port()))}});
        ExchangeSettings settings;
        settings.caFile = RegioneProcess::certificates() + QStringLiteral("ca.pem");
        settings.timeLimitMs = 10000;
        exchange = std::make_unique<Exchange>(settings);
        return true;
    }
};

// The database update's screens, seen from the flow: what it showed, and an operator list that
// delivers `files` (or nothing) and gives the user's answer.
struct FlowScreens : DatabaseUpdateScreens {
    InstalledContext& c;
    bool goOn = true;
    QStringList seen;

    explicit FlowScreens(InstalledContext& context) : c(context) {}
    void showWaiting(const QString& text) override { seen.append(text.isEmpty() ? "attesa tolta" : text); }
    void chooseOperators() override
    {
        seen.append(QStringLiteral("lista"));
        c.inst.writeFile(kOperFile, vx::test::operLine("A", "12", "Nuovo").toLatin1());
        c.inst.writeFile(kCompoFile, vx::test::compoLine("A", "12", "1", "SL", "Sede").toLatin1());
        c.state.updateResult = goOn ? AppState::kUpdateGoOn : AppState::kUpdateCancelled;
    }
    void openProgress() override { seen.append(QStringLiteral("avanzamento")); }
    void showProgress(const QString&, const QString&, int, int) override {}
    void closeProgress() override { seen.append(QStringLiteral("fine")); }
};

} // namespace

class TstDownload : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void operatorList();
    void split();
    void writesTheFiles();
    void refusedAnswers_data();
    void refusedAnswers();
    void download();
    void answerSize();
    void failures_data();
    void failures();
    void updateCommand_data();
    void updateCommand();
};

void TstDownload::operatorList()
{
    // Prefilled with the operators of the database by group, then code as a number; each shown as
    // its key and name, which give the key back; at most 150, each once; sent as a form.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("Ente B7 - Padova"));
    c.inst.addOperator(QStringLiteral("A"), 12, QString());
    OperatorList list;
    QVERIFY(list.fill(c.db, c.prompter));
    QCOMPARE(list.add({QStringLiteral("A"), 3, QStringLiteral("Ente A3")}), OperatorList::AddResult::Added);
    QCOMPARE(list.add({QStringLiteral("B"), 7, QString()}), OperatorList::AddResult::AlreadyThere);
    QCOMPARE(list.add({QStringLiteral(" "), 9, QString()}), OperatorList::AddResult::NoGroup);
    QStringList texts;
    for (const OperatorEntry& e : list.entries()) {
        texts.append(e.text());
        QString group;
        qint32 code = -1;
        QVERIFY(OperatorEntry::parse(e.text(), group, code) && e.sameKey({group, code, QString()}));
    }
    QCOMPARE(texts, (QStringList{"A-12      - ", "B-7      - Ente B7 - Padova", "A-3      - Ente A3"}));
    for (const char* bad : {"", "A12", "-12", "AB-12", "1-12", "A-", "A-12x", "A-1.5", "A--3", "A-2147483648"}) {
        QString group;
        qint32 code = -1;
        QVERIFY2(!OperatorEntry::parse(QLatin1String(bad), group, code) && code == -1, bad);
    }
    list.remove(0);
    list.remove(1000); // no such row: nothing
    QCOMPARE(downloadBody(list.entries() + entries({{"&", 1}})), QByteArray("g=B&c=7&g=A&c=3&g=%26&c=1"));
    for (int i = 1; list.size() < OperatorList::kLimit; ++i)
        QCOMPARE(list.add({QStringLiteral("Z"), i, QString()}), OperatorList::AddResult::Added);
    QCOMPARE(list.add({QStringLiteral("B"), 7, QString()}), OperatorList::AddResult::Full);
}

void TstDownload::split()
{
    const QList<AnswerFile> files =
        splitAnswer(QStringLiteral("#orfana#\r\noper.tx1\r\nINSTALLAZIONE\r\n#A#,#12#\r\n  #A#,#7#  \r\nEOF\r\n"
                                   "compo.tx1\r\n#A#,#12#,#1#\r\n\r\n#dopo la fine#\r\nsediutil.tx1\nEOF\n"));
    QCOMPARE(files.size(), 3);
    // The header keyword is one of the file's lines; data lines are kept as they are, blanks included;
    // an empty line ends a file as EOF does; lines outside a file are dropped.
    QCOMPARE(files.at(0).name + files.at(0).lines.join('|'),
             QStringLiteral("oper.tx1INSTALLAZIONE|#A#,#12#|  #A#,#7#  "));
    QCOMPARE(files.at(1).name + files.at(1).lines.join('|'), QStringLiteral("compo.tx1#A#,#12#,#1#"));
    QCOMPARE(files.at(2).name + files.at(2).lines.join('|'), QStringLiteral("sediutil.tx1"));
}

void TstDownload::writesTheFiles()
{
    InstalledContext c;
    c.inst.writeFile(kOperFile, "vecchio\r\n");
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    // "è" as Windows-1252 (0xE8) and a byte the code page leaves undefined (0x81) come back unchanged.
    const QByteArray answer = "oper.tx1\r\nINSTALLAZIONE\r\n#A#,#12#,#Citt\xe0\x81#\r\nEOF\r\n"
                              "COMPO.TX1\nAGGIORNAMENTO\n#A#,#12#,#1#\nEOF";
    QCOMPARE(download.writeAnswer(answer), RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(download.written(), (QStringList{"oper.tx1", "compo.tx1"}));
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("INSTALLAZIONE\r\n#A#,#12#,#Citt\xe0\x81#\r\n"));
    // Written under the name the update looks for, with CR LF line ends; the answer is not kept.
    QCOMPARE(readFile(c.inst.file(kCompoFile)), QByteArray("AGGIORNAMENTO\r\n#A#,#12#,#1#\r\n"));
    QCOMPARE(QDir(c.inst.folder()).entryList({"*.tx1", "*.TX1"}, QDir::Files), (QStringList{"compo.tx1", "oper.tx1"}));
    QCOMPARE(c.control.busyDepth(), 0);
}

void TstDownload::refusedAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<Message>("message");
    const QByteArray good = "oper.tx1\r\n#A#,#12#\r\nEOF\r\n";
    // A good file first: the refusal of the later name must keep it from being written too.
    for (const char* name :
         {"../VELTRANORPX.INI", "/etc/x", "sub/oper.tx1", "..\\oper.tx1", "C:oper.tx1", "x.txt", "$tmpDenOp.tx1"})
        QTest::newRow(name) << good + name + "\r\n#x#\r\nEOF\r\n" << forbiddenName(QLatin1String(name));
    QTest::newRow("no file") << QByteArray("\r\n#A#,#12#\r\nEOF\r\n") << noFiles();
}

void TstDownload::refusedAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(Message, message);
    InstalledContext c;
    QDir(c.inst.folder()).mkdir(QStringLiteral("sub"));
    c.inst.writeFile(kOperFile, "vecchio\r\n");
    const QStringList before = filesAround(c.inst.folder());
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    c.prompter.expect(message);
    QCOMPARE(download.writeAnswer(answer), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(filesAround(c.inst.folder()), before);
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("vecchio\r\n"));
    QVERIFY(!QFile::exists(QStringLiteral("/etc/x")) && QDir(c.inst.file(QStringLiteral("sub"))).isEmpty());
    // A folder where compo.tx1 should go: that file cannot be written, so oper.tx1 must not stay alone.
    QVERIFY(QDir(c.inst.folder()).mkdir(kCompoFile));
    c.prompter.expect(writeFailure(c.inst.file(kCompoFile), QStringLiteral("Filename refers to a directory")));
    QCOMPARE(download.writeAnswer("oper.tx1\r\n#A#,#12#\r\nEOF\r\ncompo.tx1\r\n#A#,#12#,#1#\r\nEOF\r\n"),
             RegistryDownload::Outcome::Failed);
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("vecchio\r\n"));
    QVERIFY(download.written().isEmpty());
}

void TstDownload::download()
{
    Fixture f;
    f.serve(kOperFile, lines({operLine("A", 12, "Ente A12"), operLine("B", 7, "Ente B7"), operLine("C", 305, "C")}));
    f.serve(kCompoFile, lines({compoLine("A", 12, 1), compoLine("C", 305, 1), compoLine("B", 7, 2)}));
    QVERIFY(f.start());
    RegistryDownload download(f.ctx, *f.exchange);
    QList<int> busyDuringCall;
    f.prompter.expect(emptyList());
    QCOMPARE(download.run({}), RegistryDownload::Outcome::EmptyList);
    QCOMPARE(download.run(entries({{"A", 12}, {"B", 7}}),
                          [&](const QString&) { busyDuringCall.append(f.control.busyDepth()); }),
             RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines({operLine("A", 12, "Ente A12"), operLine("B", 7, "Ente B7")}));
    QCOMPARE(readFile(f.inst.file(kCompoFile)), lines({compoLine("A", 12, 1), compoLine("B", 7, 2)}));
    QVERIFY(!QFile::exists(f.inst.file(kAnswerFile)));
    QVERIFY(!busyDuringCall.isEmpty());
    QCOMPARE(busyDuringCall, QList<int>(busyDuringCall.size(), 1));
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstDownload::answerSize()
{
    // A region's registry outgrows the cap of the form services' answers: the download has its own.
    Fixture f;
    const QList<QByteArray> many(40000, operLine("A", 12, QString(100, QLatin1Char('x'))));
    QVERIFY(lines(many).size() > Exchange::kDefaultAnswerLimit);
    f.serve(kOperFile, lines(many));
    QVERIFY(f.start());
    QCOMPARE(RegistryDownload(f.ctx, *f.exchange).run(entries({{"A", 12}})), RegistryDownload::Outcome::Downloaded);
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines(many));
}

void TstDownload::failures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("told"); // a part of the message, which is the exchange's own
    QTest::newRow("ERRORE answer") << "errore"
                                   << "ERRORE: servizio temporaneamente";
    QTest::newRow("HTML page, shown") << "html"
                                      << "(servizio: anagrafe/operatori)";
    QTest::newRow("connection dropped") << "caduta"
                                        << "12030";
}

void TstDownload::failures()
{
    // Told, and nothing written but the server's error page.
    QFETCH(QString, failure);
    QFETCH(QString, told);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("anagrafe=") + failure};
    f.serve(kOperFile, lines({operLine("A", 12, "Ente A12")}));
    QVERIFY(f.start());
    const QStringList before = filesAround(f.inst.folder());
    QCOMPARE(RegistryDownload(f.ctx, *f.exchange).run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    const QString shown = f.prompter.problems();
    QVERIFY2(shown.count(QStringLiteral("[")) == 1 && shown.contains(told), qPrintable(shown));
    QStringList after = filesAround(f.inst.folder());
    if (failure == QLatin1String("html"))
        QVERIFY(!f.desktop.opened.isEmpty() && after.removeOne(QStringLiteral("ErrServer.html")));
    QCOMPARE(after, before);
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstDownload::updateCommand_data()
{
    QTest::addColumn<int>("answered"); // how many of the two questions are answered to go on
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<bool>("goOn"); // the operator list's answer
    QTest::addColumn<QStringList>("seen");
    const QString wait = updateWait();
    QTest::newRow("no internet") << 0 << false << true << QStringList();
    QTest::newRow("clients may be connected") << 1 << false << true << QStringList();
    QTest::newRow("another workstation holds the database") << 2 << true << true << QStringList();
    QTest::newRow("list cancelled") << 2 << false << false << QStringList{wait, "lista", "attesa tolta"};
    QTest::newRow("updated") << 2 << false << true << QStringList{wait, "lista", "avanzamento", "fine", "attesa tolta"};
}

void TstDownload::updateCommand()
{
    QFETCH(int, answered);
    QFETCH(bool, heldElsewhere);
    QFETCH(bool, goOn);
    QFETCH(QStringList, seen);
    InstalledContext c({.tipo = QStringLiteral("Multiutenza")});
    Settings::read(c.inst.ini()).applyTo(c.state);
    c.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Vecchio"));
    QVERIFY(c.open());
    Database other; // another workstation
    if (heldElsewhere)
        QVERIFY(other.open(QString(), c.inst.databasePath(), Database::Mode::Multiutenza));
    c.prompter.expect(internetQuestion(), answered > 0 ? Answer::Ok : Answer::Cancel);
    if (answered > 0)
        c.prompter.expect(clientsQuestion(), answered > 1 ? Answer::Yes : Answer::No);
    if (heldElsewhere)
        c.prompter.expect(exclusiveOpenFailed(DbError::sqlite(5)));
    const bool updated = seen.contains(QStringLiteral("fine"));
    if (updated)
        c.prompter.expect(updateDone());
    FlowScreens screens(c);
    screens.goOn = goOn;
    QVERIFY(DatabaseUpdateFlow(c.ctx, screens).run());
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(screens.seen, seen);
    // Back as the installation opens it, with the registry loaded only when the user went on.
    QVERIFY(c.db.isOpen() && c.db.mode() == Database::Mode::Multiutenza);
    QCOMPARE(vx::test::rowsOf(c.db, "SELECT Denominazione FROM CorsiOper"), QStringList{updated ? "Nuovo" : "Vecchio"});
}

QTEST_MAIN(TstDownload)
#include "tst_download.moc"
