// The modules' names where the loader takes a soname with its version (Linux).
#include "core/ModuleLibrary.h"

#ifndef Q_OS_WIN

namespace vx::module {

LibraryName libraryName(Library library)
{
    switch (library) {
    case Library::Zip:
        return {QStringLiteral("zip"), 4}; // libzip.so.4
    case Library::PostgresClient:
        return {QStringLiteral("pq"), 5}; // libpq.so.5
    }
    return {};
}

} // namespace vx::module

#endif
