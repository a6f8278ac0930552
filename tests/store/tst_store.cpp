// The connection and its modes, the shared lookups and the error trap.

#include "ScriptedPrompter.h"
#include "TestInstallation.h"

#include "core/AppControl.h"
#include "core/Windows1252.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <QFile>
#include <QTest>

using namespace vx;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

class TstStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nonNull_data();
    void nonNull();
    void nonNullNum_data();
    void nonNullNum();
    void provinceLookups();
    void provinceLookupFailureIsReported();
    void fixedWidthAndSplit_data();
    void fixedWidthAndSplit();
    void printedFlagAndOperatorName();
    void windows1252RoundTrip();

    void standAloneHoldsTheFile();
    void multiutenzaShares();
    void openNeverCreatesAFile();
    void schemaKeepsTheCataloguedOrder();
    void rolesIdentityIsUnique();

    void errorTrapRetriesTheStatement();
    void errorTrapCancelEndsTheProgram();
};

void TstStore::nonNull_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("text unchanged") << QVariant(QStringLiteral("  a b  ")) << "  a b  ";
    QTest::newRow("number") << QVariant(42) << "42";
    QTest::newRow("boolean") << QVariant(true) << "true";
}

void TstStore::nonNull()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(NonNull(value), expected);
}

void TstStore::nonNullNum_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("anomaly");
    QTest::newRow("null") << QVariant() << 0 << false;
    QTest::newRow("integer") << QVariant(1234) << 1234 << false;
    QTest::newRow("half to even") << QVariant(2.5) << 2 << false;
    QTest::newRow("numeric text") << QVariant(QStringLiteral(" 17 ")) << 17 << false;
    QTest::newRow("empty text") << QVariant(QString()) << 0 << true;
    QTest::newRow("letters") << QVariant(QStringLiteral("A12")) << 0 << true;
    QTest::newRow("too large") << QVariant(1e12) << 0 << true;
}

void TstStore::nonNullNum()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QFETCH(bool, anomaly);
    ScriptedPrompter prompter;
    if (anomaly)
        prompter.expect(QStringLiteral("ANOMALIA: parametro non numerico"), QStringLiteral("NonNull_Num"),
                        Icon::Critical);
    QCOMPARE(NonNull_Num(value, prompter), expected);
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::provinceLookups()
{
    TestInstallation inst;
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addProvince(QStringLiteral("O'1"), QStringLiteral("APOSTROFO"), QStringLiteral("AP"));
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    ScriptedPrompter prompter;
    QCOMPARE(RecuperaDesProv(db, prompter, QStringLiteral("001")), QStringLiteral("TORINO"));
    QCOMPARE(RecuperaSigProv(db, prompter, QStringLiteral("001")), QStringLiteral("TO"));
    QCOMPARE(RecuperaDesProv(db, prompter, QStringLiteral("O'1")), QStringLiteral("APOSTROFO"));
    QCOMPARE(RecuperaDesProv(db, prompter, QStringLiteral("999")), QString());
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::provinceLookupFailureIsReported()
{
    TestInstallation inst;
    inst.sql(QStringLiteral("DROP VIEW QryComuniProv"));
    inst.sql(QStringLiteral("DROP VIEW QryDomande"));
    inst.sql(QStringLiteral("DROP TABLE Province"));
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("RecuperaSigProv - 1 - no such table: Province"), QStringLiteral("Errore"),
                    Icon::Critical);
    QCOMPARE(RecuperaSigProv(db, prompter, QStringLiteral("001")), QString());
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::fixedWidthAndSplit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("element");
    QTest::newRow("longer") << "ABCDEFG" << 4 << "ABCD" << 0 << "ABCDEFG";
    QTest::newRow("shorter") << "A  12" << 7 << "A  12  " << 1 << "12";
    QTest::newRow("empty") << "" << 3 << "   " << 0 << "";
    QTest::newRow("past the end") << "A  B" << 4 << "A  B" << 5 << "";
}

void TstStore::fixedWidthAndSplit()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, fixed);
    QFETCH(int, index);
    QFETCH(QString, element);
    QCOMPARE(fixedWidth(text, width), fixed);
    QCOMPARE(splitElement(text, QStringLiteral("  "), index), element);
}

void TstStore::printedFlagAndOperatorName()
{
    TestInstallation inst;
    inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("ENTE DI FORMAZIONE"));
    inst.addRequest(5, QStringLiteral("A"), 12, QStringLiteral("001"), 1, true);
    inst.addRequest(6, QStringLiteral("A"), 12, QStringLiteral("001"), 2, false);
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QVERIFY(isPrinted(db, 5));
    QVERIFY(!isPrinted(db, 6));
    QVERIFY(!isPrinted(db, 7));
    QCOMPARE(operatorName(db, QStringLiteral("A"), 12), QStringLiteral("ENTE DI FORMAZIONE"));
    QCOMPARE(operatorName(db, QStringLiteral("B"), 12), QString());
}

void TstStore::windows1252RoundTrip()
{
    const QString text = QStringLiteral("Città € “virgolette” Œ ÿ");
    QCOMPARE(windows1252::decode(windows1252::encode(text)), text);
    QCOMPARE(windows1252::encode(QStringLiteral("€")), QByteArray("\x80"));
    QCOMPARE(windows1252::encode(QStringLiteral("漢")), QByteArray("?"));
    QCOMPARE(windows1252::codeOf(QChar(0x20AC)), 0x80);
}

