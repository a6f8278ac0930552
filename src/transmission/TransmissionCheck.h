#pragma once
// The check of a transmission file before it leaves the workstation. The region acquires the
// file by position, so a record out of place, a field too many or too few, a separator inside a
// value or a byte the code page does not define makes it reject or misread the whole Request:
// such a file is never sent and never saved. The check reads only the bytes, so it judges a file
// written by this program and one brought from elsewhere alike.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vx::transmission {

// The fields of each record type, the type letter included.
inline constexpr int kFieldsZ = 8;
inline constexpr int kFieldsA = 27;
inline constexpr int kFieldsB = 25;
inline constexpr int kFieldsE = 18;
inline constexpr char kTerminator[] = "#Z#,#EOF#";

struct CheckReport {
    QStringList faults; // one readable line each; empty when the file passes
    int persons = 0;    // the E records read
    bool passed() const { return faults.isEmpty(); }
    // The outcome as the user reads and saves it: a heading, then each fault on its own line.
    QString text(const QString& fileName) const;
};

// Checks the bytes of a transmission file.
CheckReport checkFile(const QByteArray& bytes);
// The same on the text before it is encoded, where a character the code page lacks is still
// itself rather than the "?" the encoding would put in its place.
CheckReport checkText(const QString& text);

} // namespace vx::transmission
