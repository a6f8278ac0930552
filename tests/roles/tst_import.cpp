// The import and export of a Request's persons and roles: the text layout both ways, the
// verification of every row and its report, the all-or-nothing replacement, the spreadsheets,
// and the commands' messages in order.

#include "ScriptedPrompter.h"
#include "TestContext.h"
#include "TestInstallation.h"

#include "cli/Command.h"
#include "core/AppState.h"
#include "core/Windows1252.h"
#include "requests/SelectedRequest.h"
#include "roles/ImportVerification.h"
#include "roles/RoleCodes.h"
#include "roles/RoleColumns.h"
#include "roles/RoleList.h"
#include "roles/RoleSheet.h"
#include "roles/RoleTextFile.h"
#include "roles/RoleTransfer.h"
#include "roles/TaxCode.h"
#include "roles/screens/frmElencoSoggetti.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <xlsxwriter.h>

using namespace vx;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

Q_DECLARE_METATYPE(vx::RolePerson)
Q_DECLARE_METATYPE(vx::ImportedRow)

namespace {

constexpr int kYear = 2026;
constexpr qint32 kRequest = 100;
const QString kImportTitle = QStringLiteral("Importazione Dati da Excel.");

QString withCheck(const QString& first15)
{
    return first15 + taxcode::checkCharacter(first15);
}

RolePerson person(const QString& cf15, const QString& cognome, const QString& nome, const QString& date, int sede,
                  int ruolo)
{
    RolePerson p;
    p.numDoma = kRequest;
    p.codFiscale = withCheck(cf15);
    p.cognome = cognome;
    p.nome = nome;
    p.gg = date.mid(0, 2);
    p.mm = date.mid(2, 2);
    p.aaaa = date.mid(4, 4);
    p.email = nome.toLower() + QStringLiteral(".") + cognome.toLower().remove(QLatin1Char(' ')) +
              QStringLiteral("@ente.example");
    p.tel = QStringLiteral("0115550101");
    p.gruppo = QStringLiteral("A");
    p.codice = 12;
    p.sede = sede;
    p.ruolo = ruolo;
    return p;
}

// Three persons that pass every check; the last with a letter beyond ASCII in its name.
RolePerson rossi()
{
    return person(QStringLiteral("RSSMRA85T10A562"), QStringLiteral("ROSSI"), QStringLiteral("MARIO"),
                  QStringLiteral("10121985"), 0, 1);
}
RolePerson bianchi()
{
    return person(QStringLiteral("BNCLRA90A41L219"), QStringLiteral("BIANCHI"), QStringLiteral("LAURA"),
                  QStringLiteral("01011990"), 1, 3);
}
RolePerson ferrari()
{
    RolePerson p = person(QStringLiteral("FRRNCL75H15F205"), QStringLiteral("FERRARI"), QStringLiteral("NICOLÒ"),
                          QStringLiteral("15061975"), 2, 2);
    p.email = QStringLiteral("nicolo.ferrari@ente.example");
    return p;
}

ImportedRow imported(const RolePerson& p)
{
    ImportedRow r;
    r.person = p;
    r.codiceText = QString::number(p.codice);
    r.sedeText = QString::number(p.sede);
    return r;
}

ImportVerification verification()
{
    return ImportVerification(QStringLiteral("A"), 12, kYear, [](const QString& g, qint32 c, qint32 site) {
        return g == QLatin1String("A") && c == 12 && (site == 1 || site == 2);
    });
}

struct Fixture : vx::test::TestContext {
    TestInstallation inst;

    explicit Fixture(bool printed = false)
    {
        clock.fixed = QDateTime(QDate(kYear, 6, 1), QTime(10, 0));
        inst.writeIni();
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE"));
        inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, "
                                "Indirizzo) VALUES ('A', 12, 1, 'SL', 'SEDE LEGALE', 'VIA GARIBALDI 10'), ('A', 12, 2, "
                                "'SO', 'SEDE OPERATIVA', 'VIA SANTA CROCE 4')"));
        inst.addRequest(kRequest, QStringLiteral("A"), 12, QStringLiteral("001"), 1, printed);
        state = inst.state();
        db.open(QString(), inst.databasePath(), Database::Mode::Multiutenza);
        state.selected = loadSelectedRequest(db, prompter, kRequest);
        QFile::copy(QStringLiteral(VX_TEMPLATE), inst.file(RoleTransfer::kTemplateFile));
    }

    void addRole(const RolePerson& p)
    {
        inst.sql(QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, "
                                "Email, Tel, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {kRequest, p.codFiscale, p.cognome, p.nome, p.gg, p.mm, p.aaaa, p.email, p.tel, p.gruppo, p.codice,
                  p.sede, p.ruolo});
    }
    void addAll()
    {
        addRole(rossi());
        addRole(bianchi());
        addRole(ferrari());
    }

    QList<RolePerson> rows() { return RoleTransfer(ctx).exportRows(); }
    QString folder() const { return QDir::toNativeSeparators(QDir(inst.folder()).absolutePath()); }
    QString reportPath() const { return inst.file(ImportVerification::kReportFile); }
};

Message plain(const QString& text)
{
    return {text, kAppTitle, Icon::None, Buttons::Ok};
}

Message importQuestion(RoleTransfer::Format format)
{
    return {QStringLiteral("Confermando l'operazione Verrà effettuata l'importazione del file ") +
                (format == RoleTransfer::Format::Sheet ? QStringLiteral("XLS") : QStringLiteral("TXT")) +
                QStringLiteral(" sulla richiesta selezionata (I CUI DATI VERRANNO RICOPERTI DAI NUOVI)."),
            kImportTitle, Icon::None, Buttons::YesNo};
}

Message exportQuestion(RoleTransfer::Format format)
{
    return {format == RoleTransfer::Format::Sheet
                ? QStringLiteral("Confermando l'operazione verrà effettuata l'esportazione in excel dei dati della "
                                 "Richiesta selezionata.")
                : QStringLiteral("Confermando l'operazione verrà effettuata l'esportazione SU FILE DI TESTO dei dati "
                                 "della Richiesta selezionata."),
            kAppTitle, Icon::None, Buttons::YesNo};
}

