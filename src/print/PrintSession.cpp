#include "print/PrintSession.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "print/PrintTarget.h"
#include "print/RequestPrint.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocale>
#include <QThread>
#include <QUrl>

#include <cmath>
#include <limits>

namespace vx {

namespace {
const QString kPrintError = QStringLiteral("Errore in fase di stampa");
}

PrintSession::Labels PrintSession::labelsFor(Choice choice)
{
    if (choice == Choice::Draft)
        return {QStringLiteral("Stampa Bozza"), QStringLiteral("STAMPA DELLA BOZZA DELLA DOMANDA.")};
    return {QStringLiteral("Stampa Originale, Copia"),
            QStringLiteral("STAMPA DEL MODULO DI DOMANDA ORIGINALE E IN COPIA.")};
}

void PrintSession::setInterval(const QString& text)
{
    bool ok = false;
    const double seconds = QLocale(QLocale::Italian).toDouble(text.trimmed(), &ok);
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
    if (!outcome.ok) {
        if (!stopped)
            m_ctx.prompter.tell(outcome.error, kPrintError, Icon::Critical);
        return false;
    }
    const QString path = QDir::toNativeSeparators(outcome.path);
    m_ctx.prompter.tell(QStringLiteral("E' stato creato il file ") + path + QLatin1Char('.'),
                        QStringLiteral("Compilazione File di stampa"), Icon::Information);
    openOrTell(m_ctx.prompter, m_ctx.desktop, QUrl::fromLocalFile(outcome.path));
    if (m_ctx.state.printWaitMs >= 1)
        pause();
    return true;
}

Message PrintSession::emergencyQuestion()
{
    return {QStringLiteral("Confermando l'operazione verrà effettuata la stampa in modalità alternativa (ovvero senza "
                           "appoggiarsi al modello del documento). Proreseguire?"),
            QStringLiteral("Conferma stampa bozza"), Icon::None, Buttons::OkCancel};
}

bool PrintSession::emergencyPrint(PrintTarget& target)
{
    if (m_ctx.prompter.ask(emergencyQuestion()) != Answer::Ok)
        return false;
    PrintOutcome outcome;
    {
        Busy busy(m_ctx.control);
        outcome = printListing(target, m_ctx.db, m_ctx.state.selected.number, m_ctx.clock.now().date(),
                               listing::Ending::Legend);
    }
    if (!outcome.ok) {
        m_ctx.prompter.tell(outcome.error, kPrintError, Icon::Critical);
        return false;
    }
    return true;
}

} // namespace vx
