#include "roles/TaxCode.h"

#include "core/Windows1252.h"

#include <QDate>

#include <array>

namespace vx::roles {

namespace {

// Windows-1252 code -> base letter, 0 to drop.
constexpr std::array<char, 256> makeFolding()
{
    std::array<char, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = static_cast<char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<char>(c - 'a' + 'A');
    auto range = [&t](int from, int to, char letter) {
        for (int c = from; c <= to; ++c)
            t[c] = letter;
    };
    range(138, 138, 'S');
    range(154, 154, 'S');
    range(159, 159, 'Y');
    range(253, 253, 'Y');
    range(192, 197, 'A');
    range(224, 228, 'A');
    range(199, 199, 'C');
    range(231, 231, 'C');
    range(200, 203, 'E');
    range(232, 235, 'E');
    range(204, 207, 'I');
    range(236, 239, 'I');
    range(209, 209, 'N');
    range(241, 241, 'N');
    range(210, 214, 'O');
    range(240, 240, 'O');
    range(242, 246, 'O');
    range(217, 220, 'U');
    range(249, 252, 'U');
    return t;
}
constexpr std::array<char, 256> kFolding = makeFolding();

bool isVowel(QChar c)
{
    return c == QLatin1Char('A') || c == QLatin1Char('E') || c == QLatin1Char('I') || c == QLatin1Char('O') ||
           c == QLatin1Char('U');
}

QString code(const QString& text, bool nameRule)
{
    const QString letters = normalise(text);
    QString consonants;
    QString vowels;
    for (QChar c : letters)
        (isVowel(c) ? vowels : consonants).append(c);
    if (nameRule && consonants.size() > 3)
        return QString(consonants[0]) + consonants[2] + consonants[3];
    QString out = (consonants + vowels).left(3);
    while (out.size() < 3)
        out.append(QLatin1Char('X'));
    return out;
}

// Odd positions (1, 3, ...), for digits 0-9 and letters A-Z.
constexpr int kOddDigits[10] = {1, 0, 5, 7, 9, 13, 15, 17, 19, 21};
constexpr int kOddLetters[26] = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                 20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};

bool accentedNameLetter(QChar c)
{
    static const QString allowed = QStringLiteral("èéìòàùÀÁÈÉÌÍÒÓÙÚ");
    return allowed.contains(c);
}

} // namespace

QString normalise(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const int code = windows1252::codeOf(c);
        if (code >= 0 && kFolding[code] != 0)
            out.append(QLatin1Char(kFolding[code]));
    }
    return out;
}

QString surnameCode(const QString& surname)
{
    return code(surname, false);
}

QString nameCode(const QString& name)
{
    return code(name, true);
}

QString monthLetter(const QString& month)
{
    static const char* letters = "ABCDEHLMPRST";
    if (month.size() != 2 || !month[0].isDigit() || !month[1].isDigit() || month[0].unicode() > '9' ||
        month[1].unicode() > '9')
        return QString();
    const int m = (month[0].unicode() - '0') * 10 + (month[1].unicode() - '0');
    return m >= 1 && m <= 12 ? QString(QLatin1Char(letters[m - 1])) : QString();
}

QString checkCharacter(const QString& code)
{
    if (code.size() < 15)
        return QString();
    int sum = 0;
    for (int i = 0; i < 15; ++i) {
        const char16_t c = code[i].unicode();
        const bool odd = i % 2 == 0; // positions count from 1
        if (c >= '0' && c <= '9')
            sum += odd ? kOddDigits[c - '0'] : c - '0';
        else if (c >= 'A' && c <= 'Z')
            sum += odd ? kOddLetters[c - 'A'] : c - 'A';
    }
    return QString(QLatin1Char(static_cast<char>('A' + sum % 26)));
}

int omocodeDigit(QChar c)
{
    static const QString letters = QStringLiteral("LMNPQRSTUV");
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    const qsizetype i = letters.indexOf(c);
    return i >= 0 ? static_cast<int>(i) : -1;
}

bool digitsOnly(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    }
    return true;
}

int fixedDigits(QStringView text, int width)
{
    if (text.size() != width)
        return -1;
    int value = 0;
    for (QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

bool dayInMonth(int day, int month, int year)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= QDate(year, month, 1).daysInMonth();
}

bool nameCharacters(const QString& text)
{
    if (text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' ')))
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = u == ' ' || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
        if (!plain && !accentedNameLetter(c))
            return false;
    }
    return true;
}

bool emailCharacters(QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.' ||
                        u == '@' || u == '-' || u == '_';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace vx::roles
