#pragma once
// The export, verification and import of a Request's persons and roles from the command line:
// the same files and rules as the commands of the roles list, for scripts and administrators.

#include "cli/Command.h"

namespace vx::cli {

class EsportaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("esporta"); }
    QString description() const override
    {
        return QStringLiteral("esportazione dei soggetti e ruoli di una richiesta (foglio .xlsx o testo .txt)");
    }
    QList<Argument> arguments() const override
    {
        return {{QStringLiteral("NUMERO_RICHIESTA"), QStringLiteral("il numero della richiesta (NumDoma)")}};
    }
    QList<QCommandLineOption> options() const override;
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

class VerificaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("verifica"); }
    QString description() const override
    {
        return QStringLiteral("verifica di un file da importare; stampa le righe del rapporto delle anomalie");
    }
    QList<Argument> arguments() const override
    {
        return {{QStringLiteral("NUMERO_RICHIESTA"), QStringLiteral("il numero della richiesta (NumDoma)")},
                {QStringLiteral("FILE"), QStringLiteral("il file da verificare (.xlsx, .ods, .xls, .txt)")}};
    }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

class ImportaCommand : public Command {
public:
    QString name() const override { return QStringLiteral("importa"); }
    QString description() const override
    {
        return QStringLiteral("importazione di un file: sostituisce i soggetti e ruoli della richiesta se ogni riga "
                              "è corretta");
    }
    QList<Argument> arguments() const override
    {
        return {{QStringLiteral("NUMERO_RICHIESTA"), QStringLiteral("il numero della richiesta (NumDoma)")},
                {QStringLiteral("FILE"), QStringLiteral("il file da importare (.xlsx, .ods, .xls, .txt)")}};
    }
    int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                QTextStream& err) override;
};

} // namespace vx::cli
