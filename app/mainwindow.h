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
    void on_btn_logfile__generate_log_file_clicked();

private:
    QString versionText;
    MainWindowForm *form;
};

#endif // MAINWINDOW_H
