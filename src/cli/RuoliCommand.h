#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The persons and roles of Request N, in the list's order, tab-separated in the table's columns
// (tabs, line breaks and backslashes inside a value escaped).
class RuoliCommand : public Command {
public:
    QString name() const override { return QStringLiteral("ruoli"); }
    QString description() const override { return QStringLiteral("persone e ruoli di una richiesta"); }
    QList<Argument> arguments() const override
    {
        return {{QStringLiteral("NUMERO_RICHIESTA"), QStringLiteral("il numero della richiesta (NumDoma)")}};
    }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
