#include "refdata/RegistryRows.h"

#include "refdata/Messages.h"
#include "store/FastStatement.h"

#include <cmath>

namespace vx::refdata {

namespace {

// The first `n` characters, trimmed (a view into the line; bound as '' when empty).
QStringView left(const FieldViews& fields, int i, int n)
{
    return fields.value(i).left(n).trimmed();
}

// The telephone or fax as stored: the text after the last "/" (all of it when there is none),
// trimmed, at most 10 characters.
QStringView phoneView(QStringView field)
{
    const qsizetype slash = field.lastIndexOf(QLatin1Char('/'));
    return field.mid(slash + 1).trimmed().left(10);
}

// The widest numbers the key columns hold: a 32-bit operator code, a 16-bit site number.
constexpr qint64 kMaxOperator = kMaxWhole;
constexpr qint64 kMaxSite = 32767;

// The group of an operator: one capital letter.
bool isGroup(QStringView field)
{
    const QStringView t = field.trimmed();
    return t.size() == 1 && t[0] >= u'A' && t[0] <= u'Z';
}

// A key that reads as a whole number no larger than `max` ("012" and "12.0" are 12) into `out`.
bool readKey(QStringView field, qint64 max, NumberField& out)
{
    const std::optional<qint64> value = wholeNumber(field, 0, max);
    if (!value)
        return false;
    out = {field.trimmed(), *value, true};
    return true;
}

// A number column's value: none when the field is empty, else a whole number the column holds.
bool isStorable(const NumberField& f)
{
    return f.isNumber || f.text.isEmpty();
}

RegistryOperator readOperator(const FieldViews& f)
{
    RegistryOperator op;
    op.group = f.value(0).trimmed();
    op.code = NumberField::of(f.value(1));
    const QStringView birth = f.value(8).trimmed();
    const auto part = [&](qsizetype from, qsizetype n) { return birth.mid(from, n).trimmed(); };
    op.head = {left(f, 2, 100), left(f, 3, 2), left(f, 4, 16)};
    op.rest = {left(f, 5, 35), left(f, 6, 30), left(f, 7, 2),  part(0, 2),    part(2, 2),
               part(4, 4),     left(f, 9, 2),  left(f, 10, 7), left(f, 11, 4)};
    op.attEcono = NumberField::of(f.value(12));
    return op;
}

RegistrySite readSite(const FieldViews& f)
{
    RegistrySite s;
    s.group = f.value(0).trimmed();
    s.code = NumberField::of(f.value(1));
    s.site = NumberField::of(f.value(2));
    s.always = {left(f, 3, 2), left(f, 4, 100), left(f, 5, 6), left(f, 7, 50)};
    s.given = {left(f, 6, 5), phoneView(f.value(9)), phoneView(f.value(11))};
    s.district = NumberField::of(f.value(12));
    s.abroad = {left(f, 13, 30), left(f, 14, 30)};
    s.ateco = ValField::of(f.value(15));
    return s;
}

// Reads the line's fields into `row`; "" or the reason the line is refused.
QString readLine(const FileLine& line, RegistryOperator& row)
{
    if (const QString fault = rowFault(line); !fault.isEmpty())
        return fault;
    const FieldViews f = splitFieldViews(line.text);
    row = readOperator(f);
    if (!isGroup(f.value(0)))
        return msg::refdata::badGroup(line.number, f.value(0).trimmed().toString());
    if (!readKey(f.value(1), kMaxOperator, row.code))
        return msg::refdata::badOperatorCode(line.number, f.value(1).trimmed().toString());
    if (!isStorable(row.attEcono))
        return msg::refdata::badNumber(line.number, 13, row.attEcono.text.toString(), true);
    return QString();
}

QString readLine(const FileLine& line, RegistrySite& row)
{
    if (const QString fault = rowFault(line); !fault.isEmpty())
        return fault;
    const FieldViews f = splitFieldViews(line.text);
    row = readSite(f);
    if (!isGroup(f.value(0)))
        return msg::refdata::badGroup(line.number, f.value(0).trimmed().toString());
    if (!readKey(f.value(1), kMaxOperator, row.code))
        return msg::refdata::badOperatorCode(line.number, f.value(1).trimmed().toString());
    if (!readKey(f.value(2), kMaxSite, row.site))
        return msg::refdata::badSiteNumber(line.number, f.value(2).trimmed().toString());
    if (!isStorable(row.district))
        return msg::refdata::badNumber(line.number, 13, row.district.text.toString(), true);
    // The numeric value of the text, as the region means it, must be one the column can hold.
    if (!row.ateco.isWhole || row.ateco.whole > kMaxWhole || row.ateco.whole < -kMaxWhole - 1)
        return msg::refdata::badNumber(line.number, 16, f.value(15).trimmed().toString(), true);
    return QString();
}

} // namespace

NumberField NumberField::of(QStringView field)
{
    NumberField f;
    f.text = field.trimmed();
    const std::optional<qint64> value = wholeNumber(f.text);
    f.isNumber = value.has_value();
    f.value = value.value_or(0);
    return f;
}

void NumberField::bindTo(FastStatement& s, int i) const
{
    Q_ASSERT(isNumber || text.isEmpty()); // a field that is no number refuses its file
    if (isNumber)
        s.bindInt(i, value);
    else
        s.bindNull(i);
}

ValField ValField::of(QStringView field)
{
    // The leading [+-]?[0-9]*(\.[0-9]*)? of the trimmed text.
    const QStringView text = field.trimmed();
    qsizetype end = 0;
    if (end < text.size() && (text[end] == u'+' || text[end] == u'-'))
        ++end;
    const qsizetype digitsFrom = end;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    const qsizetype digits = end - digitsFrom;
    const bool fraction = end < text.size() && text[end] == u'.';
    ValField v;
    if (!fraction && digits > 0 && digits <= 15) {
        // Exact in a double: the whole number itself.
        v.whole = text.left(end).toLongLong();
        v.real = double(v.whole);
        return v;
    }
    if (fraction) {
        ++end;
        while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
            ++end;
    }
    v.real = text.left(end).toDouble();
    // A double beyond 64 bits has no whole value to convert to (the conversion is undefined).
    v.isWhole = std::abs(v.real) < 9.0e18 && static_cast<double>(static_cast<qint64>(v.real)) == v.real;
    v.whole = v.isWhole ? static_cast<qint64>(v.real) : 0;
    return v;
}

void ValField::bindTo(FastStatement& s, int i) const
{
    Q_ASSERT(isWhole); // the column holds whole numbers: any other refuses its file
    s.bindInt(i, whole);
}

void RegistryOperator::bindValues(FastStatement& s, int i) const
{
    for (QStringView v : head)
        s.bindText(i++, v);
    for (QStringView v : rest)
        s.bindText(i++, v);
    attEcono.bindTo(s, i);
}

void RegistryOperator::bindKey(FastStatement& s, int i) const
{
    Q_ASSERT(code.isNumber); // a key that is no number refuses its file
    s.bindText(i, group);
    code.bindTo(s, i + 1);
}

void RegistrySite::bindKey(FastStatement& s, int i) const
{
    Q_ASSERT(code.isNumber && site.isNumber); // a key that is no number refuses its file
    s.bindText(i, group);
    code.bindTo(s, i + 1);
    site.bindTo(s, i + 2);
}

void RegistrySite::bindIfGiven(FastStatement& s, int i) const
{
    for (QStringView v : given)
        s.bindText(i++, v);
    district.bindTo(s, i++);
    for (QStringView v : abroad)
        s.bindText(i++, v);
}

template <typename Row> bool RegistryFile<Row>::read(const QString& path)
{
    rows.clear();
    refusal.clear();
    if (!file.read(path)) {
        refusal = msg::refdata::text(msg::refdata::Text::FileUnreadable);
        return false;
    }
    const QList<FileLine> lines = file.rows();
    rows.reserve(lines.size());
    for (const FileLine& line : lines) {
        Row row;
        refusal = readLine(line, row);
        if (!refusal.isEmpty()) {
            rows.clear();
            return false;
        }
        rows.append(row);
    }
    return true;
}

template struct RegistryFile<RegistryOperator>;
template struct RegistryFile<RegistrySite>;

} // namespace vx::refdata