void TstStore::standAloneHoldsTheFile()
{
    TestInstallation inst;
    Database first;
    QVERIFY(first.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    Database second;
    QVERIFY(!second.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    QVERIFY(second.lastOpenWasLocked());
    Database shared;
    QVERIFY(!shared.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QVERIFY(shared.lastOpenWasLocked());
    first.close();
    QVERIFY(second.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
}

void TstStore::multiutenzaShares()
{
    TestInstallation inst;
    Database a;
    Database b;
    QVERIFY(a.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QVERIFY(b.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QSqlQuery q = a.query();
    QVERIFY(a.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES (?, ?)"),
                   {QStringLiteral("002"), QStringLiteral("ASTI")}));
    ScriptedPrompter prompter;
    QCOMPARE(RecuperaDesProv(b, prompter, QStringLiteral("002")), QStringLiteral("ASTI"));
}

void TstStore::openNeverCreatesAFile()
{
    TestInstallation inst;
    const QString missing = inst.file(QStringLiteral("nuovo #1?.db"));
    Database db;
    QVERIFY(!db.open(QString(), missing, Database::Mode::StandAlone));
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!db.lastOpenWasLocked());
    QVERIFY(!db.open(QStringLiteral("QNONESISTE"), inst.databasePath(), Database::Mode::StandAlone));
    QVERIFY(!db.isOpen());
}

void TstStore::schemaKeepsTheCataloguedOrder()
{
    TestInstallation inst;
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    auto columns = [&](const QString& table) {
        QStringList names;
        QSqlQuery q = db.query();
        db.exec(q, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
        while (q.next())
            names.append(q.value(0).toString());
        return names;
    };
    const QStringList oper = columns(QStringLiteral("CorsiOper"));
    const QStringList domande = columns(QStringLiteral("Domande"));
    QCOMPARE(oper.size(), 22);
    // CorsiOper column k (from the third) is Domande column k + 3, but for the name.
    QCOMPARE(domande.at(2 + 3), QStringLiteral("DenominazioneOp"));
    for (int k = 3; k < oper.size(); ++k)
        QCOMPARE(domande.at(k + 3), oper.at(k));
    QCOMPARE(domande.mid(25, 3), (QStringList{QStringLiteral("Componente"), QStringLiteral("TipoCompo"),
                                              QStringLiteral("DenominazioneSL")}));
    QCOMPARE(domande.last(), QStringLiteral("DomandaTrasmessa"));
    const QStringList ruoli = columns(QStringLiteral("Ruoli"));
    QCOMPARE(ruoli.size(), 13);
    QCOMPARE(columns(QStringLiteral("RuoliImport")), ruoli);
    QCOMPARE(columns(QStringLiteral("ElaborazioneComplessiva")),
             (QStringList{QStringLiteral("Posizione"), QStringLiteral("NomeFile")}));
    for (const char* view : {"QryDomande", "QryOper", "QryCompo", "QryComuniProv"}) {
        QSqlQuery q = db.query();
        QVERIFY2(db.exec(q, QStringLiteral("SELECT * FROM %1").arg(QLatin1String(view))), view);
    }
}

void TstStore::rolesIdentityIsUnique()
{
    TestInstallation inst;
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    const QString insert = QStringLiteral("INSERT INTO %1 (NumDoma, CodFiscale, GruppoOperatore, CodiceOperatore, "
                                          "Sede, Ruolo) VALUES (1, 'RSSMRA85T10A562S', 'A', 12, 0, 1)");
    for (const char* table : {"Ruoli", "RuoliImport"}) {
        QSqlQuery q = db.query();
        QVERIFY(db.exec(q, insert.arg(QLatin1String(table))));
    }
    QSqlQuery again = db.query();
    QVERIFY(!db.exec(again, insert.arg(QStringLiteral("Ruoli"))));
    QCOMPARE(db.lastError().number, QStringLiteral("2067")); // SQLITE_CONSTRAINT_UNIQUE
    QVERIFY(db.exec(again, insert.arg(QStringLiteral("RuoliImport"))));
}

void TstStore::errorTrapRetriesTheStatement()
{
    ScriptedPrompter prompter;
    AppControl control;
    ErrorTrap trap(prompter, control);
    const DbError failure{QStringLiteral("5"), QStringLiteral("database is locked")};
    const Message expected{QStringLiteral("Errore 5\ndatabase is locked\n\nSi è verificato un errore imprevisto,"
                                          "scegliere riprova per ritentare l'operazione."),
                           QStringLiteral("Elimina Domanda"), Icon::Exclamation, Buttons::RetryCancel};
    prompter.expect(expected, Answer::Retry).expect(expected, Answer::Retry);
    int calls = 0;
    QVERIFY(trap.run(QStringLiteral("Elimina Domanda"), [&] { return ++calls < 3 ? failure : DbError(); }));
    QCOMPARE(calls, 3);
    QVERIFY(!control.ended());
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::errorTrapCancelEndsTheProgram()
{
    ScriptedPrompter prompter;
    AppControl control;
    ErrorTrap trap(prompter, control);
    prompter.expect(ErrorTrap::failureMessage(QStringLiteral("Salva"), {QStringLiteral("19"), QStringLiteral("x")}),
                    Answer::Cancel);
    int calls = 0;
    QVERIFY(!trap.run(QStringLiteral("Salva"), [&] {
        ++calls;
        return DbError{QStringLiteral("19"), QStringLiteral("x")};
    }));
    QCOMPARE(calls, 1);
    QVERIFY(control.ended());
    VX_VERIFY_PROMPTS(prompter);
}

QTEST_GUILESS_MAIN(TstStore)
#include "tst_store.moc"
