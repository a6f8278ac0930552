// Fault injection: inside each write of a Request or a role, the Nth statement fails, for N = 1,
// 2, ... until the operation runs without meeting the fault. After every run the database must be
// whole (PRAGMA integrity_check) and hold either its content before the operation or the whole
// content that a run without faults gives: never a mix. The comparison is of every table, whole,
// so that it holds whatever statements the operations run.

#include "TestContext.h"

#include "core/Settings.h"
#include "requests/RequestCreation.h"
#include "requests/RequestSelection.h"
#include "requests/SelectedRequest.h"
#include "roles/RolePersonCard.h"
#include "transmission/Exchange.h"

#include <QMap>
#include <QSqlRecord>
#include <QTest>

#include <algorithm>

using namespace vx;
using vx::test::TestInstallation;

namespace {

enum class Operation { Create, Delete, SaveNew, SaveChanged };

constexpr int kRetriesGranted = 3;
const DbError kFault = DbError::sqlite(10); // "disk I/O error"

// Answers as a user who goes on with the operation: Ok, Yes, and Retry a few times (then Cancel,
// so that a fault that comes back every time cannot keep the test going).
class GoOnPrompter : public Prompter {
public:
    bool retry = false;
    QStringList texts;

    Answer ask(const Message& message) override
    {
        texts.append(message.text);
        switch (message.buttons) {
        case Buttons::RetryCancel:
            return retry && m_retries++ < kRetriesGranted ? Answer::Retry : Answer::Cancel;
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
        default:
            return Answer::Ok;
        }
    }
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }

private:
    int m_retries = 0;
};

class NoScreens : public CreationScreens {
public:
    void showProgress(const QString&) override {}
    bool askEmail() override { return true; }
    QString alternativeIdentity(const QUrl&) override { return QString(); }
};

// Every table, each as its rows' texts in order.
using Dump = QMap<QString, QStringList>;

struct Outcome {
    bool succeeded = false;
    bool faultFired = false;
    QString integrity;
    Dump content;
    QStringList texts;
};

Dump dumpOf(Database& db)
{
    Dump dump;
    QSqlQuery tables = db.query();
    db.exec(tables, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                                   "ORDER BY name"));
    QStringList names;
    while (tables.next())
        names.append(tables.value(0).toString());
    for (const QString& table : names) {
        QSqlQuery rows = db.query();
        db.exec(rows, QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        QStringList texts;
        while (rows.next()) {
            QStringList fields;
            for (int c = 0; c < rows.record().count(); ++c) {
                const QVariant v = rows.value(c);
                fields.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            texts.append(fields.join(QLatin1Char('|')));
        }
        texts.sort();
        dump.insert(table, texts);
    }
    return dump;
}

QString integrityOf(Database& db)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("PRAGMA integrity_check")) || !q.next())
        return db.lastError().description;
    return q.value(0).toString();
}

RolePerson person(const QString& codFiscale, const QString& cognome, const QString& nome, const QString& gg,
                  const QString& mm, const QString& aaaa, int ruolo)
{
    RolePerson p;
    p.numDoma = 11;
    p.codFiscale = codFiscale;
    p.cognome = cognome;
    p.nome = nome;
    p.gg = gg;
    p.mm = mm;
    p.aaaa = aaaa;
    p.email = QStringLiteral("persona@ente.example");
    p.tel = QStringLiteral("0115550101");
    p.gruppo = QStringLiteral("A");
    p.codice = 12;
    p.sede = 0;
    p.ruolo = ruolo;
    return p;
}

const RolePerson kStored = person(QStringLiteral("RSSMRA85T10A562S"), QStringLiteral("ROSSI"), QStringLiteral("MARIO"),
                                  QStringLiteral("10"), QStringLiteral("12"), QStringLiteral("1985"), 1);
const RolePerson kNew = person(QStringLiteral("BNCLRA78D43L219O"), QStringLiteral("BIANCHI"), QStringLiteral("LAURA"),
                               QStringLiteral("03"), QStringLiteral("04"), QStringLiteral("1978"), 5);

