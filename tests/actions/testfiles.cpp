#include "testfiles.h"

#include "platform/knownfolders.h"

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

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
