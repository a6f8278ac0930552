#pragma once
// The transmission file of a Request: the header Z, the request and applicant A, the registered
// office B, one E per person and role, and the terminator, each line a record of fields between
// "#" and joined by "#,#", ending with CR LF, in Windows-1252.
//
// The file is written to a temporary file and moved into place only when whole and when the
// check before sending passes, so a file of that name in the folder is always one the region can
// acquire: a failure half-way leaves the earlier file (or none), never a partial one.

#include "core/Context.h"
#include "core/Prompter.h"
#include "store/Database.h"
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

    // Whether Request `numDoma` could be sent as it stands: its file composed in memory and
    // checked, nothing written but the report of a refusal. The definitive print asks this first.
    struct Readiness {
        bool sendable = false;
        DbError error;      // a read failed: try again, or tell it as the database's error
        Message anomaly;    // the Request cannot be composed at all (no persons, no legal seat...)
        QStringList faults; // else what the check refused, each person's fault with the person's name
        QString reportPath; // where the faults were kept ("" when they could not be)
    };
    Readiness readiness(qint32 numDoma);

private:
    struct Composition {
        QString text; // the whole file, before it is encoded
        transmission::CheckReport report;
        Message anomaly; // a writer's own anomaly, when one stopped the composition
        int errorNumber = 0;
        QString errorText;
        DbError error; // a read that failed, when that stopped the composition
    };
    // The records of `numDoma`'s file and their check; false when a writer stopped.
    bool compose(qint32 numDoma, const QString& email, Composition& out);
    // Keeps a check's report beside the program; its path, or "" when it could not be written.
    QString keepReport(const QString& text);

    Context& m_ctx;
    transmission::CheckReport m_report;
};

} // namespace vx
