#pragma once

#include "cli/Command.h"

namespace vx::cli {

// Every Request, one per line: number, operator, province, running number, printed, transmitted.
class RichiesteCommand : public Command {
public:
    QString name() const override { return QStringLiteral("richieste"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override { return {jsonOption()}; }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
