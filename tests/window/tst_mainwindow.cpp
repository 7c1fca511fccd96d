#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "platform/display/displayscaling.h"
#include "temporaryroot.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// receivers() is protected; a pointer to it formed through a subclass applies to any QObject.
struct SignalReceivers : QObject
{
    static int count(const QObject *sender, const char *signal)
    {
        return (sender->*(&SignalReceivers::receivers))(signal);
    }
};

QStringList capturedWarnings;

void captureWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        capturedWarnings.append(message);
}

const QStringList pushButtonNames = {
    QStringLiteral("btn_directories__delete_all_directories"),
    QStringLiteral("btn_registry__delete_all_registry_data"),
    QStringLiteral("btn_registry__change_uac_config"),
    QStringLiteral("btn_registry__fix_network_device_connection"),
    QStringLiteral("btn_others__fix_runtime_error_216"),
    QStringLiteral("btn_others__fix_velto_set_file"),
    QStringLiteral("btn_logfile__generate_log_file"),
};

bool hasSlotFor(const QString &objectName, const char *signal)
{
    const QByteArray slot = "on_" + objectName.toLatin1() + '_' + signal + "()";
    return MainWindow::staticMetaObject.indexOfSlot(slot.constData()) >= 0;
}

// Runs the application's event loop as main does; should the window never close, the loop ends
// with 99 instead of hanging the suite.
int execGuarded()
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);
    return QApplication::exec();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void showsFinalTitleAndVersion();
    void opensAtFormSizeOnInformationTab();
    void connectsSlotsWithoutComplaint();
    void everySlotNamesAWidgetAndSignal();
    void eachTriggerHasOneReceiverPerSlot_data();
    void eachTriggerHasOneReceiverPerSlot();
    void buttonWithoutSlotRunsNothing_data();
    void buttonWithoutSlotRunsNothing();
    void beendenEndsEventLoopWithZero();
    void closeButtonEndsEventLoopWithZero();
    void showsTheVersionOfTheVersionResource();
    void scalesWithTheDisplayExactly();
};

void TestMainWindow::showsFinalTitleAndVersion()
{
    const QString title = QStringLiteral("Kormand Velto Studio RepairTool (Version 1.0)");
    MainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    // Nothing has been on screen with the provisional texts.
    QVERIFY(!window.isVisible());
    QCOMPARE(window.windowTitle(), title);
    auto versionLabel = window.findChild<QLabel *>(QStringLiteral("label_version"));
    QVERIFY(versionLabel);
    QCOMPARE(versionLabel->text(), QStringLiteral("Version 1.0"));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowHandle()->title(), title);
    QCOMPARE(versionLabel->text(), QStringLiteral("Version 1.0"));
}

void TestMainWindow::opensAtFormSizeOnInformationTab()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(803, 599));
    QCOMPARE(window.windowState(), Qt::WindowNoState);
    auto tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("tab_info"));
    QVERIFY(tabs->currentWidget()->isVisible());
}

void TestMainWindow::connectsSlotsWithoutComplaint()
{
    // connectSlotsByName only warns about a slot whose name matches no widget or signal.
    capturedWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureWarning);
    {
        MainWindow window;
    }
    qInstallMessageHandler(previous);
    QCOMPARE(capturedWarnings, QStringList());
}

void TestMainWindow::everySlotNamesAWidgetAndSignal()
{
    MainWindow window;
    const QMetaObject *meta = window.metaObject();
    QCOMPARE(meta->className(), "MainWindow");
    int slotCount = 0;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.parameterCount(), 0);
        const QString name = QString::fromLatin1(method.name());
        QVERIFY2(name.startsWith(QLatin1String("on_")), qPrintable(name));
        const int split = name.lastIndexOf(QLatin1Char('_'));
        const QString objectName = name.mid(3, split - 3);
        QObject *sender = window.findChild<QObject *>(objectName);
        QVERIFY2(sender, qPrintable(name));
        const QByteArray signal = name.mid(split + 1).toLatin1() + "()";
        QVERIFY2(sender->metaObject()->indexOfSignal(signal.constData()) >= 0, qPrintable(name));
        ++slotCount;
    }
    QVERIFY(slotCount >= 1);
    QVERIFY(slotCount <= 8);
}

