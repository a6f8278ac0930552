#include "refdata/RegistryRows.h"

#include "refdata/Messages.h"
#include "store/FastStatement.h"

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
constexpr qint64 kMaxOperator = 2147483647;
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
    const QStringView t = field.trimmed();
    qsizetype digits = 0;
    qint64 value = 0;
    for (; digits < t.size() && t[digits] >= u'0' && t[digits] <= u'9'; ++digits) {
        value = value * 10 + (t[digits].unicode() - u'0');
        if (value > max)
            return false;
    }
    qsizetype end = digits;
    if (end < t.size() && t[end] == u'.')
        for (++end; end < t.size() && t[end] == u'0';)
            ++end;
    if (digits == 0 || end != t.size())
        return false;
    out = {t, value, true};
    return true;
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
    if (!isWholeRow(line.text))
        return msg::refdata::notARow(line.number);
    const FieldViews f = splitFieldViews(line.text);
    row = readOperator(f);
    if (!isGroup(f.value(0)))
        return msg::refdata::badGroup(line.number, f.value(0).trimmed().toString());
    if (!readKey(f.value(1), kMaxOperator, row.code))
        return msg::refdata::badOperatorCode(line.number, f.value(1).trimmed().toString());
    return QString();
}

QString readLine(const FileLine& line, RegistrySite& row)
{
    if (!isWholeRow(line.text))
        return msg::refdata::notARow(line.number);
    const FieldViews f = splitFieldViews(line.text);
    row = readSite(f);
    if (!isGroup(f.value(0)))
        return msg::refdata::badGroup(line.number, f.value(0).trimmed().toString());
    if (!readKey(f.value(1), kMaxOperator, row.code))
        return msg::refdata::badOperatorCode(line.number, f.value(1).trimmed().toString());
    if (!readKey(f.value(2), kMaxSite, row.site))
        return msg::refdata::badSiteNumber(line.number, f.value(2).trimmed().toString());
    return QString();
}

} // namespace

NumberField NumberField::of(QStringView field)
{
    NumberField f;
    f.text = field.trimmed();
    // Plain digits, the usual case, read here; anything else as Qt reads a number.
    if (!f.text.isEmpty() && f.text.size() <= 18) {
        qint64 n = 0;
        bool digits = true;
        for (QChar c : f.text) {
            if (c < u'0' || c > u'9') {
                digits = false;
                break;
            }
            n = n * 10 + (c.unicode() - u'0');
        }
        if (digits) {
            f.value = n;
            f.isNumber = true;
            return f;
        }
    }
    bool ok = false;
    f.value = f.text.toLongLong(&ok);
    f.isNumber = ok;
    return f;
}

void NumberField::bindTo(FastStatement& s, int i) const
{
    if (isNumber)
        s.bindInt(i, value);
    else
        s.bindText(i, text);
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
    v.whole = static_cast<qint64>(v.real);
    v.isWhole = static_cast<double>(v.whole) == v.real;
    return v;
}

void ValField::bindTo(FastStatement& s, int i) const
{
    if (isWhole)
        s.bindInt(i, whole);
    else
        s.bindDouble(i, real);
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
        refusal = msg::refdata::fileUnreadable();
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
