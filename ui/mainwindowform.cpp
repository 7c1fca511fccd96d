#include "ui/mainwindowform.h"

#include <QCoreApplication>
#include <QFont>
#include <QMetaObject>
#include <QPixmap>
#include <QRect>
#include <QSizePolicy>

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text, nullptr);
}

QFont bodyFont()
{
    QFont font;
    font.setPointSize(10);
    return font;
}

QFont groupHeadingFont()
{
    QFont font;
    font.setPointSize(11);
    font.setBold(true);
    font.setWeight(75);
    return font;
}

// Where the widgets of one action box go; every box shares the same inner arrangement and differs
// only in the sizes its texts need.
struct ActionGroupPlacement
{
    const char *boxName;
    const char *buttonName;
    const char *lineName;
    const char *descriptionName;
    const char *headingName;
    QRect boxRect;
    int lineHeight;
    int headingWidth;
    int descriptionHeight;
};

void setupActionGroup(QWidget *page, const ActionGroupPlacement &placement, QGroupBox *&box,
                      QPushButton *&button, QFrame *&line, QLabel *&description, QLabel *&heading)
{
    box = new QGroupBox(page);
    box->setObjectName(QString::fromLatin1(placement.boxName));
    box->setGeometry(placement.boxRect);
    QSizePolicy sizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    sizePolicy.setHorizontalStretch(0);
    sizePolicy.setVerticalStretch(0);
    sizePolicy.setHeightForWidth(box->sizePolicy().hasHeightForWidth());
    box->setSizePolicy(sizePolicy);

    button = new QPushButton(box);
    button->setObjectName(QString::fromLatin1(placement.buttonName));
    button->setGeometry(QRect(10, 10, 121, 32));

    line = new QFrame(box);
    line->setObjectName(QString::fromLatin1(placement.lineName));
    line->setGeometry(QRect(130, 10, 20, placement.lineHeight));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);

    description = new QLabel(box);
    description->setObjectName(QString::fromLatin1(placement.descriptionName));
    description->setGeometry(QRect(160, 30, 581, placement.descriptionHeight));
    description->setFont(bodyFont());
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description->setWordWrap(true);

    heading = new QLabel(box);
    heading->setObjectName(QString::fromLatin1(placement.headingName));
    heading->setGeometry(QRect(160, 10, placement.headingWidth, 16));
    heading->setFont(groupHeadingFont());
}

void retranslateActionGroup(QGroupBox *box, QPushButton *button, QLabel *description,
                            const char *descriptionText, QLabel *heading, const char *headingText)
{
    box->setTitle(QString());
    button->setText(translated("Ausführen"));
    description->setText(translated(descriptionText));
    heading->setText(translated(headingText));
    // Every button reads "Ausführen"; a screen reader names it after its box instead.
    button->setAccessibleName(heading->text());
    button->setAccessibleDescription(description->text());
}

QWidget *createPage(const char *name)
{
    auto page = new QWidget();
    page->setObjectName(QString::fromLatin1(name));
    return page;
}

QLabel *createLabel(QWidget *parent, const char *name, const QRect &rect)
{
    auto label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(rect);
    return label;
}

} // namespace

