#include "app/MainScreen.h"

#include "Version.h"
#include "app/AppControl.h"
#include "app/AppState.h"
#include "app/Desktop.h"
#include "app/IniFile.h"
#include "app/Installation.h"
#include "app/Prompter.h"
#include "app/WaitCursor.h"
#include "requests/RequestSelection.h"
#include "roles/RoleList.h"
#include "store/Database.h"

namespace vx {

namespace {
const QString kNotAvailable = QStringLiteral("Funzione non disponibile");

bool exists(Database& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q = db.query();
    return db.exec(q, sql, values) && q.next();
}
} // namespace

QString MainScreen::caption(const QString& version)
{
    QString text = kDesignCaption + QLatin1Char(' ') + QString::fromLatin1(kVersionText);
    if (version == installation::kServer)
        text += QStringLiteral(" ***SERVER***");
    else if (version == installation::kClient)
        text += QStringLiteral(" ___CLIENT___");
    return text;
}

QString MainScreen::nameLabel(const QString& name, QString* tooltip)
{
    if (name.size() >= 25) {
        *tooltip = name;
        return QStringLiteral("-  ") + name.left(24) + QStringLiteral("...");
    }
    tooltip->clear();
    return QStringLiteral("-  ") + name;
}

bool MainScreen::checkVersion()
{
    m_ctx.state.version =
        IniFile(m_ctx.state.programFolder).read(QStringLiteral("Installazione"), QStringLiteral("Versione"));
    if (m_ctx.state.version == installation::kServer || m_ctx.state.version == installation::kClient)
        return true;
    m_ctx.db.close();
    m_ctx.prompter.tell(QStringLiteral("Le impostazioni del file VELTRANORPX.INI riguardo la versione\n"
                                       "Non sono valide. Contattare l'assistenza tecnica."),
                        QStringLiteral("Errore nel file ini"), Icon::Critical);
    m_ctx.control.endProgram();
    return false;
}

MainHeader MainScreen::header() const
{
    const SelectedRequest& s = m_ctx.state.selected;
    MainHeader h;
    h.group = s.group;
    h.code = QString::number(s.operatorCode.toInt());
    h.name = nameLabel(s.operatorName, &h.nameTooltip);
    h.provinceName = s.provinceName;
    h.number = QString::number(s.number);
    return h;
}

UpdateCommandState MainScreen::updateStateAtLoad() const
{
    const bool server = m_ctx.state.version == installation::kServer;
    return {server, !server, server, true};
}

UpdateCommandState MainScreen::updateStateAtActivation(UpdateCommandState state) const
{
    if (m_ctx.state.version != installation::kServer)
        return state;
    if (m_ctx.state.selected.printed) {
        state.enabled = false;
        state.greyed = true;
        state.labelEnabled = false;
    } else {
        state.enabled = true;
        state.greyed = false;
        state.labelVisible = true;
    }
    return state;
}

bool MainScreen::commonGate()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    m_ctx.prompter.tell(QStringLiteral("Selezionare prima la DOMANDA da compilare (Inserisci/Seleziona Domanda)"),
                        kNotAvailable, Icon::Exclamation);
    return false;
}

void MainScreen::verifierWarning()
{
    QSqlQuery q = m_ctx.db.query();
    if (!m_ctx.db.exec(q, QStringLiteral("SELECT COUNT(*) FROM Ruoli WHERE NumDoma = ? AND Ruolo = 3"),
                       {m_ctx.state.selected.number}) ||
        !q.next() || q.value(0).toInt() != 0)
        return;
    m_ctx.prompter.tell(QStringLiteral("Non risulta essere stato inserito nemmeno un soggetto con il ruolo di "
                                       "Verificatore.\nCio' potrebbe rappresentare una anomalia.\nIn caso di dubbi "
                                       "verificare nuovamente i dati prima di procedere alla stampa definitiva.\nIn "
                                       "caso contrario ignorare questo messaggio."),
                        QStringLiteral("Controllo Compilazione"), Icon::Information);
}

