// The codice fiscale routines, the person-and-role checks, the card's saving and the roles list.

#include "TestContext.h"

#include "requests/SelectedRequest.h"
#include "roles/RoleColumns.h"
#include "roles/RoleList.h"
#include "roles/RolePersonCard.h"
#include "roles/RoleValidation.h"
#include "roles/TaxCode.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QSqlRecord>
#include <QTest>

using namespace vx;

Q_DECLARE_METATYPE(vx::RolePerson)

namespace {

constexpr int kYear = 2026;

// A person that passes every check: ROSSI MARIO, 10/12/1985, role 1 at the agency.
RolePerson valid()
{
    RolePerson p;
    p.codFiscale = QStringLiteral("RSSMRA85T10A562S");
    p.cognome = QStringLiteral("ROSSI");
    p.nome = QStringLiteral("MARIO");
    p.gg = QStringLiteral("10");
    p.mm = QStringLiteral("12");
    p.aaaa = QStringLiteral("1985");
    p.email = QStringLiteral("mario.rossi@ente.example");
    p.tel = QStringLiteral("0115550101");
    p.gruppo = QStringLiteral("A");
    p.codice = 12;
    p.sede = 0;
    p.ruolo = 1;
    return p;
}

// A codice fiscale of 15 characters completed with its control character.
QString withCheck(const QString& first15)
{
    return first15 + taxcode::checkCharacter(first15);
}

// The valid person born on another day, with the codice fiscale whose first 15 characters are
// given (completed with its control character).
RolePerson bornOn(const char* first15, const char* day = "10", const char* month = "12", const char* year = "1985")
{
    RolePerson p = valid();
    p.codFiscale = withCheck(QString::fromLatin1(first15));
    p.gg = QString::fromUtf8(day);
    p.mm = QString::fromLatin1(month);
    p.aaaa = QString::fromLatin1(year);
    return p;
}

// `p` with one field changed.
RolePerson with(RolePerson p, QString RolePerson::*member, const char* value)
{
    p.*member = QString::fromUtf8(value);
    return p;
}
RolePerson with(RolePerson p, int RolePerson::*member, int value)
{
    p.*member = value;
    return p;
}

struct Fixture : vx::test::InstalledContext {
    explicit Fixture(bool printed = false)
    {
        clock.fixed = QDateTime(QDate(kYear, 6, 1), QTime(10, 0));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE"));
        inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, "
                                "Indirizzo) VALUES ('A', 12, 1, 'SL', 'SEDE LEGALE', 'VIA GARIBALDI 10'), ('A', 12, 2, "
                                "'SO', 'SEDE OPERATIVA DI MONCALIERI', 'VIA SANTA CROCE 4')"));
        inst.addRequest(100, QStringLiteral("A"), 12, QStringLiteral("001"), 1, printed);
        open();
        state.selected = loadSelectedRequest(db, prompter, 100);
    }

    // The valid person stored under Request 100.
    RolePerson addValid()
    {
        RolePerson p = valid();
        p.numDoma = 100;
        addRole(p);
        return p;
    }
    void addRole(const RolePerson& p)
    {
        inst.sql(
            QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, "
                           "Email, Tel, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                           "VALUES (100, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {p.codFiscale, p.cognome, p.nome, p.gg, p.mm, p.aaaa, p.email, p.tel, p.gruppo, p.codice, p.sede, p.ruolo});
    }

    QList<RolePerson> rows() { return rolesOf(db, 100); }
};

Message plain(const QString& text)
{
    return {text, QStringLiteral("VELTRANORPX"), Icon::None, Buttons::Ok};
}

// A fault of the card's values, as the check tells it.
Message check(const QString& text)
{
    return {text, QStringLiteral("Verifica dati"), Icon::Critical, Buttons::Ok};
}

const Message kDuplicate{QStringLiteral("Il soggetto 'RSSMRA85T10A562S' è stato già inserito con questi parametri.\n"
                                        "Cambiare il codice fiscale e riprovare a salvare."),
                         QStringLiteral("VELTRANORPX"), Icon::Critical, Buttons::Ok};
const Message kConfirmDelete{QStringLiteral("Confermi cancellazione di\nROSSI - MARIO - RSSMRA85T10A562S"),
                             QStringLiteral("Partner"), Icon::Information, Buttons::YesNo};

const Message kExitQuestion{QStringLiteral("Sono stati modificati uno o più dati del PARTNER\nSalvare le modifiche ?"),
                            QStringLiteral("Soggetti e Ruoli"), Icon::None, Buttons::YesNoCancel};

} // namespace

