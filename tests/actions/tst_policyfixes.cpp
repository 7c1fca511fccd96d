#include "modalanswerer.h"
#include "namedactions.h"
#include "platform/registry/registrykey.h"
#include "registryseed.h"
#include "shownboxes.h"
#include "temporaryroot.h"
#include "testfiles.h"
#include "unprivilegedrun.h"

#include <QTest>

namespace {

const QString policyKey = QStringLiteral(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

QString valueNameOf(const QString &fix)
{
    return fix == QLatin1String("changeUacConfig") ? QStringLiteral("EnableLUA")
                                                   : QStringLiteral("EnableLinkedConnections");
}

// The machine hive as the Registry Editor exports it: the policy key with two neighbours around
// the value under test, given as its line without the name ("=dword:00000000"), or none.
QString writePolicyHive(const TemporaryRoot &root, const QString &fix, const QByteArray &value)
{
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n"
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies"
                      "\\System]\r\n\"ConsentPromptBehaviorAdmin\"=dword:00000005\r\n";
    if (!value.isNull())
        text += '"' + valueNameOf(fix).toLatin1() + '"' + value + "\r\n";
    text += "\"legalnoticecaption\"=\"Hallo\"\r\n\r\n";
    const QString hive = root.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg"));
    return writeFile(hive, text) ? hive : QString();
}

} // namespace

class TestPolicyFixes : public QObject
{
    Q_OBJECT

private slots:
    void refusalLeavesKeyUntouched_data();
    void refusalLeavesKeyUntouched();
    void writesTheValue_data();
    void writesTheValue();
    void differingReadBackFails_data();
    void differingReadBackFails();
    void unwritableHiveFails_data();
    void unwritableHiveFails();
};

void TestPolicyFixes::refusalLeavesKeyUntouched_data()
{
    QTest::addColumn<QString>("fix");
    QTest::addColumn<QString>("answer");

    for (const char *fix : { "changeUacConfig", "fixNetworkDeviceConnection" }) {
        for (const char *answer : { "Cancel", "Escape", "close" })
            QTest::addRow("%s, %s", fix, answer)
                    << QString::fromLatin1(fix) << QString::fromLatin1(answer);
    }
}

void TestPolicyFixes::refusalLeavesKeyUntouched()
{
    QFETCH(QString, fix);
    QFETCH(QString, answer);

    TemporaryRoot root;
    const QString hive = writePolicyHive(root, fix, "=dword:00000007");
    QVERIFY(!hive.isEmpty());
    const QByteArray before = readFile(hive);

    ModalAnswerer answerer;
    queueRefusal(answerer, answer);
    actionNamed(fix)();

    QCOMPARE(describeBoxes(answerer.seenBoxes()), QStringList{ boxesOf(fix).confirmation });
    QCOMPARE(readFile(hive), before);
}

void TestPolicyFixes::writesTheValue_data()
{
    QTest::addColumn<QString>("fix");
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<bool>("keyExists");

    const auto addBoth = [](const char *row, const QVariant &uacValue,
                            const QVariant &networkValue) {
        QTest::addRow("UAC, %s", row) << QStringLiteral("changeUacConfig") << uacValue << true;
        QTest::addRow("network drives, %s", row)
                << QStringLiteral("fixNetworkDeviceConnection") << networkValue << true;
    };
    addBoth("missing", QVariant(), QVariant());
    addBoth("other number", 1, 0);
    addBoth("text", QStringLiteral("0"), QStringLiteral("1"));
    addBoth("already set", 0, 1);
    QTest::newRow("no policy key at all")
            << QStringLiteral("changeUacConfig") << QVariant() << false;
}

void TestPolicyFixes::writesTheValue()
{
    QFETCH(QString, fix);
    QFETCH(QVariant, before);
    QFETCH(bool, keyExists);

    TemporaryRoot root;
    // A real registry keeps what earlier rows left.
    removeRegistryTree(policyKey);
    if (keyExists) {
        seedRegistryValue(policyKey, QStringLiteral("ConsentPromptBehaviorAdmin"), 5);
        seedRegistryValue(policyKey, QStringLiteral("legalnoticecaption"), QStringLiteral("Hallo"));
    }
    if (before.isValid())
        seedRegistryValue(policyKey, valueNameOf(fix), before);

    QCOMPARE(runConfirmed(actionNamed(fix)),
             QStringList({ boxesOf(fix).confirmation, boxesOf(fix).success }));
    const QString expected
            = fix == QLatin1String("changeUacConfig") ? QStringLiteral("0") : QStringLiteral("1");
    QCOMPARE(RegistryKey(policyKey).text(valueNameOf(fix)), expected);
    // The stand-in's hive file shows the stored type: a DWORD, whatever it was before.
    const QString hiveFile = root.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg"));
    if (QFile::exists(hiveFile))
        QVERIFY(readFile(hiveFile).contains('"' + valueNameOf(fix).toLatin1() + "\"=dword:0000000"
                                            + expected.toLatin1()));
    if (keyExists) {
        QCOMPARE(RegistryKey(policyKey).text(QStringLiteral("ConsentPromptBehaviorAdmin")),
                 QStringLiteral("5"));
        QCOMPARE(RegistryKey(policyKey).text(QStringLiteral("legalnoticecaption")),
                 QStringLiteral("Hallo"));
    }
}

void TestPolicyFixes::differingReadBackFails_data()
{
    QTest::addColumn<QString>("fix");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("succeeds");

    const auto addRow = [](const char *row, const char *fix, const QByteArray &stored,
                           bool succeeds) {
        QTest::addRow("%s, %s", fix, row) << QString::fromLatin1(fix) << stored << succeeds;
    };
    for (const char *fix : { "changeUacConfig", "fixNetworkDeviceConnection" }) {
        const bool uac = qstrcmp(fix, "changeUacConfig") == 0;
        addRow("leading zero", fix, uac ? "=\"00\"" : "=\"01\"", false);
        addRow("leading blank", fix, uac ? "=\" 0\"" : "=\" 1\"", false);
        addRow("trailing blank", fix, uac ? "=\"0 \"" : "=\"1 \"", false);
        addRow("other number", fix, uac ? "=dword:00000001" : "=dword:00000000", false);
        addRow("a word", fix, uac ? "=\"aus\"" : "=\"ein\"", false);
        addRow("missing", fix, QByteArray(), false);
        // The check alone decides: a value that already holds the number is a success.
        addRow("already set", fix, uac ? "=dword:00000000" : "=dword:00000001", true);
    }
}

void TestPolicyFixes::differingReadBackFails()
{
    QFETCH(QString, fix);
    QFETCH(QByteArray, stored);
    QFETCH(bool, succeeds);

    UnprivilegedRun run;
    if (!run.unavailableReason().isEmpty())
        QSKIP(qPrintable(run.unavailableReason()));
    TemporaryRoot root;
    // The hive stays root's, so the unprivileged child reads it but cannot write it.
    const QString hive = writePolicyHive(root, fix, stored);
    QVERIFY(!hive.isEmpty());
    QVERIFY(run.setMode(root.path(), QStringLiteral("755")));
    const QByteArray before = readFile(hive);

    bool ran = false;
    const QStringList boxes = run.runAction(fix, &ran);

    QVERIFY(ran);
    QCOMPARE(boxes,
             QStringList({ boxesOf(fix).confirmation,
                           succeeds ? boxesOf(fix).success : boxesOf(fix).failure }));
    QCOMPARE(readFile(hive), before);
}

void TestPolicyFixes::unwritableHiveFails_data()
{
    QTest::addColumn<QString>("fix");

    QTest::newRow("UAC") << QStringLiteral("changeUacConfig");
    QTest::newRow("network drives") << QStringLiteral("fixNetworkDeviceConnection");
}

void TestPolicyFixes::unwritableHiveFails()
{
    QFETCH(QString, fix);
    if (!registryIsStandIn())
        QSKIP("Only a stand-in hive file can be made unwritable for root and for a test.");

    TemporaryRoot root;
    // A hive the stand-in cannot parse is never written over: every write to it fails.
    const QString hive = root.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg"));
    const QByteArray broken = "Windows Registry Editor Version "
                              "5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\r\nnot a value\r\n";
    QVERIFY(writeFile(hive, broken));

    QCOMPARE(runConfirmed(actionNamed(fix)),
             QStringList({ boxesOf(fix).confirmation, boxesOf(fix).failure }));
    QCOMPARE(readFile(hive), broken);
}

QTEST_MAIN(TestPolicyFixes)
#include "tst_policyfixes.moc"