bool MainScreen::draftPrint()
{
    if (!commonGate())
        return false;
    const SelectedRequest& s = m_ctx.state.selected;
    if (!exists(m_ctx.db,
                QStringLiteral("SELECT 1 FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ? AND TipoCompo = ?"),
                {s.group, s.operatorCode.toInt(), m_ctx.state.legalSeatType})) {
        m_ctx.prompter.tell(QStringLiteral("Sede Legale del Soggetto Attuatore non trovata! Impossibile stampare la "
                                           "bozza della domanda."),
                            QStringLiteral("Stampa Bozza"), Icon::Critical);
        return false;
    }
    verifierWarning();
    return true;
}

bool MainScreen::definitivePrint()
{
    if (!commonGate())
        return false;
    if (!exists(m_ctx.db, QStringLiteral("SELECT 1 FROM Ruoli WHERE NumDoma = ? LIMIT 1"),
                {m_ctx.state.selected.number})) {
        m_ctx.prompter.tell(QStringLiteral("Nessuna scheda di profilazione è presente sulla richiesta selezionata: "
                                           "impossibile stampare e inviare la domanda!"),
                            QStringLiteral("Invio domanda"), Icon::Critical);
        return false;
    }
    verifierWarning();
    return true;
}

bool MainScreen::databaseUpdate()
{
    return commonGate();
}

bool MainScreen::needsSelection() const
{
    WaitCursor wait;
    QSqlQuery q = m_ctx.db.query();
    const int count =
        m_ctx.db.exec(q, QStringLiteral("SELECT COUNT(*) FROM Domande")) && q.next() ? q.value(0).toInt() : 0;
    return !(count < 2 && m_ctx.state.selected.number != 0);
}

bool MainScreen::selectionDone()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    m_ctx.control.endProgram();
    return false;
}

QList<LinkTarget> MainScreen::links() const
{
    const IniFile ini(m_ctx.state.programFolder);
    const QString section = QStringLiteral("Collegamenti");
    QList<LinkTarget> all = {
        {QStringLiteral("Produttore del programma"), QStringLiteral(" sito del produttore del programma"),
         QUrl(ini.read(section, QStringLiteral("Produttore")))},
        {QStringLiteral("Ministero del Lavoro"), QStringLiteral(" Ministero del Lavoro e delle Politiche Sociali"),
         QUrl(ini.read(section, QStringLiteral("Ministero"), QStringLiteral("https://www.lavoro.gov.it/")))},
        {QStringLiteral("Formazione Professionale"),
         QStringLiteral(" sito della Formazione Professionale della Regione"),
         QUrl(ini.read(section, QStringLiteral("Regione")))},
        {QStringLiteral("Fondo Sociale Europeo"), QStringLiteral(" Fondo Sociale Europeo"),
         QUrl(ini.read(section, QStringLiteral("FSE"), QStringLiteral("https://ec.europa.eu/esf/")))}};
    return all;
}

bool MainScreen::openLink(const LinkTarget& link)
{
    if (m_ctx.prompter.ask({QStringLiteral("Collegamento alla pagina principale del") + link.description +
                                QStringLiteral(".\nProcedere?"),
                            QStringLiteral("Collegamento a ") + link.description, Icon::None, Buttons::YesNo}) !=
        Answer::Yes)
        return false;
    WaitCursor wait;
    return m_ctx.desktop.openUrl(link.address);
}

void MainScreen::contactAssistance()
{
    m_ctx.prompter.tell(QStringLiteral("Verrà ora precompilata una mail da inviare all'assistenza K.V.R.\n"
                                       "E' opportuno indicare il numero di telefono, la persona di riferimento e il "
                                       "tipo di problema riscontrato"),
                        kAppTitle, Icon::Information);
}

void MainScreen::help()
{
    showHelp(m_ctx, kHelpTopic);
}

void notAvailableYet(Prompter& prompter, const QString& command)
{
    prompter.tell(QStringLiteral("Questa funzione sarà disponibile in una prossima versione del programma."), command,
                  Icon::Information);
}

} // namespace vx
