#include "core/ModuleLibrary.h"

#include <QLibrary>

namespace vx::module {

namespace {

QLibrary* open(Library library)
{
    const LibraryName n = libraryName(library);
    auto* lib = n.version >= 0 ? new QLibrary(n.name, n.version) : new QLibrary(n.name);
    if (lib->load())
        return lib; // kept loaded for the rest of the run
    delete lib;
    return nullptr;
}

QLibrary* loaded(Library library)
{
    // One each, loaded when its own first call runs.
    switch (library) {
    case Library::Zip: {
        static QLibrary* const zip = open(library);
        return zip;
    }
    case Library::PostgresClient: {
        static QLibrary* const pq = open(library);
        return pq;
    }
    }
    return nullptr;
}

} // namespace

QFunctionPointer function(Library library, const char* name)
{
    QLibrary* const lib = loaded(library);
    return lib ? lib->resolve(name) : nullptr;
}

} // namespace vx::module
