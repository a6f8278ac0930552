#include "app/DatabaseUpdateFlow.h"

#include "backup/DatabaseBackup.h"
#include "core/AppState.h"
#include "core/Context.h"
#include "core/FieldLog.h"
#include "core/Prompter.h"
#include "refdata/Messages.h"
#include "refdata/RegistryUpdate.h"
#include "store/Database.h"

namespace vx {

bool DatabaseUpdateFlow::run()
{
    if (m_ctx.prompter.ask(msg::refdata::internetQuestion()) != Answer::Ok)
        return true;
    if (m_ctx.prompter.ask(msg::refdata::notice(msg::refdata::Notice::ClientsQuestion)) != Answer::Yes)
        return true;
    // Only this workstation may write while the registry comes in: the connection is opened
    // exclusively, which fails while another workstation holds the database.
    const QString operation = msg::refdata::text(msg::refdata::Text::Title);
    m_ctx.db.close();
    if (!m_ctx.db.open(targetOf(m_ctx.state), Database::Mode::StandAlone)) {
        m_ctx.prompter.ask(msg::refdata::exclusiveOpenFailed(m_ctx.db.lastError()));
        return DatabaseBackup::reopen(m_ctx, operation);
    }

    m_screens.showWaiting(msg::refdata::text(msg::refdata::Text::UpdateWait));
    bool going = true;
    if (m_screens.chooseOperators()) {
        m_screens.openProgress();
        refdata::RegistryUpdate update(m_ctx);
        update.tablesProgressWithTotal = [this](const QString& file, const QString& table, int rows, int total) {
            m_screens.showProgress(file, table, rows, total);
        };
        update.progressWithTotal = [this](const QString& file, int rows, int total) {
            m_screens.showProgress(file, QString(), rows, total);
        };
        const auto outcome = update.aggiornaBaseDati();
        qCInfo(vxRefdata, "aggiornamento della base dati: esito %d", int(outcome));
        m_screens.closeProgress();
        if (outcome == refdata::RegistryUpdate::Outcome::EndProgram)
            going = false;
        else if (outcome == refdata::RegistryUpdate::Outcome::Done)
            m_ctx.prompter.ask(msg::refdata::notice(msg::refdata::Notice::UpdateDone));
    }
    m_screens.showWaiting(QString());
    // Back to the connection as the installation opens it.
    m_ctx.db.close();
    return going && DatabaseBackup::reopen(m_ctx, operation);
}

} // namespace vx
