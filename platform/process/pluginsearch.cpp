#include "platform/process/pluginsearch.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <vector>
#endif

namespace {

// The program's own folder, spelled as the toolkit spells it among the library paths.
QString programFolder()
{
#ifdef Q_OS_WIN
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    return QFileInfo(QString::fromWCharArray(path.data(), int(length))).canonicalPath();
#else
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
#endif
}

} // namespace

void restrictPluginSearch()
{
    // The application object adds the program's folder to paths set before it exists, unless
    // that folder was among the paths known then and taken out. So it is made one of them, by
    // the variable read when they are first computed, and left out of the paths set.
    qputenv("QT_PLUGIN_PATH", QFile::encodeName(programFolder()));
    QCoreApplication::libraryPaths();
    qunsetenv("QT_PLUGIN_PATH");
    qunsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
#if defined(Q_OS_WIN) && defined(QT_STATIC)
    // Every plugin is linked in, and no toolkit was installed on the machine: any folder would be
    // one that a user can create.
    QCoreApplication::setLibraryPaths({});
#elif defined(Q_OS_WIN)
    // A shared toolkit's plugins lie beside the program, with its DLLs: whoever can write there
    // can replace those too, so the folder is only as safe as the place it was unpacked to.
    QCoreApplication::setLibraryPaths({ programFolder() });
#else
    QCoreApplication::setLibraryPaths({ QLibraryInfo::location(QLibraryInfo::PluginsPath) });
#endif
}
