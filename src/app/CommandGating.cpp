#include "app/CommandGating.h"

#include "app/Messages.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Desktop.h"
#include "core/Help.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "requests/RequestSelection.h"
#include "roles/RoleList.h"
#include "store/Database.h"

namespace vx {

namespace {
bool exists(Database& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q = db.query();
    return db.exec(q, sql, values) && q.next();
}
} // namespace

QString CommandGating::caption(const QString& version)
{
    return msg::app::mainCaption(version);
}

QString CommandGating::nameLabel(const QString& name, QString* tooltip)
{
    if (name.size() >= 25) {
        *tooltip = name;
        return QStringLiteral("-  ") + name.left(24) + QStringLiteral("...");
    }
    tooltip->clear();
    return QStringLiteral("-  ") + name;
}

bool CommandGating::checkVersion()
{
    m_ctx.state.version = Settings::read(IniFile(m_ctx.state.programFolder)).version;
    if (m_ctx.state.version == Settings::kServer || m_ctx.state.version == Settings::kClient)
        return true;
    m_ctx.db.close();
    m_ctx.prompter.ask(msg::app::versionInvalid());
    m_ctx.control.endProgram();
    return false;
}

MainHeader CommandGating::header() const
{
    const SelectedRequest& s = m_ctx.state.selected;
    MainHeader h;
    h.group = s.group;
    h.code = QString::number(s.operatorCode);
    h.name = nameLabel(s.operatorName, &h.nameTooltip);
    h.provinceName = s.provinceName;
    h.number = QString::number(s.number);
    return h;
}

UpdateCommandState CommandGating::updateStateAtLoad() const
{
    const bool server = m_ctx.state.version == Settings::kServer;
    return {server, !server, server, true};
}

UpdateCommandState CommandGating::updateStateAtActivation(UpdateCommandState state) const
{
    if (m_ctx.state.version != Settings::kServer)
        return state;
    if (m_ctx.state.selected.printed) {
        state.enabled = false;
        state.greyed = true;
        state.labelEnabled = false;
    } else {
        state.enabled = true;
        state.greyed = false;
        state.labelVisible = true;
    }
    return state;
}

bool CommandGating::commonGate()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    m_ctx.prompter.ask(msg::app::noRequestSelected());
    return false;
}

void CommandGating::verifierWarning()
{
    QSqlQuery q = m_ctx.db.query();
    if (!m_ctx.db.exec(q, roles::verifierCountSql(), roles::verifierCountValues(m_ctx.state.selected.number)) ||
        !q.next() || q.value(0).toInt() != 0)
        return;
    m_ctx.prompter.ask(msg::app::notice(msg::app::Notice::NoVerifier));
}

bool CommandGating::draftPrint()
{
    if (!draftPrintGate())
        return false;
    verifierWarning();
    return true;
}

bool CommandGating::draftPrintGate()
{
    if (!commonGate())
        return false;
    const SelectedRequest& s = m_ctx.state.selected;
    if (!exists(m_ctx.db,
                QStringLiteral("SELECT 1 FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ? AND TipoCompo = ?"),
                {s.group, s.operatorCode, m_ctx.state.legalSeatType})) {
        m_ctx.prompter.ask(msg::app::noLegalSeat());
        return false;
    }
    return true;
}

bool CommandGating::definitivePrint()
{
    if (!definitivePrintGate())
        return false;
    verifierWarning();
    return true;
}

bool CommandGating::definitivePrintGate()
{
    if (!commonGate())
        return false;
    if (!exists(m_ctx.db, QStringLiteral("SELECT 1 FROM Ruoli WHERE NumDoma = ? LIMIT 1"),
                {m_ctx.state.selected.number})) {
        m_ctx.prompter.ask(msg::app::notice(msg::app::Notice::NoPersons));
        return false;
    }
    return true;
}

bool CommandGating::databaseUpdate()
{
    return commonGate();
}

bool CommandGating::needsSelection() const
{
    Busy busy(m_ctx.control);
    QSqlQuery q = m_ctx.db.query();
    const int count =
        m_ctx.db.exec(q, QStringLiteral("SELECT COUNT(*) FROM Domande")) && q.next() ? q.value(0).toInt() : 0;
    return !(count < 2 && m_ctx.state.selected.number != 0);
}

bool CommandGating::selectionDone()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    m_ctx.control.endProgram();
    return false;
}

QList<LinkTarget> CommandGating::links() const
{
    using msg::app::Link;
    const Settings s = Settings::read(IniFile(m_ctx.state.programFolder));
    return {{Link::Producer, s.producerLink},
            {Link::Ministry, s.ministryLink},
            {Link::Region, s.regionLink},
            {Link::SocialFund, s.fseLink}};
}

bool CommandGating::openLink(const LinkTarget& link)
{
    if (m_ctx.prompter.ask(msg::app::linkQuestion(link.link)) != Answer::Yes)
        return false;
    Busy busy(m_ctx.control);
    return openOrTell(m_ctx.prompter, m_ctx.desktop, link.address);
}

void CommandGating::help()
{
    showHelp(m_ctx, m_ctx.state.helpFilePath, kHelpTopic);
}

} // namespace vx