class TstRoles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void surnameAndNameCodes_data();
    void surnameAndNameCodes();
    void checkCharacter_data();
    void checkCharacter();
    void monthLetters();
    void characterChecks_data();
    void characterChecks();
    void validationSteps_data();
    void validationSteps();
    void validationAccepts_data();
    void validationAccepts();
    void dateRule_data();
    void dateRule();

    void columnsMatchTheTables();
    void roleTable_data();
    void roleTable();
    void roleListEntries();
    void verifierCount();
    void listSortsNamesAsAnItalianReader();

    void cardListsAndNotes();
    void saveNewRow();
    void modifyRowIncludingItsKey();
    void duplicateCombination();
    void rowDeletedByAnotherConnection_data();
    void rowDeletedByAnotherConnection();
    void modifyARowGoneBeforeOpening();
    void requestDeletedByAnotherConnection_data();
    void requestDeletedByAnotherConnection();
    void exitQuestion_data();
    void exitQuestion();
    void printedRequestIsReadOnly();

    void listDeletesOneOfTwoRoles();
    void listMessages();
    void helpGuideAndBatchListing();
};

void TstRoles::surnameAndNameCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("name");
    auto row = [](const char* tag, const char* text, const char* surname, const char* name) {
        QTest::newRow(tag) << text << surname << name;
    };
    row("three consonants", "Rossi", "RSS", "RSS");
    row("four consonants", "Bianchi", "BNC", "BCH");
    row("two consonants, vowels", "Luca", "LCU", "LCU");
    row("one consonant", "Rea", "REA", "REA");
    row("X padding", "Fo", "FOX", "FOX");
    row("vowels only", "Ai", "AIX", "AIX");
    row("Francesco", "Francesco", "FRN", "FNC");
    row("Giuseppe", "GIUSEPPE", "GSP", "GPP");
    row("two words, accented E", "DÈ SANCTIS", "DSN", "DNC");
    row("accent and apostrophe dropped", "D'ANGELÒ", "DNG", "DGL");
    row("blanks and hyphen", "  De la - Cruz ", "DLC", "DCR");
    row("PÒ", "PÒ", "POX", "POX");
}

void TstRoles::surnameAndNameCodes()
{
    QFETCH(QString, text);
    QFETCH(QString, surname);
    QFETCH(QString, name);
    QCOMPARE(taxcode::surnameCode(text), surname);
    QCOMPARE(taxcode::nameCode(text), name);
}

void TstRoles::checkCharacter_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("check");
    auto row = [](const char* name, const char* code, const char* check) { QTest::newRow(name) << code << check; };
    row("classic", "RSSMRA85T10A562", "S");
    row("woman", "BNCLRA78D43L219", "O");
    row("omocodic", "RSSMRA85T10A56N", "H");
    row("sixteen given", "RSSMRA85T10A562S", "S");
    row("lower case adds nothing", "rssmra85t10a562", "Y");
    row("too short", "RSSMRA85T10A56", "");
}

void TstRoles::checkCharacter()
{
    QFETCH(QString, code);
    QFETCH(QString, check);
    QCOMPARE(taxcode::checkCharacter(code), check);
}

void TstRoles::monthLetters()
{
    const QStringList months = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("04"),
                                QStringLiteral("05"), QStringLiteral("06"), QStringLiteral("07"), QStringLiteral("08"),
                                QStringLiteral("09"), QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12")};
    QString letters;
    for (const QString& m : months)
        letters += taxcode::monthLetter(m);
    QCOMPARE(letters, QStringLiteral("ABCDEHLMPRST"));
    for (const char* bad : {"00", "13", "1", "1a", ""})
        QCOMPARE(taxcode::monthLetter(QLatin1String(bad)), QString());
}

void TstRoles::characterChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("digits");
    QTest::addColumn<bool>("name");
    QTest::addColumn<bool>("email");
    QTest::newRow("digits") << "0115550101" << true << false << true;
    QTest::newRow("empty") << "" << true << true << true;
    QTest::newRow("two words with È") << "DÈ SANCTIS" << false << true << false;
    QTest::newRow("apostrophe") << "D'ANGELO" << false << false << false;
    QTest::newRow("digit in a name") << "ROSSI2" << false << false << true;
    QTest::newRow("leading blank") << " ROSSI" << false << false << false;
    QTest::newRow("address") << "a.b-c_d@x.it" << false << false << true;
    QTest::newRow("plus sign") << "a+b@x.it" << false << false << false;
}

void TstRoles::characterChecks()
{
    QFETCH(QString, text);
    QFETCH(bool, digits);
    QFETCH(bool, name);
    QFETCH(bool, email);
    QCOMPARE(taxcode::digitsOnly(text), digits);
    QCOMPARE(taxcode::nameCharacters(text), name);
    QCOMPARE(taxcode::emailCharacters(text), email);
}

