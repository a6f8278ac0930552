#pragma once
// The roles list behind frmElencoSoggetti: the persons and roles of the selected Request as a
// table model (one row object per person and role, so thousands of rows stay quick), and the
// list's commands that are not the card's.

#include "core/Context.h"
#include "roles/RolePerson.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSortFilterProxyModel>

namespace vx {

class RolesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const QStringList& columnNames(); // the captions of the columns of Ruoli, in table order

    explicit RolesModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Reads the rows of Request `numDoma`, ordered by surname and name, and the names of their
    // operators' sites.
    bool load(class Database& db, qint32 numDoma);
    const QList<RolePerson>& rows() const { return m_rows; }
    // "<number> - <name>" of the person's site as the registry names it; "" for a role at the
    // agency, the number alone for a site the registry does not know.
    QString siteText(const RolePerson& p) const;
    qsizetype siteTextLength(const RolePerson& p) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static QVariant column(const RolePerson& p, int column);

private:
    QList<RolePerson> m_rows;
    QHash<std::pair<QString, qint32>, QHash<qint32, QString>> m_siteNames; // operator -> site -> name
    const QString* siteName(const RolePerson& p) const;
};

// The list as an office reads it: headings in words, the birth date as one date, the site and the
// role by name. Over a RolesModel, row for row.
class RolesShown : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CodFiscale, Cognome, Nome, Nascita, Email, Telefono, Operatore, Sede, Ruolo, ColumnCount };
    static constexpr int kSortRole = Qt::UserRole;

    explicit RolesShown(const RolesModel& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // Qt::DisplayRole the text shown; kSortRole what a sort on the column compares (the date as
    // yyyymmdd).
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QString text(int row, int column) const;
    // The characters of text(row, column), mostly without making it: the widths of thousands of
    // rows are weighed when the list opens.
    qsizetype textLength(int row, int column) const;

private:
    const RolesModel& m_rows;
};

// The rows a search keeps (a surname, a name or a codice fiscale holding its text, whatever the
// case), sorted by the heading the user clicked; in the names' order until then.
class RolesFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit RolesFilter(QObject* parent = nullptr);
    void setSearch(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_search;
};

// The persons and roles of a Request, as the list and the command line show them: ordered by
// surname and name as an Italian reader expects (roles::sortByName).
QList<RolePerson> rolesOf(Database& db, qint32 numDoma, bool* ok = nullptr);

class RoleList {
public:
    explicit RoleList(Context& context) : m_ctx(context) {}

    // Reads the selected Request's rows into `model`. A failed read is told and offered again; the
    // user who gives up keeps the list open, empty, never the program's end.
    bool load(RolesModel& model);
    // Insert and delete are not available on a printed Request.
    bool editable() const;
    // The key of row `current` for the card, or a message when there is none to modify.
    bool keyToModify(const QList<RolePerson>& rows, int current, RoleKey& key);
    // Deletes only this role of the person, after the user's confirmation.
    bool remove(const QList<RolePerson>& rows, int current);
    // The help at `topic`, or the message that there is none.
    void help(int topic);
    // The import guide, shown as a text file.
    void guide();
    // The reserved batch listing of the files of "ELABORAZIONE COMPLESSIVA".
    bool batchListing();

    static inline const QString kGuideFile = QStringLiteral("GuidaSezioneSoggettiRuoli.txt");

private:
    Context& m_ctx;
};

} // namespace vx
