#include "refdata/Messages.h"
#include "cli/Messages.h"

#include "core/TextTable.h"
#include "requests/Messages.h"
#include "roles/Messages.h"

#include "app/Messages.h"
#include "core/IniFile.h"

namespace vx::msg::cli {

namespace {
const QString kImportable = QStringLiteral("(.xlsx, .ods, .xls, .txt)");

constexpr TextEntry<Text> kTexts[] = {
    {Text::Program, u"veltranorpx-cli"},
    {Text::UsageLabel, u"Uso: "},
    {Text::CommandsHeading, u"Comandi:"},
    {Text::ArgumentsHeading, u"Argomenti:"},
    {Text::OptionsHeading, u"Opzioni:"},
    {Text::CommandPlaceholder, u"COMANDO"},
    {Text::ArgumentsPlaceholder, u"ARGOMENTI"},
    {Text::FolderPlaceholder, u"CARTELLA"},
    {Text::HelpOption, u"mostra questo aiuto"},
    {Text::JsonOption, u"un oggetto JSON per riga (UTF-8), con i nomi delle colonne come chiavi"},
    {Text::JsonObjectOption, u"un oggetto JSON (UTF-8), con i nomi dei dati come chiavi"},
    {Text::HelpCommand, u"l'aiuto di un comando"},
    {Text::RequestArgument, u"NUMERO_RICHIESTA"},
    {Text::RequestArgumentHelp, u"il numero della richiesta (NumDoma)"},
    {Text::InfoHelp, u"tipo e versione dell'installazione, base dati, richiesta selezionata"},
    {Text::RichiesteHelp, u"elenco delle richieste"},
    {Text::RuoliHelp, u"persone e ruoli di una richiesta"},
    {Text::BackupHelp, u"copia della base dati in un archivio zip"},
    {Text::BackupArchive, u"l'archivio da creare (.zip)"},
    {Text::RipristinaHelp, u"recupero della base dati da un archivio zip"},
    {Text::RipristinaArchive, u"l'archivio da ripristinare (.zip)"},
    {Text::KeepOption, u"conserva una copia della base dati corrente nella cartella BackupDB accanto all'archivio"},
    {Text::MigraHelp,
     u"trasferisce la base dati da un file SQLite a un server PostgreSQL o viceversa, e poi il file VELTRANORPX.INI"},
    {Text::ServerOption, u"il server PostgreSQL di destinazione (nome, indirizzo o cartella del socket)"},
    {Text::PortOption, u"la porta del server (predefinita: 5432)"},
    {Text::DatabaseNameOption, u"il nome della base dati sul server"},
    {Text::TlsOption, u"il modo TLS del collegamento (per esempio verify-full)"},
    {Text::CaOption, u"il certificato dell'autorità che ha emesso quello del server"},
    {Text::MigrationFileOption, u"il file SQLite di destinazione (nuovo), per lasciare il server"},
    {Text::MigrationUsage,
     u"Indicare --server e --nome (verso un server PostgreSQL) oppure --file (verso un file SQLite)."},
    {Text::StampaHelp, u"il documento di una richiesta in PDF"},
    {Text::DraftOption, u"la bozza (predefinita)"},
    {Text::DefinitiveOption, u"il documento definitivo, che registra la stampa"},
    {Text::PdfWhereOption, u"dove scrivere il PDF (predefinito: la cartella del programma)"},
    {Text::ElencoHelp, u"l'elenco semplice di una richiesta in PDF"},
    {Text::PdfRequiredOption, u"il PDF da scrivere (obbligatorio)"},
    {Text::EsportaHelp, u"esportazione dei soggetti e ruoli di una richiesta (foglio .xlsx o testo .txt)"},
    {Text::XlsxOption, u"esporta il foglio ExportRichiesta_N.xlsx"},
    {Text::TxtOption, u"esporta il file di testo ExportRuoli_N.txt"},
    {Text::FileOption, u"scrive in PERCORSO invece che nella cartella del programma"},
    {Text::VerificaHelp, u"verifica di un file da importare; stampa le righe del rapporto delle anomalie"},
    {Text::ImportaHelp,
     u"importazione di un file: sostituisce i soggetti e ruoli della richiesta se ogni riga è corretta"},
    {Text::FileTrasmissioneHelp, u"il file di trasmissione di una richiesta stampata"},
    {Text::RecordEmailOption, u"l'indirizzo e-mail del record A (obbligatorio)"},
    {Text::OutputFolderOption, u"la cartella del file (predefinita: la cartella del programma)"},
    {Text::ControllaHelp, u"il controllo di un file di trasmissione"},
    {Text::FileToCheck, u"il file di trasmissione da controllare"},
    {Text::InviaHelp, u"la trasmissione di una richiesta alla Regione"},
    {Text::SenderEmailOption, u"l'indirizzo e-mail del mittente (obbligatorio)"},
    {Text::TrasmissioniHelp, u"lo storico delle trasmissioni"},
    {Text::HistoryRequestArgument, u"solo le trasmissioni di questa richiesta"},
    {Text::AggiornaTabelleHelp, u"carica le tabelle di decodifica dai file presenti nella cartella del programma"},
    {Text::AggiornaAnagrafeHelp, u"aggiorna la base dati dai file dell'anagrafe presenti nella cartella del programma"},
    {Text::ScaricaAnagrafeHelp, u"scarica dalla Regione l'anagrafe degli operatori e aggiorna la base dati"},
    {Text::OperatorArgument, u"gruppo e codice (A-12); nessuno: tutti gli operatori della base dati"},
    {Text::MissingCommand, u"Manca il comando"},
    {Text::NotInstalled, u"Installazione non ancora impostata: avviare il programma."},
    {Text::OneExportFormat, u"Indicare una sola delle opzioni --xlsx e --txt."},
    {Text::ImportOnPrinted,
     u"Operazione di importazione non effettuable. Per la richiesta selezionata è già avvenuta la stampa definitiva."},
    {Text::DraftOrDefinitive, u"Indicare --bozza oppure --definitiva, non entrambe."},
    {Text::PdfMissing, u"Manca l'opzione --pdf FILE."},
    {Text::EmailMissing, u"Manca l'opzione --email INDIRIZZO."},
};
static_assert(std::size(kTexts) == size_t(Text::EmailMissing) + 1 && inOrder(kTexts));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

QString folderOption()
{
    return QStringLiteral("cartella del programma, quella del file ") + IniFile::kDefaultName +
           QStringLiteral(" (predefinita: la cartella di ") + text(Text::Program) +
           QStringLiteral("; per il programma installato, quella scelta al primo avvio)");
}

QString badPort(const QString& text)
{
    return QStringLiteral("Porta non valida: ") + text;
}

QString migrationDone(const QString& where)
{
    return QStringLiteral("Base dati trasferita in %1; tabelle, righe e somme di controllo:").arg(where);
}

QString fileToVerify()
{
    return QStringLiteral("il file da verificare ") + kImportable;
}

QString fileToImport()
{
    return QStringLiteral("il file da importare ") + kImportable;
}

QString seeHelp(const QString& error)
{
    return error + QStringLiteral(" (") + text(Text::Program) + QStringLiteral(" help per l'aiuto)");
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
    return text(Text::UsageLabel) + text(Text::Program) + QLatin1Char(' ') + command + QLatin1Char(' ') +
           arguments.join(QLatin1Char(' '));
}

QString iniMissing(const QString& path)
{
    return msg::app::fileNotFound(path);
}

QString badRequestNumber(const QString& text)
{
    return QStringLiteral("Numero di richiesta non valido: ") + text;
}

QString requestNotFound(qint32 number)
{
    return QStringLiteral("Richiesta %1 non trovata.").arg(number);
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
    return msg::roles::text(msg::roles::Text::ImportRefusedTitle);
}

QString importedRows(qint32 number, qsizetype rows)
{
    return QStringLiteral("La richiesta %1 contiene ora %2 righe di soggetti e ruoli.").arg(number).arg(rows);
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
    return msg::refdata::notice(msg::refdata::Notice::ListFull).text;
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
    return {QStringLiteral("Versione programma"),
            QStringLiteral("Installazione"),
            QStringLiteral("Versione"),
            QStringLiteral("Base dati"),
            msg::requests::text(msg::requests::Text::SelectedRequest),
            QStringLiteral("Operatore"),
            QStringLiteral("Provincia"),
            QStringLiteral("Progressivo"),
            QStringLiteral("Stampata")};
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
