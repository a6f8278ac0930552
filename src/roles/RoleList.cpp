#include "roles/RoleList.h"
#include "core/DeliveredFiles.h"

#include "core/AppState.h"
#include "core/Desktop.h"
#include "core/Help.h"
#include "core/Prompter.h"
#include "roles/Messages.h"
#include "roles/RoleCodes.h"
#include "roles/RoleColumns.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/FastStatement.h"
#include "store/Lookups.h"
#include "store/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>
#include <QUrl>

namespace vx {

const QStringList& RolesModel::columnNames()
{
    static const QStringList names = [] {
        QStringList out;
        for (const RoleColumn& c : roles::columns())
            out.append(c.caption);
        return out;
    }();
    return names;
}

QList<RolePerson> rolesOf(Database& db, qint32 numDoma, bool* ok)
{
    QList<RolePerson> rows;
    // Read on the engine's own handle where there is one: through Qt SQL each value costs more
    // than the engine takes to find it, and a Request may have thousands of rows.
    FastStatement q(db);
    // Names are put in the Italian order below; names equal in it keep the statement's order.
    bool done = q.prepare(QStringLiteral("SELECT ") + roles::columnList() +
                          QStringLiteral(" FROM Ruoli WHERE NumDoma = ? ORDER BY Cognome, Nome"));
    if (done) {
        q.bindInt(0, numDoma);
        done = q.run();
    }
    while (done && q.next())
        rows.append(roles::readRow(q));
    done = done && !q.failed();
    if (ok)
        *ok = done;
    roles::sortByName(rows);
    return rows;
}

bool RoleList::load(RolesModel& model)
{
    while (!model.load(m_ctx.db, m_ctx.state.selected.number)) {
        const Message failure =
            ErrorTrap::failureMessage(msg::roles::listTitle(m_ctx.state.selected.number), m_ctx.db.lastError());
        if (m_ctx.prompter.ask(failure) != Answer::Retry)
            return false;
    }
    return true;
}

bool RolesModel::load(Database& db, qint32 numDoma)
{
    bool ok = false;
    QList<RolePerson> rows = rolesOf(db, numDoma, &ok);
    // The sites of the operators the rows name: one operator on nearly every Request.
    QHash<std::pair<QString, qint32>, QHash<qint32, QString>> names;
    for (const RolePerson& p : rows) {
        const std::pair<QString, qint32> op{p.gruppo, p.codice};
        if (!ok || p.sede == 0 || names.contains(op))
            continue;
        QHash<qint32, QString>& sites = names[op];
        QSqlQuery q = db.query();
        if (!db.exec(q,
                     QStringLiteral("SELECT Componente, Denominazione FROM CorsiCompo WHERE GrupOpe = ? AND "
                                    "Operatore = ?"),
                     {p.gruppo, p.codice})) {
            ok = false;
            break;
        }
        while (q.next())
            sites.insert(q.value(0).toInt(), q.value(1).toString().trimmed());
    }
    beginResetModel();
    m_rows = std::move(rows);
    m_siteNames = std::move(names);
    endResetModel();
    return ok;
}

const QString* RolesModel::siteName(const RolePerson& p) const
{
    const auto op = m_siteNames.constFind({p.gruppo, p.codice});
    if (op == m_siteNames.constEnd())
        return nullptr;
    const auto site = op->constFind(p.sede);
    return site == op->constEnd() || site->isEmpty() ? nullptr : &*site;
}

QString RolesModel::siteText(const RolePerson& p) const
{
    if (p.sede == 0)
        return QString();
    const QString number = QString::number(p.sede);
    const QString* name = siteName(p);
    return name ? number + QStringLiteral(" - ") + *name : number;
}

qsizetype RolesModel::siteTextLength(const RolePerson& p) const
{
    if (p.sede == 0)
        return 0;
    qsizetype digits = p.sede < 0 ? 2 : 1;
    for (qint64 n = p.sede < 0 ? -qint64(p.sede) : p.sede; n >= 10; n /= 10)
        ++digits;
    const QString* name = siteName(p);
    return name ? digits + 3 + name->size() : digits;
}

RolesShown::RolesShown(const RolesModel& rows, QObject* parent) : QAbstractTableModel(parent), m_rows(rows)
{
    connect(&rows, &QAbstractItemModel::modelAboutToBeReset, this, &RolesShown::beginResetModel);
    connect(&rows, &QAbstractItemModel::modelReset, this, &RolesShown::endResetModel);
}

int RolesShown::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.rows().size());
}