Message created(const QString& folder, const QString& name)
{
    return plain(QStringLiteral("Nella cartella \n") + folder + QStringLiteral("\nE' stato creato il file \n") + name +
                 QStringLiteral("\ncontenente i dati delle quote parte di questa pratica."));
}

const Message kImported = plain(QStringLiteral("L'importazione dei dati è stata effettuata con successo."));

QByteArray line(const QStringList& fields)
{
    return windows1252::encode(roletext::writeLine(fields)) + "\r\n";
}

QStringList fieldsOf(const RolePerson& p)
{
    return roletext::fieldsOf(p, QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE"));
}

QString fields(int n)
{
    QStringList f;
    for (int i = 0; i < n; ++i)
        f.append(QStringLiteral("f%1").arg(i));
    return roletext::writeLine(f);
}

} // namespace

class TstImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textReadingRule_data();
    void textReadingRule();
    void textEncoding_data();
    void textEncoding();
    void textExportBytes();
    void textLines();
    void roleTexts_data();
    void roleTexts();

    void verificationChecks_data();
    void verificationChecks();
    void duplicateKeysAndRowNumbers();
    void reportFile();

    void textRoundTrip();
    void sheetRoundTrip();
    void sheetDateCellsAndNumbers();
    void sheetStopsAtEmptyColumnA();
    void legacyWorkbook();
    void openDocumentSheet();
    void importRefusals_data();
    void importRefusals();
    void anomaliesLeaveRowsAndReport();
    void forbiddenEmailToldOnce();
    void replacementIsAllOrNothing_data();
    void replacementIsAllOrNothing();
    void exportQuestions();
    void listCommandsWired();
    void commandLine();
};

void TstImport::textReadingRule_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("malformed");

    QTest::newRow("two fields") << QStringLiteral("#a#,#b#") << QStringList{QStringLiteral("a"), QStringLiteral("b")}
                                << false;
    QTest::newRow("blanks around the line")
        << QStringLiteral("  #a#,# b #  ") << QStringList{QStringLiteral("a"), QStringLiteral(" b ")} << false;
    QTest::newRow("empty fields") << QStringLiteral("##,##,#c#")
                                  << QStringList{QString(), QString(), QStringLiteral("c")} << false;
    QTest::newRow("empty line") << QString() << QStringList() << false;
    QTest::newRow("unterminated last field")
        << QStringLiteral("#a#,#bc") << QStringList{QStringLiteral("a"), QStringLiteral("bc")} << false;
    QStringList fiftyOne;
    for (int i = 0; i < 51; ++i)
        fiftyOne.append(QStringLiteral("f%1").arg(i));
    QTest::newRow("51 fields") << fields(51) << fiftyOne << false;
    QTest::newRow("52 fields") << fields(52) << fiftyOne << true;
}

void TstImport::textReadingRule()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QFETCH(bool, malformed);
    bool tooMany = !malformed;
    QCOMPARE(roletext::readFields(line, &tooMany), expected);
    QCOMPARE(tooMany, malformed);
}

void TstImport::textEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii") << QByteArray("#ROSSI#") << QStringLiteral("#ROSSI#");
    QTest::newRow("windows-1252") << QByteArray("#NICOL\xD2#") << QStringLiteral("#NICOLÒ#");
    QTest::newRow("windows-1252 euro") << QByteArray("#\x80#") << QStringLiteral("#€#");
    QTest::newRow("utf-8") << QByteArray("#NICOL\xC3\x92#") << QStringLiteral("#NICOLÒ#");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF#NICOL\xC3\x92#") << QStringLiteral("#NICOLÒ#");
    // Two Windows-1252 letters that happen to follow each other are not taken for UTF-8 unless
    // the whole file is valid UTF-8.
    QTest::newRow("not utf-8 throughout") << QByteArray("#\xC3\x92 \xD2#") << QStringLiteral("#Ã’ Ò#");
}

void TstImport::textEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(roletext::decode(bytes), text);
}

