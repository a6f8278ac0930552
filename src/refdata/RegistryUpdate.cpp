#include "refdata/RegistryUpdate.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "refdata/DecodeTables.h"
#include "refdata/Messages.h"
#include "refdata/RegistryLoad.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace vx::refdata {

QString RegistryUpdate::logPath() const
{
    return QDir(m_ctx.state.programFolder).filePath(kLogFile);
}

bool RegistryUpdate::mayUpdate()
{
    const QString version = Settings::read(IniFile(m_ctx.state.programFolder)).version;
    if (version.contains(Settings::kClient)) {
        m_ctx.prompter.ask(msg::refdata::clientOnly());
        return false;
    }
    if (!version.contains(Settings::kServer)) {
        m_ctx.prompter.ask(msg::refdata::unknownInstallation());
        return false;
    }
    return true;
}

RegistryUpdate::Outcome RegistryUpdate::aggiornaBaseDati()
{
    if (!mayUpdate())
        return Outcome::Refused;
    const QDir folder(m_ctx.state.programFolder);
    if (!m_ctx.db.isOpen()) {
        for (const QString& name : folder.entryList({QStringLiteral("*.tx1")}, QDir::Files))
            QFile::remove(folder.filePath(name));
        return Outcome::Failed;
    }
    QFile::remove(logPath());
    Busy busy(m_ctx.control);

    DecodeTables tables(m_ctx);
    tables.progressWithTotal = tablesProgressWithTotal;
    switch (tables.aggiornaTabelleDecodifica()) {
    case DecodeTables::Outcome::EndProgram:
        return Outcome::EndProgram;
    case DecodeTables::Outcome::Failed:
        // Told already; the registry is not loaded over decode tables left half updated, and its
        // files leave the folder as those of a failed update.
        if (QFileInfo::exists(folder.filePath(kOperFile)))
            archiveRegistryFiles(m_ctx.state.programFolder, false);
        return Outcome::Failed;
    case DecodeTables::Outcome::Nothing:
    case DecodeTables::Outcome::Loaded:
        break;
    }

    if (!QFileInfo::exists(folder.filePath(kOperFile)))
        return Outcome::Done;
    const bool ok = caricaRegistro();
    if (!m_filesKept)
        archiveRegistryFiles(m_ctx.state.programFolder, ok);
    return ok ? Outcome::Done : Outcome::Failed;
}

void archiveRegistryFiles(const QString& programFolder, bool success)
{
    const QDir dir(programFolder);
    for (const QString& name : {kOperFile, kCompoFile, kSediOccFile, kSediUtilFile}) {
        if (QFileInfo::exists(dir.filePath(name)))
            moveInto(programFolder, success ? kDoneFolder : kBadFolder, dir.filePath(name),
                     QFileInfo(name).completeBaseName() + QStringLiteral(".car"));
    }
}

