#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The decode tables from the flag and table files present in the program folder.
class AggiornaTabelleCommand : public Command {
public:
    QString name() const override { return QStringLiteral("aggiorna-tabelle"); }
    QString description() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The database update on the registry files present (SERVER installations only); the log's path
// on standard output when notes were written.
class AggiornaAnagrafeCommand : public Command {
public:
    QString name() const override { return QStringLiteral("aggiorna-anagrafe"); }
    QString description() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The registry of the operators named (or of every operator of the database) downloaded from the
// region, then the database update on it (SERVER installations only); the log's path on standard
// output when notes were written.
class ScaricaAnagrafeCommand : public Command {
public:
    QString name() const override { return QStringLiteral("scarica-anagrafe"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
