#include "roles/RoleValidation.h"

#include "roles/TaxCode.h"

namespace vx {

namespace {

using Field = RoleFault::Field;

RoleFault fault(int step, const char* message, Field field = Field::None, bool required = false)
{
    return {step, QString::fromUtf8(message), required, field};
}

// The number of two code positions, letters of the omocodia read as the digits they stand for;
// -1 when either is neither.
int codeNumber(const QString& cf, int from)
{
    const int tens = taxcode::omocodeDigit(cf[from]);
    const int units = taxcode::omocodeDigit(cf[from + 1]);
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
        return fault(1, "Inserire il codice fiscale", Field::CodFiscale, true);
    if (cf.size() != 16)
        return fault(1, "Formato codice fiscale non corretto.", Field::CodFiscale);
    if (p.cognome.isEmpty())
        return fault(2, "Inserire il cognome", Field::Cognome, true);
    if (p.nome.isEmpty())
        return fault(3, "Inserire il nome", Field::Nome, true);
    if (p.gg.isEmpty())
        return fault(4, "Inserire il giorno", Field::Giorno, true);
    if (p.gg.size() != 2)
        return fault(4, "Formato giorno non corretto.", Field::Giorno);
    if (p.mm.isEmpty())
        return fault(5, "Inserire il mese", Field::Mese, true);
    if (p.mm.size() != 2)
        return fault(5, "Formato mese non corretto.", Field::Mese);
    if (p.aaaa.isEmpty())
        return fault(6, "Inserire l'anno", Field::Anno, true);
    if (p.aaaa.size() != 4)
        return fault(6, "Formato anno non corretto.", Field::Anno);
    if (p.email.isEmpty())
        return fault(7, "Inserire l'indirizzo di posta elettronica", Field::Email, true);
    if (p.tel.isEmpty())
        return fault(8, "Inserire il numero di telefono.", Field::Telefono, true);
    if (!taxcode::digitsOnly(p.tel))
        return fault(8, "Numero di telefono: inserire solo numeri", Field::Telefono);
    if (!taxcode::nameCharacters(p.cognome))
        return fault(9, "Cognome: sono presenti caratteri non permessi", Field::Cognome);
    if (!taxcode::nameCharacters(p.nome))
        return fault(10, "Nome: sono presenti caratteri non permessi", Field::Nome);
    if (!taxcode::emailCharacters(p.email))
        return fault(11, "E-mail: sono presenti caratteri non permessi", Field::Email);
    if (p.codice == 0)
        return fault(12, "Selezionare  l'operatore.", Field::Operatore);
    if (p.ruolo == 0)
        return fault(13, "Selezionare il ruolo.", Field::Ruolo);
    if (!roles::atAgency(p.ruolo) && p.sede == 0)
        return fault(14, "Per il ruolo selezionato deve essere indicata la Sede.", Field::Sede);
    if (roles::atAgency(p.ruolo) && p.sede != 0)
        return fault(14, "Per il ruolo selezionato NON deve essere indicata la Sede.", Field::Sede);

    // Year, month and day in the code; letters of the omocodia stand for digits. The card's texts
    // are read as numbers only when they are all digits: pasting can put anything into them, and
    // what is stored goes as it is into the transmission file.
    const int codeYear = codeNumber(cf, 6);
    const int year = taxcode::fixedDigits(p.aaaa, 4);
    if (codeYear < 0 || year < 0 || codeYear != year % 100)
        return fault(15, "Anno e codice fiscale non coerenti.", Field::Anno);
    const QString monthLetter = taxcode::monthLetter(p.mm);
    if (monthLetter.isEmpty() || cf[8] != monthLetter[0])
        return fault(16, "Mese e codice fiscale non coerenti.", Field::Mese);
    const int codeDay = codeNumber(cf, 9);
    const int day = taxcode::fixedDigits(p.gg, 2);
    if (codeDay < 0 || day < 0 || (codeDay < 40 ? codeDay != day : codeDay != day + 40))
        return fault(17, "Giorno e codice fiscale non coerenti.", Field::Giorno);

    if (day == 0 || day > 31)
        return fault(18, "Il giorno non è corretto.", Field::Giorno);
    const int month = taxcode::fixedDigits(p.mm, 2);
    if (month < 1 || month > 12)
        return fault(18, "Il mese non è corretto.", Field::Mese);
    if (year > currentYear - 17 || year < 1900)
        return fault(18, "l'anno non è corretto.", Field::Anno);
    if (!taxcode::dayInMonth(day, month, year))
        return fault(18, "Il giorno non è corretto.", Field::Giorno);

    for (int i = 0; i < 16; ++i) {
        const bool letterOnly = i < 6 || i == 8 || i == 11 || i == 15;
        if (letterOnly ? !isCapital(cf[i]) : !isDigitOrCapital(cf[i]))
            return fault(19, "Il formato del codice fiscale non è corretto.", Field::CodFiscale);
    }
    if (taxcode::checkCharacter(cf) != cf.right(1))
        return fault(20, "Il formato del codice fiscale non è corretto (incoerenza del carattere di controllo finale).",
                     Field::CodFiscale);

    const QString surnameLetters = taxcode::normalise(p.cognome);
    const QString nameLetters = taxcode::normalise(p.nome);
    if (QStringView(cf).left(3) != taxcode::surnameCode(p.cognome))
        return fault(21, "Il formato del codice fiscale non è corretto (incoerenza nel COGNOME).", Field::CodFiscale);
    if (QStringView(cf).mid(3, 3) != taxcode::nameCode(p.nome))
        return fault(22, "Il formato del codice fiscale non è corretto (incoerenza nel NOME).", Field::CodFiscale);
    if (!lettersOccur(QStringView(cf).left(3), surnameLetters))
        return fault(23, "Il formato del codice fiscale non è coerente con il cognome.", Field::CodFiscale);
    if (!lettersOccur(QStringView(cf).mid(3, 3), nameLetters))
        return fault(23, "Il formato del codice fiscale non è coerente con il nome", Field::CodFiscale);

    const QString& e = p.email;
    if (!e.contains(QLatin1Char('@')) || !e.contains(QLatin1Char('.')) || e.contains(QLatin1String("@.")) ||
        e.startsWith(QLatin1Char('.')) || e.endsWith(QLatin1Char('.')) || e.startsWith(QLatin1Char('@')) ||
        e.endsWith(QLatin1Char('@')))
        return fault(24, "Il formato e-mail non corretto.", Field::Email);
    if (!taxcode::emailCharacters(e))
        return fault(24, "l'indirizzo di posta elettronica contien caratteri non consentiti.", Field::Email);
    return {};
}

} // namespace vx
