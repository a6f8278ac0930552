#include "store/Messages.h"
#include "core/Messages.h"
#include "roles/Messages.h"

#include "core/TextTable.h"

#include "store/ErrorTrap.h"

#include <QLocale>

#include <array>

namespace vx::msg::roles {

namespace {

const QString kConcurrentAccess = msg::store::text(msg::store::Text::ConcurrentAccessTitle);
const QString kReportPrefix = QStringLiteral(" -  ");
const QString kAnomalyTitle = text(Text::ImportRefusedTitle);
const QString kNotSaved = QStringLiteral("Il soggetto non è stato salvato.");

Message plain(const QString& text)
{
    return {text, kAppTitle, Icon::None, Buttons::Ok};
}

Message plain(const char* text)
{
    return plain(QString::fromUtf8(text));
}

// The card's texts, in the order of CardCheck; true where the field was left empty.
struct CheckText {
    const char* text;
    bool required;
};
// clang-format off
constexpr CheckText kChecks[] = {
    {"Inserire il codice fiscale", true},
    {"Formato codice fiscale non corretto.", false},
    {"Inserire il cognome", true},
    {"Inserire il nome", true},
    {"Inserire il giorno", true},
    {"Formato giorno non corretto.", false},
    {"Inserire il mese", true},
    {"Formato mese non corretto.", false},
    {"Inserire l'anno", true},
    {"Formato anno non corretto.", false},
    {"Inserire l'indirizzo di posta elettronica", true},
    {"Inserire il numero di telefono.", true},
    {"Numero di telefono: inserire solo numeri", false},
    {"Cognome: sono presenti caratteri non permessi", false},
    {"Nome: sono presenti caratteri non permessi", false},
    {"E-mail: sono presenti caratteri non permessi", false},
    {"Selezionare  l'operatore.", false},
    {"Selezionare il ruolo.", false},
    {"Per il ruolo selezionato deve essere indicata la Sede.", false},
    {"Per il ruolo selezionato NON deve essere indicata la Sede.", false},
    {"Anno e codice fiscale non coerenti.", false},
    {"Mese e codice fiscale non coerenti.", false},
    {"Giorno e codice fiscale non coerenti.", false},
    {"Il giorno non è corretto.", false},
    {"Il mese non è corretto.", false},
    {"l'anno non è corretto.", false},
    {"Il formato del codice fiscale non è corretto.", false},
    {"Il formato del codice fiscale non è corretto (incoerenza del carattere di controllo finale).", false},
    {"Il formato del codice fiscale non è corretto (incoerenza nel COGNOME).", false},
    {"Il formato del codice fiscale non è corretto (incoerenza nel NOME).", false},
    {"Il formato del codice fiscale non è coerente con il cognome.", false},
    {"Il formato del codice fiscale non è coerente con il nome", false},
    {"Il formato e-mail non corretto.", false},
    {"l'indirizzo di posta elettronica contien caratteri non consentiti.", false},
};
static_assert(std::size(kChecks) == size_t(CardCheck::EmailForbidden) + 1);

// The report's texts after " -  ", in the order of ReportFault; the three agreements of the
// date with the code and the code's format are the card's own words.
constexpr const char* kReport[] = {
    "Riga non corretta: più di 51 campi.",
    "Duplicazione di chiave!!!.",
    nullptr, nullptr, nullptr, nullptr,
    "Lunghezza non corretta nel Cognome.",
    "Caratterri non permessi nel Cognome.",
    "Lunghezza non corretta nel Nome.",
    "Caratterri non permessi nel Nome.",
    "la data GG deve essre di due cifre.",
    "la data MM deve essre di due cifre.",
    "la data AAAA deve essere di 4 cifre.",
    "il formato della data non è gg/mm/aaaa.",
    "Email MAX 80 caratteri.",
    "Email: assenza @",
    "Email: assenza '.'",
    "Email: presenza '@.'",
    "Email: formato",
    "Tel MAX 20 caratteri.",
    "Tel solo cifre.",
    "GruppoOperatore.",
    "CodiceOperatore: MAX 5 cifre.",
    "Codice Operatore non corretto",
    "Sede: codice non presente nella base dati.",
    "Codice Ruolo non presente nella base dati.",
    "Per il Ruolo 1 la sede deve essere 0.",
    "Per il ruolo 2 e 3 la sede deve essere.",
};
// clang-format on
static_assert(std::size(kReport) == size_t(ReportFault::RuoloAtSite) + 1);

QString fileKind(bool sheet)
{
    return sheet ? QStringLiteral("XLS") : QStringLiteral("TXT");
}

// What a field wants, said under the card's word on a value of the wrong shape.
QString wanted(CardCheck check)
{
    switch (check) {
    case CardCheck::CodFiscaleLength:
        return QStringLiteral("Il codice fiscale è di 16 caratteri, lettere e cifre (per esempio RSSMRA85T10A562S).");
    case CardCheck::GiornoLength:
        return QStringLiteral("Indicare il giorno con due cifre (per esempio 05).");
    case CardCheck::MeseLength:
        return QStringLiteral("Indicare il mese con due cifre (per esempio 02 per febbraio).");
    case CardCheck::AnnoLength:
        return QStringLiteral("Indicare l'anno con quattro cifre (per esempio 1985).");
    default:
        return QString();
    }
}

QString checkText(CardCheck check)
{
    return QString::fromUtf8(kChecks[size_t(check)].text);
}

} // namespace

Message cardCheck(CardCheck check)
{
    const CheckText& c = kChecks[size_t(check)];
    if (c.required)
        return {checkText(check), QStringLiteral("Verifica dati"), Icon::Critical, Buttons::Ok};
    const QString hint = wanted(check);
    return {hint.isEmpty() ? checkText(check) : checkText(check) + QLatin1Char('\n') + hint, kAppTitle,
            Icon::Exclamation, Buttons::Ok};
}

QString reportFault(ReportFault fault)
{
    switch (fault) {
    case ReportFault::CodFiscale:
        return kReportPrefix + checkText(CardCheck::CodFiscaleLength);
    case ReportFault::AnnoAgainstCode:
        return kReportPrefix + checkText(CardCheck::AnnoAgainstCode);
    case ReportFault::MeseAgainstCode:
        return kReportPrefix + checkText(CardCheck::MeseAgainstCode);
    case ReportFault::GiornoAgainstCode:
        return kReportPrefix + checkText(CardCheck::GiornoAgainstCode);
    default:
        return kReportPrefix + QString::fromUtf8(kReport[size_t(fault)]);
    }
}

QString reportEmailCharacter(QChar c)
{
    return kReportPrefix + QStringLiteral("Email: carattere non consentito '") + c + QLatin1Char('\'');
}

QString reportLine(int row, const QString& fault)
{
    return QStringLiteral("riga %1").arg(row) + fault;
}

Message cardReadOnly()
{
    return plain("Scheda già stampata. Modifiche non abilitate.");
}

Message rowGone()
{
    return {QStringLiteral("Il record che si sta cercando di modificare è stato cancellato da un altro operatore."),
            kConcurrentAccess, Icon::Exclamation, Buttons::Ok};
}

Message cardRequestGone(qint32 numDoma)
{
    return msg::store::requestGone(numDoma, kNotSaved);
}

namespace {
Message requestPrinted(qint32 numDoma, const QString& consequence)
{
    return {QStringLiteral("La richiesta n. %1 è stata stampata in definitivo, forse da un'altra postazione: i suoi "
                           "soggetti e ruoli non si possono più modificare.\n")
                    .arg(numDoma) +
                consequence,
            text(Text::BlockedTitle), Icon::Information, Buttons::Ok};
}
} // namespace

Message cardRequestPrinted(qint32 numDoma)
{
    return requestPrinted(numDoma, kNotSaved);
}

Message deleteRequestPrinted(qint32 numDoma)
{
    return requestPrinted(numDoma, QStringLiteral("Il soggetto non è stato eliminato."));
}

Message duplicate(const QString& codFiscale)
{
    return {QStringLiteral("Il soggetto '") + codFiscale +
                QStringLiteral("' è stato già inserito con questi parametri.\n"
                               "Cambiare il codice fiscale e riprovare a salvare."),
            kAppTitle, Icon::Critical, Buttons::Ok};
}

Message cardSaveError(const DbError& error)
{
    return {QStringLiteral("Errore ") + error.number + QLatin1Char('\n') + error.description +
                QStringLiteral("\nSi è verificato un errore inaspettato durante l'aggiornamento del record.\n"
                               "Scegliere riprova per cercare di ripetere l'operazione, altrimenti annullare."),
            QStringLiteral("cmdModIter_Click - ") + kConcurrentAccess, Icon::Exclamation, Buttons::RetryCancel};
}

Message confirmDelete(const QString& cognome, const QString& nome, const QString& codFiscale)
{
    return {QStringLiteral("Confermi cancellazione di\n") + cognome + QStringLiteral(" - ") + nome +
                QStringLiteral(" - ") + codFiscale,
            QStringLiteral("Partner"), Icon::Information, Buttons::YesNo};
}

QString birthPart(int part)
{
    static const char* const kParts[] = {"Giorno di nascita", "Mese di nascita", "Anno di nascita"};
    return QString::fromUtf8(kParts[qBound(0, part, 2)]);
}

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::DeleteTitle, u"Elimina scheda"},
    {Text::BatchTitle, u"Elaborazione complessiva"},
    {Text::TemplateUnreadable, u"modello non leggibile"},
    {Text::ImportTitle, u"Importazione Dati da Excel."},
    {Text::NotText, u"il file non è un file di testo"},
    {Text::CardTitle, u"Soggetti e Ruoli"},
    {Text::DateSeparator, u"/"},
    {Text::PrintedNotice, u"Richiesta stampata in definitivo: i dati si possono solo consultare."},
    {Text::ListSearchLabel, u"&Cerca:"},
    {Text::ListSearchHint, u"Cognome, nome o codice fiscale"},
    {Text::ImportRefusedTitle, u"Importazione non eseguita. causa anomalia dati."},
    {Text::BlockedTitle, u"Richiesta Bloccata"},
};
static_assert(std::size(kTexts) == size_t(Text::BlockedTitle) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::Reinserted, u"Partner reinserito.", kAppName, Icon::Information, Buttons::Ok},
    {Notice::ExitQuestion, u"Sono stati modificati uno o più dati del PARTNER\nSalvare le modifiche ?",
     title(Text::CardTitle), Icon::None, Buttons::YesNoCancel},
    {Notice::SelectRowToModify, u"Selezionare una riga da modificare", kAppName, Icon::Information, Buttons::Ok},
    {Notice::NothingToDelete, u"Nessuna riga da eliminare!", title(Text::DeleteTitle), Icon::Critical, Buttons::Ok},
    {Notice::SelectRowToDelete, u"Selezionare la riga da eliminare", title(Text::DeleteTitle), Icon::Critical,
     Buttons::Ok},
    {Notice::GuideText,
     u"Verrà ora visualizzato un file di testo che riassume le istruzioni presenti nella guida.\n(Il programma resta "
     u"utilizzabile mentre la guida è aperta).",
     kAppName, Icon::Information, Buttons::Ok},
    {Notice::ReservedOnly, u"Funzionalità riservata al KVR.", u"ACCESSO RISERVATO", Icon::Critical, Buttons::Ok},
    {Notice::ImportBlocked,
     u"Operazione di importazione non effettuable\nPer la richiesta selezionata è già avvenuta la stampa definitiva.",
     title(Text::BlockedTitle), Icon::Information, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::ImportBlocked) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

