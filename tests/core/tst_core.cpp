// The seams' own behaviour that the subsystems rely on: opening a file says truthfully whether a
// program took it, and tells the user (with the path on the clipboard) when none did.

#include "Support.h"
#include "TestContext.h"

#include "core/Desktop.h"
#include "core/DurableFile.h"
#include "core/FieldLog.h"
#include "core/HeldFile.h"
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
    void heldFileLocks_data();
    void heldFileLocks();
    void durableReplacement();
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
#ifdef Q_OS_WIN
    QSKIP("Windows opens a file through its associations, not through an opener program to stand in for");
#endif
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

// Two opens of one file, as two programs would hold it: a range held exclusively by one cannot be
// taken by the other, shared holds live together, other bytes are free, and a close lets go.
void TstCore::heldFileLocks_data()
{
    QTest::addColumn<bool>("firstExclusive");
    QTest::addColumn<bool>("secondExclusive");
    QTest::addColumn<qint64>("secondOffset");
    QTest::addColumn<bool>("secondTaken");
    const qint64 far = qint64(1) << 40;
    QTest::newRow("exclusive, then shared") << true << false << far << false;
    QTest::newRow("shared, then exclusive") << false << true << far << false;
    QTest::newRow("shared, then shared") << false << false << far << true;
    QTest::newRow("exclusive, another byte") << true << true << far + 1 << true;
}

void TstCore::heldFileLocks()
{
    QFETCH(bool, firstExclusive);
    QFETCH(bool, secondExclusive);
    QFETCH(qint64, secondOffset);
    QFETCH(bool, secondTaken);
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("tenuto.db"));
    HeldFile first;
    QVERIFY(first.open(path, HeldFile::Access::ReadWriteCreate));
    HeldFile second;
    QVERIFY(second.open(path, HeldFile::Access::ReadWrite));
    QCOMPARE(first.tryLockRange(qint64(1) << 40, 1, firstExclusive), HeldFile::Lock::Taken);
    QCOMPARE(second.tryLockRange(secondOffset, 1, secondExclusive) == HeldFile::Lock::Taken, secondTaken);
    first.close();
    HeldFile third;
    QVERIFY(third.open(path, HeldFile::Access::Read));
    QCOMPARE(third.tryLockRange(qint64(1) << 40, 1, false) == HeldFile::Lock::Taken,
             !secondTaken || !secondExclusive || secondOffset != qint64(1) << 40);
    QVERIFY(third.isFileAt(path));
    QVERIFY(!third.isFileAt(QDir(folder.path()).filePath(QStringLiteral("altro"))));
    QCOMPARE(third.readAt(0, 4), QByteArray());
    HeldFile missing;
    QVERIFY(!missing.open(QDir(folder.path()).filePath(QStringLiteral("manca")), HeldFile::Access::Read));
    QCOMPARE(missing.openFailure(), HeldFile::OpenFailure::CannotOpen);
}

// A file put in place is the whole new one, the old one gone; a second name sees the same bytes;
// a file held open while another is renamed over its path is no longer the file at that path
// (where the system lets it be renamed over).
void TstCore::durableReplacement()
{
    QTemporaryDir folder;
    const QDir dir(folder.path());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(write(QStringLiteral("dati.db"), "vecchio"));
    HeldFile held;
    QVERIFY(held.open(dir.filePath(QStringLiteral("dati.db")), HeldFile::Access::Read));
    QVERIFY(write(QStringLiteral("dati.db.tmp"), "nuovo"));
    const bool replacedWhileHeld =
        putInPlace(dir.filePath(QStringLiteral("dati.db.tmp")), dir.filePath(QStringLiteral("dati.db")));
    QCOMPARE(replacedWhileHeld, openFilesCanBeReplaced());
    if (!replacedWhileHeld) {
        // Windows refuses to rename over a file held open: the old file stays whole and the new
        // one waits for the holder to let go.
        QCOMPARE(test::readFile(dir.filePath(QStringLiteral("dati.db"))), QByteArray("vecchio"));
        held.close();
        QVERIFY(putInPlace(dir.filePath(QStringLiteral("dati.db.tmp")), dir.filePath(QStringLiteral("dati.db"))));
    }
    QCOMPARE(test::readFile(dir.filePath(QStringLiteral("dati.db"))), QByteArray("nuovo"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("dati.db.tmp"))));
    if (replacedWhileHeld) {
        QVERIFY(!held.isFileAt(dir.filePath(QStringLiteral("dati.db"))));
        QCOMPARE(held.readAt(0, 7), QByteArray("vecchio"));
    }
    QVERIFY(linkFile(dir.filePath(QStringLiteral("dati.db")), dir.filePath(QStringLiteral("accanto.db"))));
    QCOMPARE(test::readFile(dir.filePath(QStringLiteral("accanto.db"))), QByteArray("nuovo"));
    QVERIFY(!replaceFile(dir.filePath(QStringLiteral("manca")), dir.filePath(QStringLiteral("dati.db"))));
    QCOMPARE(test::readFile(dir.filePath(QStringLiteral("dati.db"))), QByteArray("nuovo"));
}

QTEST_MAIN(TstCore)
#include "tst_core.moc"