void TstImport::textExportBytes()
{
    Fixture f;
    f.addAll();
    const QString path = f.inst.file(roletext::fileName(kRequest));
    QVERIFY(RoleTransfer(f.ctx).writeFile(RoleTransfer::Format::Text, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Surname order; the role as its code word; the date run together; single-byte letters.
    const QByteArray expected =
        "#100#,#A#,#12#,#" + bianchi().codFiscale.toLatin1() +
        "#,#BIANCHI#,#LAURA#,#01011990#,#laura.bianchi@ente.example#,#0115550101#,#A#,#12#,#CENTRO DI "
        "FORMAZIONE#,#1#,#VERIFICATORE_PERCORSI_SEDE#\r\n"
        "#100#,#A#,#12#,#" +
        ferrari().codFiscale.toLatin1() +
        "#,#FERRARI#,#NICOL\xD2#,#15061975#,#nicolo.ferrari@ente.example#,#0115550101#,#A#,#12#,#CENTRO DI "
        "FORMAZIONE#,#2#,#PROGETTISTA_PERCORSI_SEDE#\r\n"
        "#100#,#A#,#12#,#" +
        rossi().codFiscale.toLatin1() +
        "#,#ROSSI#,#MARIO#,#10121985#,#mario.rossi@ente.example#,#0115550101#,#A#,#12#,#CENTRO DI "
        "FORMAZIONE#,#0#,#PROGETTISTA_PERCORSI_FORM#\r\n";
    QCOMPARE(file.readAll(), expected);
}

void TstImport::textLines()
{
    // A terminator at the end opens no line; a blank line before it is a row of its own.
    QCOMPARE(roletext::lines(QStringLiteral("a\r\nb\r\n")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(roletext::lines(QStringLiteral("a\r\n\r\n")), (QStringList{QStringLiteral("a"), QString()}));
    QCOMPARE(roletext::lines(QStringLiteral("a\nb")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    // A line of fewer fields leaves the rest empty; a blank line is a row of empty fields.
    const QList<ImportedRow> rows = roletext::read("#100#,#A#,#12#,#RSS#,#ROSSI#\r\n\r\n");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].person.cognome, QStringLiteral("ROSSI"));
    QCOMPARE(rows[0].person.nome, QString());
    QCOMPARE(rows[0].sedeText, QString());
    QCOMPARE(rows[1].person.codFiscale, QString());
}

void TstImport::roleTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    for (const roles::Role& r : roles::all()) {
        QTest::addRow("word %d", r.code) << r.word.toString() << r.code;
        QTest::addRow("text %d", r.code) << r.imported.toString() << r.code;
        QTest::addRow("number %d", r.code) << QString::number(r.code) << r.code;
    }
    QTest::newRow("capital ENTE of the verifier") << QStringLiteral("Verificatore di Percorsi Formativi (ENTE)") << 0;
    QTest::newRow("other case") << QStringLiteral("progettista_percorsi_form") << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TstImport::roleTexts()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(importedRole(text), code);
}

void TstImport::verificationChecks_data()
{
    QTest::addColumn<ImportedRow>("row");
    QTest::addColumn<QStringList>("lines");

    const auto row = [](auto change) {
        ImportedRow r = imported(rossi());
        change(r);
        return r;
    };
    const QString cf = QStringLiteral(" -  Formato codice fiscale non corretto.");
    const QString date = QStringLiteral(" -  il formato della data non è gg/mm/aaaa.");
    const QString email = QStringLiteral(" -  Email: formato");

    QTest::newRow("valid") << imported(rossi()) << QStringList();
    QTest::newRow("valid at a site") << imported(bianchi()) << QStringList();
    QTest::newRow("accented name") << imported(ferrari()) << QStringList();
    QTest::newRow("more than 51 fields") << row([](ImportedRow& r) { r.malformed = true; })
                                         << QStringList{QStringLiteral(" -  Riga non corretta: più di 51 campi.")};
    QTest::newRow("code of 15") << row([](ImportedRow& r) { r.person.codFiscale.chop(1); }) << QStringList{cf, cf};
    QTest::newRow("check character") << row([](ImportedRow& r) { r.person.codFiscale[15] = QLatin1Char('A'); })
                                     << QStringList{cf};
    QTest::newRow("surname code") << row([](ImportedRow& r) { r.person.cognome = QStringLiteral("BIANCO"); })
                                  << QStringList{cf};
    QTest::newRow("name code") << row([](ImportedRow& r) { r.person.nome = QStringLiteral("MARCO"); })
                               << QStringList{cf};
    QTest::newRow("year and code") << row([](ImportedRow& r) { r.person.aaaa = QStringLiteral("1986"); })
                                   << QStringList{QStringLiteral(" -  Anno e codice fiscale non coerenti.")};
    QTest::newRow("month and code") << row([](ImportedRow& r) { r.person.mm = QStringLiteral("11"); })
                                    << QStringList{QStringLiteral(" -  Mese e codice fiscale non coerenti.")};
    QTest::newRow("day and code") << row([](ImportedRow& r) { r.person.gg = QStringLiteral("11"); })
                                  << QStringList{QStringLiteral(" -  Giorno e codice fiscale non coerenti.")};
    QTest::newRow("position classes") << row([](ImportedRow& r) {
        r.person.codFiscale = withCheck(QStringLiteral("RSSMRA85T10A56-"));
    }) << QStringList{cf};
    QTest::newRow("surname length") << row([](ImportedRow& r) { r.person.cognome = QString(51, QLatin1Char('R')); })
                                    << QStringList{cf, QStringLiteral(" -  Lunghezza non corretta nel Cognome.")};
    QTest::newRow("two digits in the surname")
        << row([](ImportedRow& r) { r.person.cognome = QStringLiteral("ROSSI22"); })
        << QStringList{QStringLiteral(" -  Caratterri non permessi nel Cognome."),
                       QStringLiteral(" -  Caratterri non permessi nel Cognome.")};
    QTest::newRow("apostrophe and accent pass")
        << row([](ImportedRow& r) { r.person.cognome = QStringLiteral("RÒS'SI"); }) << QStringList();
    QTest::newRow("name length") << row([](ImportedRow& r) { r.person.nome = QStringLiteral("M"); })
                                 << QStringList{cf, QStringLiteral(" -  Lunghezza non corretta nel Nome.")};
    QTest::newRow("characters in the name") << row([](ImportedRow& r) { r.person.nome = QStringLiteral("MARIO§"); })
                                            << QStringList{QStringLiteral(" -  Caratterri non permessi nel Nome.")};
    QTest::newRow("day of one digit") << row([](ImportedRow& r) { r.person.gg = QStringLiteral("1"); })
                                      << QStringList{QStringLiteral(" -  Giorno e codice fiscale non coerenti."),
                                                     QStringLiteral(" -  la data GG deve essre di due cifre.")};
    // A date typed without leading zeros puts the separator into the day.
    QTest::newRow("separator in the day")
        << row([](ImportedRow& r) { r.person.gg = QStringLiteral("1/"); })
        << QStringList{QStringLiteral(" -  Giorno e codice fiscale non coerenti."), date};
    QTest::newRow("day 32") << row([](ImportedRow& r) { r.person.gg = QStringLiteral("32"); })
                            << QStringList{QStringLiteral(" -  Giorno e codice fiscale non coerenti."), date};
    QTest::newRow("day 00") << row([](ImportedRow& r) { r.person.gg = QStringLiteral("00"); })
                            << QStringList{QStringLiteral(" -  Giorno e codice fiscale non coerenti."), date};
    QTest::newRow("month of one digit") << row([](ImportedRow& r) { r.person.mm = QStringLiteral("2"); })
                                        << QStringList{QStringLiteral(" -  Mese e codice fiscale non coerenti."),
                                                       QStringLiteral(" -  la data MM deve essre di due cifre.")};
    QTest::newRow("month 13") << row([](ImportedRow& r) { r.person.mm = QStringLiteral("13"); })
                              << QStringList{QStringLiteral(" -  Mese e codice fiscale non coerenti."), date};
    QTest::newRow("year of three digits")
        << row([](ImportedRow& r) { r.person.aaaa = QStringLiteral("985"); })
        << QStringList{QStringLiteral(" -  Anno e codice fiscale non coerenti."),
                       QStringLiteral(" -  la data AAAA deve essere di 4 cifre."), date};
    QTest::newRow("year too late") << row([](ImportedRow& r) {
        r.person.aaaa = QStringLiteral("2010");
        r.person.codFiscale = withCheck(QStringLiteral("RSSMRA10T10A562"));
    }) << QStringList{date};
    QTest::newRow("latest year") << row([](ImportedRow& r) {
        r.person.aaaa = QStringLiteral("2009");
        r.person.codFiscale = withCheck(QStringLiteral("RSSMRA09T10A562"));
    }) << QStringList();
    QTest::newRow("31 April") << row([](ImportedRow& r) {
        r.person.gg = QStringLiteral("31");
        r.person.mm = QStringLiteral("04");
        r.person.codFiscale = withCheck(QStringLiteral("RSSMRA85D31A562"));
    }) << QStringList{date};
    QTest::newRow("29 February of a common year") << row([](ImportedRow& r) {
        r.person.gg = QStringLiteral("29");
        r.person.mm = QStringLiteral("02");
        r.person.codFiscale = withCheck(QStringLiteral("RSSMRA85B29A562"));
    }) << QStringList{date};
    QTest::newRow("email too long") << row([](ImportedRow& r) {
        r.person.email = QString(75, QLatin1Char('m')) + QStringLiteral("@ab.it");
    }) << QStringList{QStringLiteral(" -  Email MAX 80 caratteri.")};
    QTest::newRow("email without at and dot")
        << row([](ImportedRow& r) { r.person.email = QStringLiteral("mario"); })
        << QStringList{QStringLiteral(" -  Email: assenza @"), QStringLiteral(" -  Email: assenza '.'")};
    QTest::newRow("email with at dot") << row([](ImportedRow& r) { r.person.email = QStringLiteral("mario@.it"); })
                                       << QStringList{QStringLiteral(" -  Email: presenza '@.'")};
    QTest::newRow("email ends with a dot")
        << row([](ImportedRow& r) { r.person.email = QStringLiteral("mario@ente."); }) << QStringList{email, email};
    QTest::newRow("email begins with at")
        << row([](ImportedRow& r) { r.person.email = QStringLiteral("@mario.it"); }) << QStringList{email, email};
    QTest::newRow("email begins with a hyphen")
        << row([](ImportedRow& r) { r.person.email = QStringLiteral("-mario@ente.it"); }) << QStringList{email};
    QTest::newRow("email with a plus and a blank")
        << row([](ImportedRow& r) { r.person.email = QStringLiteral("mario+1 x@ente.it"); })
        << QStringList{QStringLiteral(" -  Email: carattere non consentito '+'"),
                       QStringLiteral(" -  Email: carattere non consentito ' '")};
    QTest::newRow("telephone too long") << row([](ImportedRow& r) { r.person.tel = QString(21, QLatin1Char('1')); })
                                        << QStringList{QStringLiteral(" -  Tel MAX 20 caratteri.")};
    QTest::newRow("telephone with signs")
        << row([](ImportedRow& r) { r.person.tel = QStringLiteral("+39 011"); })
        << QStringList{QStringLiteral(" -  Tel solo cifre."), QStringLiteral(" -  Tel solo cifre.")};
    QTest::newRow("group of two letters")
        << row([](ImportedRow& r) { r.person.gruppo = QStringLiteral("AG"); })
        << QStringList{QStringLiteral(" -  GruppoOperatore."), QStringLiteral(" -  GruppoOperatore."),
                       QStringLiteral(" -  Codice Operatore non corretto")};
    QTest::newRow("group E") << row([](ImportedRow& r) { r.person.gruppo = QStringLiteral("E"); })
                             << QStringList{QStringLiteral(" -  Codice Operatore non corretto")};
    QTest::newRow("operator code too long")
        << row([](ImportedRow& r) { r.setNumbers(QStringLiteral("000012"), QStringLiteral("0")); })
        << QStringList{QStringLiteral(" -  CodiceOperatore: MAX 5 cifre.")};
    QTest::newRow("operator code not a number")
        << row([](ImportedRow& r) { r.setNumbers(QStringLiteral("x"), QStringLiteral("0")); })
        << QStringList{QStringLiteral(" -  Codice Operatore non corretto")};
    QTest::newRow("site the operator lacks") << row([](ImportedRow& r) {
        r.person.ruolo = 2;
        r.setNumbers(QStringLiteral("12"), QStringLiteral("7"));
    }) << QStringList{QStringLiteral(" -  Sede: codice non presente nella base dati.")};
    QTest::newRow("site not a number") << row([](ImportedRow& r) { r.setNumbers(QStringLiteral("12"), QString()); })
                                       << QStringList{QStringLiteral(" -  Sede: codice non presente nella base dati.")};
    QTest::newRow("role 5 at a site") << row([](ImportedRow& r) {
        r.person.ruolo = 5;
        r.setNumbers(QStringLiteral("12"), QStringLiteral("1"));
    }) << QStringList{QStringLiteral(" -  Per il Ruolo 1 la sede deve essere 0.")};
    QTest::newRow("role 4 at the agency") << row([](ImportedRow& r) { r.person.ruolo = 4; })
                                          << QStringList{QStringLiteral(" -  Per il ruolo 2 e 3 la sede deve essere.")};
    QTest::newRow("no role") << row([](ImportedRow& r) { r.person.ruolo = 0; })
                             << QStringList{QStringLiteral(" -  Codice Ruolo non presente nella base dati.")};
}

void TstImport::verificationChecks()
{
    QFETCH(ImportedRow, row);
    QFETCH(QStringList, lines);
    QStringList expected;
    for (const QString& l : lines)
        expected.append(QStringLiteral("riga 1") + l);
    QCOMPARE(verification().verify({row}).lines, expected);
}

void TstImport::duplicateKeysAndRowNumbers()
{
    ImportedRow second = imported(rossi());
    second.person.ruolo = 5; // the same person in another role: no duplicate
    ImportedRow faulty = imported(bianchi());
    faulty.person.tel = QStringLiteral("011-5");
    const ImportReport report =
        verification().verify({imported(rossi()), second, faulty, imported(ferrari()), imported(rossi())});
    QCOMPARE(report.lines, (QStringList{QStringLiteral("riga 1 -  Duplicazione di chiave!!!."),
                                        QStringLiteral("riga 3 -  Tel solo cifre."),
                                        QStringLiteral("riga 5 -  Duplicazione di chiave!!!.")}));
    QVERIFY(!report.forbiddenEmailCharacter);
    QVERIFY(verification().verify({}).passed());
}

void TstImport::reportFile()
{
    TestInstallation inst;
    ImportReport report;
    report.lines = QStringList{QStringLiteral("riga 1 -  Tel solo cifre."),
                               QStringLiteral("riga 2 -  il formato della data non è gg/mm/aaaa.")};
    const QString path = ImportVerification::writeReport(inst.folder(), report);
    QCOMPARE(path, QDir::toNativeSeparators(inst.file(ImportVerification::kReportFile)));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("riga 1 -  Tel solo cifre.\r\nriga 2 -  il formato della data non "
                                        "\xC3\xA8 gg/mm/aaaa.\r\n"));
    file.close();
    QCOMPARE(ImportVerification::writeReport(inst.folder(), ImportReport()), QString());
    QVERIFY(!QFile::exists(path));
}

void TstImport::textRoundTrip()
{
    Fixture f;
    f.addAll();
    const QList<RolePerson> before = f.rows();
    RoleTransfer t(f.ctx);
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(created(f.folder(), roletext::fileName(kRequest)));
    t.exportCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);

    f.inst.sql(QStringLiteral("UPDATE Ruoli SET Tel = '0'"));
    // A row another workstation staged in the shared table: the import neither reads nor empties it.
    f.inst.sql(QStringLiteral("INSERT INTO RuoliImport (NumDoma, CodFiscale) VALUES (7, 'ALTRA')"));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Text), Answer::Yes).expect(kImported);
    t.importCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), before);
    QSqlQuery staged = f.db.query();
    QVERIFY(f.db.exec(staged, QStringLiteral("SELECT NumDoma, CodFiscale FROM RuoliImport")));
    QVERIFY(staged.next());
    QCOMPARE(staged.value(1).toString(), QStringLiteral("ALTRA"));
    QVERIFY(!staged.next());
    staged.finish();
    QCOMPARE(f.control.busyDepth(), 0);
    QVERIFY(!QFile::exists(f.reportPath()));

    // The import finds the file whatever the case of its name.
    QVERIFY(
        QFile::rename(f.inst.file(roletext::fileName(kRequest)), f.inst.file(QStringLiteral("EXPORTRUOLI_100.TXT"))));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Text), Answer::Yes).expect(kImported);
    t.importCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), before);
}

