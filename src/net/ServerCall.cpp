#include "net/ServerCall.h"

#include "core/AppState.h"
#include "core/Context.h"
#include "core/Settings.h"
#include "net/Messages.h"

namespace vx {

Message transferErrorMessage(const TransferResult& result, const QString& secureServer)
{
    return msg::net::transferError(result, secureServer);
}

ProgressFollower::ProgressFollower(Exchange& exchange, const ProgressLabel& progress)
    : m_state(QObject::connect(&exchange, &Exchange::stateChanged,
                               [progress](Exchange::State state) {
                                   if (progress)
                                       progress(Exchange::stateText(state));
                               })),
      m_received(QObject::connect(&exchange, &Exchange::received, [progress](qint64 bytes) {
          if (progress)
              progress(msg::net::received(bytes));
      }))
{
}

ProgressFollower::~ProgressFollower()
{
    QObject::disconnect(m_state);
    QObject::disconnect(m_received);
}

TransferResult postAndReport(Exchange& exchange, Prompter& prompter, const ProgressLabel& progress, const QUrl& url,
                             const QByteArray& body, qint64 answerLimit,
                             const std::function<Message(const TransferResult&)>& describe, QIODevice* into)
{
    TransferResult result;
    {
        ProgressFollower follower(exchange, progress);
        result = into ? exchange.postFormInto(url, body, *into, answerLimit) : exchange.postForm(url, body, answerLimit);
    }
    if (result.errorCode != 0 && !result.cancelled())
        prompter.ask(describe ? describe(result) : transferErrorMessage(result));
    return result;
}

Message serverAnswerMessage(const QString& service, const QString& answer)
{
    return msg::net::serverAnswer(msg::net::Where::Service, service, answer);
}

void tellServerError(Context& context, const QString& address, const TransferResult& result)
{
    context.prompter.ask(msg::net::serverErrorPage(context.state.serverLabel, Settings::serviceLabel(address)));
    showServerErrorPage(context.state.programFolder, result.raw, context.prompter, context.desktop);
}

} // namespace vx