Message guideViewer(const QString& folder)
{
    return {QStringLiteral("La guida sintetica alle importazioni di Soggetti e Ruoli è il file di testo\n"
                           "GuidaSezioneSoggettiRuoli.txt\n"
                           "presente nella cartella ") +
                folder,
            QStringLiteral("Guida importazioni"), Icon::Information, Buttons::Ok};
}

Message exportQuestion(bool sheet)
{
    return {sheet ? QStringLiteral("Confermando l'operazione verrà effettuata l'esportazione in excel dei dati della "
                                   "Richiesta selezionata.")
                  : QStringLiteral("Confermando l'operazione verrà effettuata l'esportazione SU FILE DI TESTO dei "
                                   "dati della Richiesta selezionata."),
            kAppTitle, Icon::None, Buttons::YesNo};
}

Message templateMissing(const QString& templateName, const QString& folder)
{
    return plain(QStringLiteral("Il file '") + templateName +
                 QStringLiteral("' necessario per effettuare l'esportazione dei dati non è presente nella cartella ") +
                 folder + QStringLiteral("\nNon è possibile precedere alla esportazione dei dati."));
}

Message overwrite(const QString& fileName)
{
    return {QStringLiteral("E' stata rilevata la presenza di una precedente elaborazione.\nConfermando "
                           "l'elaborazione il precedente file ") +
                fileName + QStringLiteral(" verrà sovrascritto. Procedere?"),
            QStringLiteral("Conferma esportazione?"), Icon::None, Buttons::YesNo};
}

