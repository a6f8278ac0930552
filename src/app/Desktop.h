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

// The real one, through the platform's default handlers.
class SystemDesktop : public Desktop {
public:
    bool openUrl(const QUrl& url) override;
    bool showTextFile(const QString& path) override;
};

} // namespace vx
