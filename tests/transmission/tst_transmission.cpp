// The transmission file of a Request, byte for byte, and the check before it leaves: the records
// in their order, the dates, the names, every refusal with its messages, and a refused or failed
// file never left in place.

#include "TestContext.h"

#include "core/Windows1252.h"
#include "transmission/TransmissionCheck.h"
#include "transmission/TransmissionFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace vx;
using namespace vx::transmission;

namespace {

const QString kName = QStringLiteral("VELTRANORPX_6_37.A123");
const QString kNomina = QStringLiteral("Creazione file di trasmissione - Nomina_e_Crea");
const QString kEmail = QStringLiteral("ente@posta.it");

const QByteArray kZ =
    "#Z#,#KVR_ALLEGATO_CENSIMENTO_RUOLI_PERCORSI_FORMATIVI_2017#,#0#,#2017#,#A#,#123#,#37#,#20260305#\r\n";
const QByteArray kA =
    "#A#,#37#,#0#,#2017#,#6#,#A#,#123#,#A01#,#01234567890#,#ente@posta.it#,#2#,#Mario Rossi#,#Torino#,"
    "#TO#,#19700305#,#Banca#,#IT60X0542811101000000123456#,#Ag. 1#,#Via Roma 1#,#123#,#Ente#,#12#,"
    "#201535#,#TO#,#D1#,#2016#,#20260305#\r\n";
const QByteArray kB = "#B#,#37#,#0#,#2017#,#6#,#A#,#123#,#1#,#Operatore 123#,#L219#,#10100#,#Via Po 2#,##,##,#TO#,#99#,"
                      "#2000#,#85#,#S#,#011#,#012#,#ente@x.it#,#Sig. Bianchi#,##,#20260305#\r\n";
const QByteArray kE1 =
    "#E#,#37#,#0#,#2017#,#A#,#123#,#BNCNNA75B41L219Y#,#Bianchi#,#Anna#,#15121975#,##,#333#,#A#,#123#,"
    "#CENTRO FORMAZIONE#,#2#,#VERIFICATORE_PERCORSI_SEDE#,#20260305#\r\n";
const QByteArray kE2 = "#E#,#37#,#0#,#2017#,#A#,#123#,#BNCNNA75B41L219Y#,#Bianchi#,#Anna#,#15121975#,##,#333#,#B#,#7#,"
                       "#Ente B\xE8#,#0#,#PROGETTISTA_AGENZIA_PCV#,#20260305#\r\n";
const QByteArray kE3 =
    "#E#,#37#,#0#,#2017#,#A#,#123#,#VRDLGU80A01L219X#,#Verdi#,#Luigi#,#111980#,#l@x.it#,##,#A#,#123#,"
    "#CENTRO FORMAZIONE#,#0#,#PROGETTISTA_PERCORSI_FORM#,#20260305#\r\n";
const QByteArray kEnd = "#Z#,#EOF#\r\n";

struct Fixture : vx::test::InstalledContext {
    TransmissionFile file{ctx};
    QStringList before;

