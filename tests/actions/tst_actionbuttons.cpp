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

    const auto asked
            = [](const char *action) { return boxesOf(QString::fromLatin1(action)).confirmation; };
    QTest::newRow("directories") << QStringLiteral("btn_directories__delete_all_directories")
                                 << QStringList{ asked("deleteAllDirectories") };
    QTest::newRow("registry") << QStringLiteral("btn_registry__delete_all_registry_data")
                              << QStringList{ asked("deleteAllRegistryData") };
    QTest::newRow("UAC") << QStringLiteral("btn_registry__change_uac_config")
                         << QStringList{ asked("changeUacConfig") };
    QTest::newRow("network drives") << QStringLiteral("btn_registry__fix_network_device_connection")
                                    << QStringList{ asked("fixNetworkDeviceConnection") };
    // Refusing the first still brings the second.
    QTest::newRow("runtime error 216")
            << QStringLiteral("btn_others__fix_runtime_error_216")
            << QStringList{ asked("deleteAllRegistryData"), asked("deleteAllDirectories") };
    QTest::newRow("settings file") << QStringLiteral("btn_others__fix_velto_set_file")
                                   << QStringList{ asked("fixVeltoSetFile") };
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
