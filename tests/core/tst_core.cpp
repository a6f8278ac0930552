// The seams' own behaviour that the subsystems rely on: opening a file says truthfully whether a
// program took it, and tells the user (with the path on the clipboard) when none did.

#include "Support.h"
#include "TestContext.h"

#include "core/Desktop.h"
#include "core/FieldLog.h"
#include "core/Messages.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace vx;

class TstCore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldLogBounded();
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

// The log stays under its bound however much is written: the file in use and the one before it,
// no more; a program that wants no log (this test, until it asks) writes none; after the stop,
// nothing more is written and messages go where they went before.
void TstCore::fieldLogBounded()
{
    QTemporaryDir folder;
    const QString log = QDir(folder.path()).filePath(fieldlog::kFileName);
    fieldlog::start(folder.path());
    qCWarning(vxStore, "prima che un programma lo voglia");
    QVERIFY(!QFile::exists(log));

    fieldlog::wanted(QStringLiteral("prova"));
    fieldlog::start(folder.path());
    QLoggingCategory::setFilterRules(QStringLiteral("vx.*.info=true")); // the tests' own rule set aside
    const QString line(200, QLatin1Char('x'));
    for (qint64 written = 0; written < 3 * fieldlog::kMaxBytes; written += line.size())
        qCInfo(vxNet, "%s", qUtf8Printable(line));
    fieldlog::stop();
    QCOMPARE(fieldlog::files(folder.path()), QStringList({log + QStringLiteral(".1"), log}));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    for (const QString& file : fieldlog::files(folder.path())) {
        QFile f(file);
        QVERIFY2(f.size() > 0 && f.size() <= fieldlog::kMaxBytes, qPrintable(file));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QVERIFY(lines.first().contains(line.toLatin1())); // whole lines, each in one file
    }
    const qint64 before = QFileInfo(log).size();
    QTest::ignoreMessage(QtWarningMsg, "dopo la fine");
    qCWarning(vxStore, "dopo la fine");
    QCOMPARE(QFileInfo(log).size(), before);
}

QTEST_MAIN(TstCore)
#include "tst_core.moc"
