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
    QTest::newRow("valid") << "mario.rossi@libero.it"
                           << "";
    QTest::newRow("valid, dot in the user") << "m.rossi@posta.example.com"
                                            << "";
    QTest::newRow("empty") << ""
                           << "E' indispensabile indicare un indirizzo e-mail.";
    QTest::newRow("1 comma") << "mario,rossi@libero.it"
                             << "L'indirizzo e-mail non può contenere virgole.";
    QTest::newRow("2 inner blank")
        << "mario rossi@libero.it"
        << "L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente.";
    QTest::newRow("2 leading blank") << " mario@libero.it"
                                     << "L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o "
                                        "internamente.";
    QTest::newRow("2 the prompt text") << "Indirizzo e-mail..."
                                       << "L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o "
                                          "internamente.";
    QTest::newRow("3 slash") << "mario/rossi@libero.it"
                             << "L'indirizzo e-mail non può contenere il carattere '/'.";
    QTest::newRow("4 two dots") << "mario..rossi@libero.it"
                                << "L'indirizzo e-mail non può contenere punti consecutivi.";
    QTest::newRow("5 no at") << "mario.libero.it"
                             << "L'indirizzo e-mail deve contenere il carattere '@'.";
    QTest::newRow("6 at-dot") << "mario@.it"
                              << "L'indirizzo di e-mail deve contenere almeno 1 '.' dopo il carattere '@', e non "
                                 "nella forma '@.'";
    QTest::newRow("6 no dot after at") << "mario.rossi@libero"
                                       << "L'indirizzo di e-mail deve contenere almeno 1 '.' dopo il carattere '@', e "
                                          "non nella forma '@.'";
    QTest::newRow("7 dot last") << "mario@libero."
                                << "Dopo l'ultimo '.' deve essere specificato il provider (es. "
                                   "'it', 'com', ecc.)";
    // The provider follows the last ".", not the first one after the "@".
    QTest::newRow("7 dot last, after the provider") << "mario@libero.it."
                                                    << "Dopo l'ultimo '.' deve essere specificato il provider (es. "
                                                       "'it', 'com', ecc.)";
    QTest::newRow("7 dot last, short") << "m@x.y."
                                       << "Dopo l'ultimo '.' deve essere specificato il provider (es. "
                                          "'it', 'com', ecc.)";
    QTest::newRow("valid, two dots after the at") << "m@x.y.it"
                                                  << "";
    QTest::newRow("8 at first") << "@libero.it"
                                << "L'indirizzo e-mail deve iniziare con il proprio user-name (es. "
                                   "'mario.rossi', 'mrossi', ecc.)";
    QTest::newRow("8 dot first") << ".mario@libero.it"
                                 << "L'indirizzo e-mail deve iniziare con il proprio user-name (es. 'mario.rossi', "
                                    "'mrossi', ecc.)";
    QTest::newRow("9 two at") << "mario@libero.it@altro"
                              << "L'indirizzo e-mail non può contenere più di 1 carattere "
                                 "'@'.";
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
