#pragma once
// The program's modules: libraries of its own, loaded on the first command that needs them rather
// than at every start. A module is taken from a file of its name in the folders searched and
// nowhere else (no library path is searched), and stays loaded for the rest of the run.

#include <QFunctionPointer>
#include <QString>
#include <QStringList>

namespace vx::modules {

// The file of the module called `name` ("vx_network"): libvx_network.so, libvx_network.dll on
// Windows.
QString fileOf(const char* name);

// The entry point `entry` of the module file `fileName`, from the first folder searched that holds
// the file; null when none does or the file has no such entry. Found once per file.
QFunctionPointer entryPoint(const QString& fileName, const char* entry);

// The module object a module's entry point `entry` gives for `interface`: null when the file is
// missing, has no such entry, or was built for another interface.
template <typename Module> Module* moduleObject(const QString& fileName, const char* entry, int interface)
{
    using Entry = Module* (*)(int);
    const auto found = reinterpret_cast<Entry>(entryPoint(fileName, entry));
    return found ? found(interface) : nullptr;
}

// The folders searched: by default beside the program, then the package's library folder. A test
// names others (and every module is looked for again); an empty list is the default again.
void setFolders(const QStringList& folders);

} // namespace vx::modules
