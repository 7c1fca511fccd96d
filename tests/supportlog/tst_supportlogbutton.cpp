#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "registryseed.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestSupportLogButton : public QObject
{
    Q_OBJECT

private slots:
    void buttonWritesTheDumpedRegistry();
};

void TestSupportLogButton::buttonWritesTheDumpedRegistry()
{
    TemporaryRoot root;
    QVERIFY(root.isValid());
    const EmptyMakerTrees emptyTrees;
    const QString user = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
    const QString machine = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");
    seedRegistryValue(user + QStringLiteral("\\Velto Studio\\Player"), QStringLiteral("Volume"),
                      80);
    seedRegistryValue(user + QStringLiteral("\\Velto Studio\\Player\\Decks"),
                      QStringLiteral("Count"), QStringLiteral("4"));
    seedRegistryValue(user + QStringLiteral("\\Velto Studio"), QStringLiteral("Bibliothek"),
                      QStringLiteral("D:/Musik/Größte Hits"));
    seedRegistryValue(machine, QStringLiteral("InstallDir"),
                      QStringLiteral("C:/Program Files (x86)/Kormand"));
    seedRegistryKey(machine + QStringLiteral("\\Leer"));

    QTemporaryDir target;
    QVERIFY(target.isValid());
    MainWindow window;
    window.show();
    auto *button
            = window.findChild<QPushButton *>(QStringLiteral("btn_logfile__generate_log_file"));
    QVERIFY(button);

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, target.path());
    answerer.pressButton(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(answerer.pendingAnswers(), 0);
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 2);
    QCOMPARE(answerer.seenBoxes().at(1).icon, QMessageBox::Information);

    const QStringList dumped = dumpRegistry();
    QVERIFY(dumped.contains(
            QStringLiteral("[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio] + [Bibliothek]: "
                           "D:/Musik/Größte Hits")));
    const OpenedLog opened
            = openWithReader(target.filePath(QStringLiteral("velto.kormand_repair")));
    QVERIFY2(opened.ok, qPrintable(opened.text));
    QCOMPARE(opened.text, dumped.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

QTEST_MAIN(TestSupportLogButton)
#include "tst_supportlogbutton.moc"
