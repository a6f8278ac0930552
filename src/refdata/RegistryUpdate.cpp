#include "refdata/RegistryUpdate.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "refdata/DecodeTables.h"
#include "store/Database.h"
#include "store/FastStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>

#include <array>
#include <cmath>

namespace vx::refdata {

namespace {

const QString kTitle = QStringLiteral("Aggiornamento Base Dati");
const QString kIncomplete =
    QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari.");
constexpr int kProgressEvery = 200;

// The first `n` characters, trimmed (a view into the line; bound as '' when empty).
QStringView left(const FieldViews& fields, int i, int n)
{
    return fields.value(i).left(n).trimmed();
}

// The telephone or fax as a view into the line.
QStringView phoneView(QStringView field)
{
    const qsizetype slash = field.lastIndexOf(QLatin1Char('/'));
    return field.mid(slash + 1).trimmed().left(10);
}

// "col=COALESCE(NULLIF(?,''),col)": the file's value, or what is stored when the file has none.
QString keepWhenEmpty(const QStringList& columns)
{
    QStringList sets;
    for (const QString& c : columns)
        sets.append(c + QStringLiteral("=COALESCE(NULLIF(?,''),") + c + QLatin1Char(')'));
    return sets.join(QLatin1Char(','));
}

const QStringList kOperatorRest = {QStringLiteral("LegNome"),     QStringLiteral("LegComNasc"),
                                   QStringLiteral("LegProvNasc"), QStringLiteral("LegGGNasc"),
                                   QStringLiteral("LegMMNasc"),   QStringLiteral("LegAAAANasc"),
                                   QStringLiteral("ProvCCIAA"),   QStringLiteral("CodCCIAA"),
                                   QStringLiteral("AnnoCCIAA"),   QStringLiteral("AttEcono")};
const QStringList kSiteIfGiven = {QStringLiteral("Cap"),         QStringLiteral("Tel"),
                                  QStringLiteral("Fax"),         QStringLiteral("Cod_Quartiere"),
                                  QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero")};

// A field stored as a number: its whole value when the trimmed text reads as one, else that text.
struct NumberField {
    QStringView text;
    qint64 value = 0;
    bool isNumber = false;

    static NumberField of(QStringView field)
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
    QString toString() const { return isNumber ? QString::number(value) : text.toString(); }
    void bindTo(FastStatement& s, int i) const
    {
        if (isNumber)
            s.bindInt(i, value);
        else
            s.bindText(i, text);
    }
};

// The numeric value of a text as the original's Val reads it: its leading number, 0 when none;
// whole when it has no fraction.
struct ValField {
    double real = 0;
    qint64 whole = 0;
    bool isWhole = true;

    static ValField of(QStringView field)
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
    void bindTo(FastStatement& s, int i) const
    {
        if (isWhole)
            s.bindInt(i, whole);
        else
            s.bindDouble(i, real);
    }
};

// A file of the registry decoded once; the rows read from it are views into its text.
struct RegistryText {
    QString text;
    QList<QStringView> lines; // those with something besides blanks

    bool read(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        text = windows1252::decode(file.readAll());
        const QStringView all(text);
        qsizetype from = 0;
        while (from < all.size()) {
            qsizetype end = all.indexOf(QLatin1Char('\n'), from);
            if (end < 0)
                end = all.size();
            const QStringView line = all.mid(from, end - from);
            if (!line.trimmed().isEmpty())
                lines.append(line);
            from = end + 1;
        }
        return true;
    }
};

} // namespace

// One line of `oper.tx1`, cut as CorsiOper stores it; views into the file's text.
struct RegistryOperator {
    QStringView group;
    NumberField code;
    std::array<QStringView, 3> head; // Denominazione, TipoOper, CodFisc
    std::array<QStringView, 9> rest; // LegNome ... AnnoCCIAA, "" where the file has nothing
    NumberField attEcono;

