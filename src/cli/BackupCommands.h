#pragma once

#include "cli/Command.h"

namespace vx::cli {

// A backup of the database into a zip archive: a consistent snapshot, the archive replaced only
// by a whole new one; FileBackup names it afterwards.
class BackupCommand : public Command {
public:
    QString name() const override { return QStringLiteral("backup"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// The restore of an archive made by a backup, with every check of the backup screen; refused
// while the program or another workstation holds the database.
class RipristinaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("ripristina"); }
    QString description() const override;
    QList<Argument> arguments() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

// Moves the installation's database between a SQLite file and a database on a PostgreSQL server,
// proves every table equal on both sides, and only then rewrites the INI.
class MigraCommand : public Command {
public:
    QString name() const override { return QStringLiteral("migra"); }
    QString description() const override;
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
