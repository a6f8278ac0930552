// The codice fiscale routines, the person-and-role checks, the card's saving and the roles list.

#include "RolesFixture.h"

#include "roles/Messages.h"
#include "roles/RoleColumns.h"
#include "roles/RolePersonCard.h"
#include "roles/RoleValidation.h"
#include "store/ErrorTrap.h"
#include "store/Messages.h"

#include <QTest>

using namespace vx;
using namespace vx::test;
using Check = msg::roles::CardCheck;
using Outcome = RolePersonCard::SaveOutcome;

Q_DECLARE_METATYPE(vx::RolePerson)

namespace {

// ROSSI born on another day: the codice fiscale's first 15 characters given, its check added.
RolePerson bornOn(const char* cf15, const char* date = "10121985")
{
    return person(cf15, "ROSSI", "MARIO", date, 0, 1);
}

template <typename T, typename V> RolePerson with(RolePerson p, T RolePerson::*member, V value)
{
    if constexpr (std::is_same_v<T, QString> && !std::is_same_v<V, QString>)
        p.*member = QString::fromUtf8(value);
    else
        p.*member = value;
    return p;
}

} // namespace

class TstRoles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void validation_data();
    void validation();
    void listSortsNamesAsAnItalianReader_data();
    void listSortsNamesAsAnItalianReader();

    void cardListsAndSaving();
    void rowDeletedByAnotherConnection_data();
    void rowDeletedByAnotherConnection();
    void requestChangedByAnotherConnection_data();
    void requestChangedByAnotherConnection();
    void exitQuestion_data();
    void exitQuestion();
    void printedRequestIsReadOnly();

    void listCommands();
};

void TstRoles::validation_data()
{
    QTest::addColumn<RolePerson>("person");
    QTest::addColumn<int>("step"); // 0: no fault
    QTest::addColumn<int>("check");
    auto row = [](const char* name, const RolePerson& p, int step = 0, Check check = Check::CodFiscaleMissing) {
        QTest::newRow(name) << p << step << int(check);
    };
    const RolePerson r = rossi();
    row("valid", r);
    row("woman born on the 5th", person("BNCLRA78D45L219", "BIANCHI", "LAURA", "05041978", 0, 1));
    row("latest adult year", bornOn("RSSMRA09T10A562", "10122009"));
    row("two-word surname with È", with(bornOn("DSNMRA85T10A562"), &RolePerson::cognome, "DÈ SANCTIS"));

    row("empty code", with(r, &RolePerson::codFiscale, ""), 1, Check::CodFiscaleMissing);
    row("15 characters, nothing else looked at",
        with(with(r, &RolePerson::codFiscale, "RSSMRA85T10A562"), &RolePerson::cognome, ""), 1,
        Check::CodFiscaleLength);
    row("surname", with(r, &RolePerson::cognome, ""), 2, Check::CognomeMissing);
    row("name", with(r, &RolePerson::nome, ""), 3, Check::NomeMissing);
    row("day", with(r, &RolePerson::gg, ""), 4, Check::GiornoMissing);
    row("day format", with(r, &RolePerson::gg, "5"), 4, Check::GiornoLength);
    row("month", with(r, &RolePerson::mm, ""), 5, Check::MeseMissing);
    row("year", with(r, &RolePerson::aaaa, ""), 6, Check::AnnoMissing);
    row("telephone", with(r, &RolePerson::tel, ""), 8, Check::TelefonoMissing);
    row("telephone digits", with(r, &RolePerson::tel, "011-555"), 8, Check::TelefonoDigits);
    row("surname characters", with(r, &RolePerson::cognome, "D'ROSSI"), 9, Check::CognomeCharacters);
    row("control character in the surname", with(r, &RolePerson::cognome, "RO\x01SSI"), 9, Check::CognomeCharacters);
    row("e-mail characters", with(r, &RolePerson::email, "mario+1@ente.example"), 11, Check::EmailCharacters);
    row("operator", with(r, &RolePerson::codice, 0), 12, Check::OperatoreMissing);
    row("role", with(r, &RolePerson::ruolo, 0), 13, Check::RuoloMissing);
    row("role 4 without a site", with(r, &RolePerson::ruolo, 4), 14, Check::SedeRequired);
    row("role 1 with a site", with(r, &RolePerson::sede, 2), 14, Check::SedeNotAllowed);
    row("year against code", with(r, &RolePerson::aaaa, "1984"), 15, Check::AnnoAgainstCode);
    row("month against code", with(r, &RolePerson::mm, " 2"), 16, Check::MeseAgainstCode);
    row("day against code", with(r, &RolePerson::gg, "11"), 17, Check::GiornoAgainstCode);
    row("31 April", bornOn("RSSMRA85D31A562", "31041985"), 18, Check::GiornoValue);
    row("29 February 1900", bornOn("RSSMRA00B29A562", "29021900"), 18, Check::GiornoValue);
    row("year after the adult limit", bornOn("RSSMRA10T10A562", "10122010"), 18, Check::AnnoValue);
    row("digit in the name part", bornOn("RSSMR185T10A562"), 19, Check::CodFiscaleFormat);
    row("check character", with(r, &RolePerson::codFiscale, "RSSMRA85T10A562T"), 20, Check::CodFiscaleCheckCharacter);
    row("surname against code", with(r, &RolePerson::cognome, "BIANCHI"), 21, Check::CodFiscaleSurname);
    row("e-mail without a dot", with(r, &RolePerson::email, "mario@ente"), 24, Check::EmailFormat);
}

