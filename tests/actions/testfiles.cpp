#include "testfiles.h"

#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

ToolName::ToolName(const QString &name)
    : previous(QCoreApplication::applicationName())
{
    QCoreApplication::setApplicationName(name);
}

ToolName::~ToolName()
{
    QCoreApplication::setApplicationName(previous);
}

QString roamingFolder()
{
    return QFileInfo(appDataLocations().at(0)).path();
}

QString programDataFolder()
{
    return QFileInfo(appDataLocations().at(1)).path();
}

bool redirectRoamingFolder()
{
    const QString roaming = roamingFolder();
    const QString target = QFileInfo(roaming).path() + QStringLiteral("/Redirected");
    return !QFileInfo::exists(roaming) && QDir().mkpath(target) && QFile::link(target, roaming)
            && QFileInfo(roaming).isSymLink();
}

bool makeEntry(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    return writeFile(path, "Velto");
}

bool makeNestedFolders(const QString &folder, int depth)
{
    if (!QDir().mkpath(folder))
        return false;
#ifdef Q_OS_WIN
    // The \\?\ form takes paths of up to 32,767 characters.
    QString path = QStringLiteral("\\\\?\\")
            + QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath());
    for (int level = 0; level < depth; ++level) {
        path += QStringLiteral("\\d");
        if (!CreateDirectoryW(reinterpret_cast<const wchar_t *>(path.utf16()), nullptr))
            return false;
    }
    return true;
#else
    int parent = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; parent >= 0 && level < depth; ++level) {
        const int child = ::mkdirat(parent, "d", 0700) == 0
                ? ::openat(parent, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                : -1;
        ::close(parent);
        parent = child;
    }
    return parent >= 0 && ::close(parent) == 0;
#endif
}

QStringList entriesBelow(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext())
        entries << base.relativeFilePath(it.next());
    entries.sort();
    return entries;
}
