#include "app/mainwindow.h"

#include "supportlog/registrydump.h"
#include "supportlog/supportlogexport.h"
#include "ui/mainwindowform.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , versionText(QStringLiteral("1.0"))
    , form(new MainWindowForm)
{
    form->setupForm(this);
    setWindowTitle(QStringLiteral("Kormand Velto Studio RepairTool (Version %1)").arg(versionText));
    form->label_version->setText(QStringLiteral("Version %1").arg(versionText));
}

MainWindow::~MainWindow()
{
    delete form;
}

void MainWindow::on_actionBeenden_triggered()
{
    close();
}

void MainWindow::on_btn_logfile__generate_log_file_clicked()
{
    exportSupportLog(dumpRegistry());
}
