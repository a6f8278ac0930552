#pragma once
// The checks a person and role pass before they are saved, in their fixed order: the first that
// fails is the fault. A pure function, fast enough to run over whole imports.

#include "roles/Messages.h"
#include "roles/RolePerson.h"

namespace vx {

struct RoleFault {
    enum class Field { None, CodFiscale, Cognome, Nome, Giorno, Mese, Anno, Email, Telefono, Operatore, Sede, Ruolo };

    int step = 0; // 1 to 24; 0: no fault
    // What the user is told (msg::roles::cardCheck).
    msg::roles::CardCheck check = msg::roles::CardCheck::CodFiscaleMissing;
    // The field at fault, where the focus goes back after the message. The order of the fields
    // is the card's, from top to bottom (msg::roles::cardLabel).
    Field field = Field::None;

    explicit operator bool() const { return step != 0; }
};

// The latest accepted birth year is `currentYear` - 17.
RoleFault validateRolePerson(const RolePerson& person, int currentYear);

} // namespace vx
