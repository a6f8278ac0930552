#include "transmission/VersionCheck.h"

#include "core/AppState.h"
#include "core/Context.h"
#include "core/Settings.h"
#include "net/Messages.h"
#include "transmission/Messages.h"

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
    namespace m = msg::transmission;
    const QString plain = address.toString(QUrl::RemoveUserInfo);
    const QString service = Settings::serviceLabel(plain);
    const QString page = Settings::read(IniFile(m_ctx.state.programFolder)).certificatesPage;
    const TransferResult result =
        postAndReport(m_exchange, m_ctx.prompter, progress, address, kBody, Exchange::kDefaultAnswerLimit,
                      [&](const TransferResult& r) {
                          return msg::net::deliveryTransferError(r, service, Settings::serverLabel(plain), page);
                      });
    const QString& answer = result.answer;
    const bool good = result.completed && result.errorCode == 0 &&
                      !answer.toUpper().contains(QLatin1String("ERRORE")) && !Exchange::isHtml(answer);
    if (good) {
        const QStringList fields = answer.split(QLatin1Char('#'));
        auto field = [&](int n) { return n <= fields.size() ? fields.at(n - 1).trimmed() : QString(); };
        const QString status = field(3);
        if (status == QLatin1String("S")) {
            m_ctx.prompter.ask(m::versionNoLongerManaged(m_version));
            return false;
        }
        if (status == QLatin1String("A")) {
            m_ctx.prompter.ask(m::regionStops(field(4)));
            return false;
        }
        if (status == QLatin1String("M"))
            m_ctx.prompter.ask(m::regionNotice(field(4)));
        if (compareVersions(m_version, field(1)) < 0) {
            m_ctx.prompter.ask(m::versionNotAuthorised(m_version, field(2)));
            return false;
        }
        if (compareVersions(m_version, field(2)) < 0)
            m_ctx.prompter.ask(m::versionNotLatest(m_version, field(2)));
        return true;
    }
    if (result.cancelled() || result.errorCode == Exchange::kUntrustedCertificate)
        return false; // the transfer error was told already (the user's own cancel needs no word)
    if (result.errorCode == 0 && result.completed && !Exchange::isHtml(answer)) {
        m_ctx.prompter.ask(msg::net::serverAnswer(msg::net::Where::Service, service, answer));
        return false;
    }
    if (result.errorCode == 0 && result.completed) {
        tellServerError(m_ctx, plain, result);
        return false;
    }
    m_ctx.prompter.ask(msg::net::connectionFailed(m_ctx.state.serverLabel, service));
    return false;
}

} // namespace vx
