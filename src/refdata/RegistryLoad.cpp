#include "refdata/RegistryLoad.h"

#include "refdata/Messages.h"
#include "refdata/RegistryUpdate.h"
#include "store/Database.h"
#include "store/FastStatement.h"

#include <QLocale>
#include <QSet>
#include <QSqlQuery>

#include <cmath>
#include <utility>

namespace vx::refdata {

namespace {

constexpr int kProgressEvery = 200;

// The number columns among those below: their empty value is bound as null, never as ''.
const QStringList kNumberColumns = {QStringLiteral("AttEcono"), QStringLiteral("Cod_Quartiere")};

// The file's value `given` for column `c`, or `stored` when the file has none: an empty text, or
// for a number column no value (bound as null, never as '').
QString givenOr(const QString& c, const QString& given, const QString& stored)
{
    return QStringLiteral("COALESCE(") +
           (kNumberColumns.contains(c) ? given : QStringLiteral("NULLIF(") + given + QStringLiteral(",'')")) +
           QLatin1Char(',') + stored + QLatin1Char(')');
}

// "col=COALESCE(NULLIF(?,''),col)" for each column: the file's value, or what is stored.
QString keepWhenEmpty(const QStringList& columns)
{
    QStringList sets;
    for (const QString& c : columns)
        sets.append(c + QLatin1Char('=') + givenOr(c, QStringLiteral("?"), c));
    return sets.join(QLatin1Char(','));
}

// A registry row, written in one statement: a new key adds the row; a stored one is updated, the
// `always` columns taking the file's value and the `ifGiven` ones keeping what is stored when the
// file's is empty (for a number column, when the file gives none). The key is looked up once.
// Values are bound in the order of the columns: the key, `always`, `ifGiven`; `fixed` columns
// get their literal value in a new row and are left alone in a stored one. The key columns are
// not in the update's SET: the row found holds the file's key already, and writing them would
// make the engine rewrite every index over them for each row.
QString upsert(const QString& table, const QStringList& key, const QStringList& always, const QStringList& ifGiven,
               const QList<std::pair<QString, QString>>& fixed = {})
{
    QStringList columns = key + always + ifGiven;
    QStringList values(columns.size(), QStringLiteral("?"));
    for (const auto& [column, literal] : fixed) {
        columns.append(column);
        values.append(literal);
    }
    QStringList sets;
    for (const QString& c : always)
        sets.append(c + QStringLiteral("=excluded.") + c);
    for (const QString& c : ifGiven)
        sets.append(c + QLatin1Char('=') + givenOr(c, QStringLiteral("excluded.") + c, table + QLatin1Char('.') + c));
    return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(QLatin1Char(',')) +
           QStringLiteral(") VALUES (") + values.join(QLatin1Char(',')) + QStringLiteral(") ON CONFLICT (") +
           key.join(QLatin1Char(',')) + QStringLiteral(") DO UPDATE SET ") + sets.join(QLatin1Char(','));
}

const QStringList kOperatorRest = {QStringLiteral("LegNome"),     QStringLiteral("LegComNasc"),
                                   QStringLiteral("LegProvNasc"), QStringLiteral("LegGGNasc"),
                                   QStringLiteral("LegMMNasc"),   QStringLiteral("LegAAAANasc"),
                                   QStringLiteral("ProvCCIAA"),   QStringLiteral("CodCCIAA"),
                                   QStringLiteral("AnnoCCIAA"),   QStringLiteral("AttEcono")};
const QStringList kSiteIfGiven = {QStringLiteral("Cap"),         QStringLiteral("Tel"),
                                  QStringLiteral("Fax"),         QStringLiteral("Cod_Quartiere"),
                                  QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero")};

// One key value as a text that is the same for every value the engine would find equal: a
// number, or a text that reads as one, in one canonical spelling; any other text as it is.
QString keyPart(const QString& text)
{
    bool ok = false;
    const QStringView trimmed = QStringView(text).trimmed();
    const qlonglong whole = trimmed.toLongLong(&ok);
    if (ok)
        return QString::number(whole);
    const double real = trimmed.toDouble(&ok);
    if (!ok)
        return text;
    if (std::abs(real) < 9.0e18 && real == double(qlonglong(real)))
        return QString::number(qlonglong(real));
    return QString::number(real, 'g', QLocale::FloatingPointShortest);
}
void appendKeyPart(QString& key, const NumberField& f)
{
    if (!f.isNumber) {
        key.append(keyPart(f.text.toString()));
        return;
    }
    // QString::number's spelling, written in place: this runs for every line of each pass.
    char16_t digits[24];
    int at = 24;
    quint64 n = f.value < 0 ? 0 - quint64(f.value) : quint64(f.value);
    do {
        digits[--at] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (f.value < 0)
        digits[--at] = u'-';
    key.append(QStringView(digits + at, 24 - at));
}

constexpr QChar kKeySeparator(0x1f);

// A registry key (the operator group, a text compared as it is, then numbers) as one text, to
// tell which lines match stored rows without asking the database line by line: two keys give
// the same text exactly when the engine finds them equal. Null never matches, as in SQL.
QString keyText(const QVariantList& values)
{
    QString key;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& v = values.at(i);
        if (v.isNull())
            return QString();
        key += (i == 0 ? v.toString() : keyPart(v.toString())) + kKeySeparator;
    }
    return key;
}
// The same text for a line of the file, written into `key` (kept between lines, so that a
// look-up costs no allocation).
const QString& keyText(const RegistryOperator& op, QString& key)
{
    key.clear();
    key.append(op.group).append(kKeySeparator);
    appendKeyPart(key, op.code);
    key.append(kKeySeparator);
    return key;
}
const QString& keyText(const RegistrySite& s, QString& key)
{
    key.clear();
    key.append(s.group).append(kKeySeparator);
    appendKeyPart(key, s.code);
    key.append(kKeySeparator);
    appendKeyPart(key, s.site);
    key.append(kKeySeparator);
    return key;
}

// The keys of the rows `sql` selects (`columns` of them).
bool readKeys(Database& db, const QString& sql, int columns, QSet<QString>& keys)
{
    FastStatement q(db);
    if (!q.prepare(sql) || !q.run())
        return false;
    QVariantList key;
    while (q.next()) {
        key.clear();
        for (int c = 0; c < columns; ++c)
            key.append(q.value(c));
        keys.insert(keyText(key));
    }
    return !q.failed();
}

} // namespace

const QStringList kOperatorKey = {QStringLiteral("GrupOpe"), QStringLiteral("Operatore")};
const QStringList kOperatorHead = {QStringLiteral("Denominazione"), QStringLiteral("TipoOper"),
                                   QStringLiteral("CodFisc")};

// Each row of the file is written by its key (see upsert): no row is looked up by a statement of
// its own.
bool RegistryLoad::loadOperators(const QList<RegistryOperator>& operators)
{
    Database& db = m_db;
    FastStatement write(db), promoter(db);
    if (!write.prepare(upsert(QStringLiteral("CorsiOper"), kOperatorKey, kOperatorHead, kOperatorRest)) ||
        !promoter.prepare(upsert(QStringLiteral("PromotoriSostenitori_Oper"), kOperatorKey, kOperatorHead, {})))
        return false;
    const int total = int(operators.size());
    tell(kOperFile, 0, total);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        op.bindKey(write, 0);
        op.bindValues(write, 2);
        if (!write.run())
            return false;
        op.bindKey(promoter, 0);
        int i = 2;
        for (QStringView v : op.head)
            promoter.bindText(i++, v);
        if (!promoter.run())
            return false;
        if (++rows % kProgressEvery == 0)
            tell(kOperFile, rows, total);
    }
    tell(kOperFile, rows, total);
    return true;
}

bool RegistryLoad::loadSites(const QList<RegistrySite>& sites)
{
    Database& db = m_db;
    FastStatement write(db);
    if (!write.prepare(upsert(
            QStringLiteral("CorsiCompo"),
            {QStringLiteral("GrupOpe"), QStringLiteral("Operatore"), QStringLiteral("Componente")},
            {QStringLiteral("TipoCompo"), QStringLiteral("Denominazione"), QStringLiteral("CodComune"),
             QStringLiteral("Indirizzo"), QStringLiteral("ID_ATECO_2007")},
            kSiteIfGiven,
            {{QStringLiteral("Email"), QStringLiteral("''")}, {QStringLiteral("Riferimento"), QStringLiteral("''")}})))
        return false;
    const int total = int(sites.size());
    tell(kCompoFile, 0, total);
    int rows = 0;
    for (const RegistrySite& s : sites) {
        // The key, then TipoCompo, Denominazione, CodComune, Indirizzo, ID_ATECO_2007, then those
        // kept when empty.
        s.bindKey(write, 0);
        int i = 3;
        for (QStringView v : s.always)
            write.bindText(i++, v);
        s.ateco.bindTo(write, i++);
        s.bindIfGiven(write, i);
        if (!write.run())
            return false;
        if (++rows % kProgressEvery == 0)
            tell(kCompoFile, rows, total);
    }
    tell(kCompoFile, rows, total);
    return true;
}

bool RegistryLoad::setCorrespondence(const QList<RegistryOperator>& operators)
{
    Database& db = m_db;
    // Only operators still without a correspondence site can change: read them once, rather than
    // running the update for every operator of the file.
    QSet<QString> without;
    if (!readKeys(db,
                  QStringLiteral("SELECT GrupOpe, Operatore FROM CorsiOper WHERE Corrispondenza IS NULL OR "
                                 "Corrispondenza=0"),
                  2, without))
        return false;

    const int total = int(operators.size());
    tell(kOperFile, 0, total);
    const QString update = QStringLiteral("UPDATE CorsiOper SET Corrispondenza=(SELECT MIN(c.Componente) FROM "
                                          "CorsiCompo c WHERE c.GrupOpe=CorsiOper.GrupOpe AND "
                                          "c.Operatore=CorsiOper.Operatore AND c.TipoCompo=?) WHERE "
                                          "(Corrispondenza IS NULL OR Corrispondenza=0)");
    // When every operator without one is in the file (the usual delivery: the whole registry),
    // one statement sets them all; otherwise only the file's operators may change, one by one.
    QString key;
    QSet<QString> inFile;
    inFile.reserve(operators.size());
    for (const RegistryOperator& op : operators)
        inFile.insert(keyText(op, key));
    if (inFile.contains(without)) {
        QSqlQuery all = db.query();
        if (!db.exec(all, update, {m_legalSeatType}))
            return false;
        tell(kOperFile, total, total);
        return true;
    }
    FastStatement set(db);
    if (!set.prepare(update + QStringLiteral(" AND GrupOpe=? AND Operatore=?")))
        return false;
    set.bindText(0, m_legalSeatType);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (without.contains(keyText(op, key))) {
            op.bindKey(set, 1);
            if (!set.run())
                return false;
        }
        if (++rows % kProgressEvery == 0)
            tell(kOperFile, rows, total);
    }
    tell(kOperFile, rows, total);
    return true;
}

