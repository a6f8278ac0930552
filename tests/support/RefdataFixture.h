#pragma once
// What the tests of reference data, backup and assistance share: lines of the region's files, rows
// read back by a query, and a computer with no program to open files or pages with.

#include "TestInstallation.h"

#include "core/Desktop.h"
#include "store/Database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>

namespace vx::test {

// "#a#,#b#,...": one line in the exchange syntax.
inline QString line(const QStringList& fields)
{
    return QLatin1Char('#') + fields.join(QStringLiteral("#,#")) + QLatin1Char('#');
}

// An `oper.tx1` line: the legal representative `legal` born in Padova on 01/02/1970 (none when
// empty), economic activity 85.
inline QString operLine(const QString& group, const QString& code, const QString& name, const QString& legal = {})
{
    const bool born = !legal.isEmpty();
    return line({group, code, name, "01", "01234567890", legal, born ? "Padova" : "", born ? "PD" : "",
                 born ? "01021970" : "", "", "", "", "85"});
}

// A `compo.tx1` line of site `site` of type `type`, telephone `tel`, ATECO code 855900.
inline QString compoLine(const QString& group, const QString& code, const QString& site,
                         const QString& type = QStringLiteral("SL"), const QString& name = QStringLiteral("Sede"),
                         const QString& tel = {})
{
    return line(
        {group, code, site, type, name, "G224", "35100", "Via Roma 1", "049", tel, "", "", "", "", "", " 855900.0 "});
}

// The rows `sql` selects, each as its values joined by "|" ("<null>" for a null).
inline QStringList rowsOf(Database& db, const QString& sql)
{
    QSqlQuery q = db.query();
    QStringList rows;
    if (!db.exec(q, sql))
        return {QStringLiteral("<errore> ") + db.lastError().description};
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values.append(q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        rows.append(values.join(QLatin1Char('|')));
    }
    return rows;
}

// Statements that note in table Scritte the `key` of each row an update of `table` rewrites.
inline QStringList noteUpdates(const QString& table, const QString& key)
{
    QStringList s{QStringLiteral("CREATE TABLE IF NOT EXISTS Scritte (Chiave TEXT)")};
    if (!TestInstallation::onServer())
        return s << QStringLiteral("CREATE TRIGGER %1_scritte AFTER UPDATE ON %1 BEGIN INSERT INTO Scritte VALUES "
                                   "(new.%2); END")
                        .arg(table, key);
    return s << QStringLiteral("CREATE OR REPLACE FUNCTION scritte() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                               "INSERT INTO Scritte VALUES (to_jsonb(NEW) ->> TG_ARGV[0]); RETURN NEW; END $$")
             << QStringLiteral("CREATE TRIGGER %1_scritte AFTER UPDATE ON %1 FOR EACH ROW EXECUTE FUNCTION "
                               "scritte('%2')")
                    .arg(table, key.toLower());
}

// Nothing opens here: it only notes what it was asked to open.
class ClosedDesktop : public Desktop {
public:
    QUrl asked;
    bool openUrl(const QUrl& url) override
    {
        asked = url;
        return false;
    }
    bool showTextFile(const QString& path) override { return openUrl(QUrl::fromLocalFile(path)); }
};

} // namespace vx::test
