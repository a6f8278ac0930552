#include "app/OptionsEditor.h"

#include "app/AppControl.h"
#include "app/AppState.h"
#include "app/IniFile.h"
#include "app/Installation.h"
#include "app/Prompter.h"
#include "assist/EmailCheck.h"
#include "store/Database.h"

namespace vx {

namespace {
const QString kSaveTitle = QStringLiteral("Salvataggio dati");
}

QString OptionsEditor::firstHost() const
{
    return IniFile(m_state.programFolder)
        .read(QStringLiteral("CONNESSIONE"), QStringLiteral("SERVERPOSTA1"), QStringLiteral("posta.veltranorpx.local"));
}

QString OptionsEditor::secondHost() const
{
    return IniFile(m_state.programFolder)
        .read(QStringLiteral("CONNESSIONE"), QStringLiteral("SERVERPOSTA2"),
              QStringLiteral("posta2.veltranorpx.local"));
}

OptionsValues OptionsEditor::load() const
{
    IniFile ini(m_state.programFolder);
    UserSettings user;
    OptionsValues v;
    v.multiutenza = ini.read(QStringLiteral("Installazione"), QStringLiteral("Tipo")) == installation::kMultiutenza;
    v.database = ini.read(QStringLiteral("BaseDati"), QStringLiteral("Database"));
    v.email = user.email().isEmpty() ? UserSettings::kEmailPrompt : user.email();
    const QString host = user.serverMail();
    if (host.isEmpty())
        v.server = OptionsValues::MailServer::None;
    else if (host == firstHost())
        v.server = OptionsValues::MailServer::First;
    else if (host == secondHost())
        v.server = OptionsValues::MailServer::Second;
    else {
        v.server = OptionsValues::MailServer::Own;
        v.ownServer = host;
    }
    v.certificate = user.certificate();
    v.lastUpdate = user.lastUpdate();
    v.look = user.lookOptions();
    return v;
}

OptionsEditor::Outcome OptionsEditor::save(const OptionsValues& values, bool installationChanged)
{
    if (installationChanged) {
        IniFile ini(m_state.programFolder);
        ini.write(QStringLiteral("Installazione"), QStringLiteral("Tipo"),
                  values.multiutenza ? installation::kMultiutenza : installation::kStandAlone);
        ini.write(QStringLiteral("BaseDati"), QStringLiteral("Database"), values.database);
    }
    if (!VerificaEmail(m_prompter, values.email))
        return Outcome::StayOpen;

    UserSettings user;
    user.setEmail(values.email);
    user.setCertificate(values.certificate);
    switch (values.server) {
    case OptionsValues::MailServer::First:
        user.setServerMail(firstHost());
        break;
    case OptionsValues::MailServer::Second:
        user.setServerMail(secondHost());
        break;
    case OptionsValues::MailServer::Own:
        if (values.ownServer.isEmpty()) {
            m_prompter.tell(QStringLiteral("Indicare l'indirizzo del proprio server di posta."), kSaveTitle,
                            Icon::Critical);
            return Outcome::StayOpen;
        }
        user.setServerMail(values.ownServer);
        break;
    case OptionsValues::MailServer::None:
        break;
    }

    if (installationChanged) {
        m_prompter.tell(QStringLiteral("Sono state modificate delle impostazioni di installazione.\n"
                                       "E' necessario riavviare l'applicativo."),
                        kSaveTitle, Icon::Information);
        m_db.close();
        m_control.endProgram();
        return Outcome::ProgramEnded;
    }

    user.setLookOptions(values.look);
    m_state.look = values.look;
    return Outcome::Close;
}

OptionsEditor::Outcome OptionsEditor::cancel(const OptionsValues& values, bool modified, bool installationChanged)
{
    if (!modified)
        return Outcome::Close;
    const Answer a = m_prompter.ask({QStringLiteral("Salvare le modifiche effettuate?"), QStringLiteral("Salvataggio"),
                                     Icon::None, Buttons::YesNo});
    if (a != Answer::Yes)
        return Outcome::Close;
    // A save that finds a fault keeps the screen open, so that nothing typed is lost.
    return save(values, installationChanged);
}

} // namespace vx
