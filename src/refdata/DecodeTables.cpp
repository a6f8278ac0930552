#include "refdata/DecodeTables.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Context.h"
#include "core/Prompter.h"
#include "refdata/Messages.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"
#include "store/FastStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vx::refdata {

namespace {

const QString kLogoColumn = QStringLiteral("LOGO");
constexpr int kProgressEvery = 200;

KeyColumn t(const char* name)
{
    return {QString::fromLatin1(name), true};
}
KeyColumn n(const char* name)
{
    return {QString::fromLatin1(name), false};
}

bool isNullField(QStringView field)
{
    return field.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
}

using Kind = ColumnKind;

Kind kindOf(const QSqlField& field)
{
    switch (field.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Kind::Whole;
    case QMetaType::Float:
    case QMetaType::Double:
        return Kind::Real;
    default:
        return Kind::Text;
    }
}

// True when a field stores null: NULL in any letter case, and in a number column an empty field
// (a field the line lacks is an empty text in a text column, not a null).
bool storesNull(QStringView field, Kind kind)
{
    return isNullField(field) || (kind != Kind::Text && field.trimmed().isEmpty());
}

// True when the field can be stored in a column of `kind` as the number it is.
bool fits(QStringView field, Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return true;
    case Kind::Whole:
        return storesNull(field, kind) || wholeNumber(field).has_value();
    case Kind::Real:
        return storesNull(field, kind) || realNumber(field).has_value();
    }
    return false;
}

// Binds a field's value as stored: null (see storesNull), a number as the number it is (checked
// before the write by `fits`), a text cut and trimmed.
void bindStored(FastStatement& s, int i, Kind kind, QStringView field)
{
    if (storesNull(field, kind)) {
        s.bindNull(i);
        return;
    }
    switch (kind) {
    case Kind::Text:
        s.bindText(i, field.left(kMaxValueLength).trimmed());
        return;
    case Kind::Whole:
        s.bindInt(i, wholeNumber(field).value_or(0));
        return;
    case Kind::Real:
        s.bindDouble(i, realNumber(field).value_or(0));
        return;
    }
}

} // namespace