void TstImport::sheetRoundTrip()
{
    Fixture f;
    f.addAll();
    const QList<RolePerson> before = f.rows();
    RoleTransfer t(f.ctx);
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Sheet), Answer::Yes)
        .expect(created(f.folder(), rolesheet::fileName(kRequest, QStringLiteral("xlsx"))));
    t.exportCommand(RoleTransfer::Format::Sheet);
    VX_VERIFY_PROMPTS(f.prompter);

    // The heading comes from the template and is not read back.
    bool ok = false;
    const QStringList heading = rolesheet::heading(QStringLiteral(VX_TEMPLATE), &ok);
    QVERIFY(ok);
    QVERIFY(!heading.value(0).isEmpty());
    QCOMPARE(rolesheet::heading(f.inst.file(rolesheet::fileName(kRequest, QStringLiteral("xlsx"))), &ok), heading);
    QVERIFY(ok);

    // Written beside its name and moved into place: nothing else is left in the folder.
    QCOMPARE(QDir(f.inst.folder()).entryList({QStringLiteral("*.part*")}, QDir::Files), QStringList());

    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Sheet), Answer::Yes).expect(kImported);
    t.importCommand(RoleTransfer::Format::Sheet);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), before);
}

void TstImport::sheetDateCellsAndNumbers()
{
    // A sheet as a spreadsheet program saves typed values: a real date, numbers for the site and
    // role, the role also as its text.
    Fixture f;
    const QString path = f.inst.file(rolesheet::fileName(kRequest, QStringLiteral("xlsx")));
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* dateFormat = workbook_add_format(book);
    format_set_num_format(dateFormat, "dd/mm/yyyy");
    const RolePerson r = rossi();
    const RolePerson b = bianchi();
    worksheet_write_string(sheet, 1, 0, r.codFiscale.toUtf8().constData(), nullptr);
    worksheet_write_string(sheet, 1, 1, "ROSSI", nullptr);
    worksheet_write_string(sheet, 1, 2, "MARIO", nullptr);
    lxw_datetime date{1985, 12, 10, 0, 0, 0};
    worksheet_write_datetime(sheet, 1, 3, &date, dateFormat);
    worksheet_write_string(sheet, 1, 4, r.email.toUtf8().constData(), nullptr);
    worksheet_write_string(sheet, 1, 5, "0115550101", nullptr);
    worksheet_write_string(sheet, 1, 6, "A-12", nullptr);
    worksheet_write_number(sheet, 1, 8, 0, nullptr);
    worksheet_write_number(sheet, 1, 9, 1, nullptr);
    worksheet_write_string(sheet, 2, 0, b.codFiscale.toUtf8().constData(), nullptr);
    worksheet_write_string(sheet, 2, 1, "BIANCHI", nullptr);
    worksheet_write_string(sheet, 2, 2, "LAURA", nullptr);
    worksheet_write_string(sheet, 2, 3, "01/01/1990", nullptr);
    worksheet_write_string(sheet, 2, 4, b.email.toUtf8().constData(), nullptr);
    worksheet_write_string(sheet, 2, 5, "0115550101", nullptr);
    worksheet_write_string(sheet, 2, 6, "A-12", nullptr);
    worksheet_write_number(sheet, 2, 8, 1, nullptr);
    worksheet_write_string(sheet, 2, 9, "Verificatore di Percorsi Formativi (SEDE)", nullptr);
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);

    bool ok = false;
    const QList<ImportedRow> rows = RoleTransfer(f.ctx).readFile(path, &ok);
    QVERIFY(ok);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(ruoli::values(rows[0].person), ruoli::values(r));
    QCOMPARE(rows[0].person, r);
    QCOMPARE(rows[1].person, b);
    QCOMPARE(rolesheet::dateText(31391), QStringLiteral("10/12/1985"));
}

