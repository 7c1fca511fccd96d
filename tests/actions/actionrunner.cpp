// Runs one maintenance action as the tool would, answering every box with Ok, and prints the
// boxes it showed, one line each. The fault-injection tests start it as an unprivileged user.
#include "namedactions.h"
#include "shownboxes.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KormandRepairTool"));

    const ActionEntry action = actionNamed(app.arguments().value(1));
    if (!action)
        return 2;

    QTextStream out(stdout);
    out.setCodec("UTF-8");
    for (const QString &box : runConfirmed(action))
        out << box << '\n';
    return 0;
}