const QList<DecodeTable>& decodeTables()
{
    static const QList<DecodeTable> tables = {
        {QStringLiteral("Asse.txt"), QStringLiteral("Asse"), 2, {t("CodAsse")}},
        {QStringLiteral("Prov_Asse.txt"), QStringLiteral("Prov_Asse"), 2, {t("Prov"), t("CodAsse")}},
        {QStringLiteral("AttEcono.txt"), QStringLiteral("AttEcono"), 2, {n("AttEcono")}},
        {QStringLiteral("Azione.txt"), QStringLiteral("Azione"), 4, {t("CodAsse"), t("CodMisura"), t("CodAzione")}},
        {QStringLiteral("Prov_Azione.txt"),
         QStringLiteral("Prov_Azione"),
         4,
         {t("Prov"), t("CodAsse"), t("CodMisura"), t("CodAzione")}},
        {QStringLiteral("AzioneDestin.txt"),
         QStringLiteral("AzioneDestin"),
         4,
         {t("CodAsse"), t("CodMisura"), t("CodAzione"), n("CodDest")}},
        {QStringLiteral("AzionePercorsi.txt"),
         QStringLiteral("AzionePercorsi"),
         4,
         {t("CodAsse"), t("CodMisura"), t("CodAzione"), n("CodPerc")}},
        {QStringLiteral("AzioneScolari.txt"),
         QStringLiteral("AzioneScolari"),
         4,
         {t("CodAsse"), t("CodMisura"), t("CodAzione"), n("CodScol")}},
        {QStringLiteral("CentroCosto.txt"), QStringLiteral("CentroCosto"), 2, {n("CodCentro")}},
        {QStringLiteral("CentroCostoSpesa.txt"),
         QStringLiteral("CentroCostoSpesa"),
         3,
         {n("CodCentro"), n("CodSpesa")}},
        {QStringLiteral("Certif.txt"), QStringLiteral("Certif"), 2, {n("CodCert")}},
        {QStringLiteral("Comparto.txt"), QStringLiteral("Comparto"), 3, {n("CodSetto"), n("CodComp")}},
        {QStringLiteral("Componenti.txt"),
         QStringLiteral("Componenti"),
         7,
         {t("GrupOpe"), n("Operatore"), n("Componente")}},
        {QStringLiteral("Comuni.txt"), QStringLiteral("Comuni"), 6, {t("CodComune")}},
        {QStringLiteral("Comuni_Quartieri.txt"),
         QStringLiteral("Comuni_Quartieri"),
         3,
         {t("ComIstat"), n("Cod_Quartiere")}},
        {QStringLiteral("Destin.txt"), QStringLiteral("Destin"), 2, {n("CodDest")}},
        {QStringLiteral("Metadati.txt"), QStringLiteral("Metadati"), 3, {n("ID")}},
        {QStringLiteral("Legami.txt"), QStringLiteral("Legami"), 5, {t("PROV"), n("ID")}},
        {QStringLiteral("Misura.txt"), QStringLiteral("Misura"), 3, {t("CodAsse"), t("CodMisura")}},
        {QStringLiteral("Prov_Misura.txt"),
         QStringLiteral("Prov_Misura"),
         3,
         {t("Prov"), t("CodAsse"), t("CodMisura")}},
        {QStringLiteral("Operatori.txt"), QStringLiteral("Operatori"), 6, {t("GrupOpe"), n("Operatore")}},
        {QStringLiteral("Orari.txt"), QStringLiteral("Orari"), 2, {n("CodOra")}},
        {QStringLiteral("OreParamVoucher.txt"),
         QStringLiteral("OreParamVoucher"),
         4,
         {t("PROV"), n("MinOre"), n("MaxOre")}},
        {QStringLiteral("Percorsi.txt"), QStringLiteral("Percorsi"), 3, {n("CodPerc")}},
        {QStringLiteral("Province.txt"), QStringLiteral("Province"), 4, {t("Prov")}},
        {QStringLiteral("ProvinceLoghiIndir.txt"), QStringLiteral("ProvinceLoghiIndir"), 7, {t("Prov")}},
        {QStringLiteral("Regioni.txt"), QStringLiteral("Regioni"), 2, {t("Regione")}},
        {QStringLiteral("Scolari.txt"), QStringLiteral("Scolari"), 2, {n("CodScol")}},
        {QStringLiteral("Settore.txt"), QStringLiteral("Settore"), 2, {n("CodSetto")}},
        {QStringLiteral("StatiEsteri.txt"), QStringLiteral("StatiEsteri"), 3, {t("CodStato")}},
        {QStringLiteral("TipoCompo.txt"), QStringLiteral("TipoCompo"), 2, {t("TipoCompo")}},
        {QStringLiteral("TipoFormazione.txt"), QStringLiteral("TipoFormazione"), 2, {n("CodAzi")}},
        {QStringLiteral("TipoFormazioneParamAC.txt"),
         QStringLiteral("TipoFormazioneParamAC"),
         6,
         {t("Prov"), n("CodAzi")}},
        {QStringLiteral("TipoOper.txt"), QStringLiteral("TipoOper"), 3, {t("GrupOpe"), t("TipoOper")}},
        {QStringLiteral("ParamPFA.tx1"), QStringLiteral("ParamPFA"), 3, {t("SIGPROV")}},
    };
    return tables;
}

QString archivedName(const DecodeTable& table)
{
    return table.table + QStringLiteral(".txt");
}

