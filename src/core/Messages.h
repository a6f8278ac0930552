#pragma once
// What the seams themselves tell the user (help, opening files and addresses). Every subsystem
// keeps its messages the same way, in its own Messages.h: one function per message, taking the
// values it shows, so that code shows them from there and tests name the message they expect.

#include "core/Prompter.h"

#include <QString>
#include <QUrl>

namespace vx::msg::core {

// Why the file `path` could not be written, in Italian, from what its folder shows.
QString whyNotWritten(const QString& path);

// "File di Aiuto non presente", as the help command tells it.
Message helpFileMissing();
// The same text where the installation's help setting is checked ("Imposta Aiuto").
Message helpFileNotConfigured();

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // Titles that messages of several subsystems carry.
    SaveDataTitle,            // "Salvataggio dati"
    UnavailableFunctionTitle, // "Funzione non disponibile"
    // The captions of the buttons that many screens carry, and that the rules name.
    OkCaption,
    ConfirmCaption,
    CancelCaption,
    HelpCaption,
    ExitCaption,
    SaveCaption,
    StopCaption,
    // The button beside a file's name that opens the file dialog.
    BrowseCaption,
};
QString text(Text id);

// Nothing on this computer could open `url`: its path or address is named, and said to be on the
// clipboard when `copied`.
Message cannotOpen(const QUrl& url, bool copied = false);

} // namespace vx::msg::core
