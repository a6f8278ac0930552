#include "Support.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vx::test {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<manca>");
}

Dump dumpOf(Database& db)
{
    Dump dump;
    const auto tables = db.tables();
    if (!tables)
        return {{QStringLiteral("<errore>"), {db.lastError().description}}};
    for (const QString& table : *tables) {
        // A server gives the names in lower case: the schema's own spelling, so that tests name
        // a table once whatever the engine.
        QString name = table;
        for (const QString& known : store::schemaTables())
            if (known.compare(table, Qt::CaseInsensitive) == 0)
                name = known;
        QSqlQuery rows = db.query();
        // A name from the engine's own catalogue, quoted as an identifier.
        if (!db.exec(rows, QStringLiteral("SELECT * FROM \"%1\"").arg(table)))
            return {{QStringLiteral("<errore>"), {db.lastError().description}}};
        QStringList texts;
        while (rows.next()) {
            QStringList fields;
            for (int c = 0; c < rows.record().count(); ++c) {
                const QVariant v = rows.value(c);
                fields.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            texts.append(fields.join(QLatin1Char('|')));
        }
        texts.sort();
        dump.insert(name, texts);
    }
    return dump;
}

Dump dumpOf(const QString& path)
{
    return dumpOf(DatabaseTarget::file(path));
}

Dump dumpOf(const DatabaseTarget& target)
{
    Database db;
    if (!db.open(target, Database::Mode::Multiutenza, Database::Access::ReadOnly))
        return {{QStringLiteral("<errore>"), {db.lastError().description}}};
    return dumpOf(db);
}

RolePerson rossi(qint32 numDoma)
{
    RolePerson p;
    p.numDoma = numDoma;
    p.codFiscale = QStringLiteral("RSSMRA85T10A562S");
    p.cognome = QStringLiteral("ROSSI");
    p.nome = QStringLiteral("MARIO");
    p.gg = QStringLiteral("10");
    p.mm = QStringLiteral("12");
    p.aaaa = QStringLiteral("1985");
    p.email = QStringLiteral("mario.rossi@ente.example");
    p.tel = QStringLiteral("0115550101");
    p.gruppo = QStringLiteral("A");
    p.codice = 12;
    p.sede = 0;
    p.ruolo = 1;
    return p;
}

} // namespace vx::test
