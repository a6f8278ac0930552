#pragma once
// The region's text files as the loads read them: decoded once (see core/DeliveredText.h), cut into
// lines, each data line a row of fields in the exchange syntax; and the folders processed files are
// moved into.
//
// A row is read only as a whole: a data line must open and close with "#", so that a line broken
// in two (a stray line end in a field) or cut short is refused rather than loaded as two half rows
// or one row missing its tail.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

#include <optional>

namespace vx::refdata {

// The fields of one line in the exchange syntax: `#field#,#field#...`, at most 51 of them.
// The line is trimmed; the first character (the opening "#") is skipped; each field runs to the
// next "#", after which the three characters "#,#" are skipped.
constexpr int kMaxFields = 51;
using FieldViews = QVarLengthArray<QStringView, kMaxFields>;
FieldViews splitFieldViews(QStringView line);
QStringList splitFields(const QString& line);

// True when the trimmed line opens and closes with "#".
bool isWholeRow(QStringView line);

// The widest whole number an INTEGER column holds on every engine (a server's is 32 bits).
constexpr qint64 kMaxWhole = 2147483647;

// A field of a number column read as that column stores it, so that no text is ever stored in a
// number and both engines hold the same value. A whole number: digits, with a "-" before them
// when `min` is negative, and a fraction of zeros ("012" and "12.0" are 12), from `min` to
// `max`. A real: as the C locale writes one ("1.5", "-2", "1e3"), finite. Blanks around the
// field are no part of it; nullopt when the field is no such number (an empty one included).
std::optional<qint64> wholeNumber(QStringView field, qint64 min = -kMaxWhole - 1, qint64 max = kMaxWhole);
std::optional<double> realNumber(QStringView field);

// A line with something besides blanks, and its number in the file (from 1).
struct FileLine {
    int number = 0;
    QStringView text;
};

// Why a row of a delivered file is refused: not laid out as #field#,#field#..., or a control
// character inside it; "" when it is whole.
QString rowFault(const FileLine& row);

class DeliveredFile {
public:
    // False when the file cannot be read.
    bool read(const QString& path);

    // Every line of the file, blank ones included.
    const QList<QStringView>& lines() const { return m_lines; }
    // The lines after the first `skip` that hold something besides blanks and control characters.
    QList<FileLine> rows(int skip = 0) const;
    // The message's reason for the first of `rows` that is no whole row; "" when all are.
    static QString firstBrokenRow(const QList<FileLine>& rows);

private:
    QString m_text;
    QList<QStringView> m_lines;
};

// Moves `path` into `folder` under the program folder (made when missing) as `name`, replacing an
// older copy there.
void moveInto(const QString& programFolder, const QString& folder, const QString& path, const QString& name);

} // namespace vx::refdata