void TstImport::sheetStopsAtEmptyColumnA()
{
    Fixture f;
    f.addAll();
    const QString path = f.inst.file(rolesheet::fileName(kRequest, QStringLiteral("xlsx")));
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_string(sheet, 1, 1, "ROSSI", nullptr); // column A empty on row 2
    worksheet_write_string(sheet, 2, 0, "RSSMRA85T10A562S", nullptr);
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);
    bool ok = false;
    QVERIFY(RoleTransfer(f.ctx).readFile(path, &ok).isEmpty());
    QVERIFY(ok);
}

void TstImport::legacyWorkbook()
{
    // Found when no newer workbook is there; its typed date and its role text read as in the others.
    Fixture f;
    f.addRole(ferrari());
    const QString name = rolesheet::fileName(kRequest, QStringLiteral("xls"));
    QVERIFY(QFile::copy(QStringLiteral(VX_LEGACY_XLS), f.inst.file(name)));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Sheet), Answer::Yes).expect(kImported);
    RoleTransfer(f.ctx).importCommand(RoleTransfer::Format::Sheet);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), (QList<RolePerson>{bianchi(), rossi()}));

    // A newer workbook beside it is taken first.
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.addRole(ferrari());
    QVERIFY(RoleTransfer(f.ctx).writeFile(RoleTransfer::Format::Sheet,
                                          f.inst.file(rolesheet::fileName(kRequest, QStringLiteral("xlsx")))));
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Sheet), Answer::Yes).expect(kImported);
    RoleTransfer(f.ctx).importCommand(RoleTransfer::Format::Sheet);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), (QList<RolePerson>{ferrari()}));
}

