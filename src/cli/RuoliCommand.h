#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The persons and roles of Request N, in the list's order, in the table's columns.
class RuoliCommand : public Command {
public:
    QString name() const override { return QStringLiteral("ruoli"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override { return {jsonOption()}; }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
