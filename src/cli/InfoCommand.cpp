#include "cli/InfoCommand.h"

#include "Version.h"
#include "cli/Messages.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vx::cli {

QString InfoCommand::description() const
{
    return msg::cli::text(msg::cli::Text::InfoHelp);
}

int InfoCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out, QTextStream& err)
{
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    IniFile ini(inst.state.programFolder);
    // The same Request the desktop program would resume on, without writing the INI file.
    const qint32 number = numberToRestore(inst.db, Settings::read(ini).selectedNumber);
    const SelectedRequest selected = loadSelectedRequest(inst.db, inst.prompter, number);

    QVariantList values{QString::fromUtf8(kVersionText), inst.state.installationType, inst.state.version,
                        targetOf(inst.state).where(), selected.number};
    if (selected.number != 0) {
        values << selected.group + QLatin1Char('-') + QString::number(selected.operatorCode) + QLatin1Char(' ') +
                      selected.operatorName
               << selected.province + QLatin1Char(' ') + selected.provinceName << selected.runningNumber
               << selected.printed;
    }
    const QStringList labels = msg::cli::infoLabels();
    Q_ASSERT(values.size() <= labels.size());
    if (isSet(QStringLiteral("json"))) {
        QJsonObject object;
        for (qsizetype i = 0; i < values.size(); ++i)
            object.insert(labels.at(i), QJsonValue::fromVariant(values.at(i)));
        out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << Qt::endl;
    } else {
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QVariant& v = values.at(i);
            out << labels.at(i) << '\t'
                << (v.typeId() == QMetaType::Bool ? msg::requests::yesNo(v.toBool()) : escapeField(v.toString()))
                << Qt::endl;
        }
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