    Fixture()
    {
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 0));
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addOperator(QStringLiteral("A"), 123, QStringLiteral("CENTRO FORMAZIONE"));
        inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("Ente B\u00E8"));
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
        person(QStringLiteral("VRDLGU80A01L219X"), QStringLiteral("Verdi"), QStringLiteral("Luigi"),
               QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("l@x.it"), QVariant(), QStringLiteral("A"), 123,
               0, 1);
        person(QStringLiteral("BNCNNA75B41L219Y"), QStringLiteral("Bianchi"), QStringLiteral("Anna"),
               QStringLiteral("15"), QStringLiteral("12"), QString(""), QStringLiteral("333"), QStringLiteral("B"), 7,
               0, 4, QStringLiteral("1975"));
        person(QStringLiteral("BNCNNA75B41L219Y"), QStringLiteral("Bianchi"), QStringLiteral("Anna"),
               QStringLiteral("15"), QStringLiteral("12"), QString(""), QStringLiteral("333"), QStringLiteral("A"), 123,
               2, 3, QStringLiteral("1975"));
        open();
        before = QDir(inst.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void person(const QString& cf, const QString& surname, const QString& name, const QString& gg, const QString& mm,
                const QVariant& email, const QVariant& tel, const QString& group, int code, int site, int role,
                const QString& year = QStringLiteral("1980")) const
    {
        inst.sql(
            QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, "
                           "Tel, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                           "VALUES (37, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {cf, surname, name, gg, mm, year, email, tel, group, code, site, role});
    }
    QByteArray written(const QString& name = kName) const
    {
        QFile f(inst.file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    // The files that came into the program folder since the fixture was made: a test names each,
    // so that no temporary or partial file can stay unnoticed.
    QStringList folderFiles() const
    {
        QStringList files = QDir(inst.folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        files.removeIf([this](const QString& f) { return before.contains(f); });
        return files;
    }
    void expectNomina()
    {
        prompter.expect(
            QStringLiteral("Errore 0 --> \n\rdurante la creazione del file di trasmissione con i dati della domanda"),
            kNomina, Icon::Critical);
    }
};

QByteArray lines(const QList<QByteArray>& records)
{
    QByteArray out;
    for (const QByteArray& r : records)
        out += r;
    return out;
}

QByteArray withField(QByteArray record, int field, const QByteArray& value)
{
    QList<QByteArray> fields = record.chopped(3).mid(1).split('#');
    // fields alternate value, "," separators: value i sits at 2 * (i - 1)
    fields[2 * (field - 1)] = value;
    return '#' + fields.join('#') + "#\r\n";
}

QByteArray withoutLastField(const QByteArray& record)
{
    const QByteArray line = record.chopped(2);
    return line.left(line.lastIndexOf("#,#")) + "#\r\n";
}

} // namespace

class TstTransmission : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeFile();
    void reservedName();
    void dates_data();
    void dates();
    void noRoleWord_data();
    void noRoleWord();
    void refusals_data();
    void refusals();
    void refusedByCheck_data();
    void refusedByCheck();
    void failureKeepsEarlierFile();
    void otherFolder();
    void check_data();
    void check();
};

void TstTransmission::wholeFile()
{
    Fixture f;
    const QString path = f.file.create(37, kEmail);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(path, f.inst.file(kName));
    QCOMPARE(f.written(), lines({kZ, kA, kB, kE1, kE2, kE3, kEnd}));
    QCOMPARE(f.written().count("\r\n"), 7); // three persons: Z, A, B, three E and the terminator
    QCOMPARE(f.folderFiles(), QStringList{kName});
    QVERIFY(f.file.lastReport().passed());
    QCOMPARE(f.file.lastReport().persons, 3);
}

void TstTransmission::reservedName()
{
    Fixture f;
    f.state.reservedMode = true;
    f.prompter.expect(QStringLiteral("Modifico il nome dell'allegato in modo che non venga acquisito."), kAppTitle,
                      Icon::None);
    const QString path = f.file.create(37, kEmail);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(path, f.inst.file(QStringLiteral("QUOLB_") + kName));
    QCOMPARE(f.written(QStringLiteral("QUOLB_") + kName), lines({kZ, kA, kB, kE1, kE2, kE3, kEnd}));
}

void TstTransmission::dates_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QByteArray>("expected"); // record A

    QTest::newRow("birth date of texts 5, 3 and no year")
        << QStringLiteral("LegAAAANasc = NULL") << withField(kA, 15, "");
    QTest::newRow("birth date of two-digit day and month")
        << QStringLiteral("LegGGNasc = '25', LegMMNasc = '11'") << withField(kA, 15, "19701125");
    QTest::newRow("birth date stored as numbers")
        << QStringLiteral("LegGGNasc = 7, LegMMNasc = 9, LegAAAANasc = 1969") << withField(kA, 15, "19690907");
    QTest::newRow("birth year of two digits") << QStringLiteral("LegAAAANasc = '70'") << withField(kA, 15, "");
    QTest::newRow("previous request without its year")
        << QStringLiteral("A_AAAAPrece = NULL") << withField(kA, 23, "35");
    QTest::newRow("another correspondence site") << QStringLiteral("Corrispondenza = 12") << withField(kA, 11, "12");
    QTest::newRow("ATS not set") << QStringLiteral("ATS = 0") << kA;
}

void TstTransmission::dates()
{
    QFETCH(QString, statement);
    QFETCH(QByteArray, expected);
    Fixture f;
    f.inst.sql(QStringLiteral("UPDATE Domande SET ") + statement + QStringLiteral(" WHERE NumDoma = 37"));
    QVERIFY(!f.file.create(37, kEmail).isEmpty());
    VX_VERIFY_PROMPTS(f.prompter);
    const QByteArray b = statement == QLatin1String("ATS = 0") ? withField(kB, 19, "N") : kB;
    QCOMPARE(f.written(), lines({kZ, expected, b, kE1, kE2, kE3, kEnd}));
}

void TstTransmission::noRoleWord_data()
{
    QTest::addColumn<int>("role");
    QTest::newRow("0") << 0;
    QTest::newRow("6") << 6;
}

void TstTransmission::noRoleWord()
{
    QFETCH(int, role);
    Fixture f;
    f.inst.sql(QStringLiteral("UPDATE Ruoli SET Ruolo = ? WHERE Cognome = 'Verdi'"), {role});
    QVERIFY(!f.file.create(37, kEmail).isEmpty());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.written(), lines({kZ, kA, kB, kE1, kE2, withField(kE3, 17, ""), kEnd}));
}

