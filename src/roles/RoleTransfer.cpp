#include "roles/RoleTransfer.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompter.h"
#include "core/Windows1252.h"
#include "roles/RoleColumns.h"
#include "roles/RoleSheet.h"
#include "roles/RoleTextFile.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vx {

namespace {

const QString kImportTitle = QStringLiteral("Importazione Dati da Excel.");

// The file of `name` in `folder`, whatever the case of its letters; "" when there is none.
QString findIgnoringCase(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (dir.exists(name))
        return dir.filePath(name);
    const QStringList all = dir.entryList(QDir::Files);
    for (const QString& entry : all) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

} // namespace

QString RoleTransfer::folderText() const
{
    return QDir::toNativeSeparators(QDir(m_ctx.state.programFolder).absolutePath());
}

QString RoleTransfer::exportPath(Format format) const
{
    const qint32 n = m_ctx.state.selected.number;
    return QDir(m_ctx.state.programFolder)
        .filePath(format == Format::Text ? roletext::fileName(n) : rolesheet::fileName(n, QStringLiteral("xlsx")));
}

QStringList RoleTransfer::importCandidates(Format format) const
{
    const qint32 n = m_ctx.state.selected.number;
    if (format == Format::Text)
        return {roletext::fileName(n)};
    QStringList names;
    for (const QString& ext : rolesheet::importExtensions())
        names.append(rolesheet::fileName(n, ext));
    return names;
}

QList<RolePerson> RoleTransfer::exportRows() const
{
    QList<RolePerson> rows;
    QSqlQuery q = m_ctx.db.query();
    q.setForwardOnly(true);
    if (m_ctx.db.exec(q,
                      QStringLiteral("SELECT ") + ruoli::columnList() +
                          QStringLiteral(" FROM Ruoli WHERE NumDoma = ? ORDER BY Cognome, Nome, GruppoOperatore, "
                                         "CodiceOperatore, Sede"),
                      {m_ctx.state.selected.number})) {
        while (q.next())
            rows.append(ruoli::read(q));
    }
    return rows;
}

bool RoleTransfer::writeFile(Format format, const QString& path, QString* error) const
{
    const QList<RolePerson> rows = exportRows();
    if (!m_ctx.db.lastError().isNull()) {
        if (error)
            *error = m_ctx.db.lastError().description;
        return false;
    }
    if (format == Format::Sheet) {
        bool ok = false;
        const QStringList heading = rolesheet::heading(QDir(m_ctx.state.programFolder).filePath(kTemplateFile), &ok);
        if (!ok) {
            if (error)
                *error = QStringLiteral("modello non leggibile");
            return false;
        }
        return rolesheet::write(path, heading, rows, error);
    }

    const SelectedRequest& sel = m_ctx.state.selected;
    QHash<QPair<QString, qint32>, QString> names;
    QByteArray bytes;
    for (const RolePerson& p : rows) {
        const QPair<QString, qint32> op(p.gruppo, p.codice);
        auto it = names.find(op);
        if (it == names.end())
            it = names.insert(op, operatorName(m_ctx.db, p.gruppo, p.codice));
        bytes += windows1252::encode(roletext::writeLine(roletext::fieldsOf(p, sel.group, sel.operatorCode, *it)));
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QList<ImportedRow> RoleTransfer::readFile(const QString& path, bool* ok, QString* error) const
{
    QList<ImportedRow> rows;
    *ok = false;
    if (QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = file.errorString();
            return rows;
        }
        rows = roletext::read(file.readAll());
        *ok = true;
    } else {
        rows = rolesheet::read(path, ok, error);
    }
    for (ImportedRow& r : rows)
        r.person.numDoma = m_ctx.state.selected.number;
    return rows;
}

ImportReport RoleTransfer::verify(const QList<ImportedRow>& rows) const
{
    const SelectedRequest& sel = m_ctx.state.selected;
    const ImportVerification verification(sel.group, sel.operatorCode, m_ctx.clock.now().date().year(),
                                          ImportVerification::registry(m_ctx.db));
    return verification.verify(rows);
}

bool RoleTransfer::replaceRows(const QList<ImportedRow>& rows)
{
    Database& db = m_ctx.db;
    const qint32 n = m_ctx.state.selected.number;
    return db.inWriteTransaction([&] {
        QSqlQuery clear = db.query();
        if (!db.exec(clear, QStringLiteral("DELETE FROM Ruoli WHERE NumDoma = ?"), {n}))
            return false;
        QSqlQuery add = db.query();
        if (!db.prepare(add, ruoli::insertSql()))
            return false;
        for (const ImportedRow& r : rows) {
            RolePerson p = r.person;
            p.numDoma = n;
            if (!db.run(add, ruoli::values(p)))
                return false;
        }
        return true;
    });
}

QString RoleTransfer::exportText(Format format)
{
    const bool sheet = format == Format::Sheet;
    if (m_ctx.prompter.ask({sheet ? QStringLiteral("Confermando l'operazione verrà effettuata l'esportazione in excel "
                                                   "dei dati della Richiesta selezionata.")
                                  : QStringLiteral("Confermando l'operazione verrà effettuata l'esportazione SU FILE "
                                                   "DI TESTO dei dati della Richiesta selezionata."),
                            kAppTitle, Icon::None, Buttons::YesNo}) != Answer::Yes)
        return kDeclined;
    if (sheet && !QFileInfo::exists(QDir(m_ctx.state.programFolder).filePath(kTemplateFile))) {
        m_ctx.prompter.tell(QStringLiteral("Il file '") + kTemplateFile +
                                QStringLiteral("' necessario per effettuare l'esportazione dei dati non è presente "
                                               "nella cartella ") +
                                folderText() +
                                QStringLiteral("\nNon è possibile precedere alla esportazione dei dati."),
                            kAppTitle, Icon::None);
        return QString();
    }
    const QString path = exportPath(format);
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo::exists(path) &&
        m_ctx.prompter.ask({QStringLiteral("E' stata rilevata la presenza di una precedente elaborazione.\nConfermando "
                                           "l'elaborazione il precedente file ") +
                                name + QStringLiteral(" verrà sovrascritto. Procedere?"),
                            QStringLiteral("Conferma esportazione?"), Icon::None, Buttons::YesNo}) != Answer::Yes)
        return kDeclined;
    Busy busy(m_ctx.control);
    // The old file stays until the new one is whole: it is replaced, not deleted first.
    return writeFile(format, path) ? name : QString();
}

void RoleTransfer::exportCommand(Format format)
{
    const QString result = exportText(format);
    if (result == kDeclined)
        return;
    if (result.isEmpty()) {
        m_ctx.prompter.tell(format == Format::Sheet
                                ? QStringLiteral("Non è stato possibile creare il file .xlsx contenente i dati della "
                                                 "richiesta.")
                                : QStringLiteral("Non è stato possibile creare il file .TXT contenente i dati dellA "
                                                 "RICHIESTA."),
                            kAppTitle, Icon::None);
        return;
    }
    m_ctx.prompter.tell(QStringLiteral("Nella cartella \n") + folderText() +
                            QStringLiteral("\nE' stato creato il file \n") + result +
                            QStringLiteral("\ncontenente i dati delle quote parte di questa pratica."),
                        kAppTitle, Icon::None);
}

void RoleTransfer::importCommand(Format format)
{
    const bool sheet = format == Format::Sheet;
    if (m_ctx.prompter.ask({QStringLiteral("Confermando l'operazione Verrà effettuata l'importazione del file ") +
                                (sheet ? QStringLiteral("XLS") : QStringLiteral("TXT")) +
                                QStringLiteral(" sulla richiesta selezionata (I CUI DATI VERRANNO RICOPERTI DAI "
                                               "NUOVI)."),
                            kImportTitle, Icon::None, Buttons::YesNo}) != Answer::Yes)
        return;
    if (isPrinted(m_ctx.db, m_ctx.state.selected.number)) {
        m_ctx.prompter.tell(QStringLiteral("Operazione di importazione non effettuable\nPer la richiesta selezionata è "
                                           "già avvenuta la stampa definitiva."),
                            QStringLiteral("Richiesta Bloccata"), Icon::Information);
        return;
    }
    const QStringList candidates = importCandidates(format);
    QString path;
    for (const QString& name : candidates) {
        path = findIgnoringCase(m_ctx.state.programFolder, name);
        if (!path.isEmpty())
            break;
    }
    const QString folder = folderText();
    if (path.isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("Il file '") + candidates.first() +
                                QStringLiteral("' necessario per effettuare l'importazione dei dati non è presente "
                                               "nella cartella ") +
                                folder + QStringLiteral("\nNon è possibile precedere alla importazione dei dati.") +
                                (sheet ? QString()
                                       : QStringLiteral("\n(La struttura 'campione' del file puo' essere prodotta "
                                                        "utilizzando la funzione esporta su TXT dopo aver einserito "
                                                        "almeno una scheda di prova.)")) +
                                QStringLiteral("\nRecuperare il file ed inserirlo nella cartella ") + folder +
                                QStringLiteral("\nquindi rieseguire l'operazione"),
                            kAppTitle, Icon::None);
        return;
    }
    if (sheet && m_ctx.state.reservedMode)
        m_ctx.prompter.tell(QStringLiteral("DE.CorsiDB.State = %1").arg(m_ctx.db.isOpen() ? 1 : 0), kAppTitle,
                            Icon::None);

