#pragma once
// The assistance request: a copy of the database packed for the assistance service, and the
// address of the region's assistance page with the operator's identity and a description of this
// computer already filled in. The page opens in the system's browser.
//
// The copy is made only while no other workstation holds the database, so that the service gets
// the data as the agency left them; the shared connection is closed while it is made and opened
// again afterwards.

#include "core/Context.h"

#include <QDate>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace vx {

class BrowserProbe;

// A description of this computer, in the formats the assistance service reads.
struct ComputerDescription {
    // Five blanks, the system's name, three blanks, its edition; CR LF; five blanks and
    // "Versione: " with the kernel's version.
    static QString systemText(const QString& name, const QString& edition, const QString& version);
    // "Browser " + name + " ver. " + version, or that none was found.
    static QString browserText(const QString& name, const QString& version);
    // Four lines of five blanks and a figure in MB (bytes / 1024 / 1024, rounded), joined by CR LF.
    static QString memoryText(qint64 totalRam, qint64 availableRam, qint64 totalVirtual, qint64 availableVirtual);

    // The same, read from this computer: the distribution and the kernel, and /proc/meminfo (the
    // default browser is looked for by BrowserProbe).
    static QString currentSystem();
    static QString currentMemory();
};

class AssistanceRequest {
public:
    static inline const QString kPagePath = QStringLiteral("/cgi-bin/fp/upload/form_allegato_bin_upload.cgi");
    static inline const QString kServiceAddress = QStringLiteral("assistenza@veltranorpx.local");

    // The longest the request waits for the browser to be found before it opens the page without.
    static constexpr int kBrowserWaitMs = 2000;

    // `status` hears the texts the form shows while it works. The browser is looked for from now on.
    AssistanceRequest(Context& context, std::function<void(const QString&)> status);
    ~AssistanceRequest();

    // VELTRANORPX_dd-mm-yyyy_<group><code>-<running number in 4 digits>.zip in the program folder.
    static QString archivePath(const QString& programFolder, const QDate& day, const QString& group, int code,
                               int runningNumber);
    // The page's address: the fifteen keys in their order, every value percent-encoded.
    QUrl pageAddress(const QString& archive, const QString& system, const QString& browser,
                     const QString& memory) const;

    // The "Accedi" command. False when it stopped before opening the page.
    bool run();

private:
    void status(const QString& text)
    {
        if (m_status)
            m_status(text);
    }

    Context& m_ctx;
    std::function<void(const QString&)> m_status;
    std::unique_ptr<BrowserProbe> m_browser;
};

} // namespace vx
