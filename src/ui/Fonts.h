#pragma once
// The fonts the screens use beyond the default, as few as the looks allow: before the first window
// each other size or weight costs a font engine of its own (a fontconfig match, a face set to the
// size, a shaper), some tenths of a millisecond each.

#include <QFont>

namespace vx {

// The screens' font. Their texts are Latin script: they are laid out glyph by glyph with the font's
// kerning, without the full shaping engine, which cost a tenth of the start (scripts that need
// shaping still get it). They are hinted in full, on whole pixels: crisp, and each glyph drawn once,
// where light hinting draws it again at each fraction of a pixel it falls on. Printing keeps the
// application's font, untouched.
void useScreenFont();

// A window's title: the splash's product name, the main screen's heading.
inline QFont titleFont(QFont font)
{
    font.setPointSize(font.pointSize() + 8);
    font.setBold(true);
    return font;
}

// A value or a subheading that stands out from its caption.
inline QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace vx