void MainWindowForm::setupForm(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("MainWindow"));
    window->resize(803, 599);

    actionBeenden = new QAction(window);
    actionBeenden->setObjectName(QStringLiteral("actionBeenden"));

    centralwidget = new QWidget(window);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));

    tabWidget = new QTabWidget(centralwidget);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    tabWidget->setGeometry(QRect(10, 80, 781, 461));
    tabWidget->setLayoutDirection(Qt::LeftToRight);
    tabWidget->setAutoFillBackground(false);
    tabWidget->setTabPosition(QTabWidget::North);
    tabWidget->setTabShape(QTabWidget::Rounded);
    tabWidget->setElideMode(Qt::ElideRight);
    tabWidget->setUsesScrollButtons(false);

    tab_info = createPage("tab_info");
    label_33 = createLabel(tab_info, "label_33", QRect(20, 20, 171, 21));
    QFont introHeadingFont;
    introHeadingFont.setPointSize(15);
    introHeadingFont.setBold(true);
    introHeadingFont.setWeight(75);
    introHeadingFont.setKerning(false);
    label_33->setFont(introHeadingFont);
    label_34 = createLabel(tab_info, "label_34", QRect(20, 50, 701, 31));
    label_34->setFont(bodyFont());
    label_35 = createLabel(tab_info, "label_35", QRect(20, 100, 755, 41));
    label_35->setFont(bodyFont());
    label_35->setWordWrap(true);
    label_36 = createLabel(tab_info, "label_36", QRect(20, 150, 755, 16));
    label_36->setFont(bodyFont());
    label_36->setWordWrap(true);
    tabWidget->addTab(tab_info, QString());

    tab_data_directories = createPage("tab_data_directories");
    setupActionGroup(tab_data_directories,
                     { "groupBox_directories", "btn_directories__delete_all_directories", "line_3",
                       "label_9", "label_10", QRect(10, 20, 755, 111), 70, 561, 71 },
                     groupBox_directories, btn_directories__delete_all_directories, line_3, label_9,
                     label_10);
    tabWidget->addTab(tab_data_directories, QString());

    tab_registry = createPage("tab_registry");
    setupActionGroup(tab_registry,
                     { "groupBox_registry_data", "btn_registry__delete_all_registry_data", "line_2",
                       "label_6", "label_8", QRect(10, 110, 755, 85), 55, 231, 41 },
                     groupBox_registry_data, btn_registry__delete_all_registry_data, line_2,
                     label_6, label_8);
    setupActionGroup(tab_registry,
                     { "groupBox_uac_config", "btn_registry__change_uac_config", "line_10",
                       "label_23", "label_24", QRect(10, 200, 755, 105), 80, 561, 65 },
                     groupBox_uac_config, btn_registry__change_uac_config, line_10, label_23,
                     label_24);
    setupActionGroup(tab_registry,
                     { "groupBox_network_device", "btn_registry__fix_network_device_connection",
                       "line_11", "label_25", "label_26", QRect(10, 310, 755, 80), 55, 561, 41 },
                     groupBox_network_device, btn_registry__fix_network_device_connection, line_11,
                     label_25, label_26);
    tabWidget->addTab(tab_registry, QString());

    tab_others = createPage("tab_others");
    setupActionGroup(tab_others,
                     { "groupBox_runtime_error_216", "btn_others__fix_runtime_error_216", "line_4",
                       "label_11", "label_12", QRect(10, 105, 755, 130), 100, 561, 80 },
                     groupBox_runtime_error_216, btn_others__fix_runtime_error_216, line_4,
                     label_11, label_12);
    setupActionGroup(tab_others,
                     { "groupBox_velto_set_file", "btn_others__fix_velto_set_file", "line_13",
                       "label_29", "label_30", QRect(10, 340, 755, 95), 70, 591, 50 },
                     groupBox_velto_set_file, btn_others__fix_velto_set_file, line_13, label_29,
                     label_30);
    tabWidget->addTab(tab_others, QString());

    tab_log_file = createPage("tab_log_file");
    setupActionGroup(tab_log_file,
                     { "groupBox_log_file", "btn_logfile__generate_log_file", "line_14", "label_31",
                       "label_32", QRect(10, 20, 755, 80), 55, 561, 31 },
                     groupBox_log_file, btn_logfile__generate_log_file, line_14, label_31,
                     label_32);
    tabWidget->addTab(tab_log_file, QString());

    label_3 = createLabel(centralwidget, "label_3", QRect(20, 10, 81, 61));
    label_3->setPixmap(QPixmap(QStringLiteral(":/images/kormand_logo_repairtool.png")));
    label_3->setScaledContents(true);
    // The logo shows no text a screen reader could read; the maker's name is no translation.
    label_3->setAccessibleName(QStringLiteral("Kormand-Logo"));

    label_4 = createLabel(centralwidget, "label_4", QRect(660, 550, 121, 20));
    label_4->setFont(bodyFont());
    label_4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_4->setOpenExternalLinks(true);

    layoutWidget = new QWidget(centralwidget);
    layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    layoutWidget->setGeometry(QRect(370, 10, 421, 63));
    verticalLayout = new QVBoxLayout(layoutWidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    label = new QLabel(layoutWidget);
    label->setObjectName(QStringLiteral("label"));
    QFont titleFont;
    titleFont.setPointSize(24);
    label->setFont(titleFont);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    verticalLayout->addWidget(label);

    label_2 = new QLabel(layoutWidget);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_2->setFont(bodyFont());
    label_2->setLayoutDirection(Qt::LeftToRight);
    label_2->setFrameShadow(QFrame::Plain);
    label_2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_2->setOpenExternalLinks(true);
    verticalLayout->addWidget(label_2);

    label_version = createLabel(centralwidget, "label_version", QRect(15, 550, 161, 16));
    label_version->setFont(bodyFont());

    window->setCentralWidget(centralwidget);

    menubar = new QMenuBar(window);
    menubar->setObjectName(QStringLiteral("menubar"));
    menubar->setGeometry(QRect(0, 0, 803, 22));
    menuDatei = new QMenu(menubar);
    menuDatei->setObjectName(QStringLiteral("menuDatei"));
    window->setMenuBar(menubar);
    menubar->addAction(menuDatei->menuAction());
    menuDatei->addAction(actionBeenden);

    retranslateForm(window);

    tabWidget->setCurrentIndex(0);

    QMetaObject::connectSlotsByName(window);
}

