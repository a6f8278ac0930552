#include "print/PrintData.h"

#include "print/Messages.h"
#include "roles/RoleColumns.h"
#include "store/Database.h"
#include "store/Lookups.h"

namespace vx {

namespace {
const QString kLegalSeat = QStringLiteral("SL");
} // namespace

bool readPrintData(Database& db, qint32 number, PersonOrder order, PrintData& out, QString* error)
{
    out = PrintData();
    auto fail = [&](const QString& what) {
        if (error)
            *error = msg::print::readFailure(what, db.lastError().number, db.lastError().description);
        out = PrintData();
        return false;
    };
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT Domande.NumDoma, Domande.GrupOpe, Domande.Operatore, Domande.PROV, "
                                "Domande.DomandaStampata, Province.SIGPROV, CorsiOper.Denominazione, "
                                "CorsiOper.CodFisc, CorsiOper.LegNome "
                                "FROM Domande LEFT JOIN Province ON Province.PROV = Domande.PROV "
                                "LEFT JOIN CorsiOper ON CorsiOper.GrupOpe = Domande.GrupOpe "
                                "AND CorsiOper.Operatore = Domande.Operatore WHERE Domande.NumDoma = ?"),
                 {number}))
        return fail(msg::print::text(msg::print::Text::RequestData));
    if (!q.next()) {
        if (error)
            *error = msg::print::requestMissing(number);
        return false;
    }
    PrintRequest& r = out.request;
    r.number = q.value(0).toInt();
    r.group = NonNull(q.value(1));
    r.operatorCode = q.value(2).toInt();
    r.province = NonNull(q.value(3));
    r.printed = q.value(4).toInt() != 0;
    r.provinceAbbrev = NonNull(q.value(5));
    r.operatorName = NonNull(q.value(6));
    r.operatorTaxCode = NonNull(q.value(7));
    r.legalRepresentative = NonNull(q.value(8));

    q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT CorsiCompo.Indirizzo, CorsiCompo.Cap, Comuni.Denominazione, Province.SIGPROV "
                                "FROM CorsiCompo LEFT JOIN Comuni ON Comuni.CodComune = CorsiCompo.CodComune "
                                "LEFT JOIN Province ON Province.PROV = Comuni.PROV "
                                "WHERE CorsiCompo.GrupOpe = ? AND CorsiCompo.Operatore = ? "
                                "AND CorsiCompo.TipoCompo = ? ORDER BY CorsiCompo.Componente"),
                 {r.group, r.operatorCode, kLegalSeat}))
        return fail(msg::print::text(msg::print::Text::RequestData));
    if (q.next()) {
        r.seatAddress = NonNull(q.value(0));
        r.seatPostcode = NonNull(q.value(1));
        r.seatTown = NonNull(q.value(2));
        r.seatProvince = NonNull(q.value(3));
    }

    const QString orderBy = order == PersonOrder::Document
                                ? QStringLiteral("Cognome, Nome, CodFiscale, GruppoOperatore, CodiceOperatore, Sede")
                                : QStringLiteral("Cognome, Nome, GruppoOperatore, CodiceOperatore, Sede");
    q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT ") + roles::columnList() +
                     QStringLiteral(" FROM Ruoli WHERE NumDoma = ? ORDER BY ") + orderBy,
                 {number}))
        return fail(msg::print::text(msg::print::Text::PersonsData));
    while (q.next())
        out.persons.append(roles::readRow(q));
    return true;
}

} // namespace vx
