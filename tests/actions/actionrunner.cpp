// Runs one maintenance action as the tool would, answering every box with Ok, and prints the
// boxes it showed, one line each. The fault-injection tests start it as an unprivileged user.
#include "actions/directoryremoval.h"
#include "actions/settingsfilefix.h"
#include "shownboxes.h"

#include <QApplication>
#include <QHash>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KormandRepairTool"));

    const QHash<QString, void (*)()> actions = {
        { QStringLiteral("deleteAllDirectories"), deleteAllDirectories },
        { QStringLiteral("fixVeltoSetFile"), fixVeltoSetFile },
    };
    const auto action = actions.constFind(app.arguments().value(1));
    if (action == actions.constEnd())
        return 2;

    QTextStream out(stdout);
    out.setCodec("UTF-8");
    for (const QString &box : runConfirmed(*action))
        out << box << '\n';
    return 0;
}
