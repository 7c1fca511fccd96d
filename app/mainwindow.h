#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>
#include <QString>

class MainWindowForm;

// The tool's one window. Each slot starts one action; the form connects them by object name.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_actionBeenden_triggered();
    void on_btn_directories__delete_all_directories_clicked();
    void on_btn_registry__delete_all_registry_data_clicked();
    void on_btn_registry__change_uac_config_clicked();
    void on_btn_registry__fix_network_device_connection_clicked();
    void on_btn_others__fix_runtime_error_216_clicked();
    void on_btn_others__fix_velto_set_file_clicked();
    void on_btn_logfile__generate_log_file_clicked();

private:
    QString versionText;
    MainWindowForm *form;
};

#endif // MAINWINDOW_H
