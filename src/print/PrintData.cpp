#include "print/PrintData.h"

#include "roles/RoleColumns.h"
#include "store/Database.h"
#include "store/Lookups.h"

namespace vx {

namespace {

QString failure(const QString& routine, const DbError& error)
{
    return routine + QStringLiteral(" - ") + error.number + QStringLiteral(" - ") + error.description;
}

} // namespace

bool readPrintData(Database& db, qint32 number, PersonOrder order, PrintData& out, QString* error)
{
    out = PrintData();
    QSqlQuery q = db.query();
    if (!db.exec(q,
                 QStringLiteral("SELECT Domande.NumDoma, Domande.GrupOpe, Domande.Operatore, Domande.PROV, "
                                "Domande.DomandaStampata, Province.SIGPROV, CorsiOper.Denominazione "
                                "FROM Domande LEFT JOIN Province ON Province.PROV = Domande.PROV "
                                "LEFT JOIN CorsiOper ON CorsiOper.GrupOpe = Domande.GrupOpe "
                                "AND CorsiOper.Operatore = Domande.Operatore WHERE Domande.NumDoma = ?"),
                 {number})) {
        if (error)
            *error = failure(QStringLiteral("Dati della Richiesta"), db.lastError());
        return false;
    }
    if (!q.next()) {
        if (error)
            *error = QStringLiteral("La Richiesta %1 non esiste.").arg(number);
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

    const QString orderBy = order == PersonOrder::Document
                                ? QStringLiteral("Cognome, Nome, CodFiscale, GruppoOperatore, CodiceOperatore, Sede")
                                : QStringLiteral("Cognome, Nome, GruppoOperatore, CodiceOperatore, Sede");
    q = db.query();
    q.setForwardOnly(true);
    if (!db.exec(q,
                 QStringLiteral("SELECT ") + ruoli::columnList() +
                     QStringLiteral(" FROM Ruoli WHERE NumDoma = ? ORDER BY ") + orderBy,
                 {number})) {
        if (error)
            *error = failure(QStringLiteral("Soggetti e ruoli"), db.lastError());
        out = PrintData();
        return false;
    }
    while (q.next()) {
        const RolePerson r = ruoli::read(q);
        out.persons.append({r.codFiscale, r.cognome, r.nome, r.gg, r.mm, r.aaaa, r.email, r.tel, r.gruppo,
                            QString::number(r.codice), QString::number(r.sede), QString::number(r.ruolo)});
    }
    return true;
}

} // namespace vx
