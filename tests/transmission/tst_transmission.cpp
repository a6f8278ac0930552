// The transmission file of a Request, byte for byte, and the check before it leaves: the records
// in their order, the refusals with their messages, a refused or failed file never left in place,
// every person's values carried as the card or the import accepted them and, with the database at
// hand, checked against the Request and the registry's sites.

#include "Support.h"
#include "TestContext.h"

#include "transmission/Messages.h"
#include "transmission/TransmissionCheck.h"
#include "transmission/TransmissionFile.h"

#include <QDir>
#include <QTest>

using namespace vx;
using namespace vx::transmission;
namespace m = vx::msg::transmission;

namespace {

const QString kName = QStringLiteral("VELTRANORPX_6_37.A123");
const QString kEmail = QStringLiteral("ente@posta.it");

const QByteArray kZ =
    "#Z#,#KVR_ALLEGATO_CENSIMENTO_RUOLI_PERCORSI_FORMATIVI_2017#,#0#,#2017#,#A#,#123#,#37#,#20260305#\r\n";
const QByteArray kA =
    "#A#,#37#,#0#,#2017#,#6#,#A#,#123#,#A01#,#01234567890#,#ente@posta.it#,#2#,#Mario Rossi#,#Torino#,"
    "#TO#,#19700305#,#Banca#,#IT60X0542811101000000123456#,#Ag. 1#,#Via Roma 1#,#123#,#Ente#,#12#,"
    "#201535#,#TO#,#D1#,#2016#,#20260305#\r\n";
const QByteArray kB = "#B#,#37#,#0#,#2017#,#6#,#A#,#123#,#1#,#Operatore 123#,#L219#,#10100#,#Via Po 2#,##,##,#TO#,#99#,"
                      "#2000#,#85#,#S#,#011#,#012#,#ente@x.it#,#Sig. Bianchi#,##,#20260305#\r\n";
const QByteArray kE1 = "#E#,#37#,#0#,#2017#,#A#,#123#,#BNCNNA75T55L219N#,#Bianchi#,#Anna#,#15121975#,#a@x.it#,#333#,"
                       "#A#,#123#,#CENTRO FORMAZIONE#,#2#,#VERIFICATORE_PERCORSI_SEDE#,#20260305#\r\n";
const QByteArray kE2 = "#E#,#37#,#0#,#2017#,#A#,#123#,#BNCNNA75T55L219N#,#Bianchi#,#Anna#,#15121975#,#a@x.it#,#333#,"
                       "#B#,#7#,#Ente B\xE8#,#1#,#PROGETTISTA_AGENZIA_PCV#,#20260305#\r\n";
const QByteArray kE3 = "#E#,#37#,#0#,#2017#,#A#,#123#,#VRDLGU80A01L219I#,#Verdi#,#Luigi#,#01011980#,#l@x.it#,#011#,"
                       "#A#,#123#,#CENTRO FORMAZIONE#,#0#,#PROGETTISTA_PERCORSI_FORM#,#20260305#\r\n";
const QByteArray kEnd = "#Z#,#EOF#\r\n";

QByteArray lines(const QList<QByteArray>& records)
{
    QByteArray out;
    for (const QByteArray& r : records)
        out += r;
    return out;
}
const QByteArray kWhole = lines({kZ, kA, kB, kE1, kE2, kE3, kEnd});

QByteArray withField(const QByteArray& record, int field, const QByteArray& value)
{
    QList<QByteArray> fields = record.chopped(3).mid(1).split('#');
    fields[2 * (field - 1)] = value; // values alternate with the "," between them
    return '#' + fields.join('#') + "#\r\n";
}

const RolePerson kVerdi{37, "VRDLGU80A01L219I", "Verdi", "Luigi", "01", "01", "1980", "l@x.it", "011", "A", 123, 0, 1};

struct Fixture : vx::test::InstalledContext {
    TransmissionFile file{ctx};
    QStringList before;

