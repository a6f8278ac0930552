#pragma once
// The check of a transmission file before it leaves the workstation. The region acquires the
// file by position, so a record out of place, a field too many or too few, a "#" inside a value
// or a byte the code page does not define makes it reject or misread the whole Request: such a
// file is never sent and never saved. The check refuses only what makes the file wrong for the
// region, never a person's value that the card or the import accepted (those travel unchanged);
// when the Request is in the database at hand, the persons of the file must be exactly the
// Request's, at sites the registry has. The definitive print runs the same check first, so that
// no Request is locked with content that could not be sent. The check judges a file written by
// this program and one brought from elsewhere alike.

#include "roles/RolePerson.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vx {
class Database;
}

namespace vx::transmission {

// The fields of each record type, the type letter included.
inline constexpr int kFieldsZ = 8;
inline constexpr int kFieldsA = 27;
inline constexpr int kFieldsB = 25;
inline constexpr int kFieldsE = 18;
inline constexpr char kTerminator[] = "#Z#,#EOF#";
// The constants every record of this edition carries.
inline const QString kFileConstant = QStringLiteral("0");
inline const QString kEditionYear = QStringLiteral("2017");

struct CheckReport {
    QStringList faults; // one readable line each; empty when the file passes
    QList<int> rows;    // the line of the file each fault is on; 0 for the file as a whole
    int persons = 0;    // the E records read
    bool passed() const { return faults.isEmpty(); }
    void add(int row, const QString& fault)
    {
        faults << fault;
        rows << row;
    }
    // The outcome as the user reads and saves it: a heading, then each fault on its own line.
    QString text(const QString& fileName) const;
};

// Record E of `person` of Request `number` (whose operator is `group` `code`), with the name of the
// person's operator and the file's creation date: the writer writes it, the check compares with it.
QStringList recordE(const QString& number, const QString& group, const QString& code, const RolePerson& person,
                    const QString& denomination, const QString& date);

// Checks the bytes of a transmission file, against the database when one is given.
CheckReport checkFile(const QByteArray& bytes, Database* db = nullptr);
// The same on the text before it is encoded, where a character the code page lacks is still
// itself rather than the "?" the encoding would put in its place.
CheckReport checkText(const QString& text, Database* db = nullptr);

} // namespace vx::transmission
