#pragma once
// The person-and-role card behind FrmPartner: its lists, opening in insert or modify mode, the
// validation and the saving of the row, and the question on leaving with changes.
//
// The row is found by its identity (Request, codice fiscale, operator, site, role). Saving a
// modified row rewrites it, key included; a row that another workstation deleted meanwhile may
// be inserted again; a combination stored already is refused by the table's unique key. A row is
// written only while its Request exists and is not printed in definitive form, both checked in the
// same transaction as the write, so that no person is left behind under a Request that another
// workstation deleted, nor added to one it has just printed.

#include "core/Context.h"
#include "core/Prompter.h"
#include "roles/RolePerson.h"
#include "roles/RoleValidation.h"
#include "store/Lookups.h"

#include <QList>

#include <optional>

namespace vx {

struct SiteEntry {
    int number = 0;
    QString display;
    QString whole; // the name uncut: entries whose names start alike are told apart by it
};

class RolePersonCard {
public:
    enum class SaveOutcome { Saved, Failed, Dropped };
    enum class ExitOutcome { Close, Stay };

    // `selection` is the key of the row to modify, or an empty key for a new row; a save writes
    // the saved key back into it.
    RolePersonCard(Context& context, RoleKey& selection) : m_ctx(context), m_selection(selection) {}

    // Opening: the values to show, or nothing when the row to modify is gone (the user is told,
    // and the card does not open). Tells the user when the Request is printed (the card is then
    // read-only).
    std::optional<RolePerson> open();
    bool readOnly() const { return m_readOnly; }

    // The operator list: an empty entry (no operator), then the selected Request's operator.
    QList<OperatorEntry> operatorEntries() const;
    // The text an operator entry shows: "" for the empty entry.
    static QString operatorDisplay(const OperatorEntry& entry);
    // The sites list of an operator: an empty entry (the agency itself, site 0), then its sites.
    QList<SiteEntry> siteEntries(const QString& group, qint32 code) const;
    static QString siteDisplay(int number, const QString& name, const QString& type, const QString& address);

    SaveOutcome save(const RolePerson& values);
    ExitOutcome exit(const RolePerson& values);
    bool changed(const RolePerson& values) const;
    // The field to put the focus on after the last failed save.
    RoleFault::Field focus() const { return m_focus; }

private:
    enum class Stored { Done, RowGone, RequestGone, Printed, Error };
    Stored store(const RolePerson& row, bool insert);
    SaveOutcome write(const RolePerson& values);

    Context& m_ctx;
    RoleKey& m_selection;
    RolePerson m_loaded;
    bool m_readOnly = false;
    RoleFault::Field m_focus = RoleFault::Field::None;
};

} // namespace vx
