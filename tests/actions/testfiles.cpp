#include "testfiles.h"

#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

ToolName::ToolName()
    : previous(QCoreApplication::applicationName())
{
    QCoreApplication::setApplicationName(QStringLiteral("KormandRepairTool"));
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

bool makeEntry(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')))
        return QDir().mkpath(path);
    return writeFile(path, "Velto");
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
