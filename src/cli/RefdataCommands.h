#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The decode tables from the flag and table files present in the program folder.
class AggiornaTabelleCommand : public Command {
public:
    QString name() const override { return QStringLiteral("aggiorna-tabelle"); }
    QString description() const override
    {
        return QStringLiteral("carica le tabelle di decodifica dai file presenti nella cartella del programma");
    }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The database update on the registry files present (SERVER installations only); the log's path
// on standard output when notes were written.
class AggiornaAnagrafeCommand : public Command {
public:
    QString name() const override { return QStringLiteral("aggiorna-anagrafe"); }
    QString description() const override
    {
        return QStringLiteral("aggiorna la base dati dai file dell'anagrafe presenti nella cartella del programma");
    }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The registry of the operators named (or of every operator of the database) downloaded from the
// region, then the database update on it (SERVER installations only); the log's path on standard
// output when notes were written.
class ScaricaAnagrafeCommand : public Command {
public:
    QString name() const override { return QStringLiteral("scarica-anagrafe"); }
    QString description() const override
    {
        return QStringLiteral("scarica dalla Regione l'anagrafe degli operatori e aggiorna la base dati");
    }
    QList<Argument> arguments() const override
    {
        return {{QStringLiteral("OPERATORE"),
                 QStringLiteral("gruppo e codice (A-12); nessuno: tutti gli operatori della base dati"), true, true}};
    }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
