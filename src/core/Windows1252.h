#pragma once
// The single-byte Windows-1252 text of the files this system exchanges with other systems.
// Characters outside the code page are written as "?", as the original platform did.

#include <QByteArray>
#include <QString>

namespace vx::windows1252 {

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);
// The code-page byte of one character, or -1 when the code page has none.
int codeOf(QChar c);
// Whether the code page gives the character a meaning of its own: a character without a byte, or
// one of the five bytes the code page leaves undefined, cannot be read by who receives the file.
bool defines(QChar c);

} // namespace vx::windows1252