// One installation with two Requests of operator A-12, each with its roles.
struct Fixture {
    TestInstallation inst;
    AppState state;
    Database db;
    GoOnPrompter prompter;
    AppControl control;
    vx::test::RecordingDesktop desktop;
    vx::test::TestClock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
    OperatorEntry op{QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE")};
    ProvinceEntry province{QStringLiteral("001"), QStringLiteral("TO"), QStringLiteral("TORINO")};

    Fixture()
    {
        clock.fixed = QDateTime(QDate(2026, 6, 1), QTime(10, 0));
        inst.writeIni();
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.sql(QStringLiteral("INSERT INTO CorsiOper VALUES ('A', 12, 'CENTRO DI FORMAZIONE', '01', '97512340017', "
                                "'ROSSI MARIO', 'TORINO', 'TO', '10', '12', '1960', 'TO', '1234567', '1998', 85592, 2, "
                                "'IT60X0542811101000000123456', 'BANCA', 'AG. 3', 'VIA ROMA 1', '123456', 'CFP')"));
        inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, "
                                "CodComune, Cap, Indirizzo) VALUES ('A', 12, 2, 'SL', 'SEDE LEGALE', '001272', "
                                "'10121', 'VIA GARIBALDI 10')"));
        inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
        inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 2);
        const QString role = QStringLiteral("INSERT INTO Ruoli VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (const int number : {10, 11}) {
            const RolePerson& p = kStored;
            inst.sql(role, {number, p.codFiscale, p.cognome, p.nome, p.gg, p.mm, p.aaaa, p.email, p.tel, p.gruppo,
                            p.codice, p.sede, p.ruolo});
        }
        state = inst.state();
        state.legalSeatType = QStringLiteral("SL");
        if (!db.open(QString(), inst.databasePath(), Database::Mode::StandAlone))
            qFatal("fixture: %s", qPrintable(db.lastError().description));
        state.selected = loadSelectedRequest(db, prompter, 11);
    }

    // Runs `operation` with the `failAt`th statement failing (0: none), then looks at the file.
    Outcome run(Operation operation, int failAt)
    {
        Outcome outcome;
        switch (operation) {
        case Operation::Create: {
            Exchange exchange(ExchangeSettings::from(Settings::read(inst.ini())));
            NoScreens screens;
            RequestCreation creation(ctx, exchange, screens);
            db.failStatement(failAt, kFault);
            outcome.succeeded = creation.insertRequest(500, op, province);
            break;
        }
        case Operation::Delete: {
            RequestSelection selection(ctx);
            QList<RequestRow> rows = selection.requests(op, province.code);
            int current = -1;
            for (int i = 0; i < rows.size(); ++i) {
                if (rows[i].number == 10)
                    current = i;
            }
            db.failStatement(failAt, kFault);
            outcome.succeeded = selection.deleteRequest(rows, current, op, province.code);
            break;
        }
        case Operation::SaveNew:
        case Operation::SaveChanged: {
            RoleKey key = operation == Operation::SaveNew ? RoleKey() : RoleKey::of(kStored);
            RolePersonCard card(ctx, key);
            card.open();
            RolePerson values = kNew;
            if (operation == Operation::SaveChanged) {
                values = kStored;
                values.tel = QStringLiteral("0119999999");
                values.ruolo = 5;
            }
            db.failStatement(failAt, kFault);
            outcome.succeeded = card.save(values) == RolePersonCard::SaveOutcome::Saved;
            break;
        }
        }
        outcome.faultFired = db.faultFired();
        db.failStatement(0);
        db.close();
        // A connection of its own, so that anything left uncommitted would not be seen.
        Database check;
        if (check.open(QString(), inst.databasePath(), Database::Mode::Multiutenza, Database::Access::ReadOnly)) {
            outcome.integrity = integrityOf(check);
            outcome.content = dumpOf(check);
        } else {
            outcome.integrity = check.lastError().description;
        }
        outcome.texts = prompter.texts;
        return outcome;
    }

    Dump content() { return dumpOf(db); }
};

} // namespace

Q_DECLARE_METATYPE(Operation)

class TstFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyStatementFails_data();
    void everyStatementFails();
};

void TstFaults::everyStatementFails_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("retry");
    const struct {
        const char* name;
        Operation operation;
    } operations[] = {{"creation", Operation::Create},
                      {"deletion", Operation::Delete},
                      {"card, new row", Operation::SaveNew},
                      {"card, changed row", Operation::SaveChanged}};
    for (const auto& o : operations) {
        QTest::addRow("%s, cancel", o.name) << o.operation << false;
        QTest::addRow("%s, retry", o.name) << o.operation << true;
    }
}

void TstFaults::everyStatementFails()
{
    QFETCH(Operation, operation);
    QFETCH(bool, retry);

    Dump before;
    Dump after;
    {
        Fixture clean;
        before = clean.content();
        const Outcome o = clean.run(operation, 0);
        QVERIFY(o.succeeded);
        QCOMPARE(o.integrity, QStringLiteral("ok"));
        after = o.content;
        QVERIFY(after != before);
    }

    int faults = 0;
    for (int n = 1;; ++n) {
        QVERIFY2(n < 100, "the operation never ran without meeting the fault");
        Fixture f;
        f.prompter.retry = retry;
        const Outcome o = f.run(operation, n);
        const QByteArray where = "statement " + QByteArray::number(n);
        QVERIFY2(o.integrity == QLatin1String("ok"), where + ": " + o.integrity.toUtf8());
        if (o.succeeded)
            QVERIFY2(o.content == after, where + ": done, but not the whole change");
        else
            QVERIFY2(o.content == before, where + ": failed, but the database changed");
        if (!o.faultFired) {
            QVERIFY2(o.succeeded, where);
            break;
        }
        ++faults;
        // A failure is told to the user; where the message names the fault, a retry (the fault
        // has passed) completes the change.
        QVERIFY2(o.succeeded || !o.texts.isEmpty(), where + ": failed without a word");
        const bool toldTheFault = std::any_of(o.texts.cbegin(), o.texts.cend(),
                                              [](const QString& t) { return t.contains(kFault.description); });
        if (retry && toldTheFault)
            QVERIFY2(o.succeeded, where + ": a retry after a passing fault must complete the change");
    }
    QVERIFY(faults > 0);
}

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