void TstTransmission::refusals_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("nomina");

    QTest::newRow("no such Request") << QStringLiteral("DELETE FROM Domande")
                                     << QStringLiteral("ANOMALIA: domanda non trovata nella tavola delle domande. "
                                                       "Impossibile continuare")
                                     << QStringLiteral("Creazione file di trasmissione - NomeFile") << false;
    QTest::newRow("no operator group") << QStringLiteral("UPDATE Domande SET GrupOpe = ''")
                                       << QStringLiteral("ANOMALIA: domanda non trovata nella tavola delle domande. "
                                                         "Impossibile continuare")
                                       << QStringLiteral("Creazione file di trasmissione - NomeFile") << false;
    QTest::newRow("no persons") << QStringLiteral("DELETE FROM Ruoli")
                                << QStringLiteral("ANOMALIA: nessun corso trovato. Impossibile continuare")
                                << QStringLiteral("Creazione file di trasmissione - ScriviRec_E") << true;
    QTest::newRow("no correspondence site") << QStringLiteral("UPDATE Domande SET Corrispondenza = NULL")
                                            << QStringLiteral("ANOMALIA: il campo Corrispondenza (sede che riceve la "
                                                              "corrispondenza) della domanda è vuoto. Impossibile "
                                                              "continuare")
                                            << QStringLiteral("Creazione file di trasmissione - ScriviRec_A") << true;
}

void TstTransmission::refusals()
{
    QFETCH(QString, statement);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(bool, nomina);
    Fixture f;
    f.inst.sql(statement);
    f.prompter.expect(message, title, Icon::Critical);
    if (nomina)
        f.expectNomina();
    QCOMPARE(f.file.create(37, kEmail), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.folderFiles(), QStringList());
}

