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

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace vx::refdata {

namespace {

const QString kTitle = QStringLiteral("Aggiornamento Base Dati");
const QString kIncomplete =
    QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari.");
constexpr int kProgressEvery = 200;

// The first `n` characters, trimmed; never null.
QString left(const FieldViews& fields, int i, int n)
{
    const QString value = fields.value(i).left(n).trimmed().toString();
    return value.isNull() ? QStringLiteral("") : value;
}
QString text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}
QVariant number(QStringView value)
{
    bool ok = false;
    const qlonglong n = value.trimmed().toLongLong(&ok);
    return ok ? QVariant(n) : QVariant(text(value.trimmed().toString()));
}
// The numeric value of a text as the original's Val reads it: its leading number, 0 when none.
QVariant numericValue(QStringView value)
{
    static const QRegularExpression leading(QStringLiteral("^[+-]?[0-9]*(\\.[0-9]*)?"));
    const QString digits = leading.match(value.trimmed().toString()).captured(0);
    const double d = digits.toDouble();
    const qlonglong whole = static_cast<qlonglong>(d);
    return static_cast<double>(whole) == d ? QVariant(whole) : QVariant(d);
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QString& line : windows1252::decode(file.readAll()).split(QLatin1Char('\n'))) {
        if (!QStringView(line).trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
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

void moveInto(const QString& programFolder, const QString& folder, const QString& name)
{
    QDir dir(programFolder);
    const QString source = dir.filePath(name);
    if (!QFileInfo::exists(source))
        return;
    dir.mkpath(folder);
    const QString target =
        dir.filePath(folder + QLatin1Char('/') + QFileInfo(name).completeBaseName() + QStringLiteral(".car"));
    QFile::remove(target);
    if (!QFile::rename(source, target) && QFile::copy(source, target))
        QFile::remove(source);
}

} // namespace

// One operator line: its values in the order of CorsiOper's first 15 columns.
struct RegistryOperator {
    QString group;
    QVariant code;
    QVariantList head; // GrupOpe, Operatore, Denominazione, TipoOper, CodFisc
    QVariantList rest; // LegNome ... AttEcono, "" where the file has nothing
    QVariantList key;  // GrupOpe, Operatore
};

struct RegistrySite {
    QVariantList key;     // GrupOpe, Operatore, Componente
    QVariantList always;  // TipoCompo, Denominazione, CodComune, Indirizzo
    QVariantList ifGiven; // Cap, Tel, Fax, Cod_Quartiere, StatoEstero, CittaEstero
    QVariant ateco;
};

namespace {

RegistryOperator readOperator(const QString& line)
{
    const FieldViews f = splitFieldViews(line);
    RegistryOperator op;
    op.group = text(f.value(0).left(1).toString());
    op.code = number(f.value(1));
    const QStringView birth = f.value(8).trimmed();
    const auto part = [&](int from, int n) {
        const QString value = birth.mid(from, n).trimmed().toString();
        return value.isNull() ? QStringLiteral("") : value;
    };
    op.key = {op.group, op.code};
    op.head = {op.group, op.code, left(f, 2, 100), left(f, 3, 2), left(f, 4, 16)};
    op.rest = {left(f, 5, 35), left(f, 6, 30), left(f, 7, 2),  part(0, 2),     part(2, 2),
               part(4, 4),     left(f, 9, 2),  left(f, 10, 7), left(f, 11, 4), number(f.value(12))};
    return op;
}

RegistrySite readSite(const QString& line)
{
    const FieldViews f = splitFieldViews(line);
    RegistrySite s;
    s.key = {text(f.value(0).left(1).toString()), number(f.value(1)), number(f.value(2))};
    s.always = {left(f, 3, 2), left(f, 4, 100), left(f, 5, 6), left(f, 7, 50)};
    s.ifGiven = {left(f, 6, 5),
                 text(phoneNumber(f.value(9))),
                 text(phoneNumber(f.value(11))),
                 number(f.value(12)),
                 left(f, 13, 30),
                 left(f, 14, 30)};
    s.ateco = numericValue(f.value(15));
    return s;
}

template <typename Row> QList<Row> readAll(const QStringList& lines, Row (*read)(const QString&))
{
    QList<Row> rows;
    rows.reserve(lines.size());
    for (const QString& line : lines)
        rows.append(read(line));
    return rows;
}

// One key value as a text that is the same for every value the engine would find equal: a
// number, or a text that reads as one, in one canonical spelling; any other text as it is.
QString keyPart(const QVariant& value)
{
    bool ok = false;
    const QString text = value.toString();
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
        key += (i == 0 ? v.toString() : keyPart(v)) + QChar(0x1f);
    }
    return key;
}

// The keys of the rows `sql` selects.
bool readKeys(Database& db, const QString& sql, QSet<QString>& keys)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, sql))
        return false;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList key;
        for (int c = 0; c < columns; ++c)
            key.append(q.value(c));
        keys.insert(keyText(key));
    }
    return true;
}

