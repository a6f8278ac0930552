#include "cli/Output.h"

#include "cli/Messages.h"
#include "requests/Messages.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vx::cli {

namespace {
QString oneLine(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

} // namespace

void printError(QTextStream& err, const QString& text)
{
    err << msg::cli::text(msg::cli::Text::Program) << ": " << oneLine(text) << Qt::endl;
}

QString escapeField(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

qint32 requestNumber(const QString& text, QTextStream& err)
{
    bool ok = false;
    const qint32 number = text.toInt(&ok);
    if (!ok || number <= 0)
        printError(err, msg::cli::badRequestNumber(text));
    return ok && number > 0 ? number : 0;
}

Answer ConsolePrompter::ask(const Message& message)
{
    ++m_shown;
    printError(m_err, message.title + QStringLiteral(": ") + message.text);
    return safeAnswer(message.buttons);
}

Answer ReportPrompter::ask(const Message& message)
{
    if (message.icon == Icon::Information && message.buttons == Buttons::Ok) {
        m_out << message.text << Qt::endl;
    } else if (message.icon != Icon::Question) {
        printError(m_err, QString(message.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified());
    }
    return safeAnswer(message.buttons);
}

Listing::Listing(QTextStream& out, const QStringList& columns, bool json) : m_out(out), m_columns(columns), m_json(json)
{
    if (!m_json)
        m_out << m_columns.join(QLatin1Char('\t')) << Qt::endl;
}

void Listing::row(const QVariantList& values)
{
    Q_ASSERT(values.size() == m_columns.size());
    if (m_json) {
        QJsonObject object;
        for (qsizetype i = 0; i < values.size(); ++i)
            object.insert(m_columns.at(i), QJsonValue::fromVariant(values.at(i)));
        m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << Qt::endl;
        return;
    }
    QStringList fields;
    for (const QVariant& value : values)
        fields.append(value.typeId() == QMetaType::Bool ? msg::requests::yesNo(value.toBool())
                                                        : escapeField(value.toString()));
    m_out << fields.join(QLatin1Char('\t')) << Qt::endl;
}

} // namespace vx::cli
