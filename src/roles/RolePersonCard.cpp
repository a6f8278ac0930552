#include "roles/RolePersonCard.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "requests/RequestSelection.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

namespace vx {

namespace {

constexpr int kSqliteConstraint = 19;

QVariantList rowValues(const RolePerson& v, qint32 numDoma)
{
    return {numDoma, v.codFiscale, v.gruppo, v.codice, v.cognome, v.nome, v.gg,
            v.mm,    v.aaaa,       v.email,  v.tel,    v.sede,    v.ruolo};
}

const QString kInsert = QStringLiteral("INSERT INTO Ruoli (NumDoma, CodFiscale, GruppoOperatore, CodiceOperatore, "
                                       "Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel, Sede, Ruolo) "
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
} // namespace

QString RolePersonCard::siteDisplay(int number, const QString& name, const QString& type, const QString& address)
{
    const QString shortName = name.size() > 20 ? name.left(20) + QLatin1Char('.') : name.left(20) + QLatin1Char(' ');
    return QString::number(number).leftJustified(5) + QStringLiteral(" - ") + shortName + QStringLiteral(" - ") + type +
           QStringLiteral(" - ") + address;
}

int RolePersonCard::siteOf(const QString& entry)
{
    return entry.section(QLatin1Char(' '), 0, 0).toInt();
}

QStringList RolePersonCard::operatorEntries() const
{
    const SelectedRequest& s = m_ctx.state.selected;
    QStringList entries{QString()};
    QSqlQuery q = m_ctx.db.query();
    if (m_ctx.db.exec(q,
                      QStringLiteral("SELECT GrupOpe, Operatore, Denominazione FROM CorsiOper "
                                     "WHERE GrupOpe = ? AND Operatore = ?"),
                      {s.group, s.operatorCode})) {
        while (q.next())
            entries.append(OperatorEntry{NonNull(q.value(0)), q.value(1).toInt(), NonNull(q.value(2))}.display());
    }
    return entries;
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
        entries.append({number, siteDisplay(number, NonNull(q.value(1)), NonNull(q.value(2)), NonNull(q.value(3)))});
    }
    return entries;
}

RolePerson RolePersonCard::open()
{
    const qint32 numDoma = m_ctx.state.selected.number;
    m_readOnly = isPrinted(m_ctx.db, numDoma);
    if (m_readOnly)
        m_ctx.prompter.tell(QStringLiteral("Scheda già stampata. Modifiche non abilitate."), kAppTitle, Icon::None);

    m_loaded = RolePerson();
    m_loaded.numDoma = numDoma;
    if (m_selection.isNew()) {
        m_selection = RoleKey();
        m_loaded.gruppo = m_ctx.state.selected.group;
        m_loaded.codice = m_ctx.state.selected.operatorCode;
        return m_loaded;
    }
    QSqlQuery q = m_ctx.db.query();
    if (m_ctx.db.exec(q,
                      QStringLiteral("SELECT CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel, "
                                     "GruppoOperatore, CodiceOperatore, Sede, Ruolo FROM Ruoli WHERE ") +
                          RoleKey::kWhere,
                      m_selection.values(numDoma)) &&
        q.next()) {
        m_loaded.codFiscale = NonNull(q.value(0));
        m_loaded.cognome = NonNull(q.value(1));
        m_loaded.nome = NonNull(q.value(2));
        m_loaded.gg = NonNull(q.value(3));
        m_loaded.mm = NonNull(q.value(4));
        m_loaded.aaaa = NonNull(q.value(5));
        m_loaded.email = NonNull(q.value(6));
        m_loaded.tel = NonNull(q.value(7));
        m_loaded.gruppo = NonNull(q.value(8));
        m_loaded.codice = NonNull_Num(q.value(9), m_ctx.prompter);
        m_loaded.sede = NonNull_Num(q.value(10), m_ctx.prompter);
        m_loaded.ruolo = NonNull_Num(q.value(11), m_ctx.prompter);
    }
    return m_loaded;
}

bool RolePersonCard::changed(const RolePerson& values) const
{
    if (m_selection.isNew())
        return true;
    RolePerson v = values;
    v.numDoma = m_loaded.numDoma;
    return !(v == m_loaded);
}

RolePersonCard::SaveOutcome RolePersonCard::save(const RolePerson& values)
{
    m_focus = RoleFault::Field::None;
    if (m_readOnly)
        return SaveOutcome::Failed;
    const RoleFault f = validateRolePerson(values, m_ctx.clock.now().date().year());
    if (f) {
        m_focus = f.field;
        if (f.required)
            m_ctx.prompter.tell(f.message, QStringLiteral("Verifica dati"), Icon::Critical);
        else
            m_ctx.prompter.tell(f.message, kAppTitle, Icon::None);
        return SaveOutcome::Failed;
    }
    return write(values);
}

bool RolePersonCard::reinsert(const RolePerson& values)
{
    QSqlQuery q = m_ctx.db.query();
    return m_ctx.db.exec(q, kInsert, rowValues(values, m_ctx.state.selected.number));
}

RolePersonCard::SaveOutcome RolePersonCard::write(const RolePerson& values)
{
    Database& db = m_ctx.db;
    const qint32 numDoma = m_ctx.state.selected.number;
    for (;;) {
        QSqlQuery q = db.query();
        bool ok = false;
        int affected = 1;
        if (m_selection.isNew()) {
            ok = db.exec(q, kInsert, rowValues(values, numDoma));
        } else {
            QVariantList bound = rowValues(values, numDoma);
            bound += m_selection.values(numDoma);
            ok = db.exec(q,
                         QStringLiteral("UPDATE Ruoli SET NumDoma = ?, CodFiscale = ?, GruppoOperatore = ?, "
                                        "CodiceOperatore = ?, Cognome = ?, Nome = ?, GGNasc = ?, MMNasc = ?, "
                                        "AAAANasc = ?, Email = ?, Tel = ?, Sede = ?, Ruolo = ? WHERE ") +
                             RoleKey::kWhere,
                         bound);
            affected = ok ? q.numRowsAffected() : 1;
        }
        if (ok && affected == 0) {
            // Deleted by another workstation meanwhile.
            if (m_ctx.prompter.ask(concurrency::askReinsert()) != Answer::Yes)
                return SaveOutcome::Dropped;
            if (!reinsert(values)) {
                if ((db.lastError().number.toInt() & 0xff) == kSqliteConstraint)
                    return SaveOutcome::Dropped;
                continue;
            }
            m_ctx.prompter.tell(QStringLiteral("Partner reinserito."), kAppTitle, Icon::Information);
            ok = true;
        }
        if (ok) {
            m_selection = RoleKey::of(values);
            m_loaded = values;
            m_loaded.numDoma = numDoma;
            return SaveOutcome::Saved;
        }
        const DbError error = db.lastError();
        if ((error.number.toInt() & 0xff) == kSqliteConstraint) {
            m_ctx.prompter.tell(QStringLiteral("Il soggetto '") + values.codFiscale +
                                    QStringLiteral("' è stato già inserito con questi parametri.\n"
                                                   "Cambiare il codice fiscale e riprovare a salvare."),
                                kAppTitle, Icon::Critical);
            m_focus = RoleFault::Field::CodFiscale;
            return SaveOutcome::Failed;
        }
        const Answer a = m_ctx.prompter.ask(
            {QStringLiteral("Errore ") + error.number + QLatin1Char('\n') + error.description +
                 QStringLiteral("\nSi è verificato un errore inaspettato durante l'aggiornamento del record.\n"
                                "Scegliere riprova per cercare di ripetere l'operazione, altrimenti annullare."),
             QStringLiteral("cmdModIter_Click - Accesso concorrente"), Icon::Exclamation, Buttons::RetryCancel});
        if (a != Answer::Retry)
            return SaveOutcome::Failed;
        return save(values);
    }
}

RolePersonCard::ExitOutcome RolePersonCard::exit(const RolePerson& values)
{
    if (m_readOnly || !changed(values))
        return ExitOutcome::Close;
    const Answer a = m_ctx.prompter.ask({QStringLiteral("Sono stati modificati uno o più dati del PARTNER\n"
                                                        "Salvare le modifiche ?"),
                                         QStringLiteral("Soggetti e Ruoli"), Icon::None, Buttons::YesNoCancel});
    if (a == Answer::No)
        return ExitOutcome::Close;
    if (a == Answer::Yes && save(values) != SaveOutcome::Failed)
        return ExitOutcome::Close;
    return ExitOutcome::Stay;
}

} // namespace vx
