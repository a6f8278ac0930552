#pragma once
// The libraries the program takes only when their first call runs (libzip for archives,
// PostgreSQL's libpq for a server), so that a start that needs neither loads neither. Each is
// loaded once, by its name as the system's loader knows it: ModuleLibraryUnix.cpp and
// ModuleLibraryWindows.cpp give the names, one file per platform.

#include <QString>
#include <QtGlobal>

namespace vx::module {

enum class Library { Zip, PostgresClient };

// The library's function called `name`, resolved from the library loaded the first time;
// null when the library or the function is not there.
QFunctionPointer function(Library library, const char* name);

// The library's file name as the platform's loader looks for it, and its version (-1: none).
struct LibraryName {
    QString name;
    int version = -1;
};
LibraryName libraryName(Library library);

} // namespace vx::module
