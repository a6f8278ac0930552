#include "refdata/Messages.h"
#include "cli/Messages.h"
#include "requests/Messages.h"
#include "roles/Messages.h"

#include "app/Messages.h"
#include "core/IniFile.h"

namespace vx::msg::cli {

namespace {
const QString kImportable = QStringLiteral("(.xlsx, .ods, .xls, .txt)");
} // namespace

QString program()
{
    return QStringLiteral("veltranorpx-cli");
}

QString usageLabel()
{
    return QStringLiteral("Uso: ");
}

QString commandsHeading()
{
    return QStringLiteral("Comandi:");
}

QString argumentsHeading()
{
    return QStringLiteral("Argomenti:");
}

QString optionsHeading()
{
    return QStringLiteral("Opzioni:");
}

QString commandPlaceholder()
{
    return QStringLiteral("COMANDO");
}

QString argumentsPlaceholder()
{
    return QStringLiteral("ARGOMENTI");
}

QString folderPlaceholder()
{
    return QStringLiteral("CARTELLA");
}

QString folderOption()
{
    return QStringLiteral("cartella del programma, quella del file ") + IniFile::kDefaultName +
           QStringLiteral(" (predefinita: la cartella di ") + program() +
           QStringLiteral("; per il programma installato, quella scelta al primo avvio)");
}

QString helpOption()
{
    return QStringLiteral("mostra questo aiuto");
}

QString jsonOption()
{
    return QStringLiteral("un oggetto JSON per riga (UTF-8), con i nomi delle colonne come chiavi");
}

QString jsonObjectOption()
{
    return QStringLiteral("un oggetto JSON (UTF-8), con i nomi dei dati come chiavi");
}

QString helpCommand()
{
    return QStringLiteral("l'aiuto di un comando");
}

QString requestArgument()
{
    return QStringLiteral("NUMERO_RICHIESTA");
}

QString requestArgumentHelp()
{
    return QStringLiteral("il numero della richiesta (NumDoma)");
}

QString infoHelp()
{
    return QStringLiteral("tipo e versione dell'installazione, base dati, richiesta selezionata");
}

QString richiesteHelp()
{
    return QStringLiteral("elenco delle richieste");
}

QString ruoliHelp()
{
    return QStringLiteral("persone e ruoli di una richiesta");
}

QString backupHelp()
{
    return QStringLiteral("copia della base dati in un archivio zip");
}

QString backupArchive()
{
    return QStringLiteral("l'archivio da creare (.zip)");
}

QString ripristinaHelp()
{
    return QStringLiteral("recupero della base dati da un archivio zip");
}

QString ripristinaArchive()
{
    return QStringLiteral("l'archivio da ripristinare (.zip)");
}

QString migraHelp()
{
    return QStringLiteral("trasferisce la base dati da un file SQLite a un server PostgreSQL o viceversa, e poi il "
                          "file VELTRANORPX.INI");
}

QString serverOption()
{
    return QStringLiteral("il server PostgreSQL di destinazione (nome, indirizzo o cartella del socket)");
}

QString portOption()
{
    return QStringLiteral("la porta del server (predefinita: 5432)");
}

QString databaseNameOption()
{
    return QStringLiteral("il nome della base dati sul server");
}

QString tlsOption()
{
    return QStringLiteral("il modo TLS del collegamento (per esempio verify-full)");
}

QString caOption()
{
    return QStringLiteral("il certificato dell'autorità che ha emesso quello del server");
}

QString migrationFileOption()
{
    return QStringLiteral("il file SQLite di destinazione (nuovo), per lasciare il server");
}

QString migrationUsage()
{
    return QStringLiteral("Indicare --server e --nome (verso un server PostgreSQL) oppure --file (verso un file "
                          "SQLite).");
}

QString badPort(const QString& text)
{
    return QStringLiteral("Porta non valida: ") + text;
}

QString migrationDone(const QString& where)
{
    return QStringLiteral("Base dati trasferita in %1; tabelle, righe e somme di controllo:").arg(where);
}

QString keepOption()
{
    return QStringLiteral("conserva una copia della base dati corrente nella cartella BackupDB accanto all'archivio");
}

QString stampaHelp()
{
    return QStringLiteral("il documento di una richiesta in PDF");
}

QString draftOption()
{
    return QStringLiteral("la bozza (predefinita)");
}

QString definitiveOption()
{
    return QStringLiteral("il documento definitivo, che registra la stampa");
}

QString pdfWhereOption()
{
    return QStringLiteral("dove scrivere il PDF (predefinito: la cartella del programma)");
}

QString elencoHelp()
{
    return QStringLiteral("l'elenco semplice di una richiesta in PDF");
}

QString pdfRequiredOption()
{
    return QStringLiteral("il PDF da scrivere (obbligatorio)");
}

QString esportaHelp()
{
    return QStringLiteral("esportazione dei soggetti e ruoli di una richiesta (foglio .xlsx o testo .txt)");
}

QString xlsxOption()
{
    return QStringLiteral("esporta il foglio ExportRichiesta_N.xlsx");
}

QString txtOption()
{
    return QStringLiteral("esporta il file di testo ExportRuoli_N.txt");
}

QString fileOption()
{
    return QStringLiteral("scrive in PERCORSO invece che nella cartella del programma");
}

QString verificaHelp()
{
    return QStringLiteral("verifica di un file da importare; stampa le righe del rapporto delle anomalie");
}

QString fileToVerify()
{
    return QStringLiteral("il file da verificare ") + kImportable;
}

QString importaHelp()
{
    return QStringLiteral("importazione di un file: sostituisce i soggetti e ruoli della richiesta se ogni riga è "
                          "corretta");
}

QString fileToImport()
{
    return QStringLiteral("il file da importare ") + kImportable;
}

QString fileTrasmissioneHelp()
{
    return QStringLiteral("il file di trasmissione di una richiesta stampata");
}

QString recordEmailOption()
{
    return QStringLiteral("l'indirizzo e-mail del record A (obbligatorio)");
}

QString outputFolderOption()
{
    return QStringLiteral("la cartella del file (predefinita: la cartella del programma)");
}

QString controllaHelp()
{
    return QStringLiteral("il controllo di un file di trasmissione");
}

QString fileToCheck()
{
    return QStringLiteral("il file di trasmissione da controllare");
}

QString inviaHelp()
{
    return QStringLiteral("la trasmissione di una richiesta alla Regione");
}

QString senderEmailOption()
{
    return QStringLiteral("l'indirizzo e-mail del mittente (obbligatorio)");
}

QString trasmissioniHelp()
{
    return QStringLiteral("lo storico delle trasmissioni");
}

QString historyRequestArgument()
{
    return QStringLiteral("solo le trasmissioni di questa richiesta");
}

QString aggiornaTabelleHelp()
{
    return QStringLiteral("carica le tabelle di decodifica dai file presenti nella cartella del programma");
}

QString aggiornaAnagrafeHelp()
{
    return QStringLiteral("aggiorna la base dati dai file dell'anagrafe presenti nella cartella del programma");
}

QString scaricaAnagrafeHelp()
{
    return QStringLiteral("scarica dalla Regione l'anagrafe degli operatori e aggiorna la base dati");
}

QString operatorArgument()
{
    return QStringLiteral("gruppo e codice (A-12); nessuno: tutti gli operatori della base dati");
}

QString seeHelp(const QString& error)
{
    return error + QStringLiteral(" (") + program() + QStringLiteral(" help per l'aiuto)");
}

QString negativeValue(const QString& text)
{
    return QStringLiteral("Valore non valido: %1 (numeri di richiesta e di posizione sono positivi)").arg(text);
}

QString unknownOption(const QString& name)
{
    return QStringLiteral("Opzione sconosciuta: ") + name;
}

QString missingValue(const QString& option)
{
    return QStringLiteral("Manca il valore dell'opzione ") + option;
}

QString unexpectedValue(const QString& option)
{
    return QStringLiteral("L'opzione ") + option + QStringLiteral(" non accetta valori");
}

QString missingCommand()
{
    return QStringLiteral("Manca il comando");
}

QString unknownCommand(const QString& name)
{
    return QStringLiteral("Comando sconosciuto: ") + name;
}

QString takesNoArguments(const QString& command)
{
    return command + QStringLiteral(" non accetta argomenti.");
}

QString usage(const QString& command, const QStringList& arguments)
{
    return usageLabel() + program() + QLatin1Char(' ') + command + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
}

QString iniMissing(const QString& path)
{
    return msg::app::fileNotFound(path);
}

QString notInstalled()
{
    return QStringLiteral("Installazione non ancora impostata: avviare il programma.");
}

QString badRequestNumber(const QString& text)
{
    return QStringLiteral("Numero di richiesta non valido: ") + text;
}

QString requestNotFound(qint32 number)
{
    return QStringLiteral("Richiesta %1 non trovata.").arg(number);
}

QString oneExportFormat()
{
    return QStringLiteral("Indicare una sola delle opzioni --xlsx e --txt.");
}

QString exportFailed(const QString& path, const QString& reason)
{
    return QStringLiteral("Non è stato possibile creare il file ") + path + QStringLiteral(": ") + reason;
}

QString unknownFileType(const QString& argument)
{
    return QStringLiteral("Tipo di file non riconosciuto: ") + argument;
}

QString unreadable(const QString& path, const QString& reason)
{
    return QStringLiteral("Il file '") + path + QStringLiteral("' non è leggibile: ") + reason;
}

QString nothingToImport(const QString& path)
{
    return QStringLiteral("Il file '") + path +
           QStringLiteral("' non contiene righe da importare. I dati della richiesta non sono stati modificati.");
}

QString importRefused()
{
    return msg::roles::importRefusedTitle();
}

QString importOnPrinted()
{
    return QStringLiteral("Operazione di importazione non effettuable. Per la richiesta selezionata è già avvenuta "
                          "la stampa definitiva.");
}

QString importedRows(qint32 number, qsizetype rows)
{
    return QStringLiteral("La richiesta %1 contiene ora %2 righe di soggetti e ruoli.").arg(number).arg(rows);
}

QString draftOrDefinitive()
{
    return QStringLiteral("Indicare --bozza oppure --definitiva, non entrambe.");
}

QString pdfMissing()
{
    return QStringLiteral("Manca l'opzione --pdf FILE.");
}

QString emailMissing()
{
    return QStringLiteral("Manca l'opzione --email INDIRIZZO.");
}

QString notPrinted(qint32 number)
{
    return QStringLiteral("La Richiesta %1 non è stata stampata in definitivo: nessun file di trasmissione scritto.")
        .arg(number);
}

QString cannotRead(const QString& path)
{
    return QStringLiteral("Impossibile leggere il file ") + path;
}

QString badOperator(const QString& argument)
{
    return QStringLiteral("Operatore non valido: ") + argument +
           QStringLiteral(" (atteso gruppo e codice, per esempio A-12)");
}

QString operatorLimit()
{
    return msg::refdata::listFull().text;
}

QString nothingToLoad(const QString& folder)
{
    return QStringLiteral("Nessun file dell'anagrafe da caricare nella cartella ") + folder +
           QStringLiteral(": la base dati non è stata modificata.");
}

QString emptyTableFile(const QString& path)
{
    return QStringLiteral("Il file ") + path +
           QStringLiteral(" è vuoto: aggiornamento delle tabelle di decodifica interrotto.");
}

QStringList infoLabels()
{
    return {QStringLiteral("Versione programma"), QStringLiteral("Installazione"),  QStringLiteral("Versione"),
            QStringLiteral("Base dati"),          msg::requests::selectedRequest(), QStringLiteral("Operatore"),
            QStringLiteral("Provincia"),          QStringLiteral("Progressivo"),    QStringLiteral("Stampata")};
}

QStringList richiesteColumns()
{
    return {QStringLiteral("NumDoma"), QStringLiteral("Operatore"), QStringLiteral("Prov"),
            QStringLiteral("Domanda"), QStringLiteral("Stampata"),  QStringLiteral("Trasmessa")};
}

QStringList trasmissioniColumns()
{
    return {QStringLiteral("DataOra"),    QStringLiteral("NumDoma"), QStringLiteral("NomeFile"),
            QStringLiteral("Dimensione"), QStringLiteral("SHA256"),  QStringLiteral("Esito"),
            QStringLiteral("Risposta")};
}

} // namespace vx::msg::cli
