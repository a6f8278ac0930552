#include "app/Messages.h"

#include "assist/Messages.h"
#include "core/Messages.h"
#include "core/TextTable.h"
#include "print/Messages.h"
#include "refdata/Messages.h"
#include "requests/Messages.h"

#include "Version.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"

#include <QDir>
#include <QStringList>

namespace vx::msg::app {

namespace {
const QString kSaveTitle = msg::core::text(msg::core::Text::SaveDataTitle);
const QString kWaitShort = QStringLiteral("Attendere...");

QString lines(const QStringList& list)
{
    return list.join(QLatin1Char('\n'));
}

Message initError(const QString& text)
{
    return {text, msg::app::text(Text::InitErrorTitle), Icon::Critical, Buttons::Ok};
}

// The first installation's registry files: `verb` is what the user is asked to do with them.
Message incompleteDatabase(const QString& verb, const QString& folder)
{
    return {QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari (è "
                           "possibile che si trovino ancora nella cartella temporanea dove è stato scaricato il "
                           "pacchetto di installazione da Internet. In tal caso, ") +
                verb + QStringLiteral(" da tale cartella tutti i files .TX1 nella cartella ") + folder +
                QStringLiteral(")."),
            msg::refdata::text(msg::refdata::Text::InstallTitle), Icon::Critical, Buttons::Ok};
}

constexpr TextEntry<Text> kTexts[] = {
    {Text::FrameCaption, u"Richiesta Profilazione Ruoli per Gestione Percorsi Formativi"},
    {Text::InstallationCaption, u"Installazione"},
    {Text::InstallationScreenCaption, u"Impostazioni di installazione"},
    {Text::DatabaseFrame, u"Base dati"},
    {Text::LocalOption, u"Locale"},
    {Text::SharedOption, u"In rete"},
    {Text::DatabasePathLabel, u"Percorso della base dati:"},
    {Text::BrowseCaption, u"Sfoglia..."},
    {Text::HelpCaption, u"Help"},
    {Text::VersionScreenCaption, u"Versione dell'applicativo"},
    {Text::VersionFrame, u"Versione"},
    {Text::VersionQuestion, u"Scegliere la versione dell'applicativo:"},
    {Text::VersionNote, u"SERVER: la postazione che aggiorna la base dati e ne conserva le copie.\nCLIENT: una "
                        u"postazione che usa la base dati di un SERVER."},
    {Text::InitErrorTitle, u"Errore di inizializzazione"},
    {Text::MigrationSameEngine, u"La base dati indicata è dello stesso tipo di quella in uso: il trasferimento copia i "
                                u"dati da un file SQLite a un server PostgreSQL o viceversa."},
    {Text::MigrationSumsDiffer, u"I dati copiati non corrispondono all'originale (numero di righe o somme di "
                                u"controllo): l'installazione continua a usare la base dati di prima."},
    {Text::ServerOption, u"Su un server PostgreSQL"},
    {Text::ServerHostLabel, u"Server:"},
    {Text::ServerPortLabel, u"Porta:"},
    {Text::ServerTlsLabel, u"Collegamento cifrato (TLS):"},
    {Text::ServerCaLabel, u"Certificato dell'autorità del server:"},
    {Text::ServerUserLabel, u"Utente sul server:"},
    {Text::ServerUserPlaceholder, u"(il nome di accesso a questo computer)"},
    {Text::MoveDatabaseCaption, u"Trasferisci i dati"},
    {Text::FileEngineOption, u"In un file"},
    {Text::DatabasePasswordTitle, u"Accesso alla base dati"},
    {Text::InstallationFolderTitle, u"Cartella dell'installazione"},
    {Text::NoInstallationChosen, u"Nessuna installazione scelta: avviare una prima volta il programma VELTRANORPX per "
                                 u"crearne una, oppure indicarne la cartella con --cartella."},
    {Text::SchemaUpgradeTitle, u"Aggiornamento della base dati"},
    {Text::InstallingTables, u"INSTALLAZIONE TABELLE"},
    {Text::UpdatingTables, u"AGGIORNAMENTO TABELLE"},
    {Text::Installing, u"INSTALLAZIONE"},
    {Text::WaitTables, u"Attendere ...."},
    {Text::FileLabel, u"File:"},
    {Text::TableLabel, u"Tabella:"},
    {Text::RecordsLabel, u"Record:"},
    {Text::OptionsCaption, u"Opzioni"},
    {Text::MultiutenzaOption, u"Multiutenza"},
    {Text::DatabaseLabel, u"Base dati:"},
    {Text::NetworkFrame, u"Rete"},
    {Text::EmailLabel, u"E-mail:"},
    {Text::FirstMailServer, u"Server di posta principale"},
    {Text::SecondMailServer, u"Server di posta alternativo"},
    {Text::OwnMailServer, u"Proprio server di posta:"},
    {Text::CertificateLabel, u"Certificato personale:"},
    {Text::CertificateTooltip,
     u"File del certificato digitale personale (PKCS#12, .p12 o .pfx) usato per l'identificazione presso la Regione"},
    {Text::LookFrame, u"Aspetto dei comandi"},
    {Text::UnderlineOption, u"Sottolinea"},
    {Text::BoldOption, u"Aumenta"},
    {Text::ColourOption, u"Cambia colore"},
    {Text::MainTitle, u"Richiesta di PROFILAZIONE "},
    {Text::MainSubtitle, u"per l'accesso ai sistemi di Gestione Percorsi Formativi"},
    {Text::Disclaimer, u"Tutti i dati inseriti sono autocertificati sotto la responsabilità del legale rappresentante "
                       u"dell'operatore che sottoscrive la richiesta."},
    {Text::OperatorLabel, u"Operatore:"},
    {Text::NumberLabel, u"Dom."},
    {Text::ShowCalendar, u"Mostra calendario"},
    {Text::HideCalendar, u"Nascondi calendario"},
    {Text::FolderOption, u"Cartella del programma (predefinita: quella dell'eseguibile)."},
    {Text::ExitWhenReadyOption, u"Termina appena la finestra principale è pronta (misure)."},
    {Text::ReservedWordArgument, u"Parola riservata della diagnostica."},
    {Text::CheckTitle, u"Controllo dati"},
};
static_assert(std::size(kTexts) == size_t(Text::CheckTitle) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::NoDatabaseChosen, u"Selezionare una base dati.", title(Text::CheckTitle), Icon::Critical, Buttons::Ok},
    {Notice::NotADatabase, u"Il file selezionato non è un database SQLite.", title(Text::CheckTitle), Icon::Critical,
     Buttons::Ok},
    {Notice::DatabaseFileMissing, u"File inesistente.", title(Text::CheckTitle), Icon::Critical, Buttons::Ok},
    {Notice::AbortInstallation, u"Si è sicuri di voler interrompere l'installazione?", title(Text::InstallationCaption),
     Icon::None, Buttons::YesNo},
    {Notice::ChooseVersion, u"Scegliere la versione dell'applicativo: SERVER o CLIENT", title(Text::CheckTitle),
     Icon::Critical, Buttons::Ok},
    {Notice::ServerChoiceIncomplete, u"Indicare il server e il nome della base dati.", title(Text::InstallationCaption),
     Icon::Exclamation, Buttons::Ok},
    {Notice::ServerSettingsAgain,
     u"La base dati sul server non è disponibile.\n\nScegliere di nuovo dove si trova la base dati? (No: chiudere il "
     u"programma)",
     title(Text::InitErrorTitle), Icon::Question, Buttons::YesNo},
    {Notice::SaveChanges, u"Salvare le modifiche effettuate?", u"Salvataggio", Icon::None, Buttons::YesNo},
    {Notice::NoVerifier,
     u"Non risulta essere stato inserito nemmeno un soggetto con il ruolo di Verificatore.\nCio' potrebbe "
     u"rappresentare una anomalia.\nIn caso di dubbi verificare nuovamente i dati prima di procedere alla stampa "
     u"definitiva.\nIn caso contrario ignorare questo messaggio.",
     u"Controllo Compilazione", Icon::Information, Buttons::Ok},
    {Notice::NoPersons,
     u"Nessuna scheda di profilazione è presente sulla richiesta selezionata: impossibile stampare e inviare la "
     u"domanda!",
     u"Invio domanda", Icon::Critical, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::NoPersons) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

QString frameCaptionWith(const QString& screenCaption)
{
    return text(Text::FrameCaption) + QStringLiteral(" - [") + screenCaption + QLatin1Char(']');
}

QString productName()
{
    return kAppTitle;
}

FileChoice databaseChoice(const QString& folder)
{
    return {QStringLiteral("Selezionare la base dati"), folder, QStringLiteral("Database SQLite (*.db)|*.db"),
            QString()};
}

QString fileNotFound(const QString& path)
{
    return QStringLiteral("Impossibile trovare il file ") + path;
}

QString databaseNotFound(const QString& path)
{
    return QStringLiteral("File base dati non presente.") + path;
}

Message iniMissing()
{
    return initError(fileNotFound(IniFile::kDefaultName) + QStringLiteral(".\nLa procedura verrà terminata."));
}

Message invalidSettings()
{
    const QString ini = IniFile::kDefaultName;
    return initError(lines({QStringLiteral("E' stata rilevata una situazione anomala in fase di inizializzazione."),
                            QStringLiteral("Le impostazioni di ") + ini + QStringLiteral(" non sono valide."),
                            QStringLiteral("Il programma verrà terminato."),
                            QStringLiteral("La procedura cercherà di correggere il problema automaticamente."),
                            QStringLiteral("Sarà chiesta nuovamente l'impostazione dell'installazione."),
                            QStringLiteral("Eventuali dati salvati non verranno persi."),
                            QStringLiteral("Premere 'Ok' quindi riavviare il programma."),
                            QStringLiteral("Se il problema persiste, contattare l'assistenza tecnica.")}));
}

Message databaseMissing(const QString& path)
{
    const QString ini = IniFile::kDefaultName;
    return {lines({databaseNotFound(path), QStringLiteral("Non è possibile utilizzare il programma."), QString(),
                   QStringLiteral("La base dati è stata rimossa o spostata oppure alcune impostazioni del file ") +
                       ini + QStringLiteral(" sono errate."),
                   QString(),
                   QStringLiteral("E' possibile correggere l'errore reimpostando l'installazione del programma, "
                                  "eventuali dati salvati non verranno persi."),
                   QStringLiteral("Premere 'Sì' per procedere alla correzione automatica, quindi riavviare il "
                                  "programma."),
                   QStringLiteral("Se il problema persiste contattare l'assistenza tecnica.")}),
            QStringLiteral("Imposta base dati"), Icon::Critical, Buttons::YesNo};
}

Message openFailed(const DbError& e)
{
    return initError(errorLines(e));
}

Message databaseHeld(const DbError& e)
{
    // Retry, as a save offers it: the other program may end, or its save finish, in a moment.
    Message m = initError(QStringLiteral("Errore ") + e.number + QLatin1Char('\n') + e.description +
                          QStringLiteral("\nIl programma è già aperto su questa base dati, su questo computer o su "
                                         "un'altra postazione."));
    m.buttons = Buttons::RetryCancel;
    return m;
}

QString migrationSourceBusy(const QString& error)
{
    return QStringLiteral("La base dati in uso non si può avere in uso esclusivo (altre postazioni potrebbero "
                          "essere collegate):\n") +
           error;
}

QString migrationTargetUnusable(const QString& error)
{
    return QStringLiteral("Impossibile usare la base dati di destinazione:\n") + error;
}

QString migrationTargetNotEmpty(const QString& where)
{
    return QStringLiteral("La base dati %1 contiene già dei dati: il trasferimento va fatto su una base dati vuota.")
        .arg(where);
}

QString migrationFileExists(const QString& path)
{
    return QStringLiteral("Il file %1 esiste già: indicare un file nuovo.").arg(path);
}

Message migrationDone(const QString& where)
{
    return {QStringLiteral("Base dati trasferita in %1: righe e somme di controllo di ogni tabella corrispondono.\n"
                           "Il programma verrà chiuso: riavviarlo per usare la nuova base dati.")
                .arg(where),
            msg::core::text(msg::core::Text::SaveDataTitle), Icon::Information, Buttons::Ok};
}

Message migrationFailed(const QString& problem)
{
    return {QStringLiteral("Trasferimento della base dati non eseguito.\n") + problem,
            msg::core::text(msg::core::Text::SaveDataTitle), Icon::Critical, Buttons::Ok};
}

QString tlsModeCaption(const QString& mode)
{
    if (mode.isEmpty())
        return QStringLiteral("predefinito");
    if (mode == QLatin1String("verify-full"))
        return QStringLiteral("verify-full (cifrato, server verificato)");
    return mode;
}

FileChoice serverCaChoice(const QString& folder)
{
    return {QStringLiteral("Certificato dell'autorità del server"), folder,
            QStringLiteral("Certificati (*.pem *.crt)|*.pem;*.crt|Tutti i file (*.*)|*.*"), QString()};
}

Message serverTlsUnknown(const QString& mode)
{
    return {QStringLiteral("Modo TLS sconosciuto: %1").arg(mode), text(Text::InstallationCaption), Icon::Exclamation,
            Buttons::Ok};
}

Message serverCaMissing(const QString& path)
{
    return {QStringLiteral("Il certificato dell'autorità del server non esiste: %1").arg(path),
            text(Text::InstallationCaption), Icon::Exclamation, Buttons::Ok};
}

Message serverSettingsIncomplete()
{
    return initError(QStringLiteral("Le impostazioni della base dati sul server sono incomplete: nel file ") +
                     IniFile::kDefaultName +
                     QStringLiteral(" mancano il server (Server) o il nome della base dati (NomeBaseDati).\n"
                                    "Correggerle con le Opzioni o chiedere all'amministratore."));
}

QString databasePassword(const QString& where, bool again)
{
    return (again ? QStringLiteral("Password non accettata.\n") : QString()) +
           QStringLiteral("Password per la base dati %1:").arg(where);
}

Message createTablesQuestion(const QString& where)
{
    return {QStringLiteral("La base dati %1 non contiene le tabelle di VELTRANORPX.\n"
                           "Crearle ora? (Tutte le postazioni useranno questa base dati.)")
                .arg(where),
            msg::refdata::text(msg::refdata::Text::InstallTitle), Icon::Question, Buttons::YesNo};
}

Message databaseReadOnly(const DbError& e, const QString& path)
{
    return initError(QStringLiteral("Errore ") + e.number + QLatin1Char('\n') + e.description +
                     QStringLiteral("\nNon è possibile scrivere nel file della base dati ") + path +
                     QStringLiteral(": verificare i permessi del file e della sua cartella, quindi riavviare il "
                                    "programma."));
}

Message serverReadOnly(const DbError& e, const QString& where)
{
    return initError(QStringLiteral("Errore ") + e.number + QLatin1Char('\n') + e.description +
                     QStringLiteral("\nLa base dati ") + where +
                     QStringLiteral(" non accetta modifiche da questo utente: verificare con l'amministratore del "
                                    "server i diritti dell'utente e che la base dati non sia in sola lettura, quindi "
                                    "riavviare il programma."));
}

Message chooseInstallationFolder(const QString& proposed)
{
    return {QStringLiteral("Prima di iniziare occorre scegliere la cartella dell'installazione: vi saranno "
                           "creati il file di configurazione, la base dati, le copie di sicurezza e i file "
                           "prodotti dal programma.\n\nPer una postazione StandAlone basta una cartella "
                           "dell'utente (per esempio %1); per un'installazione condivisa (Multiutenza) "
                           "scegliere la cartella di rete condivisa fra le postazioni.")
                .arg(QDir::toNativeSeparators(proposed)),
            text(Text::InstallationFolderTitle), Icon::Information, Buttons::OkCancel};
}

Message systemFolderRefused(const QString& path)
{
    return {QStringLiteral("%1 è una cartella del sistema: scegliere per i dati del programma una cartella propria, "
                           "per esempio nei Documenti.")
                .arg(path),
            text(Text::InstallationFolderTitle), Icon::Exclamation, Buttons::RetryCancel};
}

Message installationFolderNotWritable(const QString& path)
{
    return {QStringLiteral("Non è possibile scrivere in %1: scegliere una cartella in cui si abbia il permesso "
                           "di scrivere.")
                .arg(path),
            text(Text::InstallationFolderTitle), Icon::Exclamation, Buttons::RetryCancel};
}

Message schemaUpgraded(int from, int to, const QString& copy)
{
    return {QStringLiteral("La base dati è stata aggiornata dalla versione %1 alla versione %2 di VELTRANORPX.\n"
                           "Una copia della base dati com'era prima è in:\n%3")
                .arg(from)
                .arg(to)
                .arg(QDir::toNativeSeparators(copy)),
            text(Text::SchemaUpgradeTitle), Icon::Information, Buttons::Ok};
}

Message schemaUpgradeFailed(const DbError& e, const QString& copy)
{
    QString text = QStringLiteral("Non è stato possibile aggiornare la base dati alla versione di questo programma: "
                                  "la base dati non è stata modificata.\n") +
                   errorLines(e);
    if (!copy.isEmpty())
        text += QStringLiteral("\nUna copia della base dati è in:\n") + QDir::toNativeSeparators(copy);
    return {text, msg::app::text(Text::SchemaUpgradeTitle), Icon::Critical, Buttons::Ok};
}

Message registryFilesMissing(const QString& folder)
{
    return incompleteDatabase(QStringLiteral("spostare"), folder);
}

Message siteFilesMissing(const QString& folder)
{
    return incompleteDatabase(QStringLiteral("spostate"), folder);
}

QString progressCaption()
{
    return QStringLiteral("  ") + text(Text::InstallationCaption);
}

QString wait()
{
    return kWaitShort;
}

QString versionLabel(int major, int minor, int revision)
{
    return QStringLiteral("Ver. %1.%2.%3").arg(major).arg(minor).arg(revision);
}

Message ownMailServerMissing()
{
    return {QStringLiteral("Indicare l'indirizzo del proprio server di posta."), kSaveTitle, Icon::Critical,
            Buttons::Ok};
}

Message serverUnusable(const Message& failure)
{
    Message m = failure;
    m.text += QStringLiteral("\n\nRiprovare?");
    m.buttons = Buttons::RetryCancel;
    return m;
}

Message serverAlternatives(const QString& lastFile)
{
    return {QStringLiteral("La base dati sul server non è disponibile.\n\n"
                           "Sì: usare la base dati su file usata in precedenza:\n%1\n"
                           "No: scegliere di nuovo dove si trova la base dati\n"
                           "Annulla: chiudere il programma")
                .arg(QDir::toNativeSeparators(lastFile)),
            text(Text::InitErrorTitle), Icon::Question, Buttons::YesNoCancel};
}

Message serverNotSaved(const Message& failure)
{
    return {failure.text + QStringLiteral("\n\nLe impostazioni non sono state salvate: correggere i dati del server "
                                          "e riprovare, oppure scegliere la base dati su file."),
            kSaveTitle, Icon::Critical, Buttons::Ok};
}

Message restartNeeded()
{
    return {QStringLiteral("Sono state modificate delle impostazioni di installazione.\n"
                           "E' necessario riavviare l'applicativo."),
            kSaveTitle, Icon::Information, Buttons::Ok};
}

FileChoice certificateChoice(const QString& folder)
{
    return {QStringLiteral("Selezionare il certificato personale"), folder,
            QStringLiteral("Certificato personale (*.p12 *.pfx)|*.p12;*.pfx"), QString()};
}

QString lastUpdateLabel(const QString& date)
{
    return QStringLiteral("Ultimo aggiornamento aziende:  ") + date;
}

QString mainCaption(const QString& version)
{
    QString text = QStringLiteral("Censimento Dati Operatori ") + QLatin1Char(' ') + QString::fromLatin1(kVersionText);
    if (version == Settings::kServer)
        text += QStringLiteral(" ***SERVER***");
    else if (version == Settings::kClient)
        text += QStringLiteral(" ___CLIENT___");
    return text;
}

Message versionInvalid()
{
    return {QStringLiteral("Le impostazioni del file ") + IniFile::kDefaultName +
                QStringLiteral(" riguardo la versione\nNon sono valide. Contattare l'assistenza tecnica."),
            QStringLiteral("Errore nel file ini"), Icon::Critical, Buttons::Ok};
}

Message noRequestSelected()
{
    return {QStringLiteral("Selezionare prima la DOMANDA da compilare (Inserisci/Seleziona Domanda)"),
            msg::core::text(msg::core::Text::UnavailableFunctionTitle), Icon::Exclamation, Buttons::Ok};
}

Message noLegalSeat()
{
    return {QStringLiteral("Sede Legale del Soggetto Attuatore non trovata! Impossibile stampare la bozza della "
                           "domanda."),
            commandCaption(Command::StBozza), Icon::Critical, Buttons::Ok};
}

QString linkCaption(Link link)
{
    switch (link) {
    case Link::Producer:
        return QStringLiteral("Produttore del programma");
    case Link::Ministry:
        return QStringLiteral("Ministero del Lavoro");
    case Link::Region:
        return QStringLiteral("Formazione Professionale");
    case Link::SocialFund:
        return QStringLiteral("Fondo Sociale Europeo");
    }
    Q_UNREACHABLE();
}

Message linkQuestion(Link link)
{
    QString description;
    switch (link) {
    case Link::Producer:
        description = QStringLiteral(" sito del produttore del programma");
        break;
    case Link::Ministry:
        description = QStringLiteral(" Ministero del Lavoro e delle Politiche Sociali");
        break;
    case Link::Region:
        description = QStringLiteral(" sito della Formazione Professionale della Regione");
        break;
    case Link::SocialFund:
        description = QStringLiteral(" ") + linkCaption(Link::SocialFund);
        break;
    }
    return {QStringLiteral("Collegamento alla pagina principale del") + description + QStringLiteral(".\nProcedere?"),
            QStringLiteral("Collegamento a ") + description, Icon::None, Buttons::YesNo};
}

QString commandCaption(Command command)
{
    switch (command) {
    case Command::SelDoma:
        return QStringLiteral("Inserisci / Seleziona Richiesta");
    case Command::Ruoli:
        return QStringLiteral("Nominativi e Ruoli");
    case Command::StBozza:
        return msg::print::text(msg::print::Text::DraftCaption);
    case Command::Invia1:
        return QStringLiteral("Stampa Definitivo Invio Richiesta");
    case Command::AggInst:
        return QStringLiteral("Aggiorna base dati");
    case Command::Backup:
        return QStringLiteral("Salvataggio/ Recupero Dati");
    case Command::Opzioni:
        return text(Text::OptionsCaption);
    case Command::MailHelp:
        return msg::assist::text(msg::assist::Text::Title);
    case Command::Help:
        return QStringLiteral("Aiuto (tasto F1)");
    case Command::Esci:
        return msg::core::text(msg::core::Text::ExitCaption);
    }
    Q_UNREACHABLE();
}

QString commandHint(Command command)
{
    switch (command) {
    case Command::SelDoma:
        return QStringLiteral("Inserimento/Cancellazione/Selezione Domanda da compilare");
    case Command::Ruoli:
        return QString();
    case Command::StBozza:
        return QStringLiteral("Stampa Bozza della Domanda in compilazione");
    case Command::Invia1:
        return QStringLiteral("Stampa del modulo di Domanda in forma definitiva e invio dati alla Regione");
    case Command::AggInst:
        return QStringLiteral(
            "Aggiorna dati anagrafici operatori proponenti e sedi legali / aziende committenti dei corsi");
    case Command::Backup:
        return commandCaption(Command::Backup);
    case Command::Opzioni:
        return QStringLiteral("Impostazioni grafiche schermata principale");
    case Command::MailHelp:
        return QStringLiteral("Avvia il browser per contattare l'Assistenza K.V.R.");
    case Command::Help:
        return QStringLiteral("Aiuto contestuale in linea");
    case Command::Esci:
        return QStringLiteral("Esci dal programma");
    }
    Q_UNREACHABLE();
}

QString selectedRequestFrame()
{
    return msg::requests::text(msg::requests::Text::SelectedRequest);
}

QString loadingPanel()
{
    return QStringLiteral("Caricamento in corso. ") + kWaitShort;
}

QString updatePanel()
{
    return QStringLiteral("Aggiornamento base dati in corso.\n") + kWaitShort;
}

} // namespace vx::msg::app