void TstImport::openDocumentSheet()
{
    Fixture f;
    const QString name = rolesheet::fileName(kRequest, QStringLiteral("ods"));
    QVERIFY(QFile::copy(QStringLiteral(VX_ODS), f.inst.file(name)));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Sheet), Answer::Yes).expect(kImported);
    RoleTransfer(f.ctx).importCommand(RoleTransfer::Format::Sheet);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), (QList<RolePerson>{bianchi(), rossi()}));
}

void TstImport::importRefusals_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<QByteArray>("content"); // the text file; none when empty
    QTest::addColumn<bool>("reserved");

    QTest::newRow("text, printed") << int(RoleTransfer::Format::Text) << true << QByteArray() << false;
    QTest::newRow("sheet, printed") << int(RoleTransfer::Format::Sheet) << true << QByteArray() << false;
    QTest::newRow("text missing") << int(RoleTransfer::Format::Text) << false << QByteArray() << false;
    QTest::newRow("sheet missing") << int(RoleTransfer::Format::Sheet) << false << QByteArray() << false;
    QTest::newRow("sheet missing, reserved") << int(RoleTransfer::Format::Sheet) << false << QByteArray() << true;
    QTest::newRow("text without rows") << int(RoleTransfer::Format::Text) << false << QByteArray("\xEF\xBB\xBF")
                                       << false;
    QTest::newRow("sheet unreadable") << int(RoleTransfer::Format::Sheet) << false << QByteArray("PK non un foglio")
                                      << false;
}

void TstImport::importRefusals()
{
    QFETCH(int, format);
    QFETCH(bool, printed);
    QFETCH(QByteArray, content);
    QFETCH(bool, reserved);
    const auto fmt = RoleTransfer::Format(format);
    Fixture f(printed);
    f.addAll();
    f.state.reservedMode = reserved;
    const QList<RolePerson> before = f.rows();
    const QString name = fmt == RoleTransfer::Format::Text ? roletext::fileName(kRequest)
                                                           : rolesheet::fileName(kRequest, QStringLiteral("xlsx"));
    if (!content.isEmpty())
        f.inst.writeFile(name, content);

    f.prompter.expect(importQuestion(fmt), Answer::No);
    RoleTransfer(f.ctx).importCommand(fmt);
    VX_VERIFY_PROMPTS(f.prompter);

    f.prompter.expect(importQuestion(fmt), Answer::Yes);
    if (printed) {
        f.prompter.expect(QStringLiteral("Operazione di importazione non effettuable\nPer la richiesta selezionata è "
                                         "già avvenuta la stampa definitiva."),
                          QStringLiteral("Richiesta Bloccata"), Icon::Information);
    } else if (content.isEmpty()) {
        f.prompter.expect(plain(
            QStringLiteral("Il file '") + name +
            QStringLiteral("' necessario per effettuare l'importazione dei dati non è presente nella cartella ") +
            f.folder() + QStringLiteral("\nNon è possibile precedere alla importazione dei dati.") +
            (fmt == RoleTransfer::Format::Text
                 ? QStringLiteral("\n(La struttura 'campione' del file puo' essere prodotta utilizzando la funzione "
                                  "esporta su TXT dopo aver einserito almeno una scheda di prova.)")
                 : QString()) +
            QStringLiteral("\nRecuperare il file ed inserirlo nella cartella ") + f.folder() +
            QStringLiteral("\nquindi rieseguire l'operazione")));
    } else if (fmt == RoleTransfer::Format::Sheet) {
        f.prompter.expect(QStringLiteral("Il file '") + name +
                              QStringLiteral("' non è leggibile.\nI dati della richiesta non sono stati modificati."),
                          kImportTitle, Icon::Critical);
    } else {
        f.prompter.expect(QStringLiteral("Il file '") + name +
                              QStringLiteral("' non contiene righe da importare.\nI dati della richiesta non sono "
                                             "stati modificati."),
                          kImportTitle, Icon::Information);
    }
    RoleTransfer(f.ctx).importCommand(fmt);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), before);

    // The reserved mode names the connection's state before the sheet is read.
    if (reserved) {
        RoleTransfer(f.ctx).writeFile(fmt, f.inst.file(name));
        f.prompter.expect(importQuestion(fmt), Answer::Yes)
            .expect(plain(QStringLiteral("DE.CorsiDB.State = 1")))
            .expect(kImported);
        RoleTransfer(f.ctx).importCommand(fmt);
        VX_VERIFY_PROMPTS(f.prompter);
        QCOMPARE(f.rows(), before);
    }
}