void TstRoles::validationSteps_data()
{
    QTest::addColumn<RolePerson>("person");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("required");
    auto row = [](const char* name, const RolePerson& p, int step, const char* message, bool required = false) {
        QTest::newRow(name) << p << step << QString::fromUtf8(message) << required;
    };
    // One field of the valid person changed.
    auto field = [&row](const char* name, auto RolePerson::*member, auto value, int step, const char* message,
                        bool required = false) { row(name, with(valid(), member, value), step, message, required); };
    const char* day = "Giorno e codice fiscale non coerenti.";
    const char* dayOfMonth = "Il giorno non è corretto.";
    const char* year = "l'anno non è corretto.";
    const char* format = "Il formato del codice fiscale non è corretto.";
    const char* email = "Il formato e-mail non corretto.";
    field("1 empty code", &RolePerson::codFiscale, "", 1, "Inserire il codice fiscale", true);
    row("1 fifteen characters, nothing else looked at",
        with(with(valid(), &RolePerson::codFiscale, "RSSMRA85T10A562"), &RolePerson::cognome, ""), 1,
        "Formato codice fiscale non corretto.");
    field("2 surname", &RolePerson::cognome, "", 2, "Inserire il cognome", true);
    field("3 name", &RolePerson::nome, "", 3, "Inserire il nome", true);
    field("4 day", &RolePerson::gg, "", 4, "Inserire il giorno", true);
    field("4 day format", &RolePerson::gg, "5", 4, "Formato giorno non corretto.");
    field("5 month", &RolePerson::mm, "", 5, "Inserire il mese", true);
    field("5 month format", &RolePerson::mm, "123", 5, "Formato mese non corretto.");
    field("6 year", &RolePerson::aaaa, "", 6, "Inserire l'anno", true);
    field("6 year format", &RolePerson::aaaa, "85", 6, "Formato anno non corretto.");
    field("7 e-mail", &RolePerson::email, "", 7, "Inserire l'indirizzo di posta elettronica", true);
    field("8 telephone", &RolePerson::tel, "", 8, "Inserire il numero di telefono.", true);
    field("8 telephone digits", &RolePerson::tel, "011-555", 8, "Numero di telefono: inserire solo numeri");
    field("9 surname characters", &RolePerson::cognome, "D'ROSSI", 9, "Cognome: sono presenti caratteri non permessi");
    field("10 name characters", &RolePerson::nome, "MARIO2", 10, "Nome: sono presenti caratteri non permessi");
    field("11 e-mail characters", &RolePerson::email, "mario+1@ente.example", 11,
          "E-mail: sono presenti caratteri non permessi");
    field("12 operator", &RolePerson::codice, 0, 12, "Selezionare  l'operatore.");
    field("13 role", &RolePerson::ruolo, 0, 13, "Selezionare il ruolo.");
    field("14 role 4 without a site", &RolePerson::ruolo, 4, 14,
          "Per il ruolo selezionato deve essere indicata la Sede.");
    field("14 role 1 with a site", &RolePerson::sede, 2, 14,
          "Per il ruolo selezionato NON deve essere indicata la Sede.");
    field("15 year", &RolePerson::aaaa, "1984", 15, "Anno e codice fiscale non coerenti.");
    field("16 month", &RolePerson::mm, "11", 16, "Mese e codice fiscale non coerenti.");
    field("17 day", &RolePerson::gg, "11", 17, day);
    row("17 15 is not a woman's 05", bornOn("RSSMRA85T15A562", "05"), 17, day);
    row("17 letters that are no digit", bornOn("RSSMRA85TA0A562"), 17, day);
    // A day, month or year text is compared with the code only when it is all digits.
    for (const char* text : {" 5", "5 ", "+5", "5a", "-5"})
        row((std::string("17 day \"") + text + "\" against 05").c_str(), bornOn("RSSMRA85T05A562", text), 17, day);
    field("16 month with a blank", &RolePerson::mm, " 2", 16, "Mese e codice fiscale non coerenti.");
    field("15 year with a letter", &RolePerson::aaaa, "1x85", 15, "Anno e codice fiscale non coerenti.");
    field("15 year with a sign", &RolePerson::aaaa, "+985", 15, "Anno e codice fiscale non coerenti.");
    // A day beyond the length of its month.
    row("18 31 February", bornOn("RSSMRA85B31A562", "31", "02"), 18, dayOfMonth);
    row("18 30 February", bornOn("RSSMRA84B30A562", "30", "02", "1984"), 18, dayOfMonth);
    row("18 29 February of a common year", bornOn("RSSMRA85B29A562", "29", "02"), 18, dayOfMonth);
    row("18 29 February 1900", bornOn("RSSMRA00B29A562", "29", "02", "1900"), 18, dayOfMonth);
    row("18 31 April", bornOn("RSSMRA85D31A562", "31", "04"), 18, dayOfMonth);
    row("18 31 November of a woman", bornOn("RSSMRA85S71A562", "31", "11"), 18, dayOfMonth);
    row("18 day", bornOn("RSSMRA85T32A562", "32"), 18, dayOfMonth);
    row("18 year after the adult limit", bornOn("RSSMRA10T10A562", "10", "12", "2010"), 18, year);
    row("18 year before 1900", bornOn("RSSMRA99T10A562", "10", "12", "1899"), 18, year);
    field("19 lower case letter", &RolePerson::codFiscale, "RSSMRa85T10A562S", 19, format);
    row("19 digit in the name part", bornOn("RSSMR185T10A562"), 19, format);
    field("20 control character", &RolePerson::codFiscale, "RSSMRA85T10A562T", 20,
          "Il formato del codice fiscale non è corretto (incoerenza del carattere di controllo finale).");
    field("21 surname", &RolePerson::cognome, "BIANCHI", 21,
          "Il formato del codice fiscale non è corretto (incoerenza nel COGNOME).");
    field("22 name", &RolePerson::nome, "LUCA", 22,
          "Il formato del codice fiscale non è corretto (incoerenza nel NOME).");
    field("24 e-mail without a dot", &RolePerson::email, "mario@ente", 24, email);
    field("24 dot after at", &RolePerson::email, "mario@.ente.it", 24, email);
    field("24 ends with a dot", &RolePerson::email, "mario@ente.it.", 24, email);
    field("24 begins with at", &RolePerson::email, "@ente.it", 24, email);
}

