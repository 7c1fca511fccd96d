#include "app/mainwindow.h"
#include "platform/display/displayscaling.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    prepareDisplayScaling();
    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    return application.exec();
}