void TstRoles::validation()
{
    QFETCH(RolePerson, person);
    QFETCH(int, step);
    QFETCH(int, check);
    const RoleFault f = validateRolePerson(person, kYear);
    QCOMPARE(f.step, step);
    if (step)
        QCOMPARE(int(f.check), check);
}

void TstRoles::listSortsNamesAsAnItalianReader_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("accents") << QStringList{"ZANI|LUCA",   "rossi|anna",   "Èrcoli|PIA",
                                            "ROSSI|Bruno", "ERCOLANI|ADA", "d'Angelo|EVA"}
                             << QStringList{"d'Angelo|EVA", "ERCOLANI|ADA", "Èrcoli|PIA",
                                            "rossi|anna",   "ROSSI|Bruno",  "ZANI|LUCA"};
    // Letters, digits, blanks and apostrophes only: a blank before an apostrophe before a letter.
    QTest::newRow("plain") << QStringList{"ROSSI|Carla", "DELUCA|ADA", "rossi|anna", "De Luca|PIA",
                                          "D'AMICO|EVA", "ROSSI2|LEA", "Rossi|BEA"}
                           << QStringList{"D'AMICO|EVA", "De Luca|PIA", "DELUCA|ADA", "rossi|anna",
                                          "Rossi|BEA",   "ROSSI|Carla", "ROSSI2|LEA"};
}

// By surname, then name, as an Italian reader looks for them: case and accents aside.
void TstRoles::listSortsNamesAsAnItalianReader()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, order);
    RolesFixture f;
    RolePerson p = rossi();
    for (const QString& name : names) {
        p.codFiscale = name;
        std::tie(p.cognome, p.nome) =
            std::pair(name.section(QLatin1Char('|'), 0, 0), name.section(QLatin1Char('|'), 1));
        f.inst.addRole(p);
    }
    QStringList shown;
    for (const RolePerson& r : f.rows())
        shown.append(r.codFiscale);
    QCOMPARE(shown, order);
}

