#ifndef TESTFILES_H
#define TESTFILES_H

#include "filecontents.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Gives the application the tool's name (or another) for the object's lifetime, as the folder fixes
// derive the maker's folders from it. Make it after the TemporaryRoot: the temporary folder is
// named after the application, and a root named after the tool would itself turn into the maker's.
class ToolName
{
public:
    explicit ToolName(const QString &name = QStringLiteral("KormandRepairTool"));
    ~ToolName();

private:
    Q_DISABLE_COPY(ToolName)

    QString previous;
};

// Where the tool's own application-data folders lie: the user's roaming application data and
// ProgramData, below the stand-in root or, on Windows, the machine's own.
QString roamingFolder();
QString programDataFolder();

// Makes the roaming folder a symbolic link to a folder beside it, as its owner may redirect it.
// False where it is the machine's own folder or the system makes no such link.
bool redirectRoamingFolder();

// Creates a small file with its folders; a path ending in "/" makes just the folder.
bool makeEntry(const QString &path);
// Creates folder and a chain of depth folders nested in it, each reached from the one above, so
// the chain may go deeper than any path the system takes whole.
bool makeNestedFolders(const QString &folder, int depth);
// Every file and folder below folder, links not followed, as sorted relative paths.
QStringList entriesBelow(const QString &folder);

#endif // TESTFILES_H