void TstTransmission::refusedByCheck_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("faults");

    QTest::newRow("a letter the code page lacks")
        << QStringLiteral("Wa\u0142\u0119sa") << kEmail
        << QStringLiteral("Riga 6: carattere non codificabile in Windows-1252.");
    QTest::newRow("the separator in a value")
        << QStringLiteral("Verdi#,#X") << kEmail
        << QStringLiteral("Riga 6, campo 8: il valore contiene il separatore #,#.\r\n"
                          "Riga 6: il record E ha 19 campi invece di 18.");
    QTest::newRow("the separator in the e-mail")
        << QStringLiteral("Verdi") << QStringLiteral("a#,#b")
        << QStringLiteral("Riga 2, campo 10: il valore contiene il separatore #,#.\r\n"
                          "Riga 2: il record A ha 28 campi invece di 27.");
}

void TstTransmission::refusedByCheck()
{
    QFETCH(QString, surname);
    QFETCH(QString, email);
    QFETCH(QString, faults);
    Fixture f;
    f.inst.sql(QStringLiteral("UPDATE Ruoli SET Cognome = ? WHERE Cognome = 'Verdi'"), {surname});
    const QString report =
        QStringLiteral("Controllo del file di trasmissione ") + kName + QStringLiteral(": NON superato.\r\n") + faults;
    const QString saved = f.inst.file(kCheckReportName);
    f.prompter.expect(report + QStringLiteral("\r\n\r\nIl rapporto è stato salvato nel file ") + saved +
                          QLatin1Char('.'),
                      QStringLiteral("Controllo del file di trasmissione"), Icon::Critical);
    QCOMPARE(f.file.create(37, email), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QFile kept(saved);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(kept.readAll()), report + QStringLiteral("\r\n"));
    kept.remove();
    QCOMPARE(f.folderFiles(), QStringList());
    QVERIFY(!f.file.lastReport().passed());
}

void TstTransmission::failureKeepsEarlierFile()
{
    Fixture f;
    QVERIFY(!f.file.create(37, kEmail).isEmpty());
    const QByteArray first = f.written();
    // The next day the Request has lost its persons: the attempt fails and the whole file of the
    // day before stays as it was, with no partial file beside it.
    f.clock.fixed = f.clock.fixed.addDays(1);
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(QStringLiteral("ANOMALIA: nessun corso trovato. Impossibile continuare"),
                      QStringLiteral("Creazione file di trasmissione - ScriviRec_E"), Icon::Critical);
    f.expectNomina();
    QCOMPARE(f.file.create(37, kEmail), QString());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.written(), first);
    QCOMPARE(f.folderFiles(), QStringList{kName});
}

void TstTransmission::otherFolder()
{
    Fixture f;
    const QString folder = f.inst.file(QStringLiteral("uscita"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(f.file.create(37, kEmail, folder), folder + QLatin1Char('/') + kName);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.folderFiles(), QStringList());
    QFile written(folder + QLatin1Char('/') + kName);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), lines({kZ, kA, kB, kE1, kE2, kE3, kEnd}));
}