void TestMainWindow::eachTriggerHasOneReceiverPerSlot_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QByteArray>("signal");

    QTest::newRow("actionBeenden") << QStringLiteral("actionBeenden") << QByteArray("triggered");
    for (const QString &name : pushButtonNames)
        QTest::newRow(qPrintable(name)) << name << QByteArray("clicked");
}

void TestMainWindow::eachTriggerHasOneReceiverPerSlot()
{
    QFETCH(QString, objectName);
    QFETCH(QByteArray, signal);

    MainWindow window;
    QCOMPARE(window.findChildren<QPushButton *>().size(), pushButtonNames.size());
    QObject *sender = window.findChild<QObject *>(objectName);
    QVERIFY(sender);
    // The menu listens to its action as well; only the connections to the window count here.
    const QByteArray signature = QByteArray::number(QSIGNAL_CODE) + signal + "()";
    const int receivers = SignalReceivers::count(sender, signature.constData());
    QObject::disconnect(sender, signature.constData(), &window, nullptr);
    QCOMPARE(receivers - SignalReceivers::count(sender, signature.constData()),
             hasSlotFor(objectName, signal.constData()) ? 1 : 0);
}

void TestMainWindow::buttonWithoutSlotRunsNothing_data()
{
    QTest::addColumn<QString>("objectName");
    for (const QString &name : pushButtonNames)
        QTest::newRow(qPrintable(name)) << name;
}

void TestMainWindow::buttonWithoutSlotRunsNothing()
{
    QFETCH(QString, objectName);
    if (hasSlotFor(objectName, "clicked"))
        QSKIP("this button runs its action; its own suite clicks it");

    TemporaryRoot root;
    QVERIFY(root.isValid());
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto button = window.findChild<QPushButton *>(objectName);
    QVERIFY(button);
    auto tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    tabs->setCurrentWidget(button->parentWidget()->parentWidget());
    QVERIFY(button->isVisible());

    ModalAnswerer answerer;
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(50);
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 0);
    QVERIFY(window.isVisible());
    int shown = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        shown += widget->isVisible() ? 1 : 0;
    QCOMPARE(shown, 1);
}

void TestMainWindow::beendenEndsEventLoopWithZero()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto menu = window.findChild<QMenu *>(QStringLiteral("menuDatei"));
    auto beenden = window.findChild<QAction *>(QStringLiteral("actionBeenden"));
    QVERIFY(menu);
    QVERIFY(beenden);
    QCOMPARE(window.menuBar()->actions(), QList<QAction *>{ menu->menuAction() });
    QCOMPARE(menu->actions(), QList<QAction *>{ beenden });

    // Open "Datei" and click "Beenden" from inside the running loop, as the user would.
    QTimer::singleShot(0, menu, [&] {
        menu->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(beenden).center());
    });
    QCOMPARE(execGuarded(), 0);
    QVERIFY(!window.isVisible());
}

void TestMainWindow::closeButtonEndsEventLoopWithZero()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTimer::singleShot(0, &window, &QWidget::close);
    QCOMPARE(execGuarded(), 0);
    QVERIFY(!window.isVisible());
}

// The program file's version resource carries the project's version; the window must show the same.
void TestMainWindow::showsTheVersionOfTheVersionResource()
{
    MainWindow window;
    auto versionLabel = window.findChild<QLabel *>(QStringLiteral("label_version"));
    QVERIFY(versionLabel);
    QCOMPARE(versionLabel->text(), QStringLiteral("Version " REPAIRTOOL_PROJECT_VERSION));
}

// main, below, prepares the display scaling as the program's own main does.
void TestMainWindow::scalesWithTheDisplayExactly()
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    QVERIFY(QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling));
    // Rounded, 125 % would draw at 100 % and 150 % at 200 %.
    QVERIFY(QGuiApplication::highDpiScaleFactorRoundingPolicy()
            == Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#else
    // The toolkit's own scaling rounds: it stays off.
    QVERIFY(!QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling));
#endif
}

int main(int argc, char *argv[])
{
    prepareDisplayScaling();
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    TestMainWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainwindow.moc"
