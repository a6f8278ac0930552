#include "core/Messages.h"

#include "core/TextTable.h"

#include <QDir>
#include <QFileInfo>

namespace vx::msg::core {

namespace {
const QString kHelpMissing = QStringLiteral("File di Aiuto non presente");
} // namespace

QString whyNotWritten(const QString& path)
{
    // Qt's reasons are the system's, in English: said again here from what the folder shows.
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const QString where = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!folder.exists())
        return QStringLiteral("la cartella %1 non esiste").arg(where);
    if (!folder.isDir())
        return QStringLiteral("%1 non è una cartella").arg(where);
    if (!folder.isWritable())
        return QStringLiteral("non si ha il permesso di scrivere nella cartella %1").arg(where);
    if (file.isDir())
        return QStringLiteral("esiste già una cartella con quel nome");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("il file esistente si può solo leggere");
    return QStringLiteral("errore di scrittura (disco pieno?)");
}

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::SaveDataTitle, u"Salvataggio dati"},
    {Text::UnavailableFunctionTitle, u"Funzione non disponibile"},
    {Text::OkCaption, u"OK"},
    {Text::ConfirmCaption, u"Conferma"},
    {Text::CancelCaption, u"Annulla"},
    {Text::HelpCaption, u"Aiuto"},
    {Text::ExitCaption, u"Esci"},
    {Text::SaveCaption, u"Salva"},
    {Text::StopCaption, u"Interrompi"},
    {Text::BrowseCaption, u"..."},
};
static_assert(std::size(kTexts) == size_t(Text::BrowseCaption) + 1 && inOrder(kTexts));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
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
