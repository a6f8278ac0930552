#include "roles/RoleValidation.h"

#include "roles/TaxCode.h"

namespace vx {

namespace {

using Field = RoleFault::Field;
using Check = msg::roles::CardCheck;

RoleFault fault(int step, Check check, Field field)
{
    return {step, check, field};
}

// The number of two code positions, letters of the omocodia read as the digits they stand for;
// -1 when either is neither.
int codeNumber(const QString& cf, int from)
{
    const int tens = roles::omocodeDigit(cf[from]);
    const int units = roles::omocodeDigit(cf[from + 1]);
    return tens < 0 || units < 0 ? -1 : tens * 10 + units;
}

bool isCapital(QChar c)
{
    return c.unicode() >= 'A' && c.unicode() <= 'Z';
}

bool isDigitOrCapital(QChar c)
{
    return isCapital(c) || (c.unicode() >= '0' && c.unicode() <= '9');
}

// Each letter of `code` but "X" must stand in `letters`.
bool lettersOccur(QStringView code, const QString& letters)
{
    for (QChar c : code) {
        if (c != QLatin1Char('X') && !letters.contains(c))
            return false;
    }
    return true;
}

} // namespace

RoleFault validateRolePerson(const RolePerson& p, int currentYear)
{
    const QString& cf = p.codFiscale;
    if (cf.isEmpty())
        return fault(1, Check::CodFiscaleMissing, Field::CodFiscale);
    if (cf.size() != 16)
        return fault(1, Check::CodFiscaleLength, Field::CodFiscale);
    if (p.cognome.isEmpty())
        return fault(2, Check::CognomeMissing, Field::Cognome);
    if (p.nome.isEmpty())
        return fault(3, Check::NomeMissing, Field::Nome);
    if (p.gg.isEmpty())
        return fault(4, Check::GiornoMissing, Field::Giorno);
    if (p.gg.size() != 2)
        return fault(4, Check::GiornoLength, Field::Giorno);
    if (p.mm.isEmpty())
        return fault(5, Check::MeseMissing, Field::Mese);
    if (p.mm.size() != 2)
        return fault(5, Check::MeseLength, Field::Mese);
    if (p.aaaa.isEmpty())
        return fault(6, Check::AnnoMissing, Field::Anno);
    if (p.aaaa.size() != 4)
        return fault(6, Check::AnnoLength, Field::Anno);
    if (p.email.isEmpty())
        return fault(7, Check::EmailMissing, Field::Email);
    if (p.tel.isEmpty())
        return fault(8, Check::TelefonoMissing, Field::Telefono);
    if (!roles::digitsOnly(p.tel))
        return fault(8, Check::TelefonoDigits, Field::Telefono);
    if (!roles::nameCharacters(p.cognome))
        return fault(9, Check::CognomeCharacters, Field::Cognome);
    if (!roles::nameCharacters(p.nome))
        return fault(10, Check::NomeCharacters, Field::Nome);
    if (!roles::emailCharacters(p.email))
        return fault(11, Check::EmailCharacters, Field::Email);
    if (p.codice == 0)
        return fault(12, Check::OperatoreMissing, Field::Operatore);
    if (p.ruolo == 0)
        return fault(13, Check::RuoloMissing, Field::Ruolo);
    if (!roles::atAgency(p.ruolo) && p.sede == 0)
        return fault(14, Check::SedeRequired, Field::Sede);
    if (roles::atAgency(p.ruolo) && p.sede != 0)
        return fault(14, Check::SedeNotAllowed, Field::Sede);

    // Year, month and day in the code; letters of the omocodia stand for digits. The card's texts
    // are read as numbers only when they are all digits: pasting can put anything into them, and
    // what is stored goes as it is into the transmission file.
    const int codeYear = codeNumber(cf, 6);
    const int year = roles::fixedDigits(p.aaaa, 4);
    if (codeYear < 0 || year < 0 || codeYear != year % 100)
        return fault(15, Check::AnnoAgainstCode, Field::Anno);
    const QString monthLetter = roles::monthLetter(p.mm);
    if (monthLetter.isEmpty() || cf[8] != monthLetter[0])
        return fault(16, Check::MeseAgainstCode, Field::Mese);
    const int codeDay = codeNumber(cf, 9);
    const int day = roles::fixedDigits(p.gg, 2);
    if (codeDay < 0 || day < 0 || (codeDay < 40 ? codeDay != day : codeDay != day + 40))
        return fault(17, Check::GiornoAgainstCode, Field::Giorno);

    if (day == 0 || day > 31)
        return fault(18, Check::GiornoValue, Field::Giorno);
    const int month = roles::fixedDigits(p.mm, 2);
    if (month < 1 || month > 12)
        return fault(18, Check::MeseValue, Field::Mese);
    if (year > currentYear - 17 || year < 1900)
        return fault(18, Check::AnnoValue, Field::Anno);
    if (!roles::dayInMonth(day, month, year))
        return fault(18, Check::GiornoValue, Field::Giorno);

    for (int i = 0; i < 16; ++i) {
        const bool letterOnly = i < 6 || i == 8 || i == 11 || i == 15;
        if (letterOnly ? !isCapital(cf[i]) : !isDigitOrCapital(cf[i]))
            return fault(19, Check::CodFiscaleFormat, Field::CodFiscale);
    }
    if (roles::checkCharacter(cf) != cf.right(1))
        return fault(20, Check::CodFiscaleCheckCharacter, Field::CodFiscale);

    const QString surnameLetters = roles::normalise(p.cognome);
    const QString nameLetters = roles::normalise(p.nome);
    if (QStringView(cf).left(3) != roles::surnameCode(p.cognome))
        return fault(21, Check::CodFiscaleSurname, Field::CodFiscale);
    if (QStringView(cf).mid(3, 3) != roles::nameCode(p.nome))
        return fault(22, Check::CodFiscaleName, Field::CodFiscale);
    if (!lettersOccur(QStringView(cf).left(3), surnameLetters))
        return fault(23, Check::CodFiscaleSurnameLetters, Field::CodFiscale);
    if (!lettersOccur(QStringView(cf).mid(3, 3), nameLetters))
        return fault(23, Check::CodFiscaleNameLetters, Field::CodFiscale);

    const QString& e = p.email;
    if (!e.contains(QLatin1Char('@')) || !e.contains(QLatin1Char('.')) || e.contains(QLatin1String("@.")) ||
        e.startsWith(QLatin1Char('.')) || e.endsWith(QLatin1Char('.')) || e.startsWith(QLatin1Char('@')) ||
        e.endsWith(QLatin1Char('@')))
        return fault(24, Check::EmailFormat, Field::Email);
    if (!roles::emailCharacters(e))
        return fault(24, Check::EmailForbidden, Field::Email);
    return {};
}

} // namespace vx