void TstImport::anomaliesLeaveRowsAndReport()
{
    Fixture f;
    f.addAll();
    const QList<RolePerson> before = f.rows();
    RolePerson wrong = rossi();
    wrong.tel = QStringLiteral("011/5");
    // A trailing blank line is a row of empty fields.
    f.inst.writeFile(roletext::fileName(kRequest), line(fieldsOf(bianchi())) + line(fieldsOf(wrong)) + "\r\n");
    f.prompter.expect(importQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(QStringLiteral("Il file .TXT elaborato contiene dati non coerenti.\nE' stato creato il file ") +
                    QDir::toNativeSeparators(f.reportPath()) +
                    QStringLiteral("\ncontenente le indicazioni delle anomalie riscontrate."),
                QStringLiteral("Importazione non eseguita. causa anomalia dati."), Icon::Information);
    RoleTransfer(f.ctx).importCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), before);
    QFile report(f.reportPath());
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QByteArray text = report.readAll();
    QVERIFY(text.startsWith("riga 2 -  Tel solo cifre.\r\nriga 3 -  Formato codice fiscale non corretto.\r\n"));
    QVERIFY(text.endsWith("riga 3 -  Codice Ruolo non presente nella base dati.\r\n"));
}

void TstImport::forbiddenEmailToldOnce()
{
    Fixture f;
    RolePerson p = rossi();
    p.email = QStringLiteral("mario+rossi+1@ente.it");
    RolePerson q = bianchi();
    q.email = QStringLiteral("laura!@ente.it");
    f.inst.writeFile(roletext::fileName(kRequest), line(fieldsOf(p)) + line(fieldsOf(q)));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(plain(QStringLiteral("l'indirizzo di posta elettronica contien caratteri non consentiti.")))
        .expect(QStringLiteral("Il file .TXT elaborato contiene dati non coerenti.\nE' stato creato il file ") +
                    QDir::toNativeSeparators(f.reportPath()) +
                    QStringLiteral("\ncontenente le indicazioni delle anomalie riscontrate."),
                QStringLiteral("Importazione non eseguita. causa anomalia dati."), Icon::Information);
    RoleTransfer(f.ctx).importCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QFile report(f.reportPath());
    QVERIFY(report.open(QIODevice::ReadOnly));
    QCOMPARE(report.readAll(), QByteArray("riga 1 -  Email: carattere non consentito '+'\r\n"
                                          "riga 1 -  Email: carattere non consentito '+'\r\n"
                                          "riga 2 -  Email: carattere non consentito '!'\r\n"));
}

void TstImport::replacementIsAllOrNothing_data()
{
    QTest::addColumn<int>("failAt");
    // BEGIN, the delete, the first, second and third insert, COMMIT.
    for (int n = 1; n <= 6; ++n)
        QTest::addRow("statement %d", n) << n;
}

void TstImport::replacementIsAllOrNothing()
{
    QFETCH(int, failAt);
    Fixture f;
    f.addRole(rossi());
    const QList<RolePerson> before = f.rows();
    RoleTransfer t(f.ctx);
    f.db.failStatement(failAt);
    QVERIFY(!t.replaceRows({imported(bianchi()), imported(ferrari()), imported(rossi())}));
    QVERIFY(f.db.faultFired());
    f.db.failStatement(0);
    QCOMPARE(f.rows(), before);

    // Through the command: the failure is told, and Cancel leaves the rows as they were.
    f.inst.writeFile(roletext::fileName(kRequest),
                     line(fieldsOf(bianchi())) + line(fieldsOf(ferrari())) + line(fieldsOf(rossi())));
    ScriptedPrompter& p = f.prompter;
    p.expect(importQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(ErrorTrap::failureMessage(kImportTitle, DbError::sqlite(10)), Answer::Cancel);
    // The statements before the replacement: the printed check and the site registry.
    f.db.failStatement(2 + failAt);
    t.importCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended());
    QCOMPARE(f.rows(), before);
}

