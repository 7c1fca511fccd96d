#ifndef MAINWINDOWFORM_H
#define MAINWINDOWFORM_H

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

// The main window's widgets. The widgets belong to the window through their parents; this class
// only points at them. The object names are what connectSlotsByName matches the window's slots to.
class MainWindowForm
{
public:
    QAction *actionBeenden;
    QWidget *centralwidget;
    QTabWidget *tabWidget;
    QWidget *tab_info;
    QLabel *label_33;
    QLabel *label_34;
    QLabel *label_35;
    QLabel *label_36;
    QWidget *tab_data_directories;
    QGroupBox *groupBox_directories;
    QPushButton *btn_directories__delete_all_directories;
    QFrame *line_3;
    QLabel *label_9;
    QLabel *label_10;
    QWidget *tab_registry;
    QGroupBox *groupBox_registry_data;
    QPushButton *btn_registry__delete_all_registry_data;
    QFrame *line_2;
    QLabel *label_6;
    QLabel *label_8;
    QGroupBox *groupBox_uac_config;
    QPushButton *btn_registry__change_uac_config;
    QFrame *line_10;
    QLabel *label_23;
    QLabel *label_24;
    QGroupBox *groupBox_network_device;
    QPushButton *btn_registry__fix_network_device_connection;
    QFrame *line_11;
    QLabel *label_25;
    QLabel *label_26;
    QWidget *tab_others;
    QGroupBox *groupBox_runtime_error_216;
    QPushButton *btn_others__fix_runtime_error_216;
    QFrame *line_4;
    QLabel *label_11;
    QLabel *label_12;
    QGroupBox *groupBox_velto_set_file;
    QPushButton *btn_others__fix_velto_set_file;
    QFrame *line_13;
    QLabel *label_29;
    QLabel *label_30;
    QWidget *tab_log_file;
    QGroupBox *groupBox_log_file;
    QPushButton *btn_logfile__generate_log_file;
    QFrame *line_14;
    QLabel *label_31;
    QLabel *label_32;
    QLabel *label_3;
    QLabel *label_4;
    QWidget *layoutWidget;
    QVBoxLayout *verticalLayout;
    QLabel *label;
    QLabel *label_2;
    QLabel *label_version;
    QMenuBar *menubar;
    QMenu *menuDatei;

    void setupForm(QMainWindow *MainWindow);
    void retranslateForm(QMainWindow *MainWindow);
};

#endif // MAINWINDOWFORM_H
