#include "platform/process/dllsearch.h"
#include "repairlog/repairlogtool.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>

int main(int argc, char *argv[])
{
    restrictDllSearch();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("repairlog"));
    QCoreApplication::setApplicationVersion(QStringLiteral(REPAIRLOG_VERSION));
    // Damaged lines are reported by the tool itself, with their line numbers.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));

    // Binary at Qt's level: the C runtime's text mode already gives Windows its CR LF, as the
    // tool's own log export has.
    QFile input;
    QFile output;
    QFile errors;
    input.open(stdin, QIODevice::ReadOnly);
    output.open(stdout, QIODevice::WriteOnly);
    errors.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return RepairLogTool(&input, &output, &errors).run(QCoreApplication::arguments());
}