bool RegistryUpdate::caricaRegistro()
{
    m_filesKept = false;
    const QDir folder(m_ctx.state.programFolder);
    const QString operPath = folder.filePath(kOperFile);
    const QString compoPath = folder.filePath(kCompoFile);
    if (!QFileInfo::exists(operPath) || !QFileInfo::exists(compoPath)) {
        m_ctx.prompter.ask(msg::refdata::incomplete(msg::refdata::text(msg::refdata::Text::Title)));
        return false;
    }
    if (QFileInfo::exists(folder.filePath(kSediOccFile)) != QFileInfo::exists(folder.filePath(kSediUtilFile))) {
        m_ctx.prompter.ask(msg::refdata::incomplete(msg::refdata::text(msg::refdata::Text::InstallTitle)));
        return false;
    }
    // Read whole before anything is copied or written: a file that cannot be is refused as it is.
    OperatorFile operators;
    SiteFile sites;
    if (!operators.read(operPath) || !sites.read(compoPath)) {
        const bool operBad = !operators.refusal.isEmpty();
        m_ctx.prompter.ask(msg::refdata::registryFileRefused(operBad ? kOperFile : kCompoFile,
                                                             operBad ? operators.refusal : sites.refusal,
                                                             msg::refdata::text(msg::refdata::Text::Title)));
        return false;
    }

    // On a file, a safety copy beside it; on a server the transaction itself is the safety copy.
    const QString backup = m_ctx.db.isServer() ? QString() : m_ctx.db.path() + kBackupSuffix;
    if (!backup.isEmpty()) {
        QFile::remove(backup);
        const bool copied = m_ctx.db.mode() == Database::Mode::StandAlone ? m_ctx.db.copyTo(backup)
                                                                          : copyDatabase(m_ctx.db.path(), backup);
        if (!copied) {
            m_ctx.prompter.ask(msg::refdata::safetyCopyFailed());
            return false;
        }
    }

    RegistryLoad load(m_ctx.db, m_ctx.state.legalSeatType);
    load.progress = progressWithTotal;
    bool ok = false;
    bool rolledBack = true;
    // The files are looked at before the transaction starts, so that no question keeps the
    // database locked; what the user sees is the same as a load that stops at the empty file.
    if (operators.rows.isEmpty()) {
        m_ctx.prompter.ask(msg::refdata::emptyOperFile());
    } else if (sites.rows.isEmpty()) {
        m_ctx.prompter.ask(msg::refdata::emptyCompoFile());
    } else {
        ok = m_ctx.db.inWriteTransaction([&] {
            return load.loadOperators(operators.rows) && load.loadSites(sites.rows) &&
                   load.setCorrespondence(operators.rows) && load.updateRequests(operators.rows, sites.rows);
        });
        // A failed step rolls the whole load back; a connection lost meanwhile, or a rollback that
        // left the transaction open, leaves the database in a state no one can vouch for (and the
        // safety copy is kept).
        rolledBack = m_ctx.db.isOpen() && !m_ctx.db.inTransaction();
    }

    if (ok) {
        QFile::remove(backup);
        keepLog(load.log());
        return true;
    }

    // A server lost meanwhile undid the whole transaction itself: nothing changed, and the files
    // are good for the next try.
    if (m_ctx.db.isServer() && m_ctx.db.lastError().code() == Database::kUnreachable) {
        m_filesKept = true;
        m_ctx.prompter.ask(msg::refdata::serverLost());
        return false;
    }
    // The transaction rolled back: the database is as it was before the update.
    if (rolledBack) {
        QFile::remove(backup);
        m_ctx.prompter.ask(msg::refdata::notice(msg::refdata::Notice::RestoreDone));
    } else {
        m_ctx.prompter.ask(msg::refdata::restoreFailed());
    }
    QFile::remove(logPath());
    return false;
}

void RegistryUpdate::keepLog(const QStringList& lines)
{
    if (lines.isEmpty()) {
        QFile::remove(logPath());
        return;
    }
    // The log is the user's to read in a text editor of this system, which reads UTF-8. When it
    // cannot be written, its notes are shown instead: they say which Requests were left alone.
    QFile logFile(logPath());
    const QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    const bool written = logFile.open(QIODevice::WriteOnly | QIODevice::Append) &&
                         logFile.write(bytes) == bytes.size() && logFile.flush();
    logFile.close();
    if (!written) {
        m_ctx.prompter.ask(msg::refdata::logNotWritten(logPath(), lines));
        return;
    }
    if (m_ctx.prompter.ask(msg::refdata::logCreated(logPath())) == Answer::Yes)
        openOrTell(m_ctx.prompter, m_ctx.desktop, QUrl::fromLocalFile(logPath()));
}

bool RegistryUpdate::installRegistry()
{
    const QDir folder(m_ctx.state.programFolder);
    OperatorFile operators;
    SiteFile sites;
    if (!operators.read(folder.filePath(kOperFile)) || !sites.read(folder.filePath(kCompoFile))) {
        const bool operBad = !operators.refusal.isEmpty();
        m_ctx.prompter.ask(msg::refdata::registryFileRefused(operBad ? kOperFile : kCompoFile,
                                                             operBad ? operators.refusal : sites.refusal,
                                                             msg::refdata::text(msg::refdata::Text::InstallTitle)));
        return false;
    }
    RegistryLoad load(m_ctx.db, m_ctx.state.legalSeatType);
    load.progress = progressWithTotal;
    QString group, code;
    const bool ok = m_ctx.db.inWriteTransaction([&] {
        if (!load.loadOperators(operators.rows) || !load.loadSites(sites.rows) ||
            !load.setCorrespondence(operators.rows) || !load.operatorWithoutLegalSeat(group, code))
            return false;
        return group.isEmpty() && code.isEmpty(); // otherwise rolled back: the operator table stays empty
    });
    if (!group.isEmpty() || !code.isEmpty())
        m_ctx.prompter.ask(msg::refdata::noLegalSeat(group, code));
    else if (!ok)
        m_ctx.prompter.ask(msg::refdata::registryNotInstalled(m_ctx.db.lastError()));
    return ok;
}

} // namespace vx::refdata
