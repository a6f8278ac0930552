#include "print/PrintSession.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/FieldLog.h"
#include "print/Messages.h"
#include "print/PrintTarget.h"
#include "print/RequestPrint.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QUrl>

#include <cmath>
#include <limits>

namespace vx {

PrintSession::Labels PrintSession::labelsFor(Choice choice)
{
    if (choice == Choice::Draft)
        return {msg::print::text(msg::print::Text::DraftCaption), msg::print::text(msg::print::Text::DraftType)};
    return {msg::print::text(msg::print::Text::DefinitiveCaption), msg::print::text(msg::print::Text::DefinitiveType)};
}

void PrintSession::setInterval(const QString& text)
{
    bool ok = false;
    const double seconds = QLocale(QLocale::Italian, QLocale::Italy).toDouble(text.trimmed(), &ok);
    if (!ok || seconds <= 0)
        return;
    constexpr double kMaxSeconds = std::numeric_limits<qint32>::max() / 1000;
    m_ctx.state.printWaitMs = static_cast<int>(std::min(std::floor(seconds), kMaxSeconds)) * 1000;
}

void PrintSession::pause()
{
    // The screen keeps painting while the printer's spooler catches up.
    QDeadlineTimer until(m_ctx.state.printWaitMs);
    while (!until.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(20, until.remainingTime())));
    }
}

bool PrintSession::run(const std::function<bool(int)>& progress)
{
    bool stopped = false;
    PrintOutcome outcome;
    {
        Busy busy(m_ctx.control);
        outcome = printRequestPdf(m_ctx.db, m_ctx.state.programFolder, m_ctx.state.selected.number, printType(),
                                  m_ctx.clock.now().date(), QString(), [&](int document) {
                                      if (progress && !progress(document))
                                          stopped = true;
                                      return !stopped;
                                  });
    }
    const qint32 number = m_ctx.state.selected.number;
    if (!outcome.ok) {
        qCWarning(vxPrint, "stampa della richiesta %d %s: %s", number, stopped ? "interrotta" : "non riuscita",
                  qUtf8Printable(outcome.error));
        if (!stopped)
            m_ctx.prompter.ask(msg::print::printFailed(outcome.error));
        return false;
    }
    qCInfo(vxPrint, "richiesta %d stampata in %s", number, qUtf8Printable(QFileInfo(outcome.path).fileName()));
    m_ctx.prompter.ask(msg::print::fileCreated(QDir::toNativeSeparators(outcome.path)));
    openOrTell(m_ctx.prompter, m_ctx.desktop, QUrl::fromLocalFile(outcome.path));
    if (m_ctx.state.printWaitMs >= 1)
        pause();
    return true;
}

bool PrintSession::confirmed()
{
    if (m_choice != Choice::Definitive || m_ctx.state.selected.printed)
        return true;
    return m_ctx.prompter.ask(msg::print::definitiveQuestion(m_ctx.state.selected.number)) == Answer::Yes;
}

bool PrintSession::emergencyPrint(PrintTarget& target)
{
    if (m_ctx.prompter.ask(msg::print::notice(msg::print::Notice::EmergencyQuestion)) != Answer::Ok)
        return false;
    PrintOutcome outcome;
    {
        Busy busy(m_ctx.control);
        outcome = printListing(target, m_ctx.db, m_ctx.state.selected.number, m_ctx.clock.now().date(),
                               print::Ending::Legend);
    }
    if (!outcome.ok) {
        m_ctx.prompter.ask(msg::print::printFailed(outcome.error));
        return false;
    }
    return true;
}

} // namespace vx