void TstTransmission::check_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("persons");

    QTest::newRow("whole") << lines({kZ, kA, kB, kE1, kE2, kE3, kEnd}) << QStringList() << 3;
    QTest::newRow("no terminator") << lines({kZ, kA, kB, kE1})
                                   << QStringList{QStringLiteral("Manca la riga finale #Z#,#EOF#.")} << 1;
    QTest::newRow("no CR LF at the end") << lines({kZ, kA, kB, kE1}) + "#Z#,#EOF#"
                                         << QStringList{QStringLiteral("Il file non termina con CR LF.")} << 1;
    QTest::newRow("a bare line feed") << lines({kZ, kA, kB, kE1.chopped(2) + "\n", kEnd})
                                      << QStringList{QStringLiteral("Riga 4: ritorno a capo senza la coppia CR LF."),
                                                     QStringLiteral("Riga 4: il record E ha 19 campi invece di 18."),
                                                     QStringLiteral("Manca la riga finale #Z#,#EOF#.")}
                                      << 0;
    QTest::newRow("B before A") << lines({kZ, kB, kA, kE1, kEnd})
                                << QStringList{QStringLiteral("Riga 2: record B fuori posto (atteso il record A)."),
                                               QStringLiteral("Riga 3: record A fuori posto (atteso il record B).")}
                                << 1;
    QTest::newRow("no persons") << lines({kZ, kA, kB, kEnd})
                                << QStringList{QStringLiteral("Riga 4: riga finale senza alcun record E.")} << 0;
    QTest::newRow("a field too few") << lines({kZ, kA, withoutLastField(kB), kE1, kEnd})
                                     << QStringList{QStringLiteral("Riga 3: il record B ha 24 campi invece di 25.")}
                                     << 1;
    QTest::newRow("a short date") << lines({kZ, kA, kB, withField(kE1, 18, "2026035"), kEnd})
                                  << QStringList{QStringLiteral(
                                         "Riga 4, campo 18: la data \"2026035\" non è di 8 cifre.")}
                                  << 1;
    QTest::newRow("a birth date of letters")
        << lines({kZ, withField(kA, 15, "1970ab05"), kB, kE1, kEnd})
        << QStringList{QStringLiteral("Riga 2, campo 15: la data \"1970ab05\" non è di 8 cifre.")} << 1;
    QTest::newRow("a person twice") << lines({kZ, kA, kB, kE1, kE2, kE1, kEnd})
                                    << QStringList{QStringLiteral("Riga 6: record E ripetuto (già alla riga 4).")} << 3;
    QTest::newRow("another Request's person")
        << lines({kZ, kA, kB, withField(kE1, 2, "38"), kEnd})
        << QStringList{QStringLiteral("Riga 4: domanda 38 diversa da quella del record Z (37).")} << 1;
    QTest::newRow("a byte the code page leaves undefined")
        << lines({kZ, kA, kB, withField(kE1, 8, "Bi\x81nchi"), kEnd})
        << QStringList{QStringLiteral("Riga 4: carattere non codificabile in Windows-1252.")} << 1;
    QTest::newRow("text after the terminator")
        << lines({kZ, kA, kB, kE1, kEnd, kE2})
        << QStringList{QStringLiteral("Riga 6: testo dopo la riga finale #Z#,#EOF#.")} << 1;
    QTest::newRow("an unknown record") << lines({kZ, kA, kB, kE1, "#Q#,#1#\r\n", kEnd})
                                       << QStringList{QStringLiteral("Riga 5: record di tipo \"Q\" sconosciuto.")} << 1;
    QTest::newRow("a line without its #")
        << lines({kZ, kA, kB, kE1, "E,37\r\n", kEnd})
        << QStringList{QStringLiteral("Riga 5: il record non è racchiuso tra due #.")} << 1;
    QTest::newRow("empty") << QByteArray()
                           << QStringList{QStringLiteral("Il file non termina con CR LF."),
                                          QStringLiteral("Riga 1: il record non è racchiuso tra due #."),
                                          QStringLiteral("Mancano i record Z, A e B."),
                                          QStringLiteral("Manca la riga finale #Z#,#EOF#.")}
                           << 0;
}

void TstTransmission::check()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, faults);
    QFETCH(int, persons);
    const CheckReport report = checkFile(bytes);
    QCOMPARE(report.faults, faults);
    QCOMPARE(report.persons, persons);
    QCOMPARE(report.passed(), faults.isEmpty());
    if (report.passed())
        QCOMPARE(report.text(kName), QStringLiteral("Controllo del file di trasmissione ") + kName +
                                         QStringLiteral(": superato.\r\nPersone (record E): 3"));
    else
        QCOMPARE(report.text(kName), QStringLiteral("Controllo del file di trasmissione ") + kName +
                                         QStringLiteral(": NON superato.\r\n") + faults.join(QStringLiteral("\r\n")));
}

QTEST_GUILESS_MAIN(TstTransmission)
#include "tst_transmission.moc"
