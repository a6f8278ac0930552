#include "print/PrintData.h"

#include "store/Database.h"
#include "store/Lookups.h"

namespace vx {

namespace {

QString failure(const QString& routine, const DbError& error)
{
    return routine + QStringLiteral(" - ") + error.number + QStringLiteral(" - ") + error.description;
}

} // namespace

QString roleCodeWord(int code)
{
    // The same words as the exchange files; they identify the role to the regional systems.
    switch (code) {
    case 1:
        return QStringLiteral("PROGETTISTA_PERCORSI_FORM");
    case 2:
        return QStringLiteral("PROGETTISTA_PERCORSI_SEDE");
    case 3:
        return QStringLiteral("VERIFICATORE_PERCORSI_SEDE");
    case 4:
        return QStringLiteral("PROGETTISTA_AGENZIA_PCV");
    case 5:
        return QStringLiteral("VERIFICATORE_PERCORSI_FORM");
    default:
        return QString();
    }
}

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
                 QStringLiteral("SELECT CodFiscale, Cognome, Nome, GGNasc, MMNasc, AAAANasc, Email, Tel, "
                                "GruppoOperatore, CodiceOperatore, Sede, Ruolo FROM Ruoli WHERE NumDoma = ? "
                                "ORDER BY ") +
                     orderBy,
                 {number})) {
        if (error)
            *error = failure(QStringLiteral("Soggetti e ruoli"), db.lastError());
        out = PrintData();
        return false;
    }
    while (q.next()) {
        PrintPerson p;
        p.codFiscale = NonNull(q.value(0));
        p.cognome = NonNull(q.value(1));
        p.nome = NonNull(q.value(2));
        p.gg = NonNull(q.value(3));
        p.mm = NonNull(q.value(4));
        p.aaaa = NonNull(q.value(5));
        p.email = NonNull(q.value(6));
        p.tel = NonNull(q.value(7));
        p.gruppo = NonNull(q.value(8));
        p.codice = NonNull(q.value(9));
        p.sede = NonNull(q.value(10));
        p.ruolo = NonNull(q.value(11));
        out.persons.append(std::move(p));
    }
    return true;
}

} // namespace vx
