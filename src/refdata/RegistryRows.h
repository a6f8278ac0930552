#pragma once
// The lines of the registry files read into rows, cut as the tables store them: `oper.tx1` gives
// the operators, `compo.tx1` their sites. The rows are views into the file's text, read once.
//
// Invariant: a file is read whole or refused whole. Each data line must be a row of fields between
// "#", its keys what their columns hold (the group a letter, the operator code and the site
// number whole numbers the columns can store), and its other numbers empty or whole numbers their
// columns can store; the first line that is not names the refusal, and then no row of the file is
// loaded.

#include "refdata/DeliveredFile.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <array>

namespace vx {

class FastStatement;

namespace refdata {

// A field stored as a number: its whole value when the trimmed text reads as one (see
// wholeNumber); bound as null when it is empty.
struct NumberField {
    QStringView text;
    qint64 value = 0;
    bool isNumber = false;

    static NumberField of(QStringView field);
    QString toString() const { return isNumber ? QString::number(value) : text.toString(); }
    void bindTo(FastStatement& s, int i) const;
};

// The numeric value of a text as the original's Val reads it: its leading number, 0 when none;
// whole when it has no fraction (and fits 64 bits).
struct ValField {
    double real = 0;
    qint64 whole = 0;
    bool isWhole = true;

    static ValField of(QStringView field);
    void bindTo(FastStatement& s, int i) const;
};

// One line of `oper.tx1`, cut as CorsiOper stores it.
struct RegistryOperator {
    QStringView group;
    NumberField code;
    std::array<QStringView, 3> head; // Denominazione, TipoOper, CodFisc
    std::array<QStringView, 9> rest; // LegNome ... AnnoCCIAA, "" where the file has nothing
    NumberField attEcono;

    // Binds Denominazione ... AttEcono (13 values) from position `i`.
    void bindValues(FastStatement& s, int i) const;
    void bindKey(FastStatement& s, int i) const;
};

// One line of `compo.tx1`, cut as CorsiCompo stores it.
struct RegistrySite {
    QStringView group;
    NumberField code;
    NumberField site;
    std::array<QStringView, 4> always; // TipoCompo, Denominazione, CodComune, Indirizzo
    std::array<QStringView, 3> given;  // Cap, Tel, Fax
    NumberField district;              // Cod_Quartiere
    std::array<QStringView, 2> abroad; // StatoEstero, CittaEstero
    ValField ateco;

    void bindKey(FastStatement& s, int i) const;
    // Cap, Tel, Fax, Cod_Quartiere, StatoEstero, CittaEstero from position `i`.
    void bindIfGiven(FastStatement& s, int i) const;
};

// A registry file and its rows. `read` gives false when the file cannot be read or is refused;
// `refusal` then says why (a line of the file, or the file itself).
template <typename Row> struct RegistryFile {
    DeliveredFile file;
    QList<Row> rows;
    QString refusal;

    bool read(const QString& path);
    // True when the file holds no line besides blank ones.
    bool isEmpty() const { return rows.isEmpty() && refusal.isEmpty(); }
};

using OperatorFile = RegistryFile<RegistryOperator>;
using SiteFile = RegistryFile<RegistrySite>;

} // namespace refdata
} // namespace vx
