#pragma once
// The roles list behind frmElencoSoggetti: the persons and roles of the selected Request as a
// table model (one row object per person and role, so thousands of rows stay quick), and the
// list's commands that are not the card's.

#include "core/Context.h"
#include "roles/RolePerson.h"

#include <QAbstractTableModel>
#include <QList>

namespace vx {

class RolesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const QStringList& columnNames(); // the captions of the columns of Ruoli, in table order

    explicit RolesModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Reads the rows of Request `numDoma`, ordered by surname and name.
    bool load(class Database& db, qint32 numDoma);
    const QList<RolePerson>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static QVariant column(const RolePerson& p, int column);
    // The rows whose texts in `column` are the longest, at most `count` of them: where the width
    // the column needs is measured, among every row however many there are.
    QList<int> longestRows(int column, int count) const;

private:
    QList<RolePerson> m_rows;
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
