#include "store/Schema.h"

#include "SchemaText.h"
#include "core/Settings.h"

#include <QRegularExpression>

namespace vx::schema {

namespace {
// The schema's statements without comments, BEGIN and COMMIT.
QStringList sqliteStatements()
{
    static const QStringList statements = [] {
        QString text;
        for (const QString& line : QString::fromUtf8(kSchemaText).split(QLatin1Char('\n'))) {
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
    }();
    return statements;
}
} // namespace

QStringList statements(const QString& driver)
{
    QStringList out = sqliteStatements();
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

QStringList tables()
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

} // namespace vx::schema
