#pragma once
// The database update: the decode tables, then the region's registry of operators and of their
// sites, carried into the Requests still open.
//
// Invariants: the registry load runs in one write transaction, so a failure rolls back and the
// database is as before (the safety copy `<database>_BAK` is still made first and removed on
// success, and is never copied over a database other workstations may hold open); a printed
// Request is never changed, and each one left alone gets its log line; every value read from a
// file is bound; the input files always leave the program folder, into `CAR` or `BAD`.

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

// The telephone or fax as stored: the text after the last "/" (all of it when there is none),
// trimmed, at most 10 characters.
QString phoneNumber(const QString& field);

class RegistryUpdate {
public:
    enum class Outcome { Refused, Done, Failed, EndProgram };

    explicit RegistryUpdate(Context& ctx) : m_ctx(ctx) {}

    // Rows of the registry loaded so far, and the decode tables' own progress, for a progress window.
    std::function<void(const QString& file, int rows)> progress;
    std::function<void(const QString& file, const QString& table, int rows)> tablesProgress;

    // The whole update: refused on a CLIENT installation; the decode tables, then the registry
    // when `oper.tx1` is there, and the input files archived. EndProgram: the user chose to end
    // at an empty decode file; the caller runs the orderly end.
    Outcome aggiornaBaseDati();
    // The installation's own check, told when it fails: only a SERVER installation updates.
    bool mayUpdate();
    // The load proper; true on success.
    bool caricaRegistro();

    // The registry of a first installation: operators, sites and their legal-seat
    // correspondence, in one transaction. An operator without a legal seat leaves the operator
    // table empty and is told; false then, and the program cannot be used.
    bool installRegistry();

    QString logPath() const;

private:
    bool loadAll(const QStringList& operLines, const QStringList& compoLines);
    bool loadOperators(const QStringList& lines);
    bool loadSites(const QStringList& lines);
    bool setCorrespondence(const QStringList& lines);
    bool updateRequests(const QStringList& operLines, const QStringList& compoLines);
    void log(const QString& line);
    void archive(bool success);

    Context& m_ctx;
    QStringList m_log;
};

} // namespace refdata
} // namespace vx
