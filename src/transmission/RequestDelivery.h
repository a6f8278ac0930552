#pragma once
// The delivery of a printed Request: the upload to the region (version check, transmission file,
// the file's lines as the upload body) and the saved copy for delivery by other means.
//
// The Request's life ends here: printed -> transmitted, only through an upload the region
// confirmed (a 2xx status and the success phrase without an error marker). The transmitted flag and the history row of
// the upload are written in one transaction; the file leaves the program folder only once both are recorded, so a
// failure there never leaves a Request "not transmitted" without the file the region already holds.

#include "net/ServerCall.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace vx {

struct Context;
struct Settings;

// One row of the history of transmissions.
struct TransmissionRecord {
    QDateTime when;
    qint32 numDoma = 0;
    QString fileName;
    qint64 size = 0;
    QString sha256; // hexadecimal, of the bytes sent
    QString outcome;
    QString answer; // the server's answer text

    bool operator==(const TransmissionRecord&) const = default;
};

// The history, latest first; of one Request when `numDoma` is not 0.
QList<TransmissionRecord> transmissionHistory(Context& ctx, qint32 numDoma = 0);

class RequestDelivery {
public:
    static inline const QString kSaveFolder = QStringLiteral("TrasmissioniVELTRANORPX");
    static inline const QString kSuccess = QStringLiteral("Trasmissione completata con successo");
    static inline const QString kOutcomeSent = QStringLiteral("Trasmessa");
    static inline const QString kOutcomeRefused = QStringLiteral("Non trasmessa");

    // `version` is this program's own, "major.minor.revision".
    RequestDelivery(Context& ctx, Exchange& exchange, const Settings& settings, QString version);

    // The upload screen's send with the address typed there: true once the region confirmed the
    // file and the Request is recorded as transmitted.
    bool upload(qint32 numDoma, const QString& email, const ProgressLabel& progress = ProgressLabel());

    // The save-copy command. `askEmail` opens the e-mail form and gives true when the user
    // confirmed a valid address (which the form saved). Gives the saved copy's path, or "".
    QString saveCopy(qint32 numDoma, const std::function<bool()>& askEmail,
                     const ProgressLabel& progress = ProgressLabel());

    // The version check of the transmission screen (the installation's account in the address).
    bool checkVersion(const ProgressLabel& progress = ProgressLabel());

    // The upload's address, whose fixed account the exchange sends in the Authorization header.
    QUrl uploadAddress() const;

    // The region took the file: a success status, the success phrase, and no error marker (an
    // "ERRORE", an HTML page, or the phrase denied by a "NON" after it).
    static bool confirmed(const TransferResult& result);

    // The exchange of the calls, whose busy state the screens follow.
    Exchange& exchange() { return m_exchange; }

private:
    bool record(const TransmissionRecord& row, bool transmitted);

    Context& m_ctx;
    Exchange& m_exchange;
    const Settings& m_settings;
    QString m_version;
};

} // namespace vx
