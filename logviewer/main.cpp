#include "logviewer/logviewerwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(LOGVIEWER_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Shows a support log of the Velto Studio RepairTool: its check, the "
                           "registry trees behind it and its lines."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("the log to open (velto.kormand_repair)"),
                                 QStringLiteral("[file]"));
    parser.process(application);
    // The verdict names every damaged line; the cipher's warning about each says nothing more.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));

    LogViewerWindow window;
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        window.openLog(files.first());
    return application.exec();
}
