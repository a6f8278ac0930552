#pragma once
// The database update: the decode tables, then the region's registry of operators and of their
// sites, carried into the Requests still open.
//
// Invariants: the registry load runs in one write transaction, so a failure rolls back and the
// database is as before (the safety copy `<database>_BAK` is still made first and removed on
// success, and is never copied over a database other workstations may hold open); a file that
// cannot be read whole is refused before anything is written; the input files always leave the
// program folder, into `CAR` or `BAD`; what the user is told about the log is what happened to it.

#include <QString>
#include <QStringList>

#include <functional>

namespace vx {

struct Context;

namespace refdata {

inline const QString kOperFile = QStringLiteral("oper.tx1");
inline const QString kCompoFile = QStringLiteral("compo.tx1");
inline const QString kSediOccFile = QStringLiteral("sediocc.tx1");
inline const QString kSediUtilFile = QStringLiteral("sediutil.tx1");
inline const QString kLogFile = QStringLiteral("AggiornaDB.LOG");
inline const QString kDoneFolder = QStringLiteral("CAR");
inline const QString kBadFolder = QStringLiteral("BAD");
inline const QString kBackupSuffix = QStringLiteral("_BAK");

// The four registry files that are there moved into `CAR` (a load that succeeded) or `BAD`, as
// "<name>.car", replacing older copies.
void archiveRegistryFiles(const QString& programFolder, bool success);

class RegistryUpdate {
public:
    enum class Outcome { Refused, Done, Failed, EndProgram };

    explicit RegistryUpdate(Context& ctx) : m_ctx(ctx) {}

    // Rows of the registry loaded so far, for a progress bar: called with 0 as each pass over a
    // file starts, every few hundred rows, and once more at its end, with the rows of the pass.
    std::function<void(const QString& file, int rows, int total)> progressWithTotal;
    // The decode tables' load that the update starts, as `DecodeTables::progressWithTotal`.
    std::function<void(const QString& file, const QString& table, int rows, int total)> tablesProgressWithTotal;

    // The whole update: refused on a CLIENT installation; the decode tables, then the registry
    // when `oper.tx1` is there, and the input files archived. EndProgram: the user chose to end
    // at an empty decode file; the caller runs the orderly end.
    Outcome aggiornaBaseDati();
    // The installation's own check, told when it fails: only a SERVER installation updates.
    bool mayUpdate();
    // The load proper; true on success.
    bool caricaRegistro();
    // After a load that failed: whether its files stay where they are for the next try (the
    // server was lost and undid everything) rather than go to BAD.
    bool filesKept() const { return m_filesKept; }

    // The registry of a first installation: operators, sites and their legal-seat
    // correspondence, in one transaction. An operator without a legal seat leaves the operator
    // table empty and is told; false then, and the program cannot be used.
    bool installRegistry();

    QString logPath() const;

private:
    // The notes of a load that succeeded: written to the log and offered, or shown.
    void keepLog(const QStringList& lines);

    Context& m_ctx;
    bool m_filesKept = false;
};

} // namespace refdata
} // namespace vx
