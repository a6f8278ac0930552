// Transmission file figure, on a Request of 1,000 generated persons: the whole file as the upload
// and the save write it (reading the Request, its persons and their operators, the check before
// sending, the temporary file moved into place) against a bare query of the same rows joined into
// the same bytes and written with QFile, in the same run. One line per figure.

#include "../roles/GeneratedPersons.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/Prompter.h"
#include "core/Windows1252.h"
#include "store/Database.h"
#include "transmission/TransmissionFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vx;

namespace {

class SilentPrompter : public Prompter {
public:
    Answer ask(const Message& m) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(m.title), qPrintable(m.text));
        return Answer::Ok;
    }
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }
};

class NoDesktop : public Desktop {
public:
    bool openUrl(const QUrl&) override { return false; }
    bool showTextFile(const QString&) override { return false; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString text(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// The reference: the same rows read by bare queries, joined into the same records, one write.
qint64 bare(Database& db, const QString& path, const QString& date)
{
    QString out;
    auto record = [&](const QStringList& fields) {
        out += QLatin1Char('#') + fields.join(QStringLiteral("#,#")) + QStringLiteral("#\r\n");
    };
    QSqlQuery head = db.query();
    db.exec(head, QStringLiteral("SELECT * FROM QryDomande WHERE NumDoma = ?"), {37});
    head.next();
    QStringList fields;
    for (int i = 0; i < 27; ++i)
        fields << text(head.value(i % 20));
    record(fields.mid(0, 8));
    record(fields);
    record(fields.mid(0, 25));
    QSqlQuery rows = db.query();
    db.exec(rows,
            QStringLiteral("SELECT Ruoli.*, CorsiOper.Denominazione FROM Ruoli LEFT JOIN CorsiOper ON "
                           "CorsiOper.GrupOpe = Ruoli.GruppoOperatore AND CorsiOper.Operatore = Ruoli.CodiceOperatore "
                           "WHERE NumDoma = ? ORDER BY Cognome, Nome, GruppoOperatore, CodiceOperatore"),
            {37});
    while (rows.next()) {
        record({QStringLiteral("E"), QStringLiteral("37"), QStringLiteral("0"), QStringLiteral("2017"),
                QStringLiteral("A"), QStringLiteral("123"), text(rows.value(1)), text(rows.value(2)),
                text(rows.value(3)), text(rows.value(4)) + text(rows.value(5)) + text(rows.value(6)),
                text(rows.value(7)), text(rows.value(8)), text(rows.value(9)), text(rows.value(10)),
                text(rows.value(13)), text(rows.value(11)), QStringLiteral("PROGETTISTA_PERCORSI_FORM"), date});
    }
    out += QStringLiteral("#Z#,#EOF#\r\n");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return file.write(windows1252::encode(out));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VELTRANORPX.db"));
    QFile::copy(QStringLiteral(VX_EMPTY_DB), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Database db;
    if (!db.open(QString(), path, Database::Mode::StandAlone)) {
        std::fprintf(stderr, "base dati: %s\n", qPrintable(db.lastError().description));
        return 1;
    }
    db.inWriteTransaction([&] {
        QSqlQuery q = db.query();
        db.exec(q,
                QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione) VALUES ('A', 123, 'ENTE')"));
        db.exec(q, QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, DenominazioneOp, "
                                  "Corrispondenza, DomandaStampata) VALUES (37, 'A', 123, '001', 1, 'ENTE', 1, 1)"));
        // Persons that pass every check of the file, as a real Request's do, at the operator itself.
        QRandomGenerator rng(37);
        for (int i = 0; i < 1000; ++i) {
            const RolePerson p = bench::person(rng, i);
            db.exec(q,
                    QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, "
                                   "Email, Tel, GruppoOperatore, CodiceOperatore, Sede, Ruolo) "
                                   "VALUES (37, ?, ?, ?, ?, ?, ?, 'a@b.it', '011', 'A', 123, 0, 1)"),
                    {p.codFiscale, p.cognome, p.nome, p.gg, p.mm, p.aaaa});
        }
        return true;
    });

    AppState state;
    state.programFolder = dir.path() + QLatin1Char('/');
    SilentPrompter prompter;
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
    const QString date = clock.now().date().toString(QStringLiteral("yyyyMMdd"));

    std::vector<double> file;
    std::vector<double> reference;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer t;
        t.start();
        if (TransmissionFile(ctx).create(37, QStringLiteral("ente@posta.it")).isEmpty())
            return 1;
        file.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        bare(db, dir.filePath(QStringLiteral("bare.txt")), date);
        reference.push_back(t.nsecsElapsed() / 1e6);
    }
    const double f = median(file);
    const double r = median(reference);
    std::printf("file di trasmissione, 1000 persone: %.1f ms; query nuda e QFile: %.1f ms; rapporto %.2f (limite 2)\n",
                f, r, f / r);
    return 0;
}