DecodeTables::Outcome DecodeTables::aggiornaTabelleDecodifica()
{
    const QDir folder(m_ctx.state.programFolder);
    const QString install = folder.filePath(kInstallFlag);
    const QString update = folder.filePath(kUpdateFlag);
    const bool hasInstall = QFileInfo::exists(install);
    const bool hasUpdate = QFileInfo::exists(update);
    if (hasInstall && hasUpdate) {
        m_ctx.prompter.ask(msg::refdata::notice(msg::refdata::Notice::BothFlags));
        return Outcome::Nothing;
    }
    if (!hasInstall && !hasUpdate)
        return Outcome::Nothing;

    const QString flag = hasInstall ? install : update;
    m_ctx.state.decodeInstallMode = hasInstall;
    QFile::remove(flag);
    if (QFileInfo::exists(flag)) {
        m_ctx.prompter.ask(msg::refdata::flagNotDeletable());
        return Outcome::Nothing;
    }
    if (starting)
        starting(hasInstall);
    Busy busy(m_ctx.control);

    for (const DecodeTable& table : decodeTables()) {
        const QString path = folder.filePath(table.file);
        switch (caricaTabella(path, table)) {
        case TableResult::EndProgram:
            return Outcome::EndProgram;
        case TableResult::Failed: {
            // The table is as it was and its file, and those after it, stay; the flag goes back so
            // that the next start or update loads them, and the user is told whether it could.
            QFile restored(flag);
            const bool back = restored.open(QIODevice::WriteOnly) && restored.flush();
            restored.close();
            m_ctx.prompter.ask(
                msg::refdata::tableNotLoaded(table.table, path, m_lastError, back, QFileInfo(flag).fileName()));
            return Outcome::Failed;
        }
        case TableResult::Loaded:
        case TableResult::Skipped:
            break;
        }
        if (QFileInfo::exists(path))
            moveInto(m_ctx.state.programFolder, kProcessedFolder, path, archivedName(table));
    }
    return Outcome::Loaded;
}

DecodeTables::TableResult DecodeTables::caricaTabella(const QString& path, const DecodeTable& table)
{
    const QFileInfo info(path);
    if (!info.exists())
        return TableResult::Skipped;
    if (info.size() == 0) {
        const Answer answer = m_ctx.prompter.ask(msg::refdata::emptyTableFile(info.absoluteFilePath()));
        return answer == Answer::No ? TableResult::EndProgram : TableResult::Skipped;
    }

    DeliveredFile file;
    if (!file.read(path)) {
        m_lastError = msg::refdata::text(msg::refdata::Text::FileUnreadable);
        return TableResult::Failed;
    }
    QStringView header = file.lines().value(0);
    while (header.endsWith(u'\r'))
        header.chop(1);
    if (header == kInstallHeader)
        m_ctx.state.decodeInstallMode = true;
    else if (header == kUpdateHeader)
        m_ctx.state.decodeInstallMode = false;

    // The columns the file fills: the table's first `columns`, as the schema orders them, with
    // their types as the engine reports them.
    QSqlQuery probe = m_ctx.db.query();
    if (!m_ctx.db.exec(probe, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table.table))) {
        m_lastError = errorLines(m_ctx.db.lastError());
        return TableResult::Failed;
    }
    const QSqlRecord record = probe.record();
    QStringList columns;
    QList<Kind> kinds;
    for (int i = 0; i < table.columns && i < record.count(); ++i) {
        columns.append(record.fieldName(i));
        kinds.append(kindOf(record.field(i)));
    }
    if (columns.size() < table.columns || columns.size() < table.keys.size()) {
        m_lastError = msg::refdata::tableMissing(table.table);
        return TableResult::Failed;
    }
    for (qsizetype k = 0; k < table.keys.size(); ++k)
        Q_ASSERT(table.keys.at(k).text == (kinds.at(k) == Kind::Text)); // the list says what the schema holds

    // A file whose rows cannot all be read whole, or holds a number its column cannot store, is
    // refused before the table is touched.
    const QList<FileLine> rows = file.rows(1);
    m_lastError = DeliveredFile::firstBrokenRow(rows);
    for (qsizetype r = 0; m_lastError.isEmpty() && r < rows.size(); ++r) {
        const FieldViews fields = splitFieldViews(rows.at(r).text);
        for (int i = 0; i < columns.size(); ++i) {
            if (!fits(fields.value(i), kinds.at(i))) {
                m_lastError = msg::refdata::badNumber(rows.at(r).number, i + 1, fields.value(i).trimmed().toString(),
                                                      kinds.at(i) == Kind::Whole);
                break;
            }
        }
    }
    if (!m_lastError.isEmpty())
        return TableResult::Failed;
    tellProgress(info.fileName(), table.table, 0, int(rows.size()));
    if (!m_ctx.db.inWriteTransaction([&] { return writeRows(table, columns, kinds, rows); })) {
        m_lastError = errorLines(m_ctx.db.lastError());
        return TableResult::Failed;
    }
    m_lastError.clear();
    return TableResult::Loaded;
}