Message exportFailed(bool sheet)
{
    return plain(sheet
                     ? QStringLiteral("Non è stato possibile creare il file .xlsx contenente i dati della richiesta.")
                     : QStringLiteral("Non è stato possibile creare il file .TXT contenente i dati dellA RICHIESTA."));
}

Message exported(const QString& folder, const QString& fileName)
{
    return plain(QStringLiteral("Nella cartella \n") + folder + QStringLiteral("\nE' stato creato il file \n") +
                 fileName + QStringLiteral("\ncontenente i dati delle quote parte di questa pratica."));
}

QString cannotWrite(const QString& path)
{
    return QStringLiteral("impossibile scrivere in ") + path;
}

Message importQuestion(bool sheet)
{
    return {QStringLiteral("Confermando l'operazione Verrà effettuata l'importazione del file ") + fileKind(sheet) +
                QStringLiteral(" sulla richiesta selezionata (I CUI DATI VERRANNO RICOPERTI DAI NUOVI)."),
            text(Text::ImportTitle), Icon::None, Buttons::YesNo};
}

Message importRequestGone(qint32 numDoma)
{
    return msg::store::requestGone(numDoma, QStringLiteral("L'importazione non è stata eseguita."));
}

Message importFileMissing(const QString& fileName, const QString& folder, bool sheet)
{
    return plain(QStringLiteral("Il file '") + fileName +
                 QStringLiteral("' necessario per effettuare l'importazione dei dati non è presente nella cartella ") +
                 folder + QStringLiteral("\nNon è possibile precedere alla importazione dei dati.") +
                 (sheet ? QString()
                        : QStringLiteral("\n(La struttura 'campione' del file puo' essere prodotta utilizzando la "
                                         "funzione esporta su TXT dopo aver einserito almeno una scheda di prova.)")) +
                 QStringLiteral("\nRecuperare il file ed inserirlo nella cartella ") + folder +
                 QStringLiteral("\nquindi rieseguire l'operazione"));
}

