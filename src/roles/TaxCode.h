#pragma once
// The codice fiscale routines and the character checks of person data. Pure functions: the card
// and the import verification run them on every person.

#include <QString>

namespace vx::roles {

// The letters of a surname or name as the code is built from them: upper case, accents and
// special letters replaced by their base letter (by Windows-1252 code), everything else dropped.
QString normalise(const QString& text);
QString surnameCode(const QString& surname);
// As the surname code, but with four or more consonants the first, third and fourth.
QString nameCode(const QString& name);
// "01" A ... "12" T; any other text gives "".
QString monthLetter(const QString& month);
// The control character of the first 15 characters; "" when there are fewer.
QString checkCharacter(const QString& code);
// A position that may hold a letter in place of a digit (omocodia): the digit it stands for, or
// the digit itself; -1 for any other character.
int omocodeDigit(QChar c);

bool digitsOnly(const QString& text);
// The value of a text of exactly `width` digits 0 to 9; -1 for any other text. A date part is read
// only this way: a blank, a sign or a letter beside its digits is a wrong date, not a number.
int fixedDigits(QStringView text, int width);
// Whether day `day` exists in month `month` of year `year`: never beyond the month's length, and
// 29 February only in a leap year. The card and the import verification share this rule.
bool dayInMonth(int day, int month, int year);
// Blanks, letters A-Z/a-z and the accented letters of Italian names; no leading or trailing blank.
bool nameCharacters(const QString& text);
// Letters A-Z/a-z, digits, ".", "@", "-" and "_".
bool emailCharacters(QStringView text);

} // namespace vx::roles