int RolesShown::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString RolesShown::text(int row, int column) const
{
    const RolePerson& p = m_rows.rows().at(row);
    switch (Column(column)) {
    case CodFiscale:
        return p.codFiscale;
    case Cognome:
        return p.cognome;
    case Nome:
        return p.nome;
    case Nascita:
        return p.gg + QLatin1Char('/') + p.mm + QLatin1Char('/') + p.aaaa;
    case Email:
        return p.email;
    case Telefono:
        return p.tel;
    case Operatore:
        return p.gruppo + QLatin1Char('-') + QString::number(p.codice);
    case Sede:
        return m_rows.siteText(p);
    case Ruolo:
        return roles::text(p.ruolo);
    case ColumnCount:
        break;
    }
    return QString();
}

qsizetype RolesShown::textLength(int row, int column) const
{
    const RolePerson& p = m_rows.rows().at(row);
    const auto digits = [](qint64 n) {
        qsizetype d = n < 0 ? 2 : 1;
        for (n = n < 0 ? -n : n; n >= 10; n /= 10)
            ++d;
        return d;
    };
    switch (Column(column)) {
    case CodFiscale:
        return p.codFiscale.size();
    case Cognome:
        return p.cognome.size();
    case Nome:
        return p.nome.size();
    case Nascita:
        return p.gg.size() + p.mm.size() + p.aaaa.size() + 2;
    case Email:
        return p.email.size();
    case Telefono:
        return p.tel.size();
    case Operatore:
        return p.gruppo.size() + 1 + digits(p.codice);
    case Sede:
        return m_rows.siteTextLength(p);
    case Ruolo:
        if (const roles::Role* r = roles::find(p.ruolo))
            return r->text.size();
        return 0;
    case ColumnCount:
        break;
    }
    return text(row, column).size();
}

QVariant RolesShown::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.rows().size())
        return QVariant();
    if (role == kSortRole) {
        const RolePerson& p = m_rows.rows().at(index.row());
        if (index.column() == Nascita)
            return p.aaaa + p.mm + p.gg;
        if (index.column() == Sede)
            return p.sede;
        return text(index.row(), index.column());
    }
    return role == Qt::DisplayRole || role == Qt::ToolTipRole ? QVariant(text(index.row(), index.column()))
                                                              : QVariant();
}

QVariant RolesShown::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return msg::roles::listHeading(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

RolesFilter::RolesFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(RolesShown::kSortRole);
    setSortLocaleAware(true);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void RolesFilter::setSearch(const QString& text)
{
    m_search = text.trimmed();
    invalidateFilter();
}

bool RolesFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (m_search.isEmpty())
        return true;
    const auto* shown = static_cast<const RolesShown*>(sourceModel());
    for (int column : {RolesShown::Cognome, RolesShown::Nome, RolesShown::CodFiscale}) {
        if (shown->text(sourceRow, column).contains(m_search, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

int RolesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RolesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columnNames().size());
}

QVariant RolesModel::column(const RolePerson& p, int column)
{
    const std::span<const RoleColumn> columns = roles::columns();
    return column >= 0 && column < static_cast<int>(columns.size()) ? columns[column].value(p) : QVariant();
}

QVariant RolesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    if (role == Qt::ToolTipRole) {
        static const int roleColumn = roles::indexOf(&RolePerson::ruolo);
        return index.column() == roleColumn ? roles::text(m_rows[index.row()].ruolo) : QVariant();
    }
    return column(m_rows[index.row()], index.column());
}

QVariant RolesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < columnNames().size() ? columnNames()[section] : QVariant();
}

