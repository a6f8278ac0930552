// The few calls the store makes to PostgreSQL's client library itself (beside Qt's QPSQL driver,
// which rests on the same library), with the library taken only when the first of them runs.
// Linked to the program, libpq and what it brings (Kerberos, LDAP, SASL, GnuTLS...) were loaded
// and relocated at every start, a good part of the time to the first window, by installations that
// never see a server. These definitions stand where the library's would: the store calls them by
// their own names, and each forwards to the library's function, resolved from the library loaded
// by its name and nothing else.
//
// Every call here is on a connection the QPSQL driver has made, or made to learn why its own
// failed, so the library is there whenever a server is: the driver cannot load without it. Were it
// missing all the same, each call answers as the library does for a connection that never was.

#include "core/ModuleLibrary.h"

#include <libpq-fe.h>

namespace {

template <typename Function> Function resolve(const char* name)
{
    return reinterpret_cast<Function>(vx::module::function(vx::module::Library::PostgresClient, name));
}

} // namespace

extern "C" {

PGconn* PQconnectdbParams(const char* const* keywords, const char* const* values, int expand_dbname)
{
    static const auto f = resolve<PGconn* (*)(const char* const*, const char* const*, int)>("PQconnectdbParams");
    return f ? f(keywords, values, expand_dbname) : nullptr;
}

char* PQerrorMessage(const PGconn* conn)
{
    static const auto f = resolve<char* (*)(const PGconn*)>("PQerrorMessage");
    static char none[] = "";
    return f ? f(conn) : none;
}

ConnStatusType PQstatus(const PGconn* conn)
{
    static const auto f = resolve<ConnStatusType (*)(const PGconn*)>("PQstatus");
    return f && conn ? f(conn) : CONNECTION_BAD;
}

int PQconnectionNeedsPassword(const PGconn* conn)
{
    static const auto f = resolve<int (*)(const PGconn*)>("PQconnectionNeedsPassword");
    return f && conn ? f(conn) : 0;
}

int PQconnectionUsedPassword(const PGconn* conn)
{
    static const auto f = resolve<int (*)(const PGconn*)>("PQconnectionUsedPassword");
    return f && conn ? f(conn) : 0;
}

PGTransactionStatusType PQtransactionStatus(const PGconn* conn)
{
    static const auto f = resolve<PGTransactionStatusType (*)(const PGconn*)>("PQtransactionStatus");
    return f && conn ? f(conn) : PQTRANS_UNKNOWN;
}

PQnoticeProcessor PQsetNoticeProcessor(PGconn* conn, PQnoticeProcessor proc, void* arg)
{
    static const auto f = resolve<PQnoticeProcessor (*)(PGconn*, PQnoticeProcessor, void*)>("PQsetNoticeProcessor");
    return f && conn ? f(conn, proc, arg) : nullptr;
}

void PQfinish(PGconn* conn)
{
    static const auto f = resolve<void (*)(PGconn*)>("PQfinish");
    if (f && conn)
        f(conn);
}

} // extern "C"
