#pragma once
// Opening files and addresses with the user's default applications.

#include <QString>
#include <QUrl>

namespace vx {

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool showTextFile(const QString& path) = 0;
};

class Prompter;

// Opens `url` and, when no program of this computer could open it, tells the user what could not
// be opened (the file's path or the address). True when it was opened.
bool openOrTell(Prompter& prompter, Desktop& desktop, const QUrl& url);

// The real one, through the platform's default handlers.
class SystemDesktop : public Desktop {
public:
    bool openUrl(const QUrl& url) override;
    bool showTextFile(const QString& path) override;
};

} // namespace vx
