#include "roles/RoleTransfer.h"
#include "core/DeliveredFiles.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompter.h"
#include "core/Windows1252.h"
#include "roles/Messages.h"
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
        .filePath(format == Format::Text ? roles::textFileName(n) : roles::sheetFileName(n, QStringLiteral("xlsx")));
}

QStringList RoleTransfer::importCandidates(Format format) const
{
    const qint32 n = m_ctx.state.selected.number;
    if (format == Format::Text)
        return {roles::textFileName(n)};
    QStringList names;
    for (const QString& ext : roles::importExtensions())
        names.append(roles::sheetFileName(n, ext));
    return names;
}

QList<RolePerson> RoleTransfer::exportRows() const
{
    QList<RolePerson> rows;
    QSqlQuery q = m_ctx.db.query();
    q.setForwardOnly(true);
    if (m_ctx.db.exec(q,
                      QStringLiteral("SELECT ") + roles::columnList() +
                          QStringLiteral(" FROM Ruoli WHERE NumDoma = ? ORDER BY Cognome, Nome, GruppoOperatore, "
                                         "CodiceOperatore, Sede"),
                      {m_ctx.state.selected.number})) {
        while (q.next())
            rows.append(roles::readRow(q));
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
        const QStringList heading = roles::sheetHeading(deliveredFile(m_ctx.state.programFolder, kTemplateFile), &ok);
        if (!ok) {
            if (error)
                *error = msg::roles::text(msg::roles::Text::TemplateUnreadable);
            return false;
        }
        return roles::writeSheet(path, heading, rows, error);
    }

    const SelectedRequest& sel = m_ctx.state.selected;
    QHash<QPair<QString, qint32>, QString> names;
    QByteArray bytes;
    for (const RolePerson& p : rows) {
        const QPair<QString, qint32> op(p.gruppo, p.codice);
        auto it = names.find(op);
        if (it == names.end())
            it = names.insert(op, operatorName(m_ctx.db, p.gruppo, p.codice));
        bytes += windows1252::encode(roles::writeLine(roles::fieldsOf(p, sel.group, sel.operatorCode, *it)));
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = msg::roles::cannotWrite(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

QList<ImportedRow> RoleTransfer::readText(const QString& path, ReadFailure& failure) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = {ReadFailure::Kind::Unreadable, msg::roles::cannotRead(QDir::toNativeSeparators(path))};
        return {};
    }
    if (file.size() > roles::kTextBytes) {
        failure = {ReadFailure::Kind::TooLarge, msg::roles::fileTooBig(roles::kTextBytes >> 20)};
        return {};
    }
    const QByteArray bytes = file.read(roles::kTextBytes + 1);
    if (bytes.size() > roles::kTextBytes || file.error() != QFileDevice::NoError) {
        failure = {ReadFailure::Kind::Unreadable, msg::roles::cannotRead(QDir::toNativeSeparators(path))};
        return {};
    }
    // No text holds NUL: such a file is something else, whose "lines" would be read piecemeal.
    if (bytes.contains('\0')) {
        failure = {ReadFailure::Kind::Unreadable, msg::roles::text(msg::roles::Text::NotText)};
        return {};
    }
    QList<ImportedRow> rows = roles::readTextFile(bytes);
    if (rows.size() > roles::kRows) {
        failure = {ReadFailure::Kind::TooLarge, msg::roles::tooManyRows(roles::kRows)};
        return {};
    }
    return rows;
}

QList<ImportedRow> RoleTransfer::readFile(const QString& path, bool* ok, QString* error, bool* tooLarge) const
{
    ReadFailure failure;
    QList<ImportedRow> rows = QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0
                                  ? readText(path, failure)
                                  : roles::readSheet(path, failure);
    *ok = !failure;
    if (error)
        *error = failure.reason;
    if (tooLarge)
        *tooLarge = failure.kind == ReadFailure::Kind::TooLarge;
    if (failure)
        return {};
    for (ImportedRow& r : rows) {
        r.person.numDoma = m_ctx.state.selected.number;
        roles::trimNames(r.person);
    }
    return rows;
}

ImportReport RoleTransfer::verify(const QList<ImportedRow>& rows) const
{
    const SelectedRequest& sel = m_ctx.state.selected;
    const ImportVerification verification(sel.group, sel.operatorCode, m_ctx.clock.now().date().year(),
                                          ImportVerification::registry(m_ctx.db));
    return verification.verify(rows);
}

bool RoleTransfer::replaceRows(const QList<ImportedRow>& rows, roles::RequestState* state)
{
    Database& db = m_ctx.db;
    const qint32 n = m_ctx.state.selected.number;
    roles::RequestState found = roles::RequestState::Unknown;
    const bool replaced = db.inWriteTransaction([&] {
        // Read here, under the write lock, not when the command began: another workstation may
        // have printed or deleted the Request while the file was being read.
        found = roles::requestState(db, n);
        if (found != roles::RequestState::Open)
            return false;
        QSqlQuery clear = db.query();
        if (!db.exec(clear, QStringLiteral("DELETE FROM Ruoli WHERE NumDoma = ?"), {n}))
            return false;
        // Rows go in batches: one statement, one round trip to a server, per batch.
        constexpr qsizetype kBatch = 1000;
        QSqlQuery full = db.query();
        if (rows.size() >= kBatch && !db.prepare(full, roles::insertSql(QLatin1String("Ruoli"), int(kBatch))))
            return false;
        for (qsizetype from = 0; from < rows.size(); from += kBatch) {
            const qsizetype count = qMin(kBatch, rows.size() - from);
            QSqlQuery last = db.query();
            if (count < kBatch && !db.prepare(last, roles::insertSql(QLatin1String("Ruoli"), int(count))))
                return false;
            QVariantList values;
            for (qsizetype i = from; i < from + count; ++i) {
                RolePerson p = rows[i].person;
                p.numDoma = n;
                values += roles::values(p);
            }
            if (!db.run(count < kBatch ? last : full, values))
                return false;
        }
        return true;
    });
    if (state)
        *state = found;
    return replaced;
}

QString RoleTransfer::exportText(Format format)
{
    const bool sheet = format == Format::Sheet;
    if (m_ctx.prompter.ask(msg::roles::exportQuestion(sheet)) != Answer::Yes)
        return kDeclined;
    if (sheet && !QFileInfo::exists(deliveredFile(m_ctx.state.programFolder, kTemplateFile))) {
        m_ctx.prompter.ask(msg::roles::templateMissing(kTemplateFile, folderText()));
        return QString();
    }
    // Told before anything is asked or written: without the module no .xlsx can be made.
    if (sheet && !roles::moduleAvailable()) {
        m_ctx.prompter.ask(msg::roles::sheetModuleMissing(roles::moduleFileName()));
        return kDeclined;
    }
    const QString path = exportPath(format);
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo::exists(path) && m_ctx.prompter.ask(msg::roles::overwrite(name)) != Answer::Yes)
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
    if (result.isEmpty())
        m_ctx.prompter.ask(msg::roles::exportFailed(format == Format::Sheet));
    else
        m_ctx.prompter.ask(msg::roles::exported(folderText(), result));
}