bool RoleList::editable() const
{
    return !isPrinted(m_ctx.db, m_ctx.state.selected.number);
}

bool RoleList::keyToModify(const QList<RolePerson>& rows, int current, RoleKey& key)
{
    if (current < 0 || current >= rows.size() || rows[current].codFiscale.isEmpty()) {
        m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::SelectRowToModify));
        return false;
    }
    key = RoleKey::of(rows[current]);
    return true;
}

bool RoleList::remove(const QList<RolePerson>& rows, int current)
{
    if (rows.isEmpty()) {
        m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::NothingToDelete));
        return false;
    }
    if (current < 0 || current >= rows.size() || rows[current].codFiscale.isEmpty()) {
        m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::SelectRowToDelete));
        return false;
    }
    const RolePerson& p = rows[current];
    if (m_ctx.prompter.ask(msg::roles::confirmDelete(p.cognome, p.nome, p.codFiscale)) != Answer::Yes)
        return false;
    int deleted = -1;
    bool printed = false;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    const bool ran = trap.run(msg::roles::text(msg::roles::Text::DeleteTitle), [&] {
        // The printed flag is read inside the write: another workstation may have printed the
        // Request in definitive form since this list opened.
        printed = false;
        const bool done = m_ctx.db.inWriteTransaction([&] {
            QSqlQuery flag = m_ctx.db.query();
            if (!m_ctx.db.exec(flag, QStringLiteral("SELECT DomandaStampata FROM Domande WHERE NumDoma = ?"),
                               {p.numDoma}))
                return false;
            if (flag.next() && flag.value(0).toInt() != 0) {
                printed = true;
                return false;
            }
            QSqlQuery q = m_ctx.db.query();
            if (!m_ctx.db.exec(q, QStringLiteral("DELETE FROM Ruoli WHERE ") + roles::keyCondition(),
                               roles::keyValues(p)))
                return false;
            deleted = q.numRowsAffected();
            // The key condition names one row: only this role of the person goes.
            Q_ASSERT(deleted <= 1);
            return true;
        });
        return done || printed ? DbError() : m_ctx.db.lastError();
    });
    if (ran && printed) {
        m_ctx.prompter.ask(msg::roles::deleteRequestPrinted(p.numDoma));
        return false;
    }
    if (ran && deleted == 0)
        m_ctx.prompter.ask(msg::store::notice(msg::store::Notice::AlreadyDeleted));
    return ran;
}

void RoleList::help(int topic)
{
    showHelp(m_ctx, m_ctx.state.helpFilePath, topic);
}

void RoleList::guide()
{
    const QString guide = deliveredFile(m_ctx.state.programFolder, kGuideFile);
    m_ctx.prompter.ask(msg::roles::guideViewer(QDir::toNativeSeparators(QFileInfo(guide).absolutePath())));
    m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::GuideText));
    openOrTell(m_ctx.prompter, m_ctx.desktop, QUrl::fromLocalFile(guide));
}

bool RoleList::batchListing()
{
    if (!m_ctx.state.reservedMode) {
        m_ctx.prompter.ask(msg::roles::notice(msg::roles::Notice::ReservedOnly));
        return false;
    }
    const QString folder = m_ctx.state.programFolder + QStringLiteral("ELABORAZIONE COMPLESSIVA/");
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Unsorted);
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    return trap.run(msg::roles::text(msg::roles::Text::BatchTitle), [&] {
        const bool ok = m_ctx.db.inWriteTransaction([&] {
            QSqlQuery clear = m_ctx.db.query();
            if (!m_ctx.db.exec(clear, QStringLiteral("DELETE FROM ElaborazioneComplessiva")))
                return false;
            int position = 0;
            for (const QString& name : files) {
                QSqlQuery add = m_ctx.db.query();
                if (!m_ctx.db.exec(add,
                                   QStringLiteral("INSERT INTO ElaborazioneComplessiva (Posizione, NomeFile) "
                                                  "VALUES (?, ?)"),
                                   {++position, name}))
                    return false;
            }
            return true;
        });
        return ok ? DbError() : m_ctx.db.lastError();
    });
}

} // namespace vx
