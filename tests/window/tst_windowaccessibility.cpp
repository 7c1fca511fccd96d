#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "temporaryroot.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace {

struct ActionBox
{
    int page;
    const char *button;
    const char *heading;
    const char *description;
};

// Each button with the labels of its own box, page by page, top to bottom.
const QList<ActionBox> actionBoxes = {
    { 1, "btn_directories__delete_all_directories", "label_10", "label_9" },
    { 2, "btn_registry__delete_all_registry_data", "label_8", "label_6" },
    { 2, "btn_registry__change_uac_config", "label_24", "label_23" },
    { 2, "btn_registry__fix_network_device_connection", "label_26", "label_25" },
    { 3, "btn_others__fix_runtime_error_216", "label_12", "label_11" },
    { 3, "btn_others__fix_velto_set_file", "label_30", "label_29" },
    { 4, "btn_logfile__generate_log_file", "label_32", "label_31" },
};

QString accessibleText(QObject *object, QAccessible::Text kind)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(kind) : QStringLiteral("<no accessible interface>");
}

void addButtonRows()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("description");
    for (const ActionBox &box : actionBoxes)
        QTest::newRow(box.button) << box.page << QString::fromLatin1(box.button)
                                  << QString::fromLatin1(box.heading)
                                  << QString::fromLatin1(box.description);
}

} // namespace

class TestWindowAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttonReadsAsItsBox_data();
    void buttonReadsAsItsBox();
    void buttonsReadDifferently();
    void logoHasName();
    void tabReachesEveryButtonOfPage_data();
    void tabReachesEveryButtonOfPage();
    void spacePressesButton_data();
    void spacePressesButton();
    void ctrlTabSwitchesTabs_data();
    void ctrlTabSwitchesTabs();

private:
    QWidget *focusAfterTab();

    MainWindow *window = nullptr;
    QTabWidget *tabs = nullptr;
};

void TestWindowAccessibility::init()
{
    window = new MainWindow;
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    tabs = window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
}

void TestWindowAccessibility::cleanup()
{
    delete window;
    window = nullptr;
}

QWidget *TestWindowAccessibility::focusAfterTab()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget();
}

void TestWindowAccessibility::buttonReadsAsItsBox_data()
{
    addButtonRows();
}

void TestWindowAccessibility::buttonReadsAsItsBox()
{
    QFETCH(int, page);
    QFETCH(QString, button);
    QFETCH(QString, heading);
    QFETCH(QString, description);

    auto pushButton = window->findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    QCOMPARE(pushButton->parentWidget()->parentWidget(), tabs->widget(page));
    auto headingLabel = window->findChild<QLabel *>(heading);
    auto descriptionLabel = window->findChild<QLabel *>(description);
    QVERIFY(pushButton);
    QVERIFY(headingLabel);
    QVERIFY(descriptionLabel);
    QCOMPARE(headingLabel->parentWidget(), pushButton->parentWidget());
    QCOMPARE(descriptionLabel->parentWidget(), pushButton->parentWidget());

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(pushButton);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::PushButton);
    QCOMPARE(accessible->text(QAccessible::Name), headingLabel->text());
    QCOMPARE(accessible->text(QAccessible::Description), descriptionLabel->text());
    QVERIFY(!headingLabel->text().isEmpty());
    QVERIFY(!descriptionLabel->text().isEmpty());
    // What the eye sees stays as it was.
    QCOMPARE(pushButton->text(), QStringLiteral("Ausführen"));
}

void TestWindowAccessibility::buttonsReadDifferently()
{
    QStringList names;
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        const QString name = accessibleText(button, QAccessible::Name);
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.append(name);
    }
    QCOMPARE(names.size(), actionBoxes.size());
}

void TestWindowAccessibility::logoHasName()
{
    auto logo = window->findChild<QLabel *>(QStringLiteral("label_3"));
    QVERIFY(logo);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(logo);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Graphic);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Kormand-Logo"));
    QCOMPARE(logo->text(), QString());
}

void TestWindowAccessibility::tabReachesEveryButtonOfPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("buttons");

    const char *pages[]
            = { "tab_info", "tab_data_directories", "tab_registry", "tab_others", "tab_log_file" };
    for (int page = 0; page < 5; ++page) {
        QStringList buttons;
        for (const ActionBox &box : actionBoxes) {
            if (box.page == page)
                buttons.append(QString::fromLatin1(box.button));
        }
        QTest::newRow(pages[page]) << page << buttons;
    }
}

void TestWindowAccessibility::tabReachesEveryButtonOfPage()
{
    QFETCH(int, page);
    QFETCH(QStringList, buttons);

    tabs->setCurrentIndex(page);
    tabs->tabBar()->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), tabs->tabBar());

    // Walk the focus chain once round; the buttons come in reading order.
    QStringList reached;
    for (int step = 0; step < 20; ++step) {
        QWidget *focused = focusAfterTab();
        QVERIFY(focused);
        if (focused == tabs->tabBar())
            break;
        if (qobject_cast<QPushButton *>(focused))
            reached.append(focused->objectName());
    }
    QCOMPARE(QApplication::focusWidget(), tabs->tabBar());
    QCOMPARE(reached, buttons);
}

void TestWindowAccessibility::spacePressesButton_data()
{
    addButtonRows();
}

void TestWindowAccessibility::spacePressesButton()
{
    QFETCH(int, page);
    QFETCH(QString, button);

    TemporaryRoot root;
    QVERIFY(root.isValid());
    auto pushButton = window->findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    tabs->setCurrentIndex(page);
    tabs->tabBar()->setFocus(Qt::OtherFocusReason);
    while (QApplication::focusWidget() != pushButton)
        QVERIFY2(focusAfterTab() != tabs->tabBar(), "the button is not in the focus chain");

    QSignalSpy clicked(pushButton, &QPushButton::clicked);
    ModalAnswerer answerer;
    // Whatever the action asks first is cancelled; it must have asked.
    answerer.pressButton(QMessageBox::Cancel);
    QTest::keyClick(pushButton, Qt::Key_Space);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(answerer.pendingAnswers(), 0);
}

void TestWindowAccessibility::ctrlTabSwitchesTabs_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("focusOnButton");
    QTest::addColumn<int>("to");

    QTest::newRow("from the tab bar") << 0 << false << 1;
    QTest::newRow("from a button") << 1 << true << 2;
    QTest::newRow("from a button, second page") << 2 << true << 3;
    QTest::newRow("from the tab bar, fourth page") << 3 << false << 4;
    QTest::newRow("last wraps to first") << 4 << true << 0;
}

void TestWindowAccessibility::ctrlTabSwitchesTabs()
{
    QFETCH(int, from);
    QFETCH(bool, focusOnButton);
    QFETCH(int, to);

    tabs->setCurrentIndex(from);
    if (focusOnButton) {
        auto button = tabs->widget(from)->findChild<QPushButton *>();
        QVERIFY(button);
        button->setFocus(Qt::TabFocusReason);
    } else {
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
    }
    QVERIFY(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), to);
    QVERIFY(tabs->widget(to)->isVisible());
}

QTEST_MAIN(TestWindowAccessibility)
#include "tst_windowaccessibility.moc"