    const QString fileName = QFileInfo(path).fileName();
    QList<ImportedRow> rows;
    ImportReport report;
    QString reportPath;
    bool read = false;
    bool written = true;
    {
        Busy busy(m_ctx.control);
        rows = readFile(path, &read);
        if (read && !rows.isEmpty()) {
            report = verify(rows);
            reportPath = ImportVerification::writeReport(m_ctx.state.programFolder, report, &written);
        }
    }
    if (!read) {
        m_ctx.prompter.tell(QStringLiteral("Il file '") + fileName +
                                QStringLiteral("' non è leggibile.\nI dati della richiesta non sono stati modificati."),
                            kImportTitle, Icon::Critical);
        return;
    }
    if (rows.isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("Il file '") + fileName +
                                QStringLiteral("' non contiene righe da importare.\nI dati della richiesta non sono "
                                               "stati modificati."),
                            kImportTitle, Icon::Information);
        return;
    }
    if (report.forbiddenEmailCharacter)
        m_ctx.prompter.tell(QStringLiteral("l'indirizzo di posta elettronica contien caratteri non consentiti."),
                            kAppTitle, Icon::None);
    if (!report.passed()) {
        const QString suffix = QFileInfo(path).suffix().toUpper();
        m_ctx.prompter.tell(QStringLiteral("Il file .") + suffix +
                                QStringLiteral(" elaborato contiene dati non coerenti.\nE' stato creato il file ") +
                                (written
                                     ? reportPath
                                     : QDir::toNativeSeparators(
                                           QDir(m_ctx.state.programFolder).filePath(ImportVerification::kReportFile))) +
                                QStringLiteral("\ncontenente le indicazioni delle anomalie riscontrate."),
                            QStringLiteral("Importazione non eseguita. causa anomalia dati."), Icon::Information);
        return;
    }
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    const bool replaced = trap.run(kImportTitle, [&] { return replaceRows(rows) ? DbError() : m_ctx.db.lastError(); });
    if (replaced)
        m_ctx.prompter.tell(QStringLiteral("L'importazione dei dati è stata effettuata con successo."), kAppTitle,
                            Icon::None);
}

} // namespace vx
