#include "cli/RuoliCommand.h"

#include "roles/RoleList.h"

namespace vx::cli {

int RuoliCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                          QTextStream& err)
{
    bool number = false;
    const qint32 numDoma = arguments.size() == 1 ? arguments.first().toInt(&number) : 0;
    if (!number) {
        err << "Uso: veltranorpx-cli ruoli NUMERO_RICHIESTA" << Qt::endl;
        return 2;
    }
    Installation inst(programFolder, err);
    if (!inst.open())
        return 1;
    QSqlQuery exists = inst.db.query();
    if (!inst.db.exec(exists, QStringLiteral("SELECT 1 FROM Domande WHERE NumDoma = ?"), {numDoma}) || !exists.next()) {
        err << "Richiesta " << numDoma << " non trovata." << Qt::endl;
        return 1;
    }
    bool ok = false;
    const QList<RolePerson> rows = rolesOf(inst.db, numDoma, &ok);
    if (!ok) {
        err << "Errore " << inst.db.lastError().number << ": " << inst.db.lastError().description << Qt::endl;
        return 1;
    }
    for (const RolePerson& p : rows) {
        QStringList fields;
        for (int c = 0; c < RolesModel::columnNames().size(); ++c)
            fields.append(RolesModel::column(p, c).toString());
        out << fields.join(QLatin1Char('\t')) << Qt::endl;
    }
    return 0;
}

} // namespace vx::cli
