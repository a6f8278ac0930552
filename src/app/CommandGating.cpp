#include "app/CommandGating.h"
#include "core/Desktop.h"
#include "core/Help.h"
#include "core/Settings.h"

#include "Version.h"
#include "app/Installation.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
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

QString CommandGating::caption(const QString& version)
{
    QString text = kDesignCaption + QLatin1Char(' ') + QString::fromLatin1(kVersionText);
    if (version == Settings::kServer)
        text += QStringLiteral(" ***SERVER***");
    else if (version == Settings::kClient)
        text += QStringLiteral(" ___CLIENT___");
    return text;
}

QString CommandGating::nameLabel(const QString& name, QString* tooltip)
{
    if (name.size() >= 25) {
        *tooltip = name;
        return QStringLiteral("-  ") + name.left(24) + QStringLiteral("...");
    }
    tooltip->clear();
    return QStringLiteral("-  ") + name;
}

bool CommandGating::checkVersion()
{
    m_ctx.state.version = Settings::read(IniFile(m_ctx.state.programFolder)).version;
    if (m_ctx.state.version == Settings::kServer || m_ctx.state.version == Settings::kClient)
        return true;
    m_ctx.db.close();
    m_ctx.prompter.tell(QStringLiteral("Le impostazioni del file VELTRANORPX.INI riguardo la versione\n"
                                       "Non sono valide. Contattare l'assistenza tecnica."),
                        QStringLiteral("Errore nel file ini"), Icon::Critical);
    m_ctx.control.endProgram();
    return false;
}

MainHeader CommandGating::header() const
{
    const SelectedRequest& s = m_ctx.state.selected;
    MainHeader h;
    h.group = s.group;
    h.code = QString::number(s.operatorCode);
    h.name = nameLabel(s.operatorName, &h.nameTooltip);
    h.provinceName = s.provinceName;
    h.number = QString::number(s.number);
    return h;
}

UpdateCommandState CommandGating::updateStateAtLoad() const
{
    const bool server = m_ctx.state.version == Settings::kServer;
    return {server, !server, server, true};
}

UpdateCommandState CommandGating::updateStateAtActivation(UpdateCommandState state) const
{
    if (m_ctx.state.version != Settings::kServer)
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

bool CommandGating::commonGate()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    m_ctx.prompter.tell(QStringLiteral("Selezionare prima la DOMANDA da compilare (Inserisci/Seleziona Domanda)"),
                        kNotAvailable, Icon::Exclamation);
    return false;
}

void CommandGating::verifierWarning()
{
    QSqlQuery q = m_ctx.db.query();
    if (!m_ctx.db.exec(q, roles::verifierCountSql(), roles::verifierCountValues(m_ctx.state.selected.number)) ||
        !q.next() || q.value(0).toInt() != 0)
        return;
    m_ctx.prompter.tell(QStringLiteral("Non risulta essere stato inserito nemmeno un soggetto con il ruolo di "
                                       "Verificatore.\nCio' potrebbe rappresentare una anomalia.\nIn caso di dubbi "
                                       "verificare nuovamente i dati prima di procedere alla stampa definitiva.\nIn "
                                       "caso contrario ignorare questo messaggio."),
                        QStringLiteral("Controllo Compilazione"), Icon::Information);
}

bool CommandGating::draftPrint()
{
    if (!draftPrintGate())
        return false;
    verifierWarning();
    return true;
}

bool CommandGating::draftPrintGate()
{
    if (!commonGate())
        return false;
    const SelectedRequest& s = m_ctx.state.selected;
    if (!exists(m_ctx.db,
                QStringLiteral("SELECT 1 FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ? AND TipoCompo = ?"),
                {s.group, s.operatorCode, m_ctx.state.legalSeatType})) {
        m_ctx.prompter.tell(QStringLiteral("Sede Legale del Soggetto Attuatore non trovata! Impossibile stampare la "
                                           "bozza della domanda."),
                            QStringLiteral("Stampa Bozza"), Icon::Critical);
        return false;
    }
    return true;
}

bool CommandGating::definitivePrint()
{
    if (!definitivePrintGate())
        return false;
    verifierWarning();
    return true;
}

bool CommandGating::definitivePrintGate()
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
    return true;
}

bool CommandGating::databaseUpdate()
{
    return commonGate();
}

bool CommandGating::needsSelection() const
{
    Busy busy(m_ctx.control);
    QSqlQuery q = m_ctx.db.query();
    const int count =
        m_ctx.db.exec(q, QStringLiteral("SELECT COUNT(*) FROM Domande")) && q.next() ? q.value(0).toInt() : 0;
    return !(count < 2 && m_ctx.state.selected.number != 0);
}

bool CommandGating::selectionDone()
{
    if (m_ctx.state.selected.number != 0)
        return true;
    m_ctx.control.endProgram();
    return false;
}

QList<LinkTarget> CommandGating::links() const
{
    const Settings s = Settings::read(IniFile(m_ctx.state.programFolder));
    return {{QStringLiteral("Produttore del programma"), QStringLiteral(" sito del produttore del programma"),
             s.producerLink},
            {QStringLiteral("Ministero del Lavoro"), QStringLiteral(" Ministero del Lavoro e delle Politiche Sociali"),
             s.ministryLink},
            {QStringLiteral("Formazione Professionale"),
             QStringLiteral(" sito della Formazione Professionale della Regione"), s.regionLink},
            {QStringLiteral("Fondo Sociale Europeo"), QStringLiteral(" Fondo Sociale Europeo"), s.fseLink}};
}

bool CommandGating::openLink(const LinkTarget& link)
{
    if (m_ctx.prompter.ask({QStringLiteral("Collegamento alla pagina principale del") + link.description +
                                QStringLiteral(".\nProcedere?"),
                            QStringLiteral("Collegamento a ") + link.description, Icon::None, Buttons::YesNo}) !=
        Answer::Yes)
        return false;
    Busy busy(m_ctx.control);
    return openOrTell(m_ctx.prompter, m_ctx.desktop, link.address);
}

void CommandGating::help()
{
    showHelp(m_ctx, m_ctx.state.helpFilePath, kHelpTopic);
}

} // namespace vx
