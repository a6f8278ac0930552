// The e-mail address check.

#include "ScriptedPrompter.h"

#include "assist/EmailCheck.h"

#include <QTest>

using namespace vx;
using vx::test::ScriptedPrompter;

class TstAssist : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rules_data();
    void rules();
    void givenTitle();
};

void TstAssist::rules_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");
    const QString blanks =
        QStringLiteral("L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente.");
    const QString dotAfterAt = QStringLiteral(
        "L'indirizzo di e-mail deve contenere almeno 1 '.' dopo il carattere '@', e non nella forma '@.'");
    const QString provider = QStringLiteral("Dopo l'ultimo '.' deve essere specificato il provider (es. 'it', 'com', "
                                            "ecc.)");
    const QString userName = QStringLiteral("L'indirizzo e-mail deve iniziare con il proprio user-name (es. "
                                            "'mario.rossi', 'mrossi', ecc.)");
    auto row = [](const char* name, const char* address, const QString& message = QString()) {
        QTest::newRow(name) << QString::fromUtf8(address) << message;
    };
    row("valid", "mario.rossi@libero.it");
    row("valid, dot in the user", "m.rossi@posta.example.com");
    row("valid, two dots after the at", "m@x.y.it");
    row("empty", "", QStringLiteral("E' indispensabile indicare un indirizzo e-mail."));
    row("1 comma", "mario,rossi@libero.it", QStringLiteral("L'indirizzo e-mail non può contenere virgole."));
    row("2 inner blank", "mario rossi@libero.it", blanks);
    row("2 leading blank", " mario@libero.it", blanks);
    row("2 the prompt text", "Indirizzo e-mail...", blanks);
    row("3 slash", "mario/rossi@libero.it", QStringLiteral("L'indirizzo e-mail non può contenere il carattere '/'."));
    row("4 two dots", "mario..rossi@libero.it",
        QStringLiteral("L'indirizzo e-mail non può contenere punti consecutivi."));
    row("5 no at", "mario.libero.it", QStringLiteral("L'indirizzo e-mail deve contenere il carattere '@'."));
    row("6 at-dot", "mario@.it", dotAfterAt);
    row("6 no dot after at", "mario.rossi@libero", dotAfterAt);
    row("7 dot last", "mario@libero.", provider);
    // The provider follows the last ".", not the first one after the "@".
    row("7 dot last, after the provider", "mario@libero.it.", provider);
    row("7 dot last, short", "m@x.y.", provider);
    row("8 at first", "@libero.it", userName);
    row("8 dot first", ".mario@libero.it", userName);
    row("9 two at", "mario@libero.it@altro",
        QStringLiteral("L'indirizzo e-mail non può contenere più di 1 carattere '@'."));
}

void TstAssist::rules()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    if (!message.isEmpty())
        prompter.expect(message, QStringLiteral("Indirizzo e-mail"), Icon::Information);
    QCOMPARE(VerificaEmail(prompter, address), message.isEmpty());
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(emailFault(address), message);
}

void TstAssist::givenTitle()
{
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("L'indirizzo e-mail deve contenere il carattere '@'."), QStringLiteral("E-Mail"),
                    Icon::Information);
    QVERIFY(!VerificaEmail(prompter, QStringLiteral("senza"), QStringLiteral("E-Mail")));
    VX_VERIFY_PROMPTS(prompter);
}

QTEST_GUILESS_MAIN(TstAssist)
#include "tst_assist.moc"
