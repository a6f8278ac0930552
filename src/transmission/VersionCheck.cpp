#include "transmission/VersionCheck.h"

#include "core/AppState.h"
#include "core/Context.h"
#include "core/Settings.h"

#include <QStringList>

namespace vx {

namespace {

// The three numbers of a version, or false when `text` is not one.
bool parts(const QString& text, qlonglong out[3])
{
    const QStringList list = text.split(QLatin1Char('.'));
    if (list.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        if (list.at(i).isEmpty() || !list.at(i).at(0).isDigit())
            return false;
        out[i] = list.at(i).toLongLong(&ok);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

int compareVersions(const QString& a, const QString& b)
{
    qlonglong left[3];
    qlonglong right[3];
    if (parts(a, left) && parts(b, right)) {
        for (int i = 0; i < 3; ++i) {
            if (left[i] != right[i])
                return left[i] < right[i] ? -1 : 1;
        }
        return 0;
    }
    return QString::compare(a, b, Qt::CaseSensitive);
}

bool VersionCheck::run(const QUrl& address, const ProgressLabel& progress)
{
    const QString page = Settings::read(IniFile(m_ctx.state.programFolder)).certificatesPage;
    const TransferResult result =
        postAndReport(m_exchange, m_ctx.prompter, progress, address, kBody, Exchange::kDefaultAnswerLimit,
                      [&](const TransferResult& r) { return deliveryTransferErrorMessage(r, address, page); });
    const QString service = Settings::serviceLabel(address.toString(QUrl::RemoveUserInfo));
    const QString& answer = result.answer;
    const bool good = result.completed && result.errorCode == 0 &&
                      !answer.toUpper().contains(QLatin1String("ERRORE")) && !Exchange::isHtml(answer);
    if (good) {
        const QStringList fields = answer.split(QLatin1Char('#'));
        auto field = [&](int n) { return n <= fields.size() ? fields.at(n - 1).trimmed() : QString(); };
        const QString status = field(3);
        if (status == QLatin1String("S")) {
            m_ctx.prompter.tell(QStringLiteral("La presente versione dell'applicativo ( ") + m_version +
                                    QStringLiteral(" ) non è più gestita dalla Regione.\r\nImpossibile effettuare la "
                                                   "trasmissione, per ulteriori informazioni contattare il servizio "
                                                   "di assistenza KVR."),
                                QStringLiteral("Controllo Versione"), Icon::Exclamation);
            return false;
        }
        if (status == QLatin1String("A")) {
            m_ctx.prompter.tell(field(4), QStringLiteral("Trasmissione"), Icon::Critical);
            return false;
        }
        if (status == QLatin1String("M"))
            m_ctx.prompter.tell(field(4), QStringLiteral("Trasmissione"), Icon::Information);
        if (compareVersions(m_version, field(1)) < 0) {
            m_ctx.prompter.tell(QStringLiteral("La presente versione dell'applicativo ( ") + m_version +
                                    QStringLiteral(" ) non è autorizzata a trasmettere.\r\nScaricare da Internet la "
                                                   "nuova versione: ") +
                                    field(2),
                                QStringLiteral("Controllo Versione"), Icon::Critical);
            return false;
        }
        if (compareVersions(m_version, field(2)) < 0)
            m_ctx.prompter.tell(QStringLiteral("La presente versione dell'applicativo ( ") + m_version +
                                    QStringLiteral(" ) non è la più recente.\r\nSi consiglia di scaricare da Internet "
                                                   "la nuova versione: ") +
                                    field(2) + QStringLiteral("\r\nLa trasmissione avverrà comunque."),
                                QStringLiteral("Controllo Versione"), Icon::Exclamation);
        return true;
    }
    if (result.cancelled() || result.errorCode == Exchange::kUntrustedCertificate)
        return false; // the transfer error was told already (the user's own cancel needs no word)
    if (result.errorCode == 0 && result.completed && !Exchange::isHtml(answer)) {
        m_ctx.prompter.ask(serverAnswerMessage(service, answer));
        return false;
    }
    if (result.errorCode == 0 && result.completed) {
        tellServerError(m_ctx, address.toString(QUrl::RemoveUserInfo), result);
        return false;
    }
    m_ctx.prompter.tell(QStringLiteral("Errore di connessione al server (server: ") + m_ctx.state.serverLabel +
                            QStringLiteral(", servizio: ") + service +
                            QStringLiteral("). Riprovare in un secondo momento, oppure contattare il servizio di "
                                           "assistenza KVR riportando questo messaggio."),
                        QStringLiteral("Errore di connessione"), Icon::Critical);
    return false;
}

} // namespace vx