void TstRoles::validationSteps()
{
    QFETCH(RolePerson, person);
    QFETCH(int, step);
    QFETCH(QString, message);
    QFETCH(bool, required);
    const RoleFault f = validateRolePerson(person, kYear);
    QCOMPARE(f.message, message);
    QCOMPARE(f.step, step);
    QCOMPARE(f.required, required);
}

void TstRoles::validationAccepts_data()
{
    QTest::addColumn<RolePerson>("person");
    auto row = [](const char* name, const RolePerson& p) { QTest::newRow(name) << p; };
    row("classic", valid());
    RolePerson woman = bornOn("BNCLRA78D45L219", "05", "04", "1978");
    woman.cognome = QStringLiteral("BIANCHI");
    woman.nome = QStringLiteral("LAURA");
    row("woman born on the 5th", woman);
    row("omocodic day and place", bornOn("RSSMRA85T1LA56N"));
    row("omocodic year", bornOn("RSSMRAURT10A562"));
    row("29 February of a leap year", bornOn("RSSMRA84B29A562", "29", "02", "1984"));
    row("29 February 2000", bornOn("RSSMRA00B29A562", "29", "02", "2000"));
    row("31 December", bornOn("RSSMRA85T31A562", "31"));
    row("born 2001", bornOn("RSSMRA01T10A562", "10", "12", "2001"));
    row("latest adult year", bornOn("RSSMRA09T10A562", "10", "12", "2009"));
    row("year 1900", bornOn("RSSMRA00T10A562", "10", "12", "1900"));
    row("accented surname", with(bornOn("POXMRA85T10A562"), &RolePerson::cognome, "PÒ"));
    row("two-word surname with È", with(bornOn("DSNMRA85T10A562"), &RolePerson::cognome, "DÈ SANCTIS"));
    row("pasted lower case", with(with(valid(), &RolePerson::cognome, "rossi"), &RolePerson::nome, "mario"));
    row("Francesco", with(bornOn("RSSFNC85T10A562"), &RolePerson::nome, "FRANCESCO"));
    row("role 3 at a site", with(with(valid(), &RolePerson::ruolo, 3), &RolePerson::sede, 2));
}

void TstRoles::validationAccepts()
{
    QFETCH(RolePerson, person);
    const RoleFault f = validateRolePerson(person, kYear);
    QVERIFY2(!f, qPrintable(f.message));
}

void TstRoles::dateRule_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("exists");
    QTest::newRow("31 January") << 31 << 1 << 1985 << true;
    QTest::newRow("31 April") << 31 << 4 << 1985 << false;
    QTest::newRow("30 April") << 30 << 4 << 1985 << true;
    QTest::newRow("29 February 1985") << 29 << 2 << 1985 << false;
    QTest::newRow("29 February 1984") << 29 << 2 << 1984 << true;
    QTest::newRow("29 February 1900") << 29 << 2 << 1900 << false;
    QTest::newRow("29 February 2000") << 29 << 2 << 2000 << true;
    QTest::newRow("day 0") << 0 << 5 << 1985 << false;
    QTest::newRow("month 13") << 1 << 13 << 1985 << false;
}

void TstRoles::dateRule()
{
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(bool, exists);
    QCOMPARE(taxcode::dayInMonth(day, month, year), exists);
}

// The one list of columns is the tables' own, in their order.
void TstRoles::columnsMatchTheTables()
{
    Fixture f;
    QStringList names;
    for (const RoleColumn& c : ruoli::columns())
        names.append(c.name);
    for (const char* table : {"Ruoli", "RuoliImport"}) {
        const QSqlRecord record = f.db.connection().record(QLatin1String(table));
        QStringList stored;
        for (int i = 0; i < record.count(); ++i)
            stored.append(record.fieldName(i));
        QCOMPARE(names, stored);
    }
    QCOMPARE(RolesModel::columnNames(), names);

    // What the table binds, it reads back, in either table.
    RolePerson p = valid();
    p.numDoma = 100;
    p.ruolo = 3;
    p.sede = 2;
    QSqlQuery insert = f.db.query();
    QVERIFY(f.db.exec(insert, ruoli::insertSql(QLatin1String("RuoliImport")), ruoli::values(p)));
    QSqlQuery read = f.db.query();
    QVERIFY(f.db.exec(read, QStringLiteral("SELECT 7, ") + ruoli::columnList() + QStringLiteral(" FROM RuoliImport")));
    QVERIFY(read.next());
    QCOMPARE(ruoli::read(read, 1), p);

    // A key column left NULL reads as 0 or "".
    read.finish();
    QVERIFY(f.db.exec(insert, QStringLiteral("DELETE FROM RuoliImport")));
    QVERIFY(f.db.exec(insert, QStringLiteral("INSERT INTO RuoliImport (NumDoma) VALUES (100)")));
    QVERIFY(f.db.exec(read, QStringLiteral("SELECT ") + ruoli::columnList() + QStringLiteral(" FROM RuoliImport")));
    QVERIFY(read.next());
    RolePerson empty;
    empty.numDoma = 100;
    QCOMPARE(ruoli::read(read), empty);
}