void RoleTransfer::importCommand(Format format)
{
    const bool sheet = format == Format::Sheet;
    if (m_ctx.prompter.ask(msg::roles::importQuestion(sheet)) != Answer::Yes)
        return;
    // Told early, before the file is looked for; the write checks again under its lock.
    if (isPrinted(m_ctx.db, m_ctx.state.selected.number)) {
        m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::ImportBlocked));
        return;
    }
    // The file is chosen, in the program folder, the conventional one (the export's name) chosen
    // already when it is there: any name and any folder will do.
    QString conventional;
    for (const QString& name : importCandidates(format)) {
        conventional = findIgnoringCase(m_ctx.state.programFolder, name);
        if (!conventional.isEmpty())
            break;
    }
    const QString path = m_ctx.prompter.chooseOpenFile(
        {msg::roles::importFileTitle(sheet),
         conventional.isEmpty() ? QDir(m_ctx.state.programFolder).absolutePath() : conventional,
         msg::roles::importFilter(sheet), QString()});
    if (path.isEmpty())
        return;
    if (sheet && roles::needsModule(path) && !roles::moduleAvailable()) {
        m_ctx.prompter.ask(msg::roles::sheetModuleMissing(roles::moduleFileName()));
        return;
    }
    if (sheet && m_ctx.state.reservedMode)
        m_ctx.prompter.ask(msg::roles::reservedState(m_ctx.db.isOpen() ? 1 : 0));

    const QString fileName = QFileInfo(path).fileName();
    QList<ImportedRow> rows;
    ImportReport report;
    QString reportPath;
    bool read = false;
    bool tooLarge = false;
    QString reason;
    bool written = true;
    {
        Busy busy(m_ctx.control);
        rows = readFile(path, &read, &reason, &tooLarge);
        if (read && !rows.isEmpty()) {
            report = verify(rows);
            reportPath = ImportVerification::writeReport(m_ctx.state.programFolder, report, &written);
        }
    }
    if (!read) {
        m_ctx.prompter.ask(tooLarge ? msg::roles::tooLarge(fileName, reason) : msg::roles::unreadable(fileName));
        return;
    }
    if (rows.isEmpty()) {
        m_ctx.prompter.ask(msg::roles::noRows(fileName));
        return;
    }
    if (report.forbiddenEmailCharacter)
        m_ctx.prompter.ask(msg::roles::cardCheck(msg::roles::CardCheck::EmailForbidden));
    if (!report.passed()) {
        const QString suffix = QFileInfo(path).suffix().toUpper();
        if (written) {
            m_ctx.prompter.ask(msg::roles::anomalies(suffix, reportPath));
        } else {
            const QString intended =
                QDir::toNativeSeparators(QDir(m_ctx.state.programFolder).filePath(ImportVerification::kReportFile));
            m_ctx.prompter.ask(msg::roles::anomaliesUnreported(suffix, intended));
        }
        return;
    }
    using roles::RequestState;
    RequestState found = RequestState::Unknown;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    const bool replaced = trap.run(msg::roles::text(msg::roles::Text::ImportTitle), [&] {
        if (replaceRows(rows, &found) || found == RequestState::Printed || found == RequestState::Gone)
            return DbError();
        return m_ctx.db.lastError();
    });
    if (found == RequestState::Printed)
        m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::ImportBlocked));
    else if (found == RequestState::Gone)
        m_ctx.prompter.ask(msg::roles::importRequestGone(m_ctx.state.selected.number));
    else if (replaced)
        m_ctx.prompter.ask(msg::roles::imported(int(rows.size())));
}

} // namespace vx