Message reservedState(int state)
{
    return plain(QStringLiteral("DE.CorsiDB.State = %1").arg(state));
}

Message unreadable(const QString& fileName)
{
    return {QStringLiteral("Il file '") + fileName +
                QStringLiteral("' non è leggibile.\nI dati della richiesta non sono stati modificati."),
            text(Text::ImportTitle), Icon::Critical, Buttons::Ok};
}

Message tooLarge(const QString& fileName, const QString& reason)
{
    return {QStringLiteral("Il file '") + fileName + QStringLiteral("' è troppo grande per essere importato: ") +
                reason + QStringLiteral(".\nI dati della richiesta non sono stati modificati."),
            text(Text::ImportTitle), Icon::Critical, Buttons::Ok};
}

Message noRows(const QString& fileName)
{
    return {QStringLiteral("Il file '") + fileName +
                QStringLiteral("' non contiene righe da importare.\nI dati della richiesta non sono stati modificati."),
            text(Text::ImportTitle), Icon::Information, Buttons::Ok};
}

Message anomalies(const QString& suffix, const QString& reportPath)
{
    return {QStringLiteral("Il file .") + suffix +
                QStringLiteral(" elaborato contiene dati non coerenti.\nE' stato creato il file ") + reportPath +
                QStringLiteral("\ncontenente le indicazioni delle anomalie riscontrate.\n"
                               "Le righe vi sono contate dalla prima riga di dati: la riga 1 è la prima sotto "
                               "l'intestazione del foglio (nel file di testo, la prima riga del file)."),
            kAnomalyTitle, Icon::Information, Buttons::Ok};
}

Message anomaliesUnreported(const QString& suffix, const QString& reportPath)
{
    return {QStringLiteral("Il file .") + suffix +
                QStringLiteral(" elaborato contiene dati non coerenti.\nNon è stato possibile scrivere il file ") +
                reportPath +
                QStringLiteral("\ncon le indicazioni delle anomalie riscontrate: verificare che la cartella sia "
                               "scrivibile e rieseguire l'importazione."),
            kAnomalyTitle, Icon::Exclamation, Buttons::Ok};
}

Message imported(int rows)
{
    return plain(
        QStringLiteral("L'importazione dei dati è stata effettuata con successo: ") +
        (rows == 1 ? QStringLiteral("1 soggetto importato.") : QStringLiteral("%1 soggetti importati.").arg(rows)));
}

QString importFileTitle(bool sheet)
{
    return sheet ? QStringLiteral("Scegli il foglio di calcolo da importare")
                 : QStringLiteral("Scegli il file di testo da importare");
}

QString importFilter(bool sheet)
{
    return sheet ? QStringLiteral("Fogli di calcolo (*.xlsx, *.ods, *.xls)|*.xlsx;*.ods;*.xls")
                 : QStringLiteral("File di testo (*.txt)|*.txt");
}