void TstRoles::roleTable_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("atAgency");
    auto row = [](const char* tag, int code, const char* word, const char* text, bool atAgency) {
        QTest::newRow(tag) << code << word << text << atAgency;
    };
    row("1", 1, "PROGETTISTA_PERCORSI_FORM", "Progettista di Percorsi Formativi (ENTE)", true);
    row("2", 2, "PROGETTISTA_PERCORSI_SEDE", "Progettista di Percorsi Formativi (SEDE)", false);
    row("3", 3, "VERIFICATORE_PERCORSI_SEDE", "Verificatore di Percorsi Formativi (SEDE)", false);
    row("4", 4, "PROGETTISTA_AGENZIA_PCV", "Progettista di PCV di agenzia", false);
    row("5", 5, "VERIFICATORE_PERCORSI_FORM", "Verificatore di Percorsi Formativi (ENTE)", true);
    row("0 is no role", 0, "", "", false);
    row("6 is no role", 6, "", "", false);
}

void TstRoles::roleTable()
{
    QFETCH(int, code);
    QFETCH(QString, word);
    QFETCH(QString, text);
    QFETCH(bool, atAgency);
    QCOMPARE(roles::word(code), word);
    QCOMPARE(roles::text(code), text);
    QCOMPARE(roles::atAgency(code), atAgency);
    QCOMPARE(roles::codeOf(text), text.isEmpty() ? 0 : code);
    QCOMPARE(roles::noteHeading(code).isEmpty(), text.isEmpty());
    QCOMPARE(roles::noteBody(code).isEmpty(), text.isEmpty());
}

void TstRoles::roleListEntries()
{
    const QString percorsi = QStringLiteral("-------    Ruoli di GESTIONE PERCORSI FORMATIVI "
                                            "-----------------------------------------------");
    const QString pcv =
        QStringLiteral("-------    Ruoli di  GESTIONE PROVE DI VALUTAZIONE - PROGETTAZIONE PCV ----------");
    const QList<roles::ListEntry> expected{
        {0, QString()},      {0, percorsi}, {1, roles::text(1)}, {2, roles::text(2)}, {5, roles::text(5)},
        {3, roles::text(3)}, {0, pcv},      {4, roles::text(4)}};
    QCOMPARE(roles::listEntries(), expected);
    QCOMPARE(roles::noteHeading(5), QStringLiteral("Verificatore di Percorsi Formativi per l'Ente"));
}

// The print's warning looks for the site verifier; the agency verifier does not stand in for it.
void TstRoles::verifierCount()
{
    Fixture f;
    auto count = [&f] {
        QSqlQuery q = f.db.query();
        if (!f.db.exec(q, roles::verifierCountSql(), roles::verifierCountValues(100)) || !q.next())
            return -1;
        return q.value(0).toInt();
    };
    RolePerson p = valid();
    for (int code : {1, 2, 4, 5}) {
        p.ruolo = code;
        p.sede = roles::atAgency(code) ? 0 : 1;
        f.addRole(p);
    }
    QCOMPARE(count(), 0);
    p.ruolo = 3;
    p.sede = 2;
    f.addRole(p);
    QCOMPARE(count(), 1);
}

void TstRoles::listSortsNamesAsAnItalianReader()
{
    Fixture f;
    const QList<QPair<QString, QString>> stored = {
        {QStringLiteral("ZANI"), QStringLiteral("LUCA")},     {QStringLiteral("rossi"), QStringLiteral("anna")},
        {QStringLiteral("Èrcoli"), QStringLiteral("PIA")},    {QStringLiteral("ROSSI"), QStringLiteral("Bruno")},
        {QStringLiteral("ROSSA"), QStringLiteral("ZOE")},     {QStringLiteral("ERCOLANI"), QStringLiteral("ADA")},
        {QStringLiteral("De Santis"), QStringLiteral("UGO")}, {QStringLiteral("d'Angelo"), QStringLiteral("EVA")}};
    RolePerson p = valid();
    int n = 0;
    for (const auto& [surname, name] : stored) {
        p.codFiscale = QStringLiteral("CF%1").arg(++n);
        p.cognome = surname;
        p.nome = name;
        f.addRole(p);
    }
    QStringList order;
    for (const RolePerson& r : f.rows())
        order.append(r.cognome + QLatin1Char(' ') + r.nome);
    QCOMPARE(order,
             (QStringList{QStringLiteral("d'Angelo EVA"), QStringLiteral("De Santis UGO"),
                          QStringLiteral("ERCOLANI ADA"), QStringLiteral("Èrcoli PIA"), QStringLiteral("ROSSA ZOE"),
                          QStringLiteral("rossi anna"), QStringLiteral("ROSSI Bruno"), QStringLiteral("ZANI LUCA")}));

    // The list's model keeps Qt's model contract through a load and a reload.
    RolesModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model.load(f.db, 100));
    QCOMPARE(model.rowCount(), stored.size());
    QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("d'Angelo"));
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli WHERE Cognome = 'ZANI'"));
    QVERIFY(model.load(f.db, 100));
    QCOMPARE(model.rowCount(), stored.size() - 1);
}

