#include "logviewer/logviewerwindow.h"
#include "platform/process/dllsearch.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    restrictDllSearch();
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(LOGVIEWER_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Shows a support log of the Velto Studio RepairTool: its check, the "
                           "registry trees behind it and its lines."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption compareOption(
            QStringLiteral("compare"),
            QStringLiteral("mark what changed since an earlier log of the same machine"),
            QStringLiteral("earlier log"));
    parser.addOption(compareOption);
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
    QString earlier = files.isEmpty() ? QString() : parser.value(compareOption);
    QObject::connect(&window, &LogViewerWindow::logShown, [&] {
        if (!earlier.isEmpty())
            window.compareWith(earlier);
        earlier.clear();
    });
    return application.exec();
}