QString notASheet(const QString& kind)
{
    return QStringLiteral("il file non è un foglio di lavoro ") + kind + QStringLiteral(" integro");
}

QString cannotRead(const QString& path)
{
    return QStringLiteral("impossibile leggere ") + path;
}

QString tooManyRows(int limit)
{
    return QStringLiteral("contiene più di %1 righe").arg(QLocale(QLocale::Italian).toString(limit));
}

QString fileTooBig(qint64 megabytes)
{
    return QStringLiteral("supera %1 MB").arg(megabytes);
}

QString moduleMissing(const QString& module)
{
    return QStringLiteral("il modulo ") + module +
           QStringLiteral(
               ", che legge i fogli di lavoro .xls e scrive i fogli .xlsx, non è installato con il programma");
}

Message sheetModuleMissing(const QString& module)
{
    return {QStringLiteral("Non è possibile leggere o scrivere il foglio di lavoro: ") + moduleMissing(module) +
                QStringLiteral(".\nReinstallare il programma. I dati della richiesta non sono stati modificati."),
            kAppTitle, Icon::Critical, Buttons::Ok};
}

QString contentTooBig(qint64 megabytes)
{
    return QStringLiteral("il suo contenuto supererebbe %1 MB una volta decompresso").arg(megabytes);
}

QString partTooBig(const QString& part, qint64 megabytes)
{
    return QStringLiteral("la sua parte %1 supererebbe %2 MB una volta decompressa").arg(part).arg(megabytes);
}

QString cellTooLong(int characters)
{
    return QStringLiteral("una sua cella supera %1 caratteri").arg(QLocale(QLocale::Italian).toString(characters));
}

QString cardLabel(int field)
{
    static const char* const labels[] = {"Codice fiscale", "Cognome", "Nome",   "Data di nascita (gg/mm/aaaa)",
                                         nullptr,          nullptr,   "E-mail", "Telefono",
                                         "Operatore",      "Sede",    "Ruolo"};
    return field >= 1 && field <= int(std::size(labels)) && labels[field - 1] ? QString::fromUtf8(labels[field - 1])
                                                                              : QString();
}

QString listTitle(qint32 numDoma)
{
    return QStringLiteral("Nominativi e Ruoli - Richiesta n. %1").arg(numDoma);
}

namespace {
// The headings of the list's columns, in RolesShown's order.
constexpr std::array<const char16_t*, 9> kListHeadings{u"Codice fiscale",  u"Cognome", u"Nome",
                                                       u"Data di nascita", u"E-mail",  u"Telefono",
                                                       u"Operatore",       u"Sede",    u"Ruolo"};
} // namespace

QString listHeading(int column)
{
    return column >= 0 && column < int(kListHeadings.size()) ? QString::fromUtf16(kListHeadings[column]) : QString();
}

QString listCount(int shown, int all)
{
    if (shown == all)
        return all == 1 ? QStringLiteral("1 persona") : QStringLiteral("%1 persone").arg(all);
    return QStringLiteral("%1 di %2 persone").arg(shown).arg(all);
}

Command listCommand(ListCommand command)
{
    switch (command) {
    case ListCommand::Insert:
        return {QStringLiteral("Inserisci"), QStringLiteral("Nuovo soggetto e ruolo")};
    case ListCommand::Modify:
        return {QStringLiteral("Modifica"), QStringLiteral("Modifica la riga evidenziata")};
    case ListCommand::Delete:
        return {QStringLiteral("Elimina"), QStringLiteral("Elimina il ruolo della riga evidenziata")};
    case ListCommand::ExportSheet:
        return {QStringLiteral("Esporta in Excel"), {}};
    case ListCommand::ExportText:
        return {QStringLiteral("Esporta in TXT"), {}};
    case ListCommand::ImportSheet:
        return {QStringLiteral("Importa da Excel"), {}};
    case ListCommand::ImportText:
        return {QStringLiteral("Importa da TXT"), {}};
    case ListCommand::Batch:
        return {text(Text::BatchTitle), {}};
    case ListCommand::Help:
        return {msg::core::text(msg::core::Text::HelpCaption), {}};
    case ListCommand::Guide:
        return {QStringLiteral("Guida importazioni"), {}};
    case ListCommand::Exit:
        return {msg::core::text(msg::core::Text::ExitCaption), {}};
    }
    return {};
}

} // namespace vx::msg::roles
