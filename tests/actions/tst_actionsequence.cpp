#include "actions/actionsequence.h"
#include "modalanswerer.h"
#include "shownboxes.h"

#include <QTest>

class TestActionSequence : public QObject
{
    Q_OBJECT

private slots:
    void refusalEndsTheAction_data();
    void refusalEndsTheAction();
    void checkDecidesTheOutcome_data();
    void checkDecidesTheOutcome();

private:
    MaintenanceAction recordingAction(bool checkPasses);

    QStringList steps;
};

MaintenanceAction TestActionSequence::recordingAction(bool checkPasses)
{
    return { QStringLiteral("Titel"),
             QStringLiteral("Wirklich?"),
             QStringLiteral("Geschafft."),
             QStringLiteral("Fehlgeschlagen."),
             [this] { steps << QStringLiteral("work"); },
             [this, checkPasses] {
                 steps << QStringLiteral("check");
                 return checkPasses;
             } };
}

void TestActionSequence::refusalEndsTheAction_data()
{
    QTest::addColumn<QString>("answer");

    for (const char *answer : { "Cancel", "Escape", "close" })
        QTest::newRow(answer) << QString::fromLatin1(answer);
}

void TestActionSequence::refusalEndsTheAction()
{
    QFETCH(QString, answer);

    steps.clear();
    ModalAnswerer answerer;
    queueRefusal(answerer, answer);
    runAction(recordingAction(true));

    QCOMPARE(steps, QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 1);
    const ModalAnswerer::SeenBox &box = answerer.seenBoxes().first();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.title, QStringLiteral("Titel"));
    QCOMPARE(box.text, QStringLiteral("Wirklich?"));
    QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QVERIFY(answerer.unexpected().isEmpty());
}

void TestActionSequence::checkDecidesTheOutcome_data()
{
    QTest::addColumn<bool>("checkPasses");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QString>("text");

    QTest::newRow("check passes") << true << QMessageBox::Information
                                  << QStringLiteral("Geschafft.");
    QTest::newRow("check fails") << false << QMessageBox::Critical
                                 << QStringLiteral("Fehlgeschlagen.");
}

void TestActionSequence::checkDecidesTheOutcome()
{
    QFETCH(bool, checkPasses);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QString, text);

    steps.clear();
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    answerer.pressButton(QMessageBox::Ok);
    runAction(recordingAction(checkPasses));

    QCOMPARE(steps, QStringList({ QStringLiteral("work"), QStringLiteral("check") }));
    QCOMPARE(answerer.seenBoxes().size(), 2);
    QCOMPARE(answerer.seenBoxes().at(0).icon, QMessageBox::Warning);
    const ModalAnswerer::SeenBox &outcome = answerer.seenBoxes().at(1);
    QCOMPARE(outcome.icon, icon);
    QCOMPARE(outcome.title, QStringLiteral("Titel"));
    QCOMPARE(outcome.text, text);
    QCOMPARE(outcome.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(answerer.unexpected().isEmpty());
}

QTEST_MAIN(TestActionSequence)
#include "tst_actionsequence.moc"