void MainWindowForm::retranslateForm(QMainWindow *window)
{
    window->setWindowTitle(translated("MainWindow"));
    actionBeenden->setText(translated("Beenden"));

    label_33->setText(translated("Beschreibung:"));
    label_34->setText(translated(
            "In diesem Programm findest du einige Sachen, um Velto Studio zu bereinigen."));
    label_35->setText(
            translated("Bitte beachte, dir von deinen Playlisten etc. immer vorab ein Backup zu "
                       "erstellen, wenn du alte Listen oä. nicht verlieren   bzw. wieder "
                       "einspielen möchtest."));
    label_36->setText(translated("Bei Fragen wende dich bitte an den Kormand Support."));
    tabWidget->setTabText(tabWidget->indexOf(tab_info), translated("Informationen"));

    retranslateActionGroup(
            groupBox_directories, btn_directories__delete_all_directories, label_9,
            "Entferne hiermit alle durch Velto Studio verwalteten Verzeichnisse. Dies beinhaltet "
            "die unter Velto Studio Optionen eingestellten Standard-Verzeichnisse für Backup, "
            "Cover, Playlistdaten, etc. Beachte bitte ggf. vorher ein Backup anzufertigen. Danach "
            "MUSS Velto Studio Deinstalliert, falls noch nicht geschehen, und neu installiert "
            "werden.",
            label_10, "Komplette Velto Studio Verzeichnisse entfernen");
    tabWidget->setTabText(tabWidget->indexOf(tab_data_directories),
                          translated("Datenverzeichnisse"));

    retranslateActionGroup(
            groupBox_registry_data, btn_registry__delete_all_registry_data, label_6,
            "Entferne hiermit ALLE Registrierungseinträge von Velto Studio. Hiermit wird alles "
            "entfernt, was Velto Studio in der Registrierung stehen hat (inkl. diverser "
            "Erinstellungen, Pfade, etc.)",
            label_8, "Alle Daten entfernen");
    retranslateActionGroup(
            groupBox_uac_config, btn_registry__change_uac_config, label_23,
            "Solltest du Probleme mit dem Drag & Drop eines Musik-Files in Velto Studio Probleme "
            "haben liegt das an den Benutzerkontoeinstellungen von Windows. Unter einer "
            "bestimmten Einstellung verbietet Windows den Drag & Drop von Haus aus. Mit diesem "
            "Fix weist du Windows an dies nicht mehr zu tun. Beachte bitte, dass die Änderung "
            "sich auf alle Programme auswirkt.",
            label_24, "Benutzerkontoeinstellungen Registry");
    retranslateActionGroup(groupBox_network_device, btn_registry__fix_network_device_connection,
                           label_25,
                           "Wenn es Probleme der Art \"Netzlaufwerk konnte nicht gefunden "
                           "werden\" gibt, behebt dieser Fix dieses Problem.",
                           label_26, "Netzlaufwerk konnte nicht gefunden werden");
    tabWidget->setTabText(tabWidget->indexOf(tab_registry), translated("Registrierung"));

    retranslateActionGroup(
            groupBox_runtime_error_216, btn_others__fix_runtime_error_216, label_11,
            "Bei diesem Fehler empfehlen wir eine komplatte Neuinstallation. Bitte deinstalliere "
            "Velto Studio mit der Windows eigenen Software Deinstallation und führe DANACH diesen "
            "Fix aus. Beachte: Dieser Fix führt folgende Schritte durch: Löschen der Velto Studio "
            "Verzeichnisse (ggf. bitte vorher Backup machen), Komplette Säuberung der Windows "
            "Registrierung von Kormand Velto Studio Einträgen.",
            label_12, "Runtime Error 216");
    retranslateActionGroup(
            groupBox_velto_set_file, btn_others__fix_velto_set_file, label_29,
            "Wenn Velto Studio beim Start ein Passwort fordert welches vorher nicht vergeben war "
            "führe bitte diesen FIX aus. Dieser Fehler resultiert aus einer fehlerhaten "
            "\"velto.set\" Datei, welche noch aus einer Altinstallation verfügbar war, und "
            "entfernt diese Datei.",
            label_30, "Programm fordert ein \"Benutzer/Administrator\" Passwort");
    tabWidget->setTabText(tabWidget->indexOf(tab_others), translated("Sonstiges"));

    retranslateActionGroup(groupBox_log_file, btn_logfile__generate_log_file, label_31,
                           "Erstelle eine Logdatei mit deinen Velto Studio bezogenen Daten um "
                           "diese unserem Support-Team zur Verfügung zu stellen.",
                           label_32, "Log Datei Erstellen");
    tabWidget->setTabText(tabWidget->indexOf(tab_log_file), translated("Log Datei"));

    label_3->setText(QString());
    label_4->setText(translated(
            "<html><head/><body><p><a href=\"https://www.kormand.de/support\"><span style=\" "
            "text-decoration: underline; color:#0000ff;\">Kormand Support</span></a></p></body>"
            "</html>"));
    label->setText(translated("Velto Studio RepairTool"));
    label_2->setText(translated(
            "<html><head/><body><p><a href=\"https://www.kormand.de\"><span style=\" "
            "text-decoration: underline; color:#0000ff;\">www.kormand.de</span></a></p></body>"
            "</html>"));
    label_version->setText(translated("Version Placeholder"));
    menuDatei->setTitle(translated("Datei"));
}