void DecodeTables::tellProgress(const QString& file, const QString& table, int rows, int total)
{
    if (progress)
        progress(file, table, rows);
    if (progressWithTotal)
        progressWithTotal(file, table, rows, total);
}

// Install mode empties the table and adds every line. Update mode updates the row of the line's
// key only where a value differs, so a file delivered again writes nothing: the update touches
// no row both when the row is as the file says and when there is none, and only then does a
// lookup tell the two apart, adding the row when missing. The key columns are matched, not
// rewritten: the row found holds the file's keys already.
bool DecodeTables::writeRows(const DecodeTable& table, const QStringList& columns, const QList<ColumnKind>& kinds,
                             const QList<FileLine>& lines)
{
    const int total = int(lines.size());
    Database& db = m_ctx.db;
    const bool install = m_ctx.state.decodeInstallMode;
    const int keyCount = int(table.keys.size());
    Q_ASSERT(keyCount <= columns.size()); // the keys lead the columns the file fills
    // The names below are the fixed list's and the schema's; only values are bound.
    QList<int> written; // positions of the columns the load writes: all but LOGO
    QList<int> others;  // those of them that are not keys
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(kLogoColumn, Qt::CaseInsensitive) == 0)
            continue;
        written.append(i);
        if (i >= keyCount)
            others.append(i);
    }
    QStringList names, marks, sets, differs, keyClauses;
    for (int i : written) {
        names.append(columns.at(i));
        marks.append(QStringLiteral("?"));
    }
    for (int i : others) {
        sets.append(columns.at(i) + QStringLiteral("=?"));
        differs.append(columns.at(i) + QStringLiteral(" IS DISTINCT FROM ?"));
    }
    for (int k = 0; k < keyCount; ++k)
        keyClauses.append(columns.at(k) + QStringLiteral("=?"));

    if (install) {
        QSqlQuery empty = db.query();
        if (!db.exec(empty, QStringLiteral("DELETE FROM ") + table.table))
            return false;
    }
    FastStatement insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table.table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
        return false;
    FastStatement change(db);
    FastStatement find(db);
    const QString where = keyClauses.join(QStringLiteral(" AND "));
    if (!install) {
        if (!others.isEmpty() && !change.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 AND (%4)")
                                                     .arg(table.table, sets.join(QLatin1Char(',')), where,
                                                          differs.join(QStringLiteral(" OR ")))))
            return false;
        if (!find.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(table.table, where)))
            return false;
    }

    const int otherCount = int(others.size());
    int rows = 0;
    for (const FileLine& line : lines) {
        const FieldViews fields = splitFieldViews(line.text);
        const auto bindValues = [&] {
            for (int i = 0; i < written.size(); ++i)
                bindStored(insert, i, kinds.at(written.at(i)), fields.value(written.at(i)));
        };
        if (!install) {
            const auto bindKeys = [&](FastStatement& s, int from) {
                for (int k = 0; k < keyCount; ++k)
                    bindStored(s, from + k, kinds.at(k), fields.value(k));
            };
            bool done = false;
            if (!others.isEmpty()) {
                // SET the others, WHERE the keys AND any of the others differs.
                for (int o = 0; o < otherCount; ++o) {
                    const Kind kind = kinds.at(others.at(o));
                    bindStored(change, o, kind, fields.value(others.at(o)));
                    bindStored(change, otherCount + keyCount + o, kind, fields.value(others.at(o)));
                }
                bindKeys(change, otherCount);
                if (!change.run())
                    return false;
                done = change.changes() > 0;
            }
            if (!done) {
                bindKeys(find, 0);
                if (!find.run())
                    return false;
                const bool found = find.next();
                if (find.failed())
                    return false;
                if (!found) {
                    bindValues();
                    if (!insert.run())
                        return false;
                }
            }
        } else {
            bindValues();
            if (!insert.run())
                return false;
        }
        if (++rows % kProgressEvery == 0)
            tellProgress(QString(), table.table, rows, total);
    }
    tellProgress(QString(), table.table, rows, total);
    return true;
}

} // namespace vx::refdata
