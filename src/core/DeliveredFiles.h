#pragma once
// The files delivered with the program that an installation only reads (the print template, the
// export template, the guide, the help). Installed as a system package, the program keeps them in
// the package's folder (…/share/veltranorpx beside its bin folder), so that an upgrade reaches
// every installation; an installation may still hold its own copy, which then wins. Run from a
// folder of its own, the program finds them in the installation's folder, as it always did.

#include <QString>

namespace vx {

// The package's folder of delivered files (ends with a separator), or empty when the program
// does not run from an installed package.
QString packageFolder();
// The same for a program in `programDir`.
QString packageFolderOf(const QString& programDir);
// `name` (a path relative to the installation) in `installationFolder` when it is there, else in
// the package's folder when it is there, else in `installationFolder` (so that a message names
// the place the user knows).
QString deliveredFile(const QString& installationFolder, const QString& name);

} // namespace vx
