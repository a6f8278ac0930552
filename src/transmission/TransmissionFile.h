#pragma once
// The transmission file of a Request: the header Z, the request and applicant A, the registered
// office B, one E per person and role, and the terminator, each line a record of fields between
// "#" and joined by "#,#", ending with CR LF, in Windows-1252.
//
// The file is written to a temporary file and moved into place only when whole and when the
// check before sending passes, so a file of that name in the folder is always one the region can
// acquire: a failure half-way leaves the earlier file (or none), never a partial one.

#include "core/Context.h"
#include "transmission/TransmissionCheck.h"

#include <QString>

namespace vx {

// The report of a transmission file that failed its check, kept in the program folder.
inline const QString kCheckReportName = QStringLiteral("ControlloFileTrasmissione.txt");

class TransmissionFile {
public:
    explicit TransmissionFile(Context& ctx) : m_ctx(ctx) {}

    // The file's name ("VELTRANORPX_6_37.A123", with "QUOLB_" before it in the reserved mode,
    // after telling the user); "" after telling why the Request cannot be named.
    QString fileName(qint32 numDoma);

    // Writes the file of `numDoma`, with `email` in record A, into `folder` (the program folder
    // when empty). Returns the written file's path; "" after telling the user why not.
    QString create(qint32 numDoma, const QString& email, const QString& folder = QString());

    // The check of the last file written or refused.
    const transmission::CheckReport& lastReport() const { return m_report; }

private:
    Context& m_ctx;
    transmission::CheckReport m_report;
};

} // namespace vx
