#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "registryseed.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

QtMessageHandler forwardMessage = nullptr;
QList<Qt::CursorShape> cursorsAtHiveWarnings;

// Notes the cursor that the application showed when the stand-in reported a damaged hive.
void noteCursorAtHiveWarning(QtMsgType type, const QMessageLogContext &context,
                             const QString &message)
{
    if (message.contains(QLatin1String("the hive is not read"))) {
        const QCursor *cursor = QApplication::overrideCursor();
        cursorsAtHiveWarnings.append(cursor ? cursor->shape() : Qt::ArrowCursor);
    }
    forwardMessage(type, context, message);
}

// Shows a main window, queues the answers to the export's boxes with directory as the target and
// presses the log button; false when there is no such button.
bool pressLogButton(ModalAnswerer &answerer, const QString &directory)
{
    MainWindow window;
    window.show();
    auto *button
            = window.findChild<QPushButton *>(QStringLiteral("btn_logfile__generate_log_file"));
    if (!button)
        return false;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, directory);
    answerer.pressButton(QMessageBox::Ok);
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

} // namespace

class TestSupportLogButton : public QObject
{
    Q_OBJECT

private slots:
    void buttonWritesTheDumpedRegistry();
    void waitCursorWhileTheRegistryIsRead();
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
    ModalAnswerer answerer;
    QVERIFY(pressLogButton(answerer, target.path()));

    QCOMPARE(answerer.pendingAnswers(), 0);
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 2);
    QCOMPARE(answerer.seenBoxes().at(1).icon, QMessageBox::Information);
    // The wait cursor of the dump is gone before the export's first box.
    QVERIFY(!answerer.seenBoxes().at(0).cursorOverridden);
    QVERIFY(!QApplication::overrideCursor());

    const QStringList dumped = dumpRegistry();
    QVERIFY(dumped.contains(
            QStringLiteral("[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio] + [Bibliothek]: "
                           "D:/Musik/Größte Hits")));
    const OpenedLog opened
            = openWithReader(target.filePath(QStringLiteral("velto.kormand_repair")));
    QVERIFY2(opened.ok, qPrintable(opened.text));
    QCOMPARE(opened.text, dumped.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TestSupportLogButton::waitCursorWhileTheRegistryIsRead()
{
    if (!registryIsStandIn())
        QSKIP("Only the stand-in says something while the dump reads: a damaged hive file.");
    TemporaryRoot root;
    QVERIFY(root.isValid());
    const EmptyMakerTrees emptyTrees;
    seedRegistryValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio"),
                      QStringLiteral("Bibliothek"), QStringLiteral("D:/Musik"));
    QFile damaged(root.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    QVERIFY(damaged.write("REGEDIT4 und Rauschen\r\n") > 0);
    damaged.close();

    QTemporaryDir target;
    QVERIFY(target.isValid());
    ModalAnswerer answerer;
    cursorsAtHiveWarnings.clear();
    QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QStringLiteral("HKEY_LOCAL_MACHINE.reg:1: .*the hive is not read")));
    forwardMessage = qInstallMessageHandler(noteCursorAtHiveWarning);
    {
        const auto restore = qScopeGuard([] { qInstallMessageHandler(forwardMessage); });
        QVERIFY(pressLogButton(answerer, target.path()));
    }

    QCOMPARE(cursorsAtHiveWarnings, QList<Qt::CursorShape>({ Qt::WaitCursor }));
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 2);
    QVERIFY(!answerer.seenBoxes().at(0).cursorOverridden);
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestSupportLogButton)
#include "tst_supportlogbutton.moc"
