// The modules' names on Windows: the DLLs beside the program, as mingw-w64 names them.
#include "core/ModuleLibrary.h"

#ifdef Q_OS_WIN

namespace vx::module {

LibraryName libraryName(Library library)
{
    switch (library) {
    case Library::Zip:
        return {QStringLiteral("libzip")};
    case Library::PostgresClient:
        return {QStringLiteral("libpq")};
    }
    return {};
}

} // namespace vx::module

#endif