    // Binds Denominazione ... AttEcono (13 values) from position `i`.
    void bindValues(FastStatement& s, int i) const
    {
        for (QStringView v : head)
            s.bindText(i++, v);
        for (QStringView v : rest)
            s.bindText(i++, v);
        attEcono.bindTo(s, i);
    }
    void bindKey(FastStatement& s, int i) const
    {
        s.bindText(i, group);
        code.bindTo(s, i + 1);
    }
};

struct RegistrySite {
    QStringView group;
    NumberField code;
    NumberField site;
    std::array<QStringView, 4> always; // TipoCompo, Denominazione, CodComune, Indirizzo
    std::array<QStringView, 3> given;  // Cap, Tel, Fax
    NumberField district;              // Cod_Quartiere
    std::array<QStringView, 2> abroad; // StatoEstero, CittaEstero
    ValField ateco;

    void bindKey(FastStatement& s, int i) const
    {
        s.bindText(i, group);
        code.bindTo(s, i + 1);
        site.bindTo(s, i + 2);
    }
    // Cap, Tel, Fax, Cod_Quartiere, StatoEstero, CittaEstero from position `i`.
    void bindIfGiven(FastStatement& s, int i) const
    {
        for (QStringView v : given)
            s.bindText(i++, v);
        district.bindTo(s, i++);
        for (QStringView v : abroad)
            s.bindText(i++, v);
    }
};

namespace {

RegistryOperator readOperator(QStringView line)
{
    const FieldViews f = splitFieldViews(line);
    RegistryOperator op;
    op.group = f.value(0).left(1);
    op.code = NumberField::of(f.value(1));
    const QStringView birth = f.value(8).trimmed();
    const auto part = [&](qsizetype from, qsizetype n) { return birth.mid(from, n).trimmed(); };
    op.head = {left(f, 2, 100), left(f, 3, 2), left(f, 4, 16)};
    op.rest = {left(f, 5, 35), left(f, 6, 30), left(f, 7, 2),  part(0, 2),    part(2, 2),
               part(4, 4),     left(f, 9, 2),  left(f, 10, 7), left(f, 11, 4)};
    op.attEcono = NumberField::of(f.value(12));
    return op;
}

RegistrySite readSite(QStringView line)
{
    const FieldViews f = splitFieldViews(line);
    RegistrySite s;
    s.group = f.value(0).left(1);
    s.code = NumberField::of(f.value(1));
    s.site = NumberField::of(f.value(2));
    s.always = {left(f, 3, 2), left(f, 4, 100), left(f, 5, 6), left(f, 7, 50)};
    s.given = {left(f, 6, 5), phoneView(f.value(9)), phoneView(f.value(11))};
    s.district = NumberField::of(f.value(12));
    s.abroad = {left(f, 13, 30), left(f, 14, 30)};
    s.ateco = ValField::of(f.value(15));
    return s;
}

template <typename Row> QList<Row> readAll(const RegistryText& file, Row (*read)(QStringView))
{
    QList<Row> rows;
    rows.reserve(file.lines.size());
    for (QStringView line : file.lines)
        rows.append(read(line));
    return rows;
}

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

// Writes one row: updated by its key, added when the update touched no row. A key the table
// does not hold costs the engine one index look-up, less than telling stored keys apart
// beforehand in the program. Each statement's values are bound only when it runs.
template <typename BindChange, typename BindInsert>
bool upsert(FastStatement& change, BindChange bindChange, FastStatement& insert, BindInsert bindInsert)
{
    bindChange();
    if (!change.run())
        return false;
    if (change.changes() > 0)
        return true;
    bindInsert();
    return insert.run();
}

} // namespace

QString phoneNumber(QStringView field)
{
    return phoneView(field).toString();
}

QString RegistryUpdate::logPath() const
{
    return QDir(m_ctx.state.programFolder).filePath(kLogFile);
}

bool RegistryUpdate::mayUpdate()
{
    const QString version = Settings::read(IniFile(m_ctx.state.programFolder)).version;
    if (version.contains(Settings::kClient)) {
        m_ctx.prompter.tell(
            QStringLiteral("La funzione di Aggiornamento Base Dati è disponibile solo dalle installazioni "
                           "di tipo SERVER."),
            QStringLiteral("Funzione non disponibile"), Icon::Critical);
        return false;
    }
    if (!version.contains(Settings::kServer)) {
        m_ctx.prompter.tell(QStringLiteral("ATTENZIONE: impossibile rilevare tipo di installazione in uso "
                                           "(SERVER/CLIENT). \r\n\r\nContattare il servizio di assistenza K.V.R. "
                                           "riportando questo messaggio."),
                            QStringLiteral("Anomalia"), Icon::Critical);
        return false;
    }
    return true;
}

RegistryUpdate::Outcome RegistryUpdate::aggiornaBaseDati()
{
    if (!mayUpdate())
        return Outcome::Refused;
    const QDir folder(m_ctx.state.programFolder);
    if (!m_ctx.db.isOpen()) {
        for (const QString& name : folder.entryList({QStringLiteral("*.tx1")}, QDir::Files))
            QFile::remove(folder.filePath(name));
        return Outcome::Failed;
    }
    QFile::remove(logPath());
    Busy busy(m_ctx.control);

    DecodeTables tables(m_ctx);
    tables.progressWithTotal = tablesProgressWithTotal;
    switch (tables.aggiornaTabelleDecodifica()) {
    case DecodeTables::Outcome::EndProgram:
        return Outcome::EndProgram;
    case DecodeTables::Outcome::Failed:
        // Told already; the registry is not loaded over decode tables left half updated, and its
        // files leave the folder as those of a failed update.
        if (QFileInfo::exists(folder.filePath(kOperFile)))
            archiveRegistryFiles(m_ctx.state.programFolder, false);
        return Outcome::Failed;
    case DecodeTables::Outcome::Nothing:
    case DecodeTables::Outcome::Loaded:
        break;
    }

    if (!QFileInfo::exists(folder.filePath(kOperFile)))
        return Outcome::Done;
    const bool ok = caricaRegistro();
    archiveRegistryFiles(m_ctx.state.programFolder, ok);
    return ok ? Outcome::Done : Outcome::Failed;
}

void archiveRegistryFiles(const QString& programFolder, bool success)
{
    const QDir dir(programFolder);
    for (const QString& name : {kOperFile, kCompoFile, kSediOccFile, kSediUtilFile}) {
        if (QFileInfo::exists(dir.filePath(name)))
            moveInto(programFolder, success ? kDoneFolder : kBadFolder, dir.filePath(name),
                     QFileInfo(name).completeBaseName() + QStringLiteral(".car"));
    }
}

bool RegistryUpdate::caricaRegistro()
{
    const QDir folder(m_ctx.state.programFolder);
    const QString operPath = folder.filePath(kOperFile);
    const QString compoPath = folder.filePath(kCompoFile);
    if (!QFileInfo::exists(operPath) || !QFileInfo::exists(compoPath)) {
        m_ctx.prompter.tell(kIncomplete, kTitle, Icon::Critical);
        return false;
    }
    if (QFileInfo::exists(folder.filePath(kSediOccFile)) != QFileInfo::exists(folder.filePath(kSediUtilFile))) {
        m_ctx.prompter.tell(kIncomplete, QStringLiteral("Installazione Base Dati"), Icon::Critical);
        return false;
    }

    const QString backup = m_ctx.db.path() + kBackupSuffix;
    QFile::remove(backup);
    const bool copied =
        m_ctx.db.mode() == Database::Mode::StandAlone ? m_ctx.db.copyTo(backup) : copyDatabase(m_ctx.db.path(), backup);
    if (!copied) {
        m_ctx.prompter.tell(QStringLiteral("Copia di sicurezza della base dati non riuscita. Impossibile continuare "
                                           "l'operazione di aggiornamento."),
                            kTitle, Icon::Critical);
        return false;
    }

    m_log.clear();
    RegistryText operText, compoText;
    operText.read(operPath);
    compoText.read(compoPath);
    const QList<QStringView>& operLines = operText.lines;
    const QList<QStringView>& compoLines = compoText.lines;
    bool ok = false;
    bool rolledBack = true;
    // The files are looked at before the transaction starts, so that no question keeps the
    // database locked; what the user sees is the same as a load that stops at the empty file.
    if (operLines.isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("ATTENZIONE: il file Oper.TX1 contenente le anagrafiche degli Operatori da "
                                           "aggiornare risulta vuoto. Impossibile continuare l'operazione di "
                                           "aggiornamento."),
                            kTitle, Icon::Critical);
    } else if (compoLines.isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("ATTENZIONE: il file Compo.TX1 contenente le anagrafiche dei Componenti da "
                                           "aggiornare risulta vuoto. Impossibile continuare l'operazione di "
                                           "aggiornamento."),
                            kTitle, Icon::Critical);
    } else {
        const QList<RegistryOperator> operators = readAll(operText, readOperator);
        const QList<RegistrySite> sites = readAll(compoText, readSite);
        ok = m_ctx.db.inWriteTransaction([&] { return loadAll(operators, sites); });
        // A failed step rolls the whole load back; a connection lost meanwhile, or a rollback that
        // left the transaction open, leaves the database in a state no one can vouch for (and the
        // safety copy is kept).
        rolledBack = m_ctx.db.isOpen() && !m_ctx.db.inTransaction();
    }

