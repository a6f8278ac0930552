#pragma once
// Small helpers shared by every subsystem: null-safe reads, province and operator lookups,
// fixed-width fields and the printed flag of a Request.

#include <QString>
#include <QVariant>

namespace vx {

class Database;
class Prompter;

QString NonNull(const QVariant& value);
// Null gives 0; a number (or a text that reads as one) its long value, rounded half to even;
// anything else shows the anomaly and gives 0.
qint32 NonNull_Num(const QVariant& value, Prompter& prompter);

QString RecuperaDesProv(Database& db, Prompter& prompter, const QString& province);
QString RecuperaSigProv(Database& db, Prompter& prompter, const QString& province);

// The leading integer of a text, as VB's Val reads it: blanks skipped, an optional sign, then
// digits up to the first other character; 0 when there are none or they overflow.
qint32 leadingNumber(QStringView text);

// Cut to `width`, or padded with blanks up to it: the fixed-width fields of the transmission file
// and of the registry files. Nothing calls it before those are built; it is kept for them.
QString fixedWidth(const QString& text, int width);
// Element `index` of `text` split at `separator`, trimmed; "" when there is none.
QString splitElement(const QString& text, const QString& separator, int index);

// `DomandaStampata` of the Request; false when there is no such Request.
bool isPrinted(Database& db, qint32 number);
// `Denominazione` of the operator; "" when there is none.
QString operatorName(Database& db, const QString& group, qint32 code);

} // namespace vx