    Fixture()
    {
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 0));
        inst.addOperator(QStringLiteral("A"), 123, QStringLiteral("CENTRO FORMAZIONE"));
        inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("Ente B\u00E8"));
        inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo) "
                                "VALUES ('A', 123, 2, 'SO'), ('B', 7, 1, 'SL')"));
        inst.addRequest(37, QStringLiteral("A"), 123, QStringLiteral("001"), 1, true);
        inst.sql(QStringLiteral(
            "UPDATE Domande SET TipoOper = '01', CodFisc = '01234567890', Corrispondenza = 2, LegNome = 'Mario Rossi', "
            "LegComNasc = 'Torino', LegProvNasc = 'TO', LegGGNasc = '5', LegMMNasc = '3', LegAAAANasc = '1970', "
            "ContDesBanca = 'Banca', ContIBAN = 'IT60X0542811101000000123456', ContAge = 'Ag. 1', "
            "ContIndirAge = 'Via Roma 1', ContNumCC = '123', ContIntCC = 'Ente', A_DomPrece = '12', A_GGPrece = '5', "
            "A_MMPrece = '3', A_AAAAPrece = '2015', A_DomPROV = 'TO', A_Direttiva = 'D1', A_AnnoDirettiva = '2016', "
            "Componente = 1, CodComune = 'L219', Cap = '10100', Indirizzo = 'Via Po 2', ProvCCIAA = 'TO', "
            "CodCCIAA = '99', AnnoCCIAA = '2000', AttEcono = 85, ATS = 1, Tel = '011', Fax = '012', "
            "EMail = 'ente@x.it', Riferimento = 'Sig. Bianchi' WHERE NumDoma = 37"));
        // Stored out of the file's order, so that the file shows its own.
        inst.addRole(kVerdi);
        inst.addRole({37, "BNCNNA75T55L219N", "Bianchi", "Anna", "15", "12", "1975", "a@x.it", "333", "B", 7, 1, 4});
        inst.addRole({37, "BNCNNA75T55L219N", "Bianchi", "Anna", "15", "12", "1975", "a@x.it", "333", "A", 123, 2, 3});
        open();
        before = QDir(inst.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // The files that came into the program folder since the fixture was made: a test names each,
    // so that no temporary or partial file can stay unnoticed.
    QStringList folderFiles() const
    {
        QStringList files = QDir(inst.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        files.removeIf([this](const QString& f) { return before.contains(f); });
        return files;
    }
};

} // namespace

class TstTransmission : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeFile();
    void recordA_data();
    void recordA();
    void refusals_data();
    void refusals();
    void failureKeepsEarlierFile();
    void check_data();
    void check();
    void againstTheDatabase_data();
    void againstTheDatabase();
};

void TstTransmission::wholeFile()
{
    Fixture f;
    QCOMPARE(f.file.create(37, kEmail), f.inst.file(kName));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(test::readFile(f.inst.file(kName)), kWhole);
    QCOMPARE(f.folderFiles(), QStringList{kName});

    // The reserved mode's name, after telling the user; elsewhere when asked.
    f.state.reservedMode = true;
    const QString folder = f.inst.file(QStringLiteral("uscita"));
    QVERIFY(QDir().mkpath(folder));
    f.prompter.expect(m::notice(m::Notice::ReservedName));
    QCOMPARE(f.file.create(37, kEmail, folder), folder + QStringLiteral("/QUOLB_") + kName);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(test::readFile(folder + QStringLiteral("/QUOLB_") + kName), kWhole);
}

void TstTransmission::recordA_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::newRow("birth year of two digits") << "LegAAAANasc = '70'" << withField(kA, 15, "") << kB;
    QTest::newRow("birth date stored as numbers")
        << "LegGGNasc = 7, LegMMNasc = 9, LegAAAANasc = 1969" << withField(kA, 15, "19690907") << kB;
    QTest::newRow("previous request without its year") << "A_AAAAPrece = NULL" << withField(kA, 23, "35") << kB;
    QTest::newRow("ATS not set") << "ATS = 0" << kA << withField(kB, 19, "N");
}

void TstTransmission::recordA()
{
    QFETCH(QString, change);
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    Fixture f;
    f.inst.sql(QStringLiteral("UPDATE Domande SET ") + change);
    QVERIFY(!f.file.create(37, kEmail).isEmpty());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(test::readFile(f.inst.file(kName)), lines({kZ, a, b, kE1, kE2, kE3, kEnd}));
}

