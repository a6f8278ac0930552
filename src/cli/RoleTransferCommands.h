#pragma once
// The export, verification and import of a Request's persons and roles from the command line:
// the same files and rules as the commands of the roles list, for scripts and administrators.

#include "cli/Command.h"

namespace vx::cli {

class EsportaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("esporta"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

class VerificaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("verifica"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

class ImportaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("importa"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