// Writes one row: updated when its key is stored, added otherwise. The stored keys were read
// once before the pass, so a new row costs no statement that finds nothing; a key told stored
// is still added when the update touched no row.
bool upsert(Database& db, QSet<QString>& stored, const QVariantList& key, QSqlQuery& change,
            const QVariantList& changeValues, QSqlQuery& insert, const QVariantList& insertValues)
{
    const QString text = keyText(key);
    if (stored.contains(text)) {
        if (!db.run(change, changeValues))
            return false;
        if (change.numRowsAffected() > 0)
            return true;
    }
    if (!db.run(insert, insertValues))
        return false;
    stored.insert(text);
    return true;
}

} // namespace

QString phoneNumber(QStringView field)
{
    const qsizetype slash = field.lastIndexOf(QLatin1Char('/'));
    return field.mid(slash + 1).trimmed().left(10).toString();
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
    if (tables.aggiornaTabelleDecodifica() == DecodeTables::Outcome::EndProgram)
        return Outcome::EndProgram;

    if (!QFileInfo::exists(folder.filePath(kOperFile)))
        return Outcome::Done;
    const bool ok = caricaRegistro();
    archive(ok);
    return ok ? Outcome::Done : Outcome::Failed;
}

void RegistryUpdate::archive(bool success)
{
    for (const QString& name : {kOperFile, kCompoFile, kSediOccFile, kSediUtilFile})
        moveInto(m_ctx.state.programFolder, success ? kDoneFolder : kBadFolder, name);
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
    const QStringList operLines = readLines(operPath);
    const QStringList compoLines = readLines(compoPath);
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
        const QList<RegistryOperator> operators = readAll(operLines, readOperator);
        const QList<RegistrySite> sites = readAll(compoLines, readSite);
        ok = m_ctx.db.inWriteTransaction([&] { return loadAll(operators, sites); });
        // A failed step rolls the whole load back; only a connection lost meanwhile leaves the
        // database in a state no one can vouch for.
        rolledBack = m_ctx.db.isOpen();
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
    const QList<RegistryOperator> operators = readAll(readLines(folder.filePath(kOperFile)), readOperator);
    const QList<RegistrySite> sites = readAll(readLines(folder.filePath(kCompoFile)), readSite);
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
// statement of its own, and each costs one statement. The key
// columns are not in the updates' SET: the row found holds the file's key already, and writing
// them would make the engine rewrite every index over them for each row.
bool RegistryUpdate::loadOperators(const QList<RegistryOperator>& operators)
{
    Database& db = m_ctx.db;
    QSqlQuery change = db.query();
    QSqlQuery insert = db.query();
    QSqlQuery promoterChange = db.query();
    QSqlQuery promoterInsert = db.query();
    if (!db.prepare(change, QStringLiteral("UPDATE CorsiOper SET Denominazione=?,TipoOper=?,CodFisc=?,") +
                                keepWhenEmpty(kOperatorRest) + QStringLiteral(" WHERE GrupOpe=? AND Operatore=?")) ||
        !db.prepare(insert, QStringLiteral("INSERT INTO CorsiOper (GrupOpe,Operatore,Denominazione,TipoOper,CodFisc,") +
                                kOperatorRest.join(QLatin1Char(',')) +
                                QStringLiteral(") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")) ||
        !db.prepare(promoterChange, QStringLiteral("UPDATE PromotoriSostenitori_Oper SET Denominazione=?,TipoOper=?,"
                                                   "CodFisc=? WHERE GrupOpe=? AND Operatore=?")) ||
        !db.prepare(promoterInsert, QStringLiteral("INSERT INTO PromotoriSostenitori_Oper (GrupOpe,Operatore,"
                                                   "Denominazione,TipoOper,CodFisc) VALUES (?,?,?,?,?)")))
        return false;
    QSet<QString> operatorKeys, promoterKeys;
    if (!readKeys(db, QStringLiteral("SELECT GrupOpe, Operatore FROM CorsiOper"), operatorKeys) ||
        !readKeys(db, QStringLiteral("SELECT GrupOpe, Operatore FROM PromotoriSostenitori_Oper"), promoterKeys))
        return false;
    const int total = int(operators.size());
    tellProgress(kOperFile, 0, total);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (!upsert(db, operatorKeys, op.key, change, op.head.mid(2) + op.rest + op.key, insert, op.head + op.rest) ||
            !upsert(db, promoterKeys, op.key, promoterChange, op.head.mid(2) + op.key, promoterInsert, op.head))
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
    QSqlQuery change = db.query();
    QSqlQuery insert = db.query();
    if (!db.prepare(change, QStringLiteral("UPDATE CorsiCompo SET TipoCompo=?,Denominazione=?,CodComune=?,"
                                           "Indirizzo=?,ID_ATECO_2007=?,") +
                                keepWhenEmpty(kSiteIfGiven) +
                                QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND Componente=?")) ||
        !db.prepare(insert, QStringLiteral("INSERT INTO CorsiCompo (GrupOpe,Operatore,Componente,TipoCompo,"
                                           "Denominazione,CodComune,Indirizzo,ID_ATECO_2007,") +
                                kSiteIfGiven.join(QLatin1Char(',')) +
                                QStringLiteral(",Email,Riferimento) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,'','')")))
        return false;
    QSet<QString> siteKeys;
    if (!readKeys(db, QStringLiteral("SELECT GrupOpe, Operatore, Componente FROM CorsiCompo"), siteKeys))
        return false;
    const int total = int(sites.size());
    tellProgress(kCompoFile, 0, total);
    int rows = 0;
    for (const RegistrySite& s : sites) {
        const QVariantList values = s.always + QVariantList{s.ateco} + s.ifGiven;
        if (!upsert(db, siteKeys, s.key, change, values + s.key, insert, s.key + values))
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
    QSqlQuery read = db.query();
    if (!db.exec(read, QStringLiteral("SELECT GrupOpe, Operatore FROM CorsiOper WHERE Corrispondenza IS NULL OR "
                                      "Corrispondenza=0")))
        return false;
    while (read.next())
        without.insert(keyText({read.value(0), read.value(1)}));
    read.finish();

    const int total = int(operators.size());
    tellProgress(kOperFile, 0, total);
    const QString update = QStringLiteral("UPDATE CorsiOper SET Corrispondenza=(SELECT MIN(c.Componente) FROM "
                                          "CorsiCompo c WHERE c.GrupOpe=CorsiOper.GrupOpe AND "
                                          "c.Operatore=CorsiOper.Operatore AND c.TipoCompo=?) WHERE "
                                          "(Corrispondenza IS NULL OR Corrispondenza=0)");
    // When every operator without one is in the file (the usual delivery: the whole registry),
    // one statement sets them all; otherwise only the file's operators may change, one by one.
    QSet<QString> inFile;
    for (const RegistryOperator& op : operators)
        inFile.insert(keyText(op.key));
    if (inFile.contains(without)) {
        QSqlQuery all = db.query();
        if (!db.exec(all, update, {m_ctx.state.legalSeatType}))
            return false;
        tellProgress(kOperFile, total, total);
        return true;
    }
    QSqlQuery set = db.query();
    if (!db.prepare(set, update + QStringLiteral(" AND GrupOpe=? AND Operatore=?")))
        return false;
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (without.contains(keyText(op.key)) && !db.run(set, {m_ctx.state.legalSeatType, op.group, op.code}))
            return false;
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
    QSqlQuery read = db.query();
    if (!db.exec(read, QStringLiteral("SELECT GrupOpe, Operatore, Componente FROM Domande")))
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
    read.finish();

    QSqlQuery printed = db.query();
    QSqlQuery change = db.query();
    QSqlQuery printedSite = db.query();
    QSqlQuery changeSite = db.query();
    if (!db.prepare(printed, QStringLiteral("SELECT NumDoma FROM Domande WHERE GrupOpe=? AND Operatore=? AND "
                                            "DomandaStampata<>0 ORDER BY NumDoma")) ||
        !db.prepare(change, QStringLiteral("UPDATE Domande SET DenominazioneOp=?,TipoOper=?,CodFisc=?,") +
                                keepWhenEmpty(kOperatorRest) +
                                QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND DomandaStampata=0")) ||
        !db.prepare(printedSite, QStringLiteral("SELECT NumDoma FROM Domande WHERE GrupOpe=? AND Operatore=? AND "
                                                "Componente=? AND DomandaStampata<>0 ORDER BY NumDoma")) ||
        !db.prepare(changeSite,
                    QStringLiteral("UPDATE Domande SET TipoCompo=?,DenominazioneSL=?,") +
                        keepWhenEmpty({QStringLiteral("CodComune"), QStringLiteral("Cap"), QStringLiteral("Indirizzo"),
                                       QStringLiteral("Tel"), QStringLiteral("Fax"), QStringLiteral("Cod_Quartiere"),
                                       QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero")}) +
                        QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND Componente=? AND "
                                       "DomandaStampata=0")))
        return false;
    int total = int(operators.size());
    tellProgress(kOperFile, 0, total);
    int rows = 0;
    for (const RegistryOperator& op : operators) {
        if (++rows % kProgressEvery == 0)
            tellProgress(kOperFile, rows, total);
        if (!requestOperators.contains(keyText(op.key)))
            continue;
        if (!db.run(printed, op.key))
            return false;
        while (printed.next())
            log(QStringLiteral("- Proposta N. ") + printed.value(0).toString() + QStringLiteral(" dell'Operatore ") +
                op.group + QLatin1Char('-') + op.code.toString() +
                QStringLiteral(" non aggiornata perchè bloccata (stampata in definitivo)"));
        printed.finish();
        if (!db.run(change, op.head.mid(2) + op.rest + op.key))
            return false;
    }
    tellProgress(kOperFile, rows, total);
    total = int(sites.size());
    tellProgress(kCompoFile, 0, total);
    rows = 0;
    for (const RegistrySite& s : sites) {
        if (++rows % kProgressEvery == 0)
            tellProgress(kCompoFile, rows, total);
        if (!requestSites.contains(keyText(s.key)))
            continue;
        if (!db.run(printedSite, s.key))
            return false;
        while (printedSite.next())
            log(QStringLiteral("- Dati relativi alla sede legale della Proposta N. ") +
                printedSite.value(0).toString() + QStringLiteral(" dell'Operatore ") + s.key.at(0).toString() +
                QLatin1Char('-') + s.key.at(1).toString() +
                QStringLiteral(" non aggiornati perchè bloccati (proposta sostituita o stampata in definitivo)"));
        printedSite.finish();
        const QVariantList values = {s.always.at(0),  s.always.at(1),  s.always.at(2),  s.ifGiven.at(0),
                                     s.always.at(3),  s.ifGiven.at(1), s.ifGiven.at(2), s.ifGiven.at(3),
                                     s.ifGiven.at(4), s.ifGiven.at(5)};
        if (!db.run(changeSite, values + s.key))
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
