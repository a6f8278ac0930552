#include "core/Desktop.h"

#include "core/Messages.h"
#include "core/Prompter.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace vx {

bool SystemDesktop::openUrl(const QUrl& url)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || !QCoreApplication::instance())
        return QDesktopServices::openUrl(url);
    // Owned by the application, so that it outlives this call when a program stays in front.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments(
        {url.isLocalFile() && !url.hasFragment() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QEventLoop wait;
    QTimer verdict;
    verdict.setSingleShot(true);
    QObject::connect(&verdict, &QTimer::timeout, &wait, &QEventLoop::quit);
    QObject::connect(process, &QProcess::finished, &wait, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &wait, &QEventLoop::quit);
    process->start();
    verdict.start(kVerdictMs);
    if (process->state() != QProcess::NotRunning)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() == QProcess::Running) {
        // A program took the file and stays in front; the opener goes when it ends.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool opened = process->state() == QProcess::NotRunning && process->error() == QProcess::UnknownError &&
                        process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
}

bool SystemDesktop::showTextFile(const QString& path)
{
    return openUrl(QUrl::fromLocalFile(path));
}

bool SystemDesktop::copyToClipboard(const QString& text)
{
    QClipboard* clipboard =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return true;
}

bool openOrTell(Prompter& prompter, Desktop& desktop, const QUrl& url)
{
    if (desktop.openUrl(url))
        return true;
    const QString what = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    prompter.ask(msg::core::cannotOpen(url, desktop.copyToClipboard(what)));
    return false;
}

} // namespace vx
