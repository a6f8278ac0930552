#include "core/Windows1252.h"

#include <array>

namespace vx::windows1252 {

namespace {
// 0x80..0x9F; 0 marks the five bytes the code page leaves undefined (kept as C1 controls).
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QString decode(const QByteArray& bytes)
{
    // Written in place: the registry files run to megabytes, and appending character by
    // character cost more than the rest of reading them.
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *to++ = b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : char16_t(b);
    }
    return out;
}

int codeOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == u && u != 0)
            return 0x80 + i;
    }
    if (u >= 0x80 && u <= 0x9F && kHigh[u - 0x80] == 0)
        return u;
    return -1;
}

bool defines(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x80 && u <= 0x9F && kHigh[u - 0x80] == 0)
        return false;
    return codeOf(c) >= 0;
}

QByteArray encode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const int code = codeOf(c);
        out.append(code < 0 ? '?' : static_cast<char>(code));
    }
    return out;
}

} // namespace vx::windows1252