bool RegistryLoad::updateRequests(const QList<RegistryOperator>& operators, const QList<RegistrySite>& sites)
{
    Database& db = m_db;
    // A registry of thousands of operators meets a few hundred Requests: which operators and
    // sites have any is read once, and only their lines are looked at one by one.
    QSet<QString> requestOperators, requestSites;
    {
        FastStatement read(db);
        if (!read.prepare(QStringLiteral("SELECT GrupOpe, Operatore, Componente FROM Domande")) || !read.run())
            return false;
        while (read.next()) {
            const QString op = keyText({read.value(0), read.value(1)});
            if (op.isEmpty())
                continue;
            requestOperators.insert(op);
            const QString site = keyText({read.value(0), read.value(1), read.value(2)});
            if (!site.isEmpty())
                requestSites.insert(site);
        }
        if (read.failed())
            return false;
    }

    FastStatement printed(db), change(db), printedSite(db), changeSite(db);
    if (!printed.prepare(QStringLiteral("SELECT NumDoma FROM Domande WHERE GrupOpe=? AND Operatore=? AND "
                                        "DomandaStampata<>0 ORDER BY NumDoma")) ||
        !change.prepare(QStringLiteral("UPDATE Domande SET DenominazioneOp=?,TipoOper=?,CodFisc=?,") +
                        keepWhenEmpty(kOperatorRest) +
                        QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND DomandaStampata=0")) ||
        !printedSite.prepare(QStringLiteral("SELECT NumDoma FROM Domande WHERE GrupOpe=? AND Operatore=? AND "
                                            "Componente=? AND DomandaStampata<>0 ORDER BY NumDoma")) ||
        !changeSite.prepare(
            QStringLiteral("UPDATE Domande SET TipoCompo=?,DenominazioneSL=?,") +
            keepWhenEmpty({QStringLiteral("CodComune"), QStringLiteral("Cap"), QStringLiteral("Indirizzo"),
                           QStringLiteral("Tel"), QStringLiteral("Fax"), QStringLiteral("Cod_Quartiere"),
                           QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero")}) +
            QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND Componente=? AND "
                           "DomandaStampata=0")))
        return false;
    QString key;
    int total = int(operators.size());
    tell(kOperFile, 0, total);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (++rows % kProgressEvery == 0)
            tell(kOperFile, rows, total);
        if (!requestOperators.contains(keyText(op, key)))
            continue;
        op.bindKey(printed, 0);
        if (!printed.run())
            return false;
        while (printed.next())
            m_log.append(
                msg::refdata::printedRequestLeft(printed.value(0).toString(), op.group.toString(), op.code.toString()));
        if (printed.failed())
            return false;
        op.bindValues(change, 0);
        op.bindKey(change, 13);
        if (!change.run())
            return false;
    }
    tell(kOperFile, rows, total);
    total = int(sites.size());
    tell(kCompoFile, 0, total);
    rows = 0;
    for (const RegistrySite& s : sites) {
        if (++rows % kProgressEvery == 0)
            tell(kCompoFile, rows, total);
        if (!requestSites.contains(keyText(s, key)))
            continue;
        s.bindKey(printedSite, 0);
        if (!printedSite.run())
            return false;
        while (printedSite.next())
            m_log.append(
                msg::refdata::printedSeatLeft(printedSite.value(0).toString(), s.group.toString(), s.code.toString()));
        if (printedSite.failed())
            return false;
        // TipoCompo, DenominazioneSL, then CodComune, Cap, Indirizzo, Tel, Fax, Cod_Quartiere,
        // StatoEstero, CittaEstero, each kept when the file has none.
        changeSite.bindText(0, s.always[0]);
        changeSite.bindText(1, s.always[1]);
        changeSite.bindText(2, s.always[2]);
        changeSite.bindText(3, s.given[0]);
        changeSite.bindText(4, s.always[3]);
        changeSite.bindText(5, s.given[1]);
        changeSite.bindText(6, s.given[2]);
        s.district.bindTo(changeSite, 7);
        changeSite.bindText(8, s.abroad[0]);
        changeSite.bindText(9, s.abroad[1]);
        s.bindKey(changeSite, 10);
        if (!changeSite.run())
            return false;
    }
    tell(kCompoFile, rows, total);
    return true;
}

void RegistryLoad::tell(const QString& file, int rows, int total)
{
    if (progress)
        progress(file, rows, total);
}

bool RegistryLoad::operatorWithoutLegalSeat(QString& group, QString& code)
{
    QSqlQuery q = m_db.query();
    if (!m_db.exec(
            q,
            QStringLiteral("SELECT GrupOpe, Operatore FROM CorsiOper o WHERE NOT EXISTS (SELECT 1 FROM CorsiCompo "
                           "c WHERE c.GrupOpe=o.GrupOpe AND c.Operatore=o.Operatore AND c.TipoCompo=?) ORDER BY "
                           "GrupOpe, Operatore"),
            {m_legalSeatType}))
        return false;
    if (q.next()) {
        group = q.value(0).toString();
        code = q.value(1).toString();
    }
    return true;
}

} // namespace vx::refdata
