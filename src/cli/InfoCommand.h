#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The installation at a glance: type and version, database, the selected Request and its operator.
class InfoCommand : public Command {
public:
    QString name() const override { return QStringLiteral("info"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override { return {jsonOption(true)}; }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
