#include "app/mainwindow.h"
#include "platform/display/displayscaling.h"
#include "platform/process/dllsearch.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    restrictDllSearch();
    prepareDisplayScaling();
    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    return application.exec();
}
