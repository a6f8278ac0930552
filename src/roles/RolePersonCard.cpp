#include "roles/RolePersonCard.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "roles/Messages.h"
#include "roles/RoleColumns.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "store/Messages.h"

namespace vx {

namespace {
constexpr int kSqliteConstraint = 19;
} // namespace

QString RolePersonCard::siteDisplay(int number, const QString& name, const QString& type, const QString& address)
{
    const QString shortName = name.size() > 20 ? name.left(20) + QLatin1Char('.') : name.left(20) + QLatin1Char(' ');
    return QString::number(number).leftJustified(5) + QStringLiteral(" - ") + shortName + QStringLiteral(" - ") + type +
           QStringLiteral(" - ") + address;
}

QString RolePersonCard::operatorDisplay(const OperatorEntry& entry)
{
    return entry.group.isEmpty() ? QString() : entry.display();
}

QList<OperatorEntry> RolePersonCard::operatorEntries() const
{
    const SelectedRequest& s = m_ctx.state.selected;
    return QList<OperatorEntry>{OperatorEntry()} +
           readOperators(m_ctx.db, s.group, s.operatorCode).value_or(QList<OperatorEntry>());
}

QList<SiteEntry> RolePersonCard::siteEntries(const QString& group, qint32 code) const
{
    QList<SiteEntry> entries{{0, QString()}};
    if (group.isEmpty())
        return entries;
    QSqlQuery q = m_ctx.db.query();
    if (!m_ctx.db.exec(q,
                       QStringLiteral("SELECT Componente, Denominazione, TipoCompo, Indirizzo FROM CorsiCompo "
                                      "WHERE GrupOpe = ? AND Operatore = ? ORDER BY GrupOpe, Operatore, Componente"),
                       {group, code}))
        return entries;
    while (q.next()) {
        const int number = q.value(0).toInt();
        const QString name = NonNull(q.value(1));
        entries.append(
            {number, siteDisplay(number, name, NonNull(q.value(2)), NonNull(q.value(3))),
             QString::number(number) + QStringLiteral(" - ") + name + QStringLiteral(" - ") + NonNull(q.value(3))});
    }
    return entries;
}

std::optional<RolePerson> RolePersonCard::open()
{
    const qint32 numDoma = m_ctx.state.selected.number;
    m_loaded = RolePerson();
    m_loaded.numDoma = numDoma;
    if (!m_selection.isNew()) {
        QSqlQuery q = m_ctx.db.query();
        const bool found = m_ctx.db.exec(q,
                                         QStringLiteral("SELECT ") + roles::columnList() +
                                             QStringLiteral(" FROM Ruoli WHERE ") + roles::keyCondition(),
                                         m_selection.values(numDoma)) &&
                           q.next();
        if (!found) {
            // Deleted by another workstation since the list was read: nothing to show.
            m_ctx.prompter.ask(msg::roles::rowGone());
            return std::nullopt;
        }
        m_loaded = roles::readRow(q);
    }

    m_readOnly = isPrinted(m_ctx.db, numDoma);
    if (m_readOnly)
        m_ctx.prompter.ask(msg::roles::cardReadOnly());
    if (m_selection.isNew()) {
        m_selection = RoleKey();
        m_loaded.gruppo = m_ctx.state.selected.group;
        m_loaded.codice = m_ctx.state.selected.operatorCode;
    }
    return m_loaded;
}

bool RolePersonCard::changed(const RolePerson& values) const
{
    if (m_selection.isNew())
        return true;
    RolePerson v = values;
    v.numDoma = m_loaded.numDoma;
    roles::trimNames(v); // as a save would store them
    return !(v == m_loaded);
}

RolePersonCard::SaveOutcome RolePersonCard::save(const RolePerson& typed)
{
    m_focus = RoleFault::Field::None;
    if (m_readOnly)
        return SaveOutcome::Failed;
    RolePerson values = typed;
    roles::trimNames(values);
    const RoleFault f = validateRolePerson(values, m_ctx.clock.now().date().year());
    if (f) {
        m_focus = f.field;
        m_ctx.prompter.ask(msg::roles::cardCheck(f.check));
        return SaveOutcome::Failed;
    }
    return write(values);
}

// One write, all or nothing: the Request must still exist and not be printed in definitive form
// when the row is written, and no other workstation may delete or print it in between.
RolePersonCard::Stored RolePersonCard::store(const RolePerson& row, bool insert)
{
    Database& db = m_ctx.db;
    Stored result = Stored::Error;
    const bool committed = db.inWriteTransaction([&] {
        switch (roles::requestState(db, row.numDoma)) {
        case roles::RequestState::Unknown:
            return false;
        case roles::RequestState::Gone:
            result = Stored::RequestGone;
            return false;
        case roles::RequestState::Printed:
            result = Stored::Printed;
            return false;
        case roles::RequestState::Open:
            break;
        }
        QSqlQuery q = db.query();
        if (insert) {
            if (!db.exec(q, roles::insertSql(), roles::values(row)))
                return false;
        } else {
            if (!db.exec(q, roles::updateSql(), roles::values(row) + m_selection.values(row.numDoma)))
                return false;
            // The old key names at most one row.
            Q_ASSERT(q.numRowsAffected() <= 1);
            if (q.numRowsAffected() == 0) {
                result = Stored::RowGone;
                return false;
            }
        }
        result = Stored::Done;
        return true;
    });
    if (result == Stored::Done && !committed)
        return Stored::Error;
    return result;
}

RolePersonCard::SaveOutcome RolePersonCard::write(const RolePerson& values)
{
    RolePerson row = values;
    row.numDoma = m_ctx.state.selected.number;
    bool insert = m_selection.isNew();
    bool reinserted = false;
    for (;;) {
        switch (store(row, insert)) {
        case Stored::Done:
            if (reinserted)
                m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::Reinserted));
            m_selection = RoleKey::of(row);
            m_loaded = row;
            return SaveOutcome::Saved;
        case Stored::RequestGone:
            m_ctx.prompter.ask(msg::roles::cardRequestGone(row.numDoma));
            return SaveOutcome::Dropped;
        case Stored::Printed:
            // Printed meanwhile: the card becomes what it would have been when opened now.
            m_ctx.prompter.ask(msg::roles::cardRequestPrinted(row.numDoma));
            m_readOnly = true;
            return SaveOutcome::Failed;
        case Stored::RowGone:
            // Deleted by another workstation meanwhile.
            if (m_ctx.prompter.ask(msg::store::notice(msg::store::Notice::AskReinsert)) != Answer::Yes)
                return SaveOutcome::Dropped;
            insert = true;
            reinserted = true;
            continue;
        case Stored::Error:
            break;
        }
        const DbError error = m_ctx.db.lastError();
        if (error.code() == kSqliteConstraint) {
            // Also when the row is inserted again and its combination was stored meanwhile.
            m_ctx.prompter.ask(msg::roles::duplicate(values.codFiscale));
            m_focus = RoleFault::Field::CodFiscale;
            return SaveOutcome::Failed;
        }
        const Answer a = m_ctx.prompter.ask(msg::roles::cardSaveError(error));
        if (a != Answer::Retry)
            return SaveOutcome::Failed;
        // The save runs again from the start.
        insert = m_selection.isNew();
        reinserted = false;
    }
}

RolePersonCard::ExitOutcome RolePersonCard::exit(const RolePerson& values)
{
    m_focus = RoleFault::Field::None;
    if (m_readOnly || !changed(values))
        return ExitOutcome::Close;
    const Answer a = m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::ExitQuestion));
    if (a == Answer::No)
        return ExitOutcome::Close;
    if (a == Answer::Yes && save(values) != SaveOutcome::Failed)
        return ExitOutcome::Close;
    return ExitOutcome::Stay;
}

} // namespace vx