    if (ok) {
        QFile::remove(backup);
        if (!m_log.isEmpty()) {
            // The log is the user's to read in a text editor of this system, which reads UTF-8.
            QFile logFile(logPath());
            if (logFile.open(QIODevice::WriteOnly | QIODevice::Append))
                logFile.write((m_log.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
            logFile.close();
            const Answer answer = m_ctx.prompter.ask(
                {QStringLiteral("E' stato creato un file di log con nome: ") + QDir::toNativeSeparators(logPath()) +
                     QStringLiteral(", contenente alcune note all'aggiornamento. E' possibile leggerlo con un "
                                    "editor di testo.\r\n\r\nVisualizzare subito il file di log?"),
                 kTitle, Icon::Question, Buttons::YesNo});
            if (answer == Answer::Yes)
                m_ctx.desktop.showTextFile(logPath());
        } else {
            QFile::remove(logPath());
        }
        return true;
    }

    // The transaction rolled back: the database is as it was before the update.
    if (rolledBack) {
        QFile::remove(backup);
        m_ctx.prompter.tell(QStringLiteral("Ripristino della base dati riuscito"), kTitle, Icon::Information);
    } else {
        m_ctx.prompter.tell(QStringLiteral("Ripristino della base dati non riuscito."), kTitle, Icon::Critical);
    }
    m_log.clear();
    QFile::remove(logPath());
    return false;
}

bool RegistryUpdate::installRegistry()
{
    const QDir folder(m_ctx.state.programFolder);
    RegistryText operText, compoText;
    operText.read(folder.filePath(kOperFile));
    compoText.read(folder.filePath(kCompoFile));
    const QList<RegistryOperator> operators = readAll(operText, readOperator);
    const QList<RegistrySite> sites = readAll(compoText, readSite);
    QString group, code;
    const bool ok = m_ctx.db.inWriteTransaction([&] {
        if (!loadOperators(operators) || !loadSites(sites) || !setCorrespondence(operators))
            return false;
        QSqlQuery q = m_ctx.db.query();
        if (!m_ctx.db.exec(q,
                           QStringLiteral("SELECT GrupOpe, Operatore FROM CorsiOper o WHERE NOT EXISTS (SELECT 1 FROM "
                                          "CorsiCompo c WHERE c.GrupOpe=o.GrupOpe AND c.Operatore=o.Operatore AND "
                                          "c.TipoCompo=?) ORDER BY GrupOpe, Operatore"),
                           {m_ctx.state.legalSeatType}))
            return false;
        if (q.next()) {
            group = q.value(0).toString();
            code = q.value(1).toString();
            return false; // rolled back: the operator table stays empty
        }
        return true;
    });
    if (!group.isEmpty() || !code.isEmpty())
        m_ctx.prompter.tell(QStringLiteral("Manca la sede legale dell'Operatore ") + group + QStringLiteral(" - ") +
                                code + QStringLiteral(". Impossibile utilizzare il programma."),
                            QStringLiteral("Installazione Base Dati"), Icon::Critical);
    return ok;
}

void RegistryUpdate::tellProgress(const QString& file, int rows, int total)
{
    if (progress)
        progress(file, rows);
    if (progressWithTotal)
        progressWithTotal(file, rows, total);
}

bool RegistryUpdate::loadAll(const QList<RegistryOperator>& operators, const QList<RegistrySite>& sites)
{
    return loadOperators(operators) && loadSites(sites) && setCorrespondence(operators) &&
           updateRequests(operators, sites);
}

// A stored row is updated by its key, a new one added (see upsert): no row is looked up by a
// statement of its own. The key columns are not in the updates' SET: the row found holds the
// file's key already, and writing them would make the engine rewrite every index over them for
// each row.
bool RegistryUpdate::loadOperators(const QList<RegistryOperator>& operators)
{
    Database& db = m_ctx.db;
    FastStatement change(db), insert(db), promoterChange(db), promoterInsert(db);
    if (!change.prepare(QStringLiteral("UPDATE CorsiOper SET Denominazione=?,TipoOper=?,CodFisc=?,") +
                        keepWhenEmpty(kOperatorRest) + QStringLiteral(" WHERE GrupOpe=? AND Operatore=?")) ||
        !insert.prepare(QStringLiteral("INSERT INTO CorsiOper (GrupOpe,Operatore,Denominazione,TipoOper,CodFisc,") +
                        kOperatorRest.join(QLatin1Char(',')) +
                        QStringLiteral(") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")) ||
        !promoterChange.prepare(QStringLiteral("UPDATE PromotoriSostenitori_Oper SET Denominazione=?,TipoOper=?,"
                                               "CodFisc=? WHERE GrupOpe=? AND Operatore=?")) ||
        !promoterInsert.prepare(QStringLiteral("INSERT INTO PromotoriSostenitori_Oper (GrupOpe,Operatore,"
                                               "Denominazione,TipoOper,CodFisc) VALUES (?,?,?,?,?)")))
        return false;
    const int total = int(operators.size());
    tellProgress(kOperFile, 0, total);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        const auto bindHead = [&op](FastStatement& s, int i) {
            for (QStringView v : op.head)
                s.bindText(i++, v);
        };
        if (!upsert(
                change,
                [&] {
                    op.bindValues(change, 0);
                    op.bindKey(change, 13);
                },
                insert,
                [&] {
                    op.bindKey(insert, 0);
                    op.bindValues(insert, 2);
                }) ||
            !upsert(
                promoterChange,
                [&] {
                    bindHead(promoterChange, 0);
                    op.bindKey(promoterChange, 3);
                },
                promoterInsert,
                [&] {
                    op.bindKey(promoterInsert, 0);
                    bindHead(promoterInsert, 2);
                }))
            return false;
        if (++rows % kProgressEvery == 0)
            tellProgress(kOperFile, rows, total);
    }
    tellProgress(kOperFile, rows, total);
    return true;
}

bool RegistryUpdate::loadSites(const QList<RegistrySite>& sites)
{
    Database& db = m_ctx.db;
    FastStatement change(db), insert(db);
    if (!change.prepare(QStringLiteral("UPDATE CorsiCompo SET TipoCompo=?,Denominazione=?,CodComune=?,"
                                       "Indirizzo=?,ID_ATECO_2007=?,") +
                        keepWhenEmpty(kSiteIfGiven) +
                        QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND Componente=?")) ||
        !insert.prepare(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe,Operatore,Componente,TipoCompo,"
                                       "Denominazione,CodComune,Indirizzo,ID_ATECO_2007,") +
                        kSiteIfGiven.join(QLatin1Char(',')) +
                        QStringLiteral(",Email,Riferimento) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,'','')")))
        return false;
    const int total = int(sites.size());
    tellProgress(kCompoFile, 0, total);
    int rows = 0;
    for (const RegistrySite& s : sites) {
        // TipoCompo, Denominazione, CodComune, Indirizzo, ID_ATECO_2007, then those kept when empty.
        const auto bindValues = [&s](FastStatement& st, int i) {
            for (QStringView v : s.always)
                st.bindText(i++, v);
            s.ateco.bindTo(st, i++);
            s.bindIfGiven(st, i);
        };
        if (!upsert(
                change,
                [&] {
                    bindValues(change, 0);
                    s.bindKey(change, 11);
                },
                insert,
                [&] {
                    s.bindKey(insert, 0);
                    bindValues(insert, 3);
                }))
            return false;
        if (++rows % kProgressEvery == 0)
            tellProgress(kCompoFile, rows, total);
    }
    tellProgress(kCompoFile, rows, total);
    return true;
}

bool RegistryUpdate::setCorrespondence(const QList<RegistryOperator>& operators)
{
    Database& db = m_ctx.db;
    // Only operators still without a correspondence site can change: read them once, rather than
    // running the update for every operator of the file.
    QSet<QString> without;
    if (!readKeys(db,
                  QStringLiteral("SELECT GrupOpe, Operatore FROM CorsiOper WHERE Corrispondenza IS NULL OR "
                                 "Corrispondenza=0"),
                  2, without))
        return false;

    const int total = int(operators.size());
    tellProgress(kOperFile, 0, total);
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
        if (!db.exec(all, update, {m_ctx.state.legalSeatType}))
            return false;
        tellProgress(kOperFile, total, total);
        return true;
    }
    FastStatement set(db);
    if (!set.prepare(update + QStringLiteral(" AND GrupOpe=? AND Operatore=?")))
        return false;
    set.bindText(0, m_ctx.state.legalSeatType);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (without.contains(keyText(op, key))) {
            op.bindKey(set, 1);
            if (!set.run())
                return false;
        }
        if (++rows % kProgressEvery == 0)
            tellProgress(kOperFile, rows, total);
    }
    tellProgress(kOperFile, rows, total);
    return true;
}

