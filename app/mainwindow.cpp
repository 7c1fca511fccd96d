#include "app/mainwindow.h"

#include "actions/directoryremoval.h"
#include "actions/policyfixes.h"
#include "actions/registrycleanup.h"
#include "actions/settingsfilefix.h"
#include "supportlog/registrydump.h"
#include "supportlog/supportlogexport.h"
#include "ui/mainwindowform.h"

#include <QApplication>

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

void MainWindow::on_btn_directories__delete_all_directories_clicked()
{
    deleteAllDirectories();
}

void MainWindow::on_btn_registry__delete_all_registry_data_clicked()
{
    deleteAllRegistryData();
}

void MainWindow::on_btn_registry__change_uac_config_clicked()
{
    changeUacConfig();
}

void MainWindow::on_btn_registry__fix_network_device_connection_clicked()
{
    fixNetworkDeviceConnection();
}

void MainWindow::on_btn_others__fix_runtime_error_216_clicked()
{
    fixRuntimeError216();
}

void MainWindow::on_btn_others__fix_velto_set_file_clicked()
{
    fixVeltoSetFile();
}

void MainWindow::on_btn_logfile__generate_log_file_clicked()
{
    // Reading large trees takes a while; the export's boxes then show the normal cursor.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList lines = dumpRegistry();
    QApplication::restoreOverrideCursor();
    exportSupportLog(lines);
}