void TstTransmission::refusals_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QList<Message>>("messages");
    QTest::addColumn<QStringList>("faults"); // of the check, whose report is kept beside the program
    const Message nomina = m::fileNotWritten(0, QString());
    QTest::newRow("no such Request") << "DELETE FROM Domande" << kEmail
                                     << QList<Message>{m::requestNotFound(QStringLiteral("NomeFile"))} << QStringList();
    QTest::newRow("no persons") << "DELETE FROM Ruoli" << kEmail << QList<Message>{m::noPersons(), nomina}
                                << QStringList();
    QTest::newRow("no correspondence site") << "UPDATE Domande SET Corrispondenza = NULL" << kEmail
                                            << QList<Message>{m::correspondenceMissing(), nomina} << QStringList();
    QTest::newRow("the separator in a value")
        << "UPDATE Ruoli SET Cognome = 'Verdi#,#X' WHERE Cognome = 'Verdi'" << kEmail << QList<Message>()
        << QStringList{m::separatorInValue(6, 8), m::fieldCount(6, QStringLiteral("E"), 19, 18)};
    QTest::newRow("the separator in the e-mail")
        << "" << QStringLiteral("a#,#b") << QList<Message>()
        << QStringList{m::separatorInValue(2, 10), m::fieldCount(2, QStringLiteral("A"), 28, 27)};
    QTest::newRow("a site the registry no longer has")
        << "DELETE FROM CorsiCompo WHERE Componente = 2" << kEmail << QList<Message>()
        << QStringList{m::unknownSite(4, QStringLiteral("A"), QStringLiteral("123"), QStringLiteral("2"))};
    QTest::newRow("no such role") << "UPDATE Ruoli SET Ruolo = 6 WHERE Cognome = 'Verdi'" << kEmail << QList<Message>()
                                  << QStringList{m::unknownRole(6, QString())};
}

void TstTransmission::refusals()
{
    QFETCH(QString, statement);
    QFETCH(QString, email);
    QFETCH(QList<Message>, messages);
    QFETCH(QStringList, faults);
    Fixture f;
    if (!statement.isEmpty())
        f.inst.sql(statement);
    for (const Message& message : messages)
        f.prompter.expect(message);
    const QString saved = f.inst.file(kCheckReportName);
    const QString report = m::checkFailed(kName) + QStringLiteral("\r\n") + faults.join(QStringLiteral("\r\n"));
    if (!faults.isEmpty())
        f.prompter.expect(m::checkRefused(report, QDir::toNativeSeparators(saved)));
    QCOMPARE(f.file.create(37, email), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    if (!faults.isEmpty()) {
        QCOMPARE(test::readFile(saved), (report + QStringLiteral("\r\n")).toUtf8());
        QFile::remove(saved);
    }
    QCOMPARE(f.folderFiles(), QStringList());
}

void TstTransmission::failureKeepsEarlierFile()
{
    Fixture f;
    QVERIFY(!f.file.create(37, kEmail).isEmpty());
    // The next day the Request has lost its persons: the attempt fails and the whole file of the
    // day before stays as it was, with no partial file beside it.
    f.clock.fixed = f.clock.fixed.addDays(1);
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(m::noPersons()).expect(m::fileNotWritten(0, QString()));
    QCOMPARE(f.file.create(37, kEmail), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(test::readFile(f.inst.file(kName)), kWhole);
    QCOMPARE(f.folderFiles(), QStringList{kName});
}

void TstTransmission::check_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("persons");

    QTest::newRow("whole") << kWhole << QStringList() << 3;
    QTest::newRow("no terminator, no CR LF at the end")
        << lines({kZ, kA, kB, kE1}).chopped(2)
        << QStringList{m::text(m::Text::NoFinalCrLf), m::text(m::Text::MissingTerminator)} << 1;
    QTest::newRow("a bare line feed") << lines({kZ, kA, kB, kE1.chopped(2) + "\n", kEnd})
                                      << QStringList{m::bareLineBreak(4), m::fieldCount(4, QStringLiteral("E"), 19, 18),
                                                     m::text(m::Text::MissingTerminator)}
                                      << 0;
    QTest::newRow("B before A, no persons")
        << lines({kZ, kB, kA, kEnd})
        << QStringList{m::outOfPlace(2, QStringLiteral("B"), QLatin1Char('A')),
                       m::outOfPlace(3, QStringLiteral("A"), QLatin1Char('B')), m::terminatorWithoutPersons(4)}
        << 0;
    QTest::newRow("short dates") << lines({kZ, withField(kA, 15, "1970ab05"), kB, withField(kE1, 18, "2026035"), kEnd})
                                 << QStringList{m::notEightDigits(2, 15, QStringLiteral("1970ab05")),
                                                m::notEightDigits(4, 18, QStringLiteral("2026035"))}
                                 << 1;
    QTest::newRow("a person twice, another Request's person")
        << lines({kZ, kA, kB, kE1, kE1, withField(kE3, 2, "38"), kEnd})
        << QStringList{m::repeatedPerson(5, 4), m::otherRequest(6, QStringLiteral("38"), QStringLiteral("37"))} << 3;
    QTest::newRow("a byte the code page leaves undefined")
        << lines({kZ, kA, kB, kE1, kE2, withField(kE3, 12, "011\x81"), kEnd}) << QStringList{m::notEncodable(6)} << 3;
    QTest::newRow("after the terminator, unknown, not enclosed")
        << lines({kZ, kA, kB, kE1, "#Q#,#1#\r\n", "E,37\r\n", kEnd, kE2})
        << QStringList{m::unknownRecord(5, QStringLiteral("Q")), m::notEnclosed(6), m::afterTerminator(8)} << 1;
    QTest::newRow("empty") << QByteArray()
                           << QStringList{m::text(m::Text::NoFinalCrLf), m::notEnclosed(1),
                                          m::text(m::Text::MissingHeader), m::text(m::Text::MissingTerminator)}
                           << 0;
    // What the card or the import accepted travels as it is, the card's stricter rules aside: a
    // Request printed with it must still be sent.
    QTest::newRow("values the import accepts")
        << lines({kZ, kA, kB, withField(withField(kE1, 8, "D'ANGEL\xD2"), 12, ""),
                  withField(withField(kE2, 8, "\xD6ZIL"), 9, "  BABA  "), withField(kE3, 7, "VRDLGU80A01L219X"), kEnd})
        << QStringList() << 3;
    QTest::newRow("a site or an operator code that is no number")
        << lines({kZ, kA, kB, withField(kE1, 16, "2a"), withField(kE2, 14, ""), kE3, kEnd})
        << QStringList{m::notANumber(4, 16, QStringLiteral("2a")), m::notANumber(5, 14, QString())} << 3;
    QTest::newRow("a role word out of the table")
        << lines({kZ, kA, kB, kE1, kE2, withField(kE3, 17, "VERIFICATORE_PERCORSI_SEDX"), kEnd})
        << QStringList{m::unknownRole(6, QStringLiteral("VERIFICATORE_PERCORSI_SEDX"))} << 3;
    QTest::newRow("a lone # inside a field")
        << lines({kZ, kA, kB, kE1, kE2, withField(kE3, 9, "Lu#igi"), kEnd}) << QStringList{m::loneHash(6, 9)} << 3;
    QTest::newRow("re-encoded to UTF-8") << QString::fromLatin1(kWhole).toUtf8()
                                         << QStringList{m::text(m::Text::Utf8Encoded)} << 3;
}

void TstTransmission::check()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, faults);
    QFETCH(int, persons);
    const CheckReport report = checkFile(bytes);
    QCOMPARE(report.faults, faults);
    QCOMPARE(report.persons, persons);
    QCOMPARE(report.text(kName),
             faults.isEmpty() ? m::checkPassed(kName, persons)
                              : m::checkFailed(kName) + QStringLiteral("\r\n") + faults.join(QStringLiteral("\r\n")));
}

