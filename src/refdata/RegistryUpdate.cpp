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
#include <QSqlQuery>

namespace vx::refdata {

namespace {

const QString kTitle = QStringLiteral("Aggiornamento Base Dati");
const QString kIncomplete =
    QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari.");
constexpr int kProgressEvery = 200;

// The first `n` characters, trimmed.
QString left(const QStringList& fields, int i, int n)
{
    return fields.value(i).left(n).trimmed();
}
QString text(const QString& value)
{
    return value.isNull() ? QStringLiteral("") : value;
}
QVariant number(const QString& value)
{
    bool ok = false;
    const qlonglong n = value.trimmed().toLongLong(&ok);
    return ok ? QVariant(n) : QVariant(text(value.trimmed()));
}
// The numeric value of a text as the original's Val reads it: its leading number, 0 when none.
QVariant numericValue(const QString& value)
{
    static const QRegularExpression leading(QStringLiteral("^[+-]?[0-9]*(\\.[0-9]*)?"));
    const QString digits = leading.match(value.trimmed()).captured(0);
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
    for (QString line : windows1252::decode(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

// One operator line: its values in the order of CorsiOper's first 15 columns.
struct Operator {
    QString group;
    QVariant code;
    QVariantList head; // GrupOpe, Operatore, Denominazione, TipoOper, CodFisc
    QVariantList rest; // LegNome ... AttEcono, "" where the file has nothing
};

Operator readOperator(const QString& line)
{
    const QStringList f = splitFields(line);
    Operator op;
    op.group = text(f.value(0).left(1));
    op.code = number(f.value(1));
    const QString birth = f.value(8).trimmed();
    op.head = {op.group, op.code, text(left(f, 2, 100)), text(left(f, 3, 2)), text(left(f, 4, 16))};
    op.rest = {text(left(f, 5, 35)),
               text(left(f, 6, 30)),
               text(left(f, 7, 2)),
               text(birth.mid(0, 2).trimmed()),
               text(birth.mid(2, 2).trimmed()),
               text(birth.mid(4, 4).trimmed()),
               text(left(f, 9, 2)),
               text(left(f, 10, 7)),
               text(left(f, 11, 4)),
               number(f.value(12))};
    return op;
}

struct Site {
    QVariantList key;     // GrupOpe, Operatore, Componente
    QVariantList always;  // TipoCompo, Denominazione, CodComune, Indirizzo
    QVariantList ifGiven; // Cap, Tel, Fax, Cod_Quartiere, StatoEstero, CittaEstero
    QVariant ateco;
};

Site readSite(const QString& line)
{
    const QStringList f = splitFields(line);
    Site s;
    s.key = {text(f.value(0).left(1)), number(f.value(1)), number(f.value(2))};
    s.always = {text(left(f, 3, 2)), text(left(f, 4, 100)), text(left(f, 5, 6)), text(left(f, 7, 50))};
    s.ifGiven = {text(left(f, 6, 5)), text(phoneNumber(f.value(9))), text(phoneNumber(f.value(11))),
                 number(f.value(12)), text(left(f, 13, 30)),         text(left(f, 14, 30))};
    s.ateco = numericValue(f.value(15));
    return s;
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

QString phoneNumber(const QString& field)
{
    const qsizetype slash = field.lastIndexOf(QLatin1Char('/'));
    return field.mid(slash + 1).trimmed().left(10);
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
    tables.progress = tablesProgress;
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
        ok = m_ctx.db.inWriteTransaction([&] { return loadAll(operLines, compoLines); });
        // A failed step rolls the whole load back; only a connection lost meanwhile leaves the
        // database in a state no one can vouch for.
        rolledBack = m_ctx.db.isOpen();
    }

    if (ok) {
        QFile::remove(backup);
        if (!m_log.isEmpty()) {
            QFile logFile(logPath());
            if (logFile.open(QIODevice::WriteOnly | QIODevice::Append))
                logFile.write(windows1252::encode(m_log.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
            logFile.close();
            const Answer answer = m_ctx.prompter.ask(
                {QStringLiteral("E' stato creato un file di log con nome: ") + QDir::toNativeSeparators(logPath()) +
                     QStringLiteral(", contenente alcune note all'aggiornamento. E' possibile leggerlo usando il "
                                    "Blocco Note di Windows.\r\n\r\nVisualizzare subito il file di log?"),
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
    const QStringList operLines = readLines(folder.filePath(kOperFile));
    const QStringList compoLines = readLines(folder.filePath(kCompoFile));
    QString group, code;
    const bool ok = m_ctx.db.inWriteTransaction([&] {
        if (!loadOperators(operLines) || !loadSites(compoLines) || !setCorrespondence(operLines))
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

bool RegistryUpdate::loadAll(const QStringList& operLines, const QStringList& compoLines)
{
    return loadOperators(operLines) && loadSites(compoLines) && setCorrespondence(operLines) &&
           updateRequests(operLines, compoLines);
}

bool RegistryUpdate::loadOperators(const QStringList& lines)
{
    Database& db = m_ctx.db;
    QSqlQuery change = db.query();
    QSqlQuery insert = db.query();
    QSqlQuery promoterChange = db.query();
    QSqlQuery promoterInsert = db.query();
    if (!db.prepare(change, QStringLiteral("UPDATE CorsiOper SET GrupOpe=?,Operatore=?,Denominazione=?,TipoOper=?,"
                                           "CodFisc=?,") +
                                keepWhenEmpty(kOperatorRest) + QStringLiteral(" WHERE GrupOpe=? AND Operatore=?")) ||
        !db.prepare(insert, QStringLiteral("INSERT INTO CorsiOper (GrupOpe,Operatore,Denominazione,TipoOper,CodFisc,") +
                                kOperatorRest.join(QLatin1Char(',')) +
                                QStringLiteral(") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")) ||
        !db.prepare(promoterChange, QStringLiteral("UPDATE PromotoriSostenitori_Oper SET GrupOpe=?,Operatore=?,"
                                                   "Denominazione=?,TipoOper=?,CodFisc=? WHERE GrupOpe=? AND "
                                                   "Operatore=?")) ||
        !db.prepare(promoterInsert, QStringLiteral("INSERT INTO PromotoriSostenitori_Oper (GrupOpe,Operatore,"
                                                   "Denominazione,TipoOper,CodFisc) VALUES (?,?,?,?,?)")))
        return false;
    int rows = 0;
    for (const QString& line : lines) {
        const Operator op = readOperator(line);
        const QVariantList key = {op.group, op.code};
        if (!db.run(change, op.head + op.rest + key))
            return false;
        if (change.numRowsAffected() == 0 && !db.run(insert, op.head + op.rest))
            return false;
        if (!db.run(promoterChange, op.head + key))
            return false;
        if (promoterChange.numRowsAffected() == 0 && !db.run(promoterInsert, op.head))
            return false;
        if (++rows % kProgressEvery == 0 && progress)
            progress(kOperFile, rows);
    }
    return true;
}

bool RegistryUpdate::loadSites(const QStringList& lines)
{
    Database& db = m_ctx.db;
    QSqlQuery change = db.query();
    QSqlQuery insert = db.query();
    if (!db.prepare(change, QStringLiteral("UPDATE CorsiCompo SET GrupOpe=?,Operatore=?,Componente=?,TipoCompo=?,"
                                           "Denominazione=?,CodComune=?,Indirizzo=?,ID_ATECO_2007=?,") +
                                keepWhenEmpty(kSiteIfGiven) +
                                QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND Componente=?")) ||
        !db.prepare(insert, QStringLiteral("INSERT INTO CorsiCompo (GrupOpe,Operatore,Componente,TipoCompo,"
                                           "Denominazione,CodComune,Indirizzo,ID_ATECO_2007,") +
                                kSiteIfGiven.join(QLatin1Char(',')) +
                                QStringLiteral(",Email,Riferimento) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,'','')")))
        return false;
    int rows = 0;
    for (const QString& line : lines) {
        const Site s = readSite(line);
        const QVariantList values = s.key + s.always + QVariantList{s.ateco} + s.ifGiven;
        if (!db.run(change, values + s.key))
            return false;
        if (change.numRowsAffected() == 0 && !db.run(insert, values))
            return false;
        if (++rows % kProgressEvery == 0 && progress)
            progress(kCompoFile, rows);
    }
    return true;
}

bool RegistryUpdate::setCorrespondence(const QStringList& lines)
{
    Database& db = m_ctx.db;
    QSqlQuery set = db.query();
    if (!db.prepare(set, QStringLiteral("UPDATE CorsiOper SET Corrispondenza=(SELECT MIN(c.Componente) FROM CorsiCompo "
                                        "c WHERE c.GrupOpe=CorsiOper.GrupOpe AND c.Operatore=CorsiOper.Operatore AND "
                                        "c.TipoCompo=?) WHERE GrupOpe=? AND Operatore=? AND (Corrispondenza IS NULL "
                                        "OR Corrispondenza=0)")))
        return false;
    for (const QString& line : lines) {
        const Operator op = readOperator(line);
        if (!db.run(set, {m_ctx.state.legalSeatType, op.group, op.code}))
            return false;
    }
    return true;
}

bool RegistryUpdate::updateRequests(const QStringList& operLines, const QStringList& compoLines)
{
    Database& db = m_ctx.db;
    QSqlQuery printed = db.query();
    QSqlQuery change = db.query();
    QSqlQuery printedSite = db.query();
    QSqlQuery changeSite = db.query();
    if (!db.prepare(printed, QStringLiteral("SELECT NumDoma FROM Domande WHERE GrupOpe=? AND Operatore=? AND "
                                            "DomandaStampata<>0 ORDER BY NumDoma")) ||
        !db.prepare(change, QStringLiteral("UPDATE Domande SET GrupOpe=?,Operatore=?,DenominazioneOp=?,TipoOper=?,"
                                           "CodFisc=?,") +
                                keepWhenEmpty(kOperatorRest) +
                                QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND DomandaStampata=0")) ||
        !db.prepare(printedSite, QStringLiteral("SELECT NumDoma FROM Domande WHERE GrupOpe=? AND Operatore=? AND "
                                                "Componente=? AND DomandaStampata<>0 ORDER BY NumDoma")) ||
        !db.prepare(changeSite,
                    QStringLiteral("UPDATE Domande SET Componente=?,TipoCompo=?,DenominazioneSL=?,") +
                        keepWhenEmpty({QStringLiteral("CodComune"), QStringLiteral("Cap"), QStringLiteral("Indirizzo"),
                                       QStringLiteral("Tel"), QStringLiteral("Fax"), QStringLiteral("Cod_Quartiere"),
                                       QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero")}) +
                        QStringLiteral(" WHERE GrupOpe=? AND Operatore=? AND Componente=? AND "
                                       "DomandaStampata=0")))
        return false;
    for (const QString& line : operLines) {
        const Operator op = readOperator(line);
        const QVariantList key = {op.group, op.code};
        if (!db.run(printed, key))
            return false;
        while (printed.next())
            log(QStringLiteral("- Proposta N. ") + printed.value(0).toString() + QStringLiteral(" dell'Operatore ") +
                op.group + QLatin1Char('-') + op.code.toString() +
                QStringLiteral(" non aggiornata perchè bloccata (stampata in definitivo)"));
        printed.finish();
        if (!db.run(change, op.head + op.rest + key))
            return false;
    }
    for (const QString& line : compoLines) {
        const Site s = readSite(line);
        if (!db.run(printedSite, s.key))
            return false;
        while (printedSite.next())
            log(QStringLiteral("- Dati relativi alla sede legale della Proposta N. ") +
                printedSite.value(0).toString() + QStringLiteral(" dell'Operatore ") + s.key.at(0).toString() +
                QLatin1Char('-') + s.key.at(1).toString() +
                QStringLiteral(" non aggiornati perchè bloccati (proposta sostituita o stampata in definitivo)"));
        printedSite.finish();
        const QVariantList values = {s.key.at(2),     s.always.at(0),  s.always.at(1),  s.always.at(2),
                                     s.ifGiven.at(0), s.always.at(3),  s.ifGiven.at(1), s.ifGiven.at(2),
                                     s.ifGiven.at(3), s.ifGiven.at(4), s.ifGiven.at(5)};
        if (!db.run(changeSite, values + s.key))
            return false;
    }
    return true;
}

void RegistryUpdate::log(const QString& line)
{
    m_log.append(line);
}

} // namespace vx::refdata
