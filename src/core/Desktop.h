#pragma once
// Opening files and addresses with the user's default applications.

#include <QString>
#include <QUrl>

namespace vx {

class Desktop {
public:
    virtual ~Desktop() = default;
    // True only when a program of this computer took the file or address.
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool showTextFile(const QString& path) = 0;
    // Puts `text` on the clipboard, where there is one; false where there is none.
    virtual bool copyToClipboard(const QString&) { return false; }
};

class Prompter;

// Opens `url` and, when no program of this computer could open it, tells the user what could not
// be opened (the file's path or the address, also put on the clipboard). True when it was opened.
bool openOrTell(Prompter& prompter, Desktop& desktop, const QUrl& url);

// The real one, through the platform's default handlers. On a free desktop the opener is
// xdg-open, which says whether it found a program: its answer is awaited for a moment (the
// screens keep painting), so that "no method available" is told rather than taken as opened. An
// opener still running after that moment has started a program, which may stay in front.
class SystemDesktop : public Desktop {
public:
    static constexpr int kVerdictMs = 3000;

    bool openUrl(const QUrl& url) override;
    bool showTextFile(const QString& path) override;
    bool copyToClipboard(const QString& text) override;
};

} // namespace vx