void TstTransmission::againstTheDatabase_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("faults");
    const QString verdi =
        m::missingPerson(QStringLiteral("VRDLGU80A01L219I"), QStringLiteral("Verdi"), QStringLiteral("Luigi"));
    const QString anna =
        m::missingPerson(QStringLiteral("BNCNNA75T55L219N"), QStringLiteral("Bianchi"), QStringLiteral("Anna"));
    QTest::newRow("as written") << kWhole << QStringList();
    QTest::newRow("a person deleted") << lines({kZ, kA, kB, kE1, kE2, kEnd}) << QStringList{verdi};
    QTest::newRow("a changed name") << lines({kZ, kA, kB, kE1, kE2, withField(kE3, 8, "Verde"), kEnd})
                                    << QStringList{m::notInRequest(6, 37), verdi};
    QTest::newRow("a changed site") << lines({kZ, kA, kB, withField(kE1, 16, "3"), kE2, kE3, kEnd})
                                    << QStringList{m::unknownSite(4, QStringLiteral("A"), QStringLiteral("123"),
                                                                  QStringLiteral("3")),
                                                   m::notInRequest(4, 37), anna};
}

void TstTransmission::againstTheDatabase()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, faults);
    Fixture f;
    QCOMPARE(checkFile(bytes, &f.db).faults, faults);
    // Another installation's Request is judged by its bytes alone.
    f.inst.sql(QStringLiteral("UPDATE Domande SET NumDoma = 38"));
    QCOMPARE(checkFile(bytes, &f.db).faults, QStringList());
}

QTEST_GUILESS_MAIN(TstTransmission)
#include "tst_transmission.moc"