void TstRoles::cardListsAndSaving()
{
    RolesFixture f;
    RoleKey key;
    RolePersonCard card(f.ctx, key);
    QCOMPARE(card.operatorEntries(),
             (QList<OperatorEntry>{{}, {QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE")}}));
    const QList<SiteEntry> sites = card.siteEntries(QStringLiteral("A"), 12);
    QCOMPARE(sites.size(), 3);
    QCOMPARE(sites[2].display, QStringLiteral("2     - SEDE OPERATIVA DI MO. - SO - VIA SANTA CROCE 4"));

    const RolePerson opened = *card.open();
    QCOMPARE(RoleKey::of(opened), (RoleKey{QString(), QStringLiteral("A"), 12, 0, 0}));
    RolePerson p = with(rossi(), &RolePerson::tel, "");
    f.prompter.expect(msg::roles::cardCheck(Check::TelefonoMissing));
    QCOMPARE(card.save(p), Outcome::Failed);
    QCOMPARE(card.focus(), RoleFault::Field::Telefono);
    p.tel = QStringLiteral("0115550101");
    // Blanks typed around a name are dropped as it is saved, nothing else of it changed.
    QCOMPARE(card.save(with(with(p, &RolePerson::cognome, "  ROSSI "), &RolePerson::nome, "MARIO\u00A0")),
             Outcome::Saved);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(key, RoleKey::of(p));
    QCOMPARE(f.rows(), QList<RolePerson>{p});

    // Modified, its key included.
    RolePersonCard again(f.ctx, key);
    QCOMPARE(again.open(), std::optional<RolePerson>(p));
    QVERIFY(!again.changed(p));
    const RolePerson changed =
        with(with(with(rossi(), &RolePerson::ruolo, 3), &RolePerson::sede, 2), &RolePerson::tel, "1");
    QCOMPARE(again.save(changed), Outcome::Saved);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), QList<RolePerson>{changed});
    QCOMPARE(key.ruolo, 3);
}

void TstRoles::rowDeletedByAnotherConnection_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("storedMeanwhile");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("email");
    QTest::newRow("reinsert") << int(Answer::Yes) << false << int(Outcome::Saved) << "nuovo@ente.example";
    QTest::newRow("drop the change") << int(Answer::No) << false << int(Outcome::Dropped) << "";
    // The same identity was stored meanwhile: told, and the card stays open with its values.
    QTest::newRow("reinsert over a row stored meanwhile")
        << int(Answer::Yes) << true << int(Outcome::Failed) << "altro@ente.example";
}

void TstRoles::rowDeletedByAnotherConnection()
{
    QFETCH(int, answer);
    QFETCH(bool, storedMeanwhile);
    QFETCH(int, outcome);
    QFETCH(QString, email);
    RolesFixture f;
    f.inst.addRole(rossi());
    RoleKey key = RoleKey::of(rossi());
    RolePersonCard card(f.ctx, key);
    QVERIFY(card.open());
    const RolePerson changed = with(with(rossi(), &RolePerson::email, "nuovo@ente.example"), &RolePerson::ruolo, 5);
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    if (storedMeanwhile)
        f.inst.addRole(with(changed, &RolePerson::email, "altro@ente.example"));
    f.prompter.expect(msg::store::notice(msg::store::Notice::AskReinsert), Answer(answer));
    if (storedMeanwhile)
        f.prompter.expect(msg::roles::duplicate(changed.codFiscale));
    else if (answer == int(Answer::Yes))
        f.prompter.expect(msg::roles::notice(msg::roles::Notice::Reinserted));
    QCOMPARE(int(card.save(changed)), outcome);
    VX_VERIFY_PROMPTS(f.prompter);
    QStringList emails;
    for (const RolePerson& r : f.rows())
        emails.append(r.email);
    QCOMPARE(emails, email.isEmpty() ? QStringList() : QStringList{email});
    if (storedMeanwhile) { // told, and still on the row the card was opened on
        QCOMPARE(card.focus(), RoleFault::Field::CodFiscale);
        QCOMPARE(key, RoleKey::of(rossi()));
    }
}

void TstRoles::requestChangedByAnotherConnection_data()
{
    QTest::addColumn<bool>("modify");
    QTest::addColumn<bool>("printed"); // else deleted
    for (bool printed : {false, true}) {
        QTest::addRow("new row, %s", printed ? "printed" : "deleted") << false << printed;
        QTest::addRow("modified row, %s", printed ? "printed" : "deleted") << true << printed;
    }
}

// Another workstation deletes the Request, or prints it in definitive form, while the card is open:
// nothing is stored under it.
void TstRoles::requestChangedByAnotherConnection()
{
    QFETCH(bool, modify);
    QFETCH(bool, printed);
    RolesFixture f;
    if (modify)
        f.inst.addRole(rossi());
    RoleKey key = modify ? RoleKey::of(rossi()) : RoleKey();
    RolePersonCard card(f.ctx, key);
    QVERIFY(card.open());
    QVERIFY(!card.readOnly());
    f.inst.sql(printed ? QStringLiteral("UPDATE Domande SET DomandaStampata = 1")
                       : QStringLiteral("DELETE FROM Domande"));
    f.prompter.expect(printed ? msg::roles::cardRequestPrinted(kRequest) : msg::roles::cardRequestGone(kRequest));
    QCOMPARE(card.save(with(rossi(), &RolePerson::tel, "0119999999")), printed ? Outcome::Failed : Outcome::Dropped);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), modify ? QList<RolePerson>{rossi()} : QList<RolePerson>());
}

