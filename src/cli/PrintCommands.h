#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The document of Request N as a PDF, draft or definitive; the definitive one is registered as
// the screen registers it (only when its PDF was written whole, and once).
class StampaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("stampa"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The plain listing of Request N (page numbers, no legend) as a PDF instead of the printer.
class ElencoCommand : public Command {
public:
    QString name() const override { return QStringLiteral("elenco"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
