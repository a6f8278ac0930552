#include "core/Messages.h"

#include <QDir>

namespace vx::msg::core {

namespace {
const QString kHelpMissing = QStringLiteral("File di Aiuto non presente");
} // namespace

QString saveDataTitle()
{
    return QStringLiteral("Salvataggio dati");
}

QString unavailableFunctionTitle()
{
    return QStringLiteral("Funzione non disponibile");
}

Message helpFileMissing()
{
    return {kHelpMissing, QStringLiteral("Aiuto"), Icon::Information, Buttons::Ok};
}

Message helpFileNotConfigured()
{
    return {kHelpMissing, QStringLiteral("Imposta Aiuto"), Icon::Exclamation, Buttons::Ok};
}

Message cannotOpen(const QUrl& url, bool copied)
{
    const QString what = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    QString text = QStringLiteral("Impossibile aprire ") + what +
                   QStringLiteral(".\nSu questo computer non c'è un programma che lo possa mostrare.");
    if (copied)
        text += url.isLocalFile() ? QStringLiteral("\nIl percorso del file è stato copiato negli appunti.")
                                  : QStringLiteral("\nL'indirizzo è stato copiato negli appunti.");
    return {text, kAppTitle, Icon::Exclamation, Buttons::Ok};
}

} // namespace vx::msg::core
