#include "app/mainwindow.h"
#include "platform/display/displayscaling.h"
#include "platform/process/dllsearch.h"
#include "platform/process/pluginsearch.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    restrictDllSearch();
    restrictPluginSearch();
    prepareDisplayScaling();
    // The tool reads no option, and an elevated process has no use for the toolkit's own.
    int toolkitArgc = argc > 0 ? 1 : 0;
    char *toolkitArgv[] = { argc > 0 ? argv[0] : nullptr, nullptr };
    QApplication application(toolkitArgc, toolkitArgv);
    MainWindow window;
    window.show();
    return application.exec();
}
