#pragma once
// What a print of a Request needs, read once into plain values: the Request's header (operator,
// province, printed flag, the operator's registry data and legal seat) and its persons with their
// roles (rows of Ruoli), in the order the print asks for. The screens, the command line and the
// benchmarks all print from these values, so the layout code never touches the database.

#include "roles/RolePerson.h"

#include <QList>
#include <QString>

namespace vx {

class Database;

struct PrintRequest {
    qint32 number = 0;
    QString group;           // operator group letter
    qint32 operatorCode = 0; //
    QString operatorName;    // CorsiOper.Denominazione
    QString province;        // Domande.PROV
    QString provinceAbbrev;  // Province.SIGPROV
    bool printed = false;    // Domande.DomandaStampata
    // The operator in the registry: CorsiOper, and its legal seat (the CorsiCompo of type SL).
    QString operatorTaxCode;     // CorsiOper.CodFisc
    QString legalRepresentative; // CorsiOper.LegNome
    QString seatAddress;         // CorsiCompo.Indirizzo
    QString seatPostcode;        // CorsiCompo.Cap
    QString seatTown;            // Comuni.Denominazione of CorsiCompo.CodComune
    QString seatProvince;        // Province.SIGPROV of that town
};

struct PrintData {
    PrintRequest request;
    QList<RolePerson> persons;
};

enum class PersonOrder {
    Document, // the template merge: Cognome, Nome, CodFiscale, GruppoOperatore, CodiceOperatore, Sede
    Listing,  // the plain listing: Cognome, Nome, GruppoOperatore, CodiceOperatore, Sede
};

// Reads Request `number` and its persons. False when the Request does not exist or a statement
// fails; `error` then says why, in the user's language.
bool readPrintData(Database& db, qint32 number, PersonOrder order, PrintData& out, QString* error = nullptr);

} // namespace vx