bool RegistryUpdate::updateRequests(const QList<RegistryOperator>& operators, const QList<RegistrySite>& sites)
{
    Database& db = m_ctx.db;
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
    tellProgress(kOperFile, 0, total);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (++rows % kProgressEvery == 0)
            tellProgress(kOperFile, rows, total);
        if (!requestOperators.contains(keyText(op, key)))
            continue;
        op.bindKey(printed, 0);
        if (!printed.run())
            return false;
        while (printed.next())
            log(QStringLiteral("- Proposta N. ") + printed.value(0).toString() + QStringLiteral(" dell'Operatore ") +
                op.group.toString() + QLatin1Char('-') + op.code.toString() +
                QStringLiteral(" non aggiornata perchè bloccata (stampata in definitivo)"));
        if (printed.failed())
            return false;
        op.bindValues(change, 0);
        op.bindKey(change, 13);
        if (!change.run())
            return false;
    }
    tellProgress(kOperFile, rows, total);
    total = int(sites.size());
    tellProgress(kCompoFile, 0, total);
    rows = 0;
    for (const RegistrySite& s : sites) {
        if (++rows % kProgressEvery == 0)
            tellProgress(kCompoFile, rows, total);
        if (!requestSites.contains(keyText(s, key)))
            continue;
        s.bindKey(printedSite, 0);
        if (!printedSite.run())
            return false;
        while (printedSite.next())
            log(QStringLiteral("- Dati relativi alla sede legale della Proposta N. ") +
                printedSite.value(0).toString() + QStringLiteral(" dell'Operatore ") + s.group.toString() +
                QLatin1Char('-') + s.code.toString() +
                QStringLiteral(" non aggiornati perchè bloccati (proposta sostituita o stampata in definitivo)"));
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
    tellProgress(kCompoFile, rows, total);
    return true;
}

void RegistryUpdate::log(const QString& line)
{
    m_log.append(line);
}

} // namespace vx::refdata
