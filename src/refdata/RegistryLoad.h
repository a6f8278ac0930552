#pragma once
// The registry's rows written into the database: operators into `CorsiOper` and the promoters'
// table, sites into `CorsiCompo`, the legal-seat correspondence of the operators, and the open
// Requests of the operators and sites in the files.
//
// Invariants: the caller runs these steps inside one write transaction, so a failing step leaves
// nothing of the load behind; every value is bound; a printed Request is never changed, and each
// one left alone gets a line in `log`.

#include "refdata/RegistryRows.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vx {

class Database;

namespace refdata {

class RegistryLoad {
public:
    RegistryLoad(Database& db, const QString& legalSeatType) : m_db(db), m_legalSeatType(legalSeatType) {}

    // Told the file of each pass with 0 as it starts, every few hundred rows, and at its end,
    // with the number of rows of the pass.
    std::function<void(const QString& file, int rows, int total)> progress;

    bool loadOperators(const QList<RegistryOperator>& operators);
    bool loadSites(const QList<RegistrySite>& sites);
    bool setCorrespondence(const QList<RegistryOperator>& operators);
    bool updateRequests(const QList<RegistryOperator>& operators, const QList<RegistrySite>& sites);
    // The first operator without a legal seat, as "group" and "code"; false when the read fails.
    bool operatorWithoutLegalSeat(QString& group, QString& code);

    // The notes on printed Requests left alone.
    const QStringList& log() const { return m_log; }

private:
    void tell(const QString& file, int rows, int total);

    Database& m_db;
    QString m_legalSeatType;
    QStringList m_log;
};

} // namespace refdata
} // namespace vx
