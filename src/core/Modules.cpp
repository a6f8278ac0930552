#include "core/Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>

namespace vx::modules {

namespace {
struct Search {
    QStringList folders; // empty: the default ones
    QHash<QString, QFunctionPointer> found;
};

Search& search()
{
    static Search s;
    return s;
}

QStringList defaultFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {program, program + QStringLiteral("/../lib/veltranorpx")};
}
} // namespace

QString fileOf(const char* name)
{
#ifdef Q_OS_WIN
    return QStringLiteral("lib%1.dll").arg(QLatin1String(name));
#else
    return QStringLiteral("lib%1.so").arg(QLatin1String(name));
#endif
}

QFunctionPointer entryPoint(const QString& fileName, const char* entry)
{
    Search& s = search();
    const auto known = s.found.constFind(fileName);
    if (known != s.found.constEnd())
        return *known;
    QFunctionPointer found = nullptr;
    for (const QString& folder : s.folders.isEmpty() ? defaultFolders() : s.folders) {
        const QString file = QDir(folder).absoluteFilePath(fileName);
        if (!QFileInfo(file).isFile())
            continue;
        QLibrary library(file);
        if ((found = library.resolve(entry)) != nullptr)
            break;
    }
    s.found.insert(fileName, found);
    return found;
}

void setFolders(const QStringList& folders)
{
    search() = {folders, {}};
}

} // namespace vx::modules
