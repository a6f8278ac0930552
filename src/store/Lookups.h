#pragma once
// Small helpers shared by every subsystem: null-safe reads, province and operator lookups,
// fixed-width fields and the printed flag of a Request.

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace vx {

class Database;
class Prompter;

// An operator of the registry (`CorsiOper`): its key and name, and the two ways lists show it.
struct OperatorEntry {
    QString group;
    qint32 code = 0;
    QString name;

    // group + two blanks + code + two blanks + name (the Request selection and the person card)
    QString display() const;
    // The entry shown as `display` text (group from its first character, code and name from its
    // second and third parts separated by two blanks).
    static OperatorEntry fromDisplay(const QString& text);
    // "A-12" followed by "      - " and the name (the registry download's list).
    QString text() const;
    // The group (before the "-") and the code (after it) of a `text`; false when it holds no such key.
    static bool parse(const QString& text, QString& group, qint32& code);
    bool sameKey(const OperatorEntry& other) const { return group == other.group && code == other.code; }
    bool operator==(const OperatorEntry&) const = default;
};

// The operators of the registry ordered by group and code (only `group` `code` when a group is
// given), names trimmed; nullopt when the read fails (the error is the database's).
std::optional<QList<OperatorEntry>> readOperators(Database& db, const QString& group = QString(), qint32 code = 0);

// Whether Request `number` exists; nullopt when the read fails (the error is the database's).
std::optional<bool> requestExists(Database& db, qint32 number);

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