void TstRoles::cardListsAndNotes()
{
    Fixture f;
    RoleKey key;
    RolePersonCard card(f.ctx, key);
    const QList<OperatorEntry> operators = card.operatorEntries();
    QCOMPARE(operators, (QList<OperatorEntry>{{}, {QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE")}}));
    QCOMPARE(RolePersonCard::operatorDisplay(operators[0]), QString());
    QCOMPARE(RolePersonCard::operatorDisplay(operators[1]), QStringLiteral("A  12  CENTRO DI FORMAZIONE"));
    const QList<SiteEntry> sites = card.siteEntries(QStringLiteral("A"), 12);
    QCOMPARE(sites.size(), 3);
    QCOMPARE(sites[0].number, 0);
    QCOMPARE(sites[1].display, QStringLiteral("1     - SEDE LEGALE  - SL - VIA GARIBALDI 10"));
    QCOMPARE(sites[2].display, QStringLiteral("2     - SEDE OPERATIVA DI MO. - SO - VIA SANTA CROCE 4"));
    QCOMPARE(sites[2].number, 2);
    QCOMPARE(card.siteEntries(QString(), 0).size(), 1);

    const std::optional<RolePerson> opened = card.open();
    QVERIFY(opened);
    QCOMPARE(opened->gruppo, QStringLiteral("A"));
    QCOMPARE(opened->codice, 12);
    QVERIFY(card.changed(*opened)); // a new card always counts as changed
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstRoles::saveNewRow()
{
    Fixture f;
    RoleKey key;
    RolePersonCard card(f.ctx, key);
    card.open();
    RolePerson p = valid();
    p.tel.clear();
    f.prompter.expect(check(QStringLiteral("Inserire il numero di telefono.")));
    QCOMPARE(card.save(p), RolePersonCard::SaveOutcome::Failed);
    QCOMPARE(card.focus(), RoleFault::Field::Telefono);
    p.tel = QStringLiteral("0115550101");
    QCOMPARE(card.save(p), RolePersonCard::SaveOutcome::Saved);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(key, RoleKey::of(p));
    p.numDoma = 100;
    QCOMPARE(f.rows(), QList<RolePerson>{p});
}

void TstRoles::modifyRowIncludingItsKey()
{
    Fixture f;
    const RolePerson stored = f.addValid();
    RoleKey key = RoleKey::of(stored);
    RolePersonCard card(f.ctx, key);
    QCOMPARE(card.open(), std::optional<RolePerson>(stored));
    QVERIFY(!card.changed(stored));
    RolePerson changed = stored;
    changed.ruolo = 3;
    changed.sede = 2;
    changed.tel = QStringLiteral("0119999999");
    QVERIFY(card.changed(changed));
    QCOMPARE(card.save(changed), RolePersonCard::SaveOutcome::Saved);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), QList<RolePerson>{changed});
    QCOMPARE(key, RoleKey::of(changed));
}

void TstRoles::duplicateCombination()
{
    Fixture f;
    const RolePerson stored = f.addValid();
    RoleKey key;
    RolePersonCard card(f.ctx, key);
    card.open();
    f.prompter.expect(kDuplicate);
    QCOMPARE(card.save(valid()), RolePersonCard::SaveOutcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(card.focus(), RoleFault::Field::CodFiscale);
    QVERIFY(key.isNew());
    QCOMPARE(f.rows().size(), 1);
}

void TstRoles::rowDeletedByAnotherConnection_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("storedMeanwhile");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("email");
    QTest::newRow("reinsert") << int(Answer::Yes) << false << int(RolePersonCard::SaveOutcome::Saved)
                              << "nuovo@ente.example";
    QTest::newRow("drop the change") << int(Answer::No) << false << int(RolePersonCard::SaveOutcome::Dropped) << "";
    // The same identity was stored meanwhile: told, and the card stays open with its values.
    QTest::newRow("reinsert over a row stored meanwhile")
        << int(Answer::Yes) << true << int(RolePersonCard::SaveOutcome::Failed) << "altro@ente.example";
}

void TstRoles::rowDeletedByAnotherConnection()
{
    QFETCH(int, answer);
    QFETCH(bool, storedMeanwhile);
    QFETCH(int, outcome);
    QFETCH(QString, email);
    Fixture f;
    const RolePerson stored = f.addValid();
    RoleKey key = RoleKey::of(stored);
    RolePersonCard card(f.ctx, key);
    QVERIFY(card.open());
    RolePerson changed = stored;
    changed.email = QStringLiteral("nuovo@ente.example");
    changed.ruolo = 5;
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    if (storedMeanwhile) {
        RolePerson other = changed;
        other.email = QStringLiteral("altro@ente.example");
        f.addRole(other);
    }
    f.prompter.expect(QStringLiteral("Il record che si sta cercando di aggiornare è stato cancellato da un altro "
                                     "operatore.\nReinserire il record?"),
                      QStringLiteral("Accesso concorrente"), Icon::Exclamation, Buttons::YesNo, Answer(answer));
    if (storedMeanwhile)
        f.prompter.expect(kDuplicate);
    else if (answer == int(Answer::Yes))
        f.prompter.expect(QStringLiteral("Partner reinserito."), QStringLiteral("VELTRANORPX"), Icon::Information);
    QCOMPARE(int(card.save(changed)), outcome);
    VX_VERIFY_PROMPTS(f.prompter);
    QStringList emails;
    for (const RolePerson& r : f.rows())
        emails.append(r.email);
    QCOMPARE(emails, email.isEmpty() ? QStringList() : QStringList{email});
    if (storedMeanwhile) {
        QCOMPARE(card.focus(), RoleFault::Field::CodFiscale);
        QCOMPARE(key, RoleKey::of(stored)); // still the row the card was opened on
    }
}

// The list still shows a row that another workstation has deleted: the card does not open on it.
void TstRoles::modifyARowGoneBeforeOpening()
{
    Fixture f;
    const RolePerson stored = f.addValid();
    RoleKey key = RoleKey::of(stored);
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    RolePersonCard card(f.ctx, key);
    f.prompter.expect(QStringLiteral("Il record che si sta cercando di modificare è stato cancellato da un altro "
                                     "operatore."),
                      QStringLiteral("Accesso concorrente"), Icon::Exclamation);
    QCOMPARE(card.open(), std::nullopt);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstRoles::requestDeletedByAnotherConnection_data()
{
    QTest::addColumn<bool>("modify");
    QTest::newRow("new row") << false;
    QTest::newRow("modified row") << true;
}

// Another workstation deletes the Request while the card is open: nothing is stored under its number.
void TstRoles::requestDeletedByAnotherConnection()
{
    QFETCH(bool, modify);
    Fixture f;
    RolePerson stored = valid();
    stored.numDoma = 100;
    if (modify)
        f.addRole(stored);
    RoleKey key = modify ? RoleKey::of(stored) : RoleKey();
    RolePersonCard card(f.ctx, key);
    QVERIFY(card.open());
    f.inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 100"));
    RolePerson changed = valid();
    changed.tel = QStringLiteral("0119999999");
    f.prompter.expect(QStringLiteral("La richiesta n. 100 non esiste più: è stata cancellata da un'altra "
                                     "postazione.\nIl soggetto non è stato salvato."),
                      QStringLiteral("Accesso concorrente"), Icon::Exclamation);
    QCOMPARE(card.save(changed), RolePersonCard::SaveOutcome::Dropped);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), modify ? QList<RolePerson>{stored} : QList<RolePerson>());
}

void TstRoles::exitQuestion_data()
{
    QTest::addColumn<bool>("validCard");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("rows");
    QTest::newRow("No closes") << true << int(Answer::No) << int(RolePersonCard::ExitOutcome::Close) << 0;
    QTest::newRow("Cancel stays") << true << int(Answer::Cancel) << int(RolePersonCard::ExitOutcome::Stay) << 0;
    QTest::newRow("Yes saves and closes") << true << int(Answer::Yes) << int(RolePersonCard::ExitOutcome::Close) << 1;
    QTest::newRow("Yes on an untouched card stays")
        << false << int(Answer::Yes) << int(RolePersonCard::ExitOutcome::Stay) << 0;
}

void TstRoles::exitQuestion()
{
    QFETCH(bool, validCard);
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(int, rows);
    Fixture f;
    RoleKey key;
    RolePersonCard card(f.ctx, key);
    const RolePerson untouched = *card.open();
    f.prompter.expect(kExitQuestion, Answer(answer));
    if (!validCard)
        f.prompter.expect(check(QStringLiteral("Inserire il codice fiscale")));
    QCOMPARE(int(card.exit(validCard ? valid() : untouched)), outcome);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows().size(), rows);

    // An existing row left unchanged closes without a question.
    if (rows) {
        RoleKey saved = RoleKey::of(valid());
        RolePersonCard again(f.ctx, saved);
        QCOMPARE(again.exit(*again.open()), RolePersonCard::ExitOutcome::Close);
        VX_VERIFY_PROMPTS(f.prompter);
    }
}

void TstRoles::printedRequestIsReadOnly()
{
    Fixture f(true);
    const RolePerson stored = f.addValid();
    RoleKey key = RoleKey::of(stored);
    RolePersonCard card(f.ctx, key);
    f.prompter.expect(plain(QStringLiteral("Scheda già stampata. Modifiche non abilitate.")));
    RolePerson shown = *card.open();
    QVERIFY(card.readOnly());
    shown.tel = QStringLiteral("1");
    QCOMPARE(card.exit(shown), RolePersonCard::ExitOutcome::Close);
    QCOMPARE(card.save(shown), RolePersonCard::SaveOutcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows().first().tel, stored.tel);
    QVERIFY(!RoleList(f.ctx).editable());
}

void TstRoles::listDeletesOneOfTwoRoles()
{
    Fixture f;
    RolePerson first = valid();
    first.numDoma = 100;
    RolePerson second = first;
    second.ruolo = 3;
    second.sede = 2;
    f.addRole(first);
    f.addRole(second);
    RoleList list(f.ctx);
    QVERIFY(list.editable());
    QList<RolePerson> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    const int index = rows.indexOf(second);
    f.prompter.expect(kConfirmDelete, Answer::Yes);
    QVERIFY(list.remove(rows, index));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), QList<RolePerson>{first});

    // Gone meanwhile: told, and the list goes on.
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(kConfirmDelete, Answer::Yes)
        .expect(
            QStringLiteral("Il record che si è deciso di eliminare è già stato cancellato da un'altra postazione. "),
            QStringLiteral("Accesso concorrente"), Icon::Exclamation);
    QVERIFY(list.remove(QList<RolePerson>{first}, 0));
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstRoles::listMessages()
{
    Fixture f;
    RoleList list(f.ctx);
    RoleKey key;
    f.prompter
        .expect(QStringLiteral("Selezionare una riga da modificare"), QStringLiteral("VELTRANORPX"), Icon::Information)
        .expect(QStringLiteral("Nessuna riga da eliminare!"), QStringLiteral("Elimina scheda"), Icon::Critical)
        .expect(QStringLiteral("Selezionare la riga da eliminare"), QStringLiteral("Elimina scheda"), Icon::Critical)
        .expect(kConfirmDelete, Answer::No);
    QVERIFY(!list.keyToModify({}, -1, key));
    QVERIFY(!list.remove({}, -1));
    RolePerson p = valid();
    QVERIFY(!list.remove({p}, -1));
    QVERIFY(!list.remove({p}, 0));
    QVERIFY(list.keyToModify({p}, 0, key));
    QCOMPARE(key, RoleKey::of(p));
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstRoles::helpGuideAndBatchListing()
{
    Fixture f;
    RoleList list(f.ctx);
    f.prompter.expect(QStringLiteral("File di Aiuto non presente"), QStringLiteral("Aiuto"), Icon::Information);
    list.help(6000);
    f.state.helpFilePath = f.inst.file(QStringLiteral("help/VELTRANORPX.html"));
    list.help(6000);
    QCOMPARE(f.desktop.opened.last().fragment(), QStringLiteral("6000"));

    f.prompter
        .expect(QStringLiteral("Sui recenti sistemi operativi l'applicativo necessario per visualizzare la guida, "
                               "WinHelp32.exe, spesso non è presente.\nIl visualizzatore può essere scaricato dal sito "
                               "del produttore del sistema operativo.\nIn ALTERNATIVA è possibile prendere visione del "
                               "file\nGuida sintetica Soggetti Ruoli (IMPORTAZIONI) (.doc e .pdf))\npresente nella "
                               "cartella ") +
                    QDir::toNativeSeparators(QDir(f.inst.folder()).absolutePath()),
                QStringLiteral("WinHelp32.exe"), Icon::Information)
        .expect(QStringLiteral("Verrà ora visualizzato un file di testo che riassume le istruzioni presenti nella "
                               "guida.\n(Per riprendere l'utilizzo dell'applicativo sarà necessario chiuderlo)."),
                QStringLiteral("VELTRANORPX"), Icon::Information);
    list.guide();
    QCOMPARE(f.desktop.opened.last(),
             QUrl::fromLocalFile(f.inst.file(QStringLiteral("GuidaSezioneSoggettiRuoli.txt"))));

    f.prompter.expect(QStringLiteral("Funzionalità riservata al KVR."), QStringLiteral("ACCESSO RISERVATO"),
                      Icon::Critical);
    QVERIFY(!list.batchListing());
    f.state.reservedMode = true;
    QDir(f.inst.folder()).mkpath(QStringLiteral("ELABORAZIONE COMPLESSIVA"));
    f.inst.writeFile(QStringLiteral("ELABORAZIONE COMPLESSIVA/a.txt"), "x");
    f.inst.writeFile(QStringLiteral("ELABORAZIONE COMPLESSIVA/b.txt"), "y");
    f.inst.sql(QStringLiteral("INSERT INTO ElaborazioneComplessiva VALUES (9, 'vecchio')"));
    QVERIFY(list.batchListing());
    VX_VERIFY_PROMPTS(f.prompter);
    QSqlQuery q = f.db.query();
    QVERIFY(f.db.exec(q, QStringLiteral("SELECT Posizione, NomeFile FROM ElaborazioneComplessiva ORDER BY Posizione")));
    QStringList names;
    int expected = 0;
    while (q.next()) {
        QCOMPARE(q.value(0).toInt(), ++expected);
        names.append(q.value(1).toString());
    }
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
}

QTEST_GUILESS_MAIN(TstRoles)
#include "tst_roles.moc"
