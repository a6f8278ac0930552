// The seams' own behaviour that the subsystems rely on: opening a file says truthfully whether a
// program took it, and tells the user (with the path on the clipboard) when none did.

#include "Support.h"
#include "TestContext.h"

#include "core/Desktop.h"
#include "core/Messages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace vx;

class TstCore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void systemDesktopTellsWhatTheOpenerSaid_data();
    void systemDesktopTellsWhatTheOpenerSaid();
};

void TstCore::systemDesktopTellsWhatTheOpenerSaid_data()
{
    QTest::addColumn<QByteArray>("opener");
    QTest::addColumn<bool>("opened");
    // xdg-open's exit statuses: 0 opened, 3 no program for it, 4 the program failed.
    QTest::newRow("opened") << QByteArray("exit 0") << true;
    QTest::newRow("no method available") << QByteArray("exit 3") << false;
    QTest::newRow("a program stays in front") << QByteArray("exec sleep 30") << true;
}

void TstCore::systemDesktopTellsWhatTheOpenerSaid()
{
    QFETCH(QByteArray, opener);
    QFETCH(bool, opened);
    QTemporaryDir bin;
    test::TestInstallation inst;
    const QString received = inst.file(QStringLiteral("ricevuto"));
    inst.writeFile(QStringLiteral("Domanda.pdf"), "%PDF");
    QFile script(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + received.toUtf8() + "'\n" + opener + "\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);

    test::ScriptedPrompter prompter;
    const QUrl pdf = QUrl::fromLocalFile(inst.file(QStringLiteral("Domanda.pdf")));
    if (!opened)
        prompter.expect(msg::core::cannotOpen(pdf, true));
    SystemDesktop desktop;
    QCOMPARE(openOrTell(prompter, desktop, pdf), opened);
    qputenv("PATH", path);
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(test::readFile(received), inst.file(QStringLiteral("Domanda.pdf")).toUtf8());
    if (!opened)
        QCOMPARE(QGuiApplication::clipboard()->text(), inst.file(QStringLiteral("Domanda.pdf")));
}

QTEST_MAIN(TstCore)
#include "tst_core.moc"