void TstRoles::exitQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("rows");
    using Exit = RolePersonCard::ExitOutcome;
    QTest::newRow("No closes") << int(Answer::No) << int(Exit::Close) << 0;
    QTest::newRow("Cancel stays") << int(Answer::Cancel) << int(Exit::Stay) << 0;
    QTest::newRow("Yes saves and closes") << int(Answer::Yes) << int(Exit::Close) << 1;
}

void TstRoles::exitQuestion()
{
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(int, rows);
    RolesFixture f;
    RoleKey key;
    RolePersonCard card(f.ctx, key);
    card.open();
    f.prompter.expect(msg::roles::notice(msg::roles::Notice::ExitQuestion), Answer(answer));
    QCOMPARE(int(card.exit(rossi())), outcome);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows().size(), rows);
}

void TstRoles::printedRequestIsReadOnly()
{
    RolesFixture f(true);
    f.inst.addRole(rossi());
    RoleKey key = RoleKey::of(rossi());
    RolePersonCard card(f.ctx, key);
    f.prompter.expect(msg::roles::cardReadOnly());
    RolePerson shown = *card.open();
    QVERIFY(card.readOnly());
    shown.tel = QStringLiteral("1");
    QCOMPARE(card.exit(shown), RolePersonCard::ExitOutcome::Close);
    QCOMPARE(card.save(shown), Outcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), QList<RolePerson>{rossi()});
    QVERIFY(!RoleList(f.ctx).editable());
}

void TstRoles::listCommands()
{
    RolesFixture f;
    const RolePerson other = with(with(rossi(), &RolePerson::ruolo, 3), &RolePerson::sede, 2);
    f.inst.addRole(rossi());
    f.inst.addRole(other);
    RoleList list(f.ctx);
    RoleKey key;
    const Message confirm =
        msg::roles::confirmDelete(QStringLiteral("ROSSI"), QStringLiteral("MARIO"), rossi().codFiscale);
    f.prompter.expect(msg::roles::notice(msg::roles::Notice::SelectRowToModify))
        .expect(msg::roles::notice(msg::roles::Notice::NothingToDelete))
        .expect(msg::roles::notice(msg::roles::Notice::SelectRowToDelete))
        .expect(confirm, Answer::No)
        .expect(confirm, Answer::Yes);
    QVERIFY(!list.keyToModify({}, -1, key));
    QVERIFY(!list.remove({}, -1));
    QList<RolePerson> rows = f.rows();
    QVERIFY(!list.remove(rows, -1));
    QVERIFY(!list.remove(rows, 0));
    QVERIFY(list.remove(rows, int(rows.indexOf(other)))); // only this role of the person
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), QList<RolePerson>{rossi()});
    QVERIFY(list.keyToModify(rows, 0, key));
    QCOMPARE(key, RoleKey::of(rows[0]));

    // Gone meanwhile: told, and the list goes on.
    f.prompter.expect(confirm, Answer::Yes).expect(msg::store::notice(msg::store::Notice::AlreadyDeleted));
    QVERIFY(list.remove(QList<RolePerson>{other}, 0));
    VX_VERIFY_PROMPTS(f.prompter);

    // Printed in definitive form by another workstation since the list opened: nothing goes.
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    f.prompter.expect(confirm, Answer::Yes).expect(msg::roles::deleteRequestPrinted(kRequest));
    QVERIFY(!list.remove(rows, 0));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.rows(), QList<RolePerson>{rossi()});
}

QTEST_GUILESS_MAIN(TstRoles)
#include "tst_roles.moc"
