#include "cli/RuoliCommand.h"

#include "cli/Messages.h"
#include "roles/RoleColumns.h"
#include "roles/RoleList.h"
#include "store/ErrorAdvice.h"

namespace vx::cli {

QString RuoliCommand::description() const
{
    return msg::cli::text(msg::cli::Text::RuoliHelp);
}

QList<Command::Argument> RuoliCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)}};
}

int RuoliCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                          QTextStream& err)
{
    Installation inst(programFolder, err);
    if (const int code = inst.openRequest(arguments.first(), Database::Access::ReadOnly))
        return code;
    bool ok = false;
    const QList<RolePerson> rows = rolesOf(inst.db, inst.state.selected.number, &ok);
    if (!ok) {
        printError(err, errorLines(inst.db.lastError()));
        return kFailed;
    }
    QStringList columns;
    for (const RoleColumn& c : roles::columns())
        columns.append(c.name);
    Listing listing(out, columns, isSet(QStringLiteral("json")));
    for (const RolePerson& p : rows)
        listing.row(roles::values(p));
    return inst.exitCode(0);
}

} // namespace vx::cli
