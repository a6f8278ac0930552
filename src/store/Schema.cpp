#include "store/Schema.h"

#include "SchemaText.h"
#include "core/Settings.h"

#include <QRegularExpression>

namespace vx::store {

namespace {
// A script's statements without comments, BEGIN and COMMIT.
QStringList split(const QString& script)
{
    QString text;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        const qsizetype comment = line.indexOf(QLatin1String("--"));
        text += (comment < 0 ? line : line.left(comment)) + QLatin1Char('\n');
    }
    QStringList out;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        const QString s = part.trimmed();
        if (!s.isEmpty() && s.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) != 0 &&
            s.compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) != 0)
            out.append(s);
    }
    return out;
}

const QStringList& sqliteStatements()
{
    static const QStringList statements = split(QString::fromUtf8(kSchemaText));
    return statements;
}

QStringList forEngine(QStringList out, const QString& driver)
{
    if (driver != Settings::kServerProvider)
        return out;
    static const QRegularExpression text(QStringLiteral("\\bTEXT\\b"));
    static const QRegularExpression real(QStringLiteral("\\bREAL\\b"));
    static const QRegularExpression blob(QStringLiteral("\\bBLOB\\b"));
    for (QString& s : out) {
        if (!s.startsWith(QLatin1String("CREATE TABLE")))
            continue;
        s.replace(text, QStringLiteral("TEXT COLLATE \"C\""));
        s.replace(real, QStringLiteral("DOUBLE PRECISION"));
        s.replace(blob, QStringLiteral("BYTEA"));
    }
    return out;
}
} // namespace

QStringList schemaStatements(const QString& driver, bool layoutOnly)
{
    QStringList out = sqliteStatements();
    if (layoutOnly)
        out.removeIf([](const QString& s) { return s.startsWith(QLatin1String("INSERT")); });
    return forEngine(out, driver);
}

QStringList statementsOf(const QString& script, const QString& driver)
{
    return forEngine(split(script), driver);
}

int schemaVersion()
{
    return kSchemaVersion;
}

QStringList upgradeStatements(const QString& driver)
{
    QStringList out;
    for (QString s : schemaStatements(driver, true)) {
        if (s.startsWith(QLatin1String("CREATE TABLE ")) || s.startsWith(QLatin1String("CREATE INDEX ")))
            out.append(s.insert(13, QLatin1String("IF NOT EXISTS ")));
    }
    out.append(QStringLiteral("DELETE FROM VersioneSchema"));
    out.append(QStringLiteral("INSERT INTO VersioneSchema (Versione) VALUES (%1)").arg(schemaVersion()));
    return out;
}

QStringList schemaTables()
{
    static const QStringList names = [] {
        QStringList out;
        static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+)"));
        for (const QString& s : sqliteStatements()) {
            const QRegularExpressionMatch m = table.match(s);
            if (m.hasMatch())
                out.append(m.captured(1));
        }
        return out;
    }();
    return names;
}

} // namespace vx::store
