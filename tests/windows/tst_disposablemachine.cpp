#include "disposablemachine.h"

#include <QTest>

// The guard that keeps the suites off a real Windows machine must still let them run under Wine,
// where test-windows runs them; Wine hands the program the prefix in WINEPREFIX.
class TestDisposableMachine : public QObject
{
    Q_OBJECT

private slots:
    void wineIsRecognised();
    void declarationCountsOnlyOffWine();
};

void TestDisposableMachine::wineIsRecognised()
{
    QCOMPARE(runsUnderWine(), qEnvironmentVariableIsSet("WINEPREFIX"));
}

void TestDisposableMachine::declarationCountsOnlyOffWine()
{
    const QByteArray previous = qgetenv("REPAIRTOOL_DISPOSABLE_MACHINE");
    qputenv("REPAIRTOOL_DISPOSABLE_MACHINE", "0");
    QString reason;
    const bool disposable = machineIsDisposable(&reason);
    qputenv("REPAIRTOOL_DISPOSABLE_MACHINE", "1");
    QString declaredReason;
    const bool declared = machineIsDisposable(&declaredReason);
    qputenv("REPAIRTOOL_DISPOSABLE_MACHINE", previous);

    QVERIFY(declared);
    QCOMPARE(disposable, runsUnderWine());
    QVERIFY2(reason.contains(runsUnderWine() ? QStringLiteral("Wine")
                                             : QStringLiteral("REPAIRTOOL_DISPOSABLE_MACHINE=1")),
             qPrintable(reason));
    if (!runsUnderWine())
        QVERIFY2(declaredReason.contains(QStringLiteral("declares")), qPrintable(declaredReason));
}

QTEST_GUILESS_MAIN(TestDisposableMachine)
#include "tst_disposablemachine.moc"
