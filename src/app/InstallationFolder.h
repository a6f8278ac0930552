#pragma once
// Where an installation lives when the program is installed as a system package. The programs
// then lie under /usr, which users cannot write, while an installation (its INI, database, copies,
// logs and the files it writes) must be writable and, for Multiutenza, shared. So the package keeps
// the delivered files in its own folder (…/share/veltranorpx beside the programs' bin folder); the
// first start asks the user where to lay an installation, copies there the delivered files an
// installation changes (the INI, the empty database and the decode-table files its first start
// loads), and remembers the folder in the user's settings. The files an installation only reads
// (the print template, the export template, the guide, the help) are read from the package's
// folder unless the installation holds its own copy, so that an upgrade of the package reaches them.
//
// A program run from a folder of its own (a build, or an installation laid out with the program)
// has no package folder: that folder is the installation, as it always was. `--cartella` chooses
// an installation in either case.

#include "core/Prompter.h"

#include <QString>

namespace vx::app {

// The installation the user's settings remember, when its INI is still there; else empty.
QString remembered();
void remember(const QString& folder);
// The delivered files an installation changes, copied from `packageFolder` into `folder` (made
// when missing); a file already there is never overwritten, and an installation already laid out
// there (its INI present) gets nothing. False with the reason on failure.
bool layOut(const QString& packageFolder, const QString& folder, QString* error);
// The system's own folders ("/", /usr, /etc...): refused as an installation's folder.
bool isSystemFolder(const QString& folder);
// The first start of the installed program: the user is told, chooses the folder (`proposed` by
// default), and the installation is laid out and remembered. Empty when the user gives up.
QString chooseAndLayOut(Prompter& prompter, const QString& packageFolder, const QString& proposed);

} // namespace vx::app
