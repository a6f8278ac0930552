#include "requests/RequestSelection.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "store/Messages.h"

namespace vx {

QString ProvinceEntry::display() const
{
    return code + QStringLiteral(" - ") + abbreviation + QStringLiteral(" - ") + name;
}

QList<OperatorEntry> RequestSelection::operators() const
{
    return readOperators(m_ctx.db).value_or(QList<OperatorEntry>());
}

QList<ProvinceEntry> RequestSelection::provinces() const
{
    QList<ProvinceEntry> list;
    QSqlQuery q = m_ctx.db.query();
    if (!m_ctx.db.exec(q,
                       QStringLiteral("SELECT PROV, SIGPROV, DESPROV FROM Province WHERE PROV = ? "
                                      "ORDER BY SIGPROV, DESPROV"),
                       {QStringLiteral("001")}))
        return list;
    while (q.next())
        list.append({NonNull(q.value(0)), NonNull(q.value(1)), NonNull(q.value(2))});
    return list;
}

int RequestSelection::initialOperator(const QList<OperatorEntry>& list) const
{
    const SelectedRequest& s = m_ctx.state.selected;
    for (int i = 0; s.number != 0 && i < list.size(); ++i) {
        if (list[i].group == s.group && list[i].code == s.operatorCode)
            return i;
    }
    return list.isEmpty() ? -1 : 0;
}

int RequestSelection::initialProvince(const QList<ProvinceEntry>& list) const
{
    const SelectedRequest& s = m_ctx.state.selected;
    for (int i = 0; s.number != 0 && i < list.size(); ++i) {
        if (list[i].code == s.province)
            return i;
    }
    return list.isEmpty() ? -1 : 0;
}

QList<RequestRow> RequestSelection::requests(const OperatorEntry& op, const QString& province) const
{
    QList<RequestRow> rows;
    QSqlQuery q = m_ctx.db.query();
    if (!m_ctx.db.exec(q,
                       QStringLiteral("SELECT NumDoma, Domanda, DomandaStampata, DomandaTrasmessa FROM QryDomande "
                                      "WHERE GrupOpe = ? AND Operatore = ? AND PROV = ? ORDER BY DESPROV, Domanda"),
                       {op.group, op.code, province}))
        return rows;
    while (q.next())
        rows.append({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt() != 0, q.value(3).toInt() != 0});
    return rows;
}

int RequestSelection::rowOfSelected(const QList<RequestRow>& rows) const
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].number == m_ctx.state.selected.number)
            return i;
    }
    return -1;
}

bool RequestSelection::select(const QList<RequestRow>& rows, int current)
{
    if (rows.isEmpty()) {
        m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::NoRequestInGrid));
        return false;
    }
    if (current < 0 || current >= rows.size()) {
        m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::NoRequestHighlighted));
        return false;
    }
    IniFile ini(m_ctx.state.programFolder);
    SalvaVarINI(m_ctx.db, ini, m_ctx.prompter, rows[current].number, m_ctx.state.selected);
    return true;
}

bool RequestSelection::cancel()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    return m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::SelectOrEnd)) != Answer::Yes;
}

bool RequestSelection::deleteRequest(QList<RequestRow>& rows, int current, const OperatorEntry& op,
                                     const QString& province)
{
    if (rows.isEmpty()) {
        m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::NothingToDelete));
        return false;
    }
    if (current < 0 || current >= rows.size()) {
        m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::NothingHighlightedToDelete));
        return false;
    }
    const RequestRow row = rows[current];
    if (m_ctx.prompter.ask(msg::requests::confirmDelete(row.number)) != Answer::Ok)
        return false;
    if (row.printed) {
        m_ctx.prompter.ask(msg::requests::printedCannotBeDeleted());
        return false;
    }
    const bool wasSelected = row.number == m_ctx.state.selected.number;
    if (wasSelected &&
        m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::DeletingTheSelected)) != Answer::Ok)
        return false;

    // The hourglass from the delete itself on, never while a question waits for the user.
    Busy busy(m_ctx.control);
    int deleted = -1;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    // A printed Request is never deleted, even when another workstation printed it meanwhile. Its
    // persons and roles go with it in the same transaction: left behind, they would reappear under
    // the next Request given the same number. Rows of a number whose Request is gone already (by
    // another workstation) go too; those of a Request printed meanwhile stay.
    const bool ran = trap.run(msg::requests::deleteOperation(), [&] {
        const bool done = m_ctx.db.inWriteTransaction([&] {
            QSqlQuery request = m_ctx.db.query();
            if (!m_ctx.db.exec(request, QStringLiteral("DELETE FROM Domande WHERE NumDoma = ? AND DomandaStampata = 0"),
                               {row.number}))
                return false;
            deleted = request.numRowsAffected();
            QSqlQuery persons = m_ctx.db.query();
            return m_ctx.db.exec(persons,
                                 QStringLiteral("DELETE FROM Ruoli WHERE NumDoma = ? AND NOT EXISTS "
                                                "(SELECT 1 FROM Domande WHERE NumDoma = ?)"),
                                 {row.number, row.number});
        });
        return done ? DbError() : m_ctx.db.lastError();
    });
    if (!ran)
        return false;
    if (deleted == 0) {
        if (isPrinted(m_ctx.db, row.number)) {
            m_ctx.prompter.ask(msg::requests::printedCannotBeDeleted());
        } else {
            m_ctx.prompter.ask(msg::store::notice(msg::store::Notice::AlreadyDeleted));
        }
    }
    rows = requests(op, province);
    if (wasSelected) {
        const qint32 next = rows.isEmpty() ? 0 : rows.first().number;
        IniFile ini(m_ctx.state.programFolder);
        SalvaVarINI(m_ctx.db, ini, m_ctx.prompter, next, m_ctx.state.selected);
    }
    return true;
}

} // namespace vx
