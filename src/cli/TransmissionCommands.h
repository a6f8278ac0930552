#pragma once

#include "cli/Command.h"

namespace vx::cli {

// The transmission file of a printed Request, without the version check, into a folder.
class FileTrasmissioneCommand : public Command {
public:
    QString name() const override { return QStringLiteral("file-trasmissione"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The check before sending, on any transmission file: the report on standard output.
class ControllaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("controlla"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The upload of a printed Request to the region, version check included, for a scheduled job.
class InviaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("invia"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The history of transmissions, of every Request or of one.
class TrasmissioniCommand : public Command {
public:
    QString name() const override { return QStringLiteral("trasmissioni"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override { return {jsonOption()}; }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
