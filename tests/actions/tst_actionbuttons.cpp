#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "shownboxes.h"
#include "temporaryroot.h"
#include "testfiles.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class TestActionButtons : public QObject
{
    Q_OBJECT

private slots:
    void buttonAsksForConfirmation_data();
    void buttonAsksForConfirmation();
};

void TestActionButtons::buttonAsksForConfirmation_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("boxes");

    const QString folders = confirmationBox(
            QStringLiteral("Velto Studio Standardverzeichnisse löschen"),
            QStringLiteral("Hiermit werden die Velto Studio Standardverzeichnisse gelöscht. "
                           "Bestätige bitte mit OK um diese zu löschen."));
    const QString registry = confirmationBox(
            QStringLiteral("Velto Studio Registrierung säubern"),
            QStringLiteral("Hiermit wird Windowsregistrierung von ALLEN Kormand Einträgen "
                           "gesäubert. Bestätige bitte mit OK um diese zu entfernen. Bei Fragen "
                           "wende dich bitte an den Support."));
    const QString policyTitle = QStringLiteral("Velto Studio Benutzerkontensteuerung Fix");

    QTest::newRow("directories") << QStringLiteral("btn_directories__delete_all_directories")
                                 << QStringList{ folders };
    QTest::newRow("registry") << QStringLiteral("btn_registry__delete_all_registry_data")
                              << QStringList{ registry };
    QTest::newRow("UAC")
            << QStringLiteral("btn_registry__change_uac_config")
            << QStringList{ confirmationBox(
                       policyTitle,
                       QStringLiteral("Hiermit wird die Windows-Benutzerkontensteuerung (UAC) für "
                                      "den ganzen Rechner abgeschaltet (EnableLUA = 0). Das gilt "
                                      "für alle Programme und alle Benutzer dieses Rechners. "
                                      "Bestätige bitte mit OK um die Änderung vorzunehmen. Bei "
                                      "Fragen wende dich bitte an den Support.")) };
    QTest::newRow("network drives")
            << QStringLiteral("btn_registry__fix_network_device_connection")
            << QStringList{ confirmationBox(
                       policyTitle,
                       QStringLiteral("Hiermit wird die Windows-Einstellung für verknüpfte "
                                      "Verbindungen für den ganzen Rechner eingeschaltet "
                                      "(EnableLinkedConnections = 1), damit deine Netzlaufwerke "
                                      "auch in Programmen mit Administratorrechten sichtbar sind. "
                                      "Bestätige bitte mit OK um die Änderung vorzunehmen. Bei "
                                      "Fragen wende dich bitte an den Support.")) };
    // Refusing the first still brings the second.
    QTest::newRow("runtime error 216") << QStringLiteral("btn_others__fix_runtime_error_216")
                                       << QStringList{ registry, folders };
    QTest::newRow("settings file")
            << QStringLiteral("btn_others__fix_velto_set_file")
            << QStringList{ confirmationBox(
                       QStringLiteral("Velto Studio Passwort Fehler"),
                       QStringLiteral("Hiermit werden fehlerhafte Dateien entfernt, die zu diesem "
                                      "Fehler führen. Bestätige bitte mit OK um fortzufahren. Bei "
                                      "Fragen wende dich bitte an den Support.")) };
}

void TestActionButtons::buttonAsksForConfirmation()
{
    QFETCH(QString, button);
    QFETCH(QStringList, boxes);

    TemporaryRoot root;
    ToolName toolName;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *pushButton = window.findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    // Bring up the button's tab, as a user would.
    auto *tabs = window.findChild<QTabWidget *>();
    QVERIFY(tabs);
    for (int index = 0; index < tabs->count(); ++index) {
        if (tabs->widget(index)->isAncestorOf(pushButton))
            tabs->setCurrentIndex(index);
    }
    QVERIFY(pushButton->isVisible());

    ModalAnswerer answerer;
    for (int box = 0; box < boxes.size(); ++box)
        answerer.pressButton(QMessageBox::Cancel);
    QTest::mouseClick(pushButton, Qt::LeftButton);

    QCOMPARE(describeBoxes(answerer.seenBoxes()), boxes);
    QVERIFY(answerer.unexpected().isEmpty());
}

QTEST_MAIN(TestActionButtons)
#include "tst_actionbuttons.moc"
