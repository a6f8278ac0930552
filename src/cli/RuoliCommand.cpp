#include "cli/RuoliCommand.h"

#include "roles/RoleList.h"
#include "store/ErrorAdvice.h"

namespace vx::cli {

int RuoliCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                          QTextStream& err)
{
    bool number = false;
    const qint32 numDoma = arguments.first().toInt(&number);
    if (!number) {
        printError(err, QStringLiteral("Il numero della richiesta non è un numero: ") + arguments.first());
        return kUsage;
    }
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    QSqlQuery exists = inst.db.query();
    if (!inst.db.exec(exists, QStringLiteral("SELECT 1 FROM Domande WHERE NumDoma = ?"), {numDoma})) {
        printError(err, errorLines(inst.db.lastError()));
        return kFailed;
    }
    if (!exists.next()) {
        printError(err, QStringLiteral("Richiesta %1 non trovata.").arg(numDoma));
        return kFailed;
    }
    bool ok = false;
    const QList<RolePerson> rows = rolesOf(inst.db, numDoma, &ok);
    if (!ok) {
        printError(err, errorLines(inst.db.lastError()));
        return kFailed;
    }
    for (const RolePerson& p : rows) {
        QStringList fields;
        for (int c = 0; c < RolesModel::columnNames().size(); ++c)
            fields.append(escapeField(RolesModel::column(p, c).toString()));
        out << fields.join(QLatin1Char('\t')) << Qt::endl;
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