void TstImport::exportQuestions()
{
    Fixture f;
    f.addAll();
    RoleTransfer t(f.ctx);
    const QString name = roletext::fileName(kRequest);
    f.inst.writeFile(name, "old");

    // Declined at the first question, or at the overwrite: no file written, nothing more said.
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Text), Answer::No);
    t.exportCommand(RoleTransfer::Format::Text);
    const Message overwrite{QStringLiteral("E' stata rilevata la presenza di una precedente elaborazione.\nConfermando "
                                           "l'elaborazione il precedente file ") +
                                name + QStringLiteral(" verrà sovrascritto. Procedere?"),
                            QStringLiteral("Conferma esportazione?"), Icon::None, Buttons::YesNo};
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Text), Answer::Yes).expect(overwrite, Answer::No);
    t.exportCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QFile old(f.inst.file(name));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    old.close();

    f.prompter.expect(exportQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(overwrite, Answer::Yes)
        .expect(created(f.folder(), name));
    t.exportCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll().count("\r\n"), 3);

    // No template: the sheet cannot be made.
    QVERIFY(QFile::remove(f.inst.file(RoleTransfer::kTemplateFile)));
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Sheet), Answer::Yes)
        .expect(plain(QStringLiteral("Il file 'ExportRuoli.xlsx' necessario per effettuare l'esportazione dei dati non "
                                     "è presente nella cartella ") +
                      f.folder() + QStringLiteral("\nNon è possibile precedere alla esportazione dei dati.")))
        .expect(plain(QStringLiteral("Non è stato possibile creare il file .xlsx contenente i dati della richiesta.")));
    t.exportCommand(RoleTransfer::Format::Sheet);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!QFile::exists(f.inst.file(rolesheet::fileName(kRequest, QStringLiteral("xlsx")))));

    // A folder that cannot be written: the text export fails and leaves no partial file.
    QVERIFY(QFile::remove(f.inst.file(name)));
    f.state.programFolder = f.inst.file(QStringLiteral("absent/"));
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(plain(QStringLiteral("Non è stato possibile creare il file .TXT contenente i dati dellA RICHIESTA.")));
    t.exportCommand(RoleTransfer::Format::Text);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstImport::listCommandsWired()
{
    Fixture f;
    f.addRole(rossi());
    frmElencoSoggetti list(f.ctx);
    list.show();
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Text), Answer::Yes)
        .expect(created(f.folder(), roletext::fileName(kRequest)));
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdEsportaTXT")), Qt::LeftButton);
    f.addRole(bianchi());
    f.inst.writeFile(roletext::fileName(kRequest), line(fieldsOf(bianchi())) + line(fieldsOf(rossi())));
    f.prompter.expect(importQuestion(RoleTransfer::Format::Text), Answer::Yes).expect(kImported);
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdImportaDaTXT")), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(list.model()->rowCount(), 2); // refreshed after the import
    f.prompter.expect(exportQuestion(RoleTransfer::Format::Sheet), Answer::No);
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdEsportaExcel")), Qt::LeftButton);
    f.prompter.expect(importQuestion(RoleTransfer::Format::Sheet), Answer::No);
    QTest::mouseClick(list.findChild<QPushButton*>(QStringLiteral("CmdImportaDaExcel")), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
}

namespace {
struct CliRun {
    int code = 0;
    QString out;
    QString err;
};

CliRun runCli(const Fixture& f, const QStringList& arguments)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code =
        cli::run(QStringList{QStringLiteral("--cartella"), f.inst.folder()} + arguments, f.inst.folder(), out, err);
    out.flush();
    err.flush();
    return r;
}
} // namespace

void TstImport::commandLine()
{
    Fixture f;
    f.addAll();
    const QList<RolePerson> before = f.rows();
    f.db.close(); // the command line opens the installation itself

    // Export: one of the two formats, into the program folder or the given file.
    QCOMPARE(runCli(f, {QStringLiteral("esporta"), QStringLiteral("100")}).code, cli::kUsage);
    QCOMPARE(
        runCli(f, {QStringLiteral("esporta"), QStringLiteral("100"), QStringLiteral("--xlsx"), QStringLiteral("--txt")})
            .code,
        cli::kUsage);
    CliRun r = runCli(f, {QStringLiteral("esporta"), QStringLiteral("100"), QStringLiteral("--txt")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, f.inst.file(roletext::fileName(kRequest)) + QLatin1Char('\n'));
    const QString sheet = f.inst.file(QStringLiteral("copia.xlsx"));
    r = runCli(f, {QStringLiteral("esporta"), QStringLiteral("100"), QStringLiteral("--xlsx"), QStringLiteral("--file"),
                   sheet});
    QCOMPARE(r.code, 0);
    QVERIFY(QFile::exists(sheet));
    QCOMPARE(runCli(f, {QStringLiteral("esporta"), QStringLiteral("99"), QStringLiteral("--txt")}).err,
             QStringLiteral("veltranorpx-cli: Richiesta 99 non trovata.\n"));

    // Verification: the report's lines, and whether every row passed.
    r = runCli(f, {QStringLiteral("verifica"), QStringLiteral("100"), sheet});
    QCOMPARE(r.out, QString());
    QCOMPARE(r.code, 0);
    RolePerson wrong = rossi();
    wrong.cognome = QStringLiteral("RÒSSI1");
    const QString text = f.inst.file(QStringLiteral("prova.txt"));
    f.inst.writeFile(QStringLiteral("prova.txt"), line(fieldsOf(bianchi())) + line(fieldsOf(wrong)));
    r = runCli(f, {QStringLiteral("verifica"), QStringLiteral("100"), text});
    QCOMPARE(r.out, QStringLiteral("riga 2 -  Caratterri non permessi nel Cognome.\r\n"));
    QCOMPARE(r.code, cli::kFailed);
    QCOMPARE(runCli(f, {QStringLiteral("verifica"), QStringLiteral("100"), QStringLiteral("x.csv")}).code, cli::kUsage);

    // Import: refused with anomalies, done otherwise, with the count of rows.
    r = runCli(f, {QStringLiteral("importa"), QStringLiteral("100"), text});
    QCOMPARE(r.code, cli::kFailed);
    f.inst.writeFile(QStringLiteral("prova.txt"), line(fieldsOf(bianchi())) + line(fieldsOf(rossi())));
    r = runCli(f, {QStringLiteral("importa"), QStringLiteral("100"), text});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QStringLiteral("La richiesta 100 contiene ora 2 righe di soggetti e ruoli.\n"));
    QCOMPARE(r.code, 0);
    r = runCli(f, {QStringLiteral("importa"), QStringLiteral("100"), sheet});
    QCOMPARE(r.out, QStringLiteral("La richiesta 100 contiene ora 3 righe di soggetti e ruoli.\n"));
    f.inst.writeFile(QStringLiteral("vuoto.txt"), QByteArray());
    r = runCli(f, {QStringLiteral("importa"), QStringLiteral("100"), f.inst.file(QStringLiteral("vuoto.txt"))});
    QCOMPARE(r.code, cli::kFailed);
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    r = runCli(f, {QStringLiteral("importa"), QStringLiteral("100"), text});
    QCOMPARE(r.code, cli::kFailed);
    QVERIFY(r.err.contains(QStringLiteral("stampa definitiva")));
    QVERIFY(f.db.open(QString(), f.inst.databasePath(), Database::Mode::Multiutenza));
    QCOMPARE(f.rows(), before);
}

QTEST_MAIN(TstImport)
#include "tst_import.moc"
