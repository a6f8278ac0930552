#pragma once
// The program's pictures, drawn rather than read from image files: reading one makes Qt load every
// image-format plugin to ask which of them reads it, a cost of every start.

#include <QIcon>

class QPalette;

namespace vx {

// The program's own icon, the one its desktop entry shows: a request sheet with a person, lines of
// text and a green approval mark. Set as the application's window icon.
QIcon programIcon();

enum class Picture {
    Command,       // an arrow pointing at a command's caption
    Update,        // a turning arrow: an update is there to fetch
    UpdateStopped, // a no-entry sign
};
QIcon picture(Picture kind, const QPalette& palette);

} // namespace vx
