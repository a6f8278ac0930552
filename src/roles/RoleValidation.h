#pragma once
// The checks a person and role pass before they are saved, in their fixed order: the first that
// fails is the fault. A pure function, fast enough to run over whole imports.

#include "roles/RolePerson.h"

#include <QString>

namespace vx {

struct RoleFault {
    enum class Field { None, CodFiscale, Cognome, Nome, Giorno, Mese, Anno, Email, Telefono, Operatore, Sede, Ruolo };

    int step = 0; // 1 to 24; 0: no fault
    QString message;
    // A required field left empty: told with the title "Verifica dati".
    bool required = false;
    // The field at fault, where the focus goes back after the message.
    Field field = Field::None;

    explicit operator bool() const { return step != 0; }
};

// The latest accepted birth year is `currentYear` - 17.
RoleFault validateRolePerson(const RolePerson& person, int currentYear);

} // namespace vx
