#include "actions/treeremoval.h"
#include "platform/links.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Deeper than Windows' MAX_PATH of 260 characters.
QString deepFolder(const QString &base)
{
    QString folder = base;
    for (int level = 0; level < 8; ++level)
        folder += QStringLiteral("/Velto-Studio Profi Sicherung %1").arg(level);
    return folder;
}

} // namespace

class TestTreeRemoval : public QObject
{
    Q_OBJECT

private slots:
    void plainEntryIsNoLink_data();
    void plainEntryIsNoLink();
    void linkIsALink_data();
    void linkIsALink();
    void removesTreePastMaxPath();
    void keptFolderStays_data();
    void keptFolderStays();
};

void TestTreeRemoval::plainEntryIsNoLink_data()
{
    QTest::addColumn<QString>("entry");

    QTest::newRow("file") << QStringLiteral("Kormand/settings.xml");
    QTest::newRow("folder") << QStringLiteral("Kormand/Backups/");
    QTest::newRow("hidden file") << QStringLiteral("Kormand/.cache");
    QTest::newRow("folder past MAX_PATH") << QStringLiteral("deep/");
    QTest::newRow("file past MAX_PATH") << QStringLiteral("deep/cover.jpg");
}

void TestTreeRemoval::plainEntryIsNoLink()
{
    QFETCH(QString, entry);

    QTemporaryDir base;
    QString path = base.filePath(entry);
    if (entry.startsWith(QLatin1String("deep/")))
        path = deepFolder(base.path()) + entry.mid(4);
    QVERIFY(path.size() > 260 || !entry.startsWith(QLatin1String("deep/")));
    QVERIFY(makeEntry(path));

    QVERIFY(!isLink(path));
}

void TestTreeRemoval::linkIsALink_data()
{
    QTest::addColumn<QString>("target");

    QTest::newRow("link to a folder") << QStringLiteral("Outside");
    QTest::newRow("link to a file") << QStringLiteral("Outside/keep.txt");
    QTest::newRow("dangling link") << QStringLiteral("Missing");
}

void TestTreeRemoval::linkIsALink()
{
    QFETCH(QString, target);

    QTemporaryDir base;
    QVERIFY(makeEntry(base.filePath(QStringLiteral("Outside/keep.txt"))));
    const QString link = base.filePath(QStringLiteral("Kormand"));
    QVERIFY(QFile::link(base.filePath(target), link));
    // On Windows the toolkit makes a shell shortcut instead, which is a plain file.
    if (!QFileInfo(link).isSymLink())
        QSKIP("the toolkit makes no symbolic links here");

    QVERIFY(isLink(link));
}

void TestTreeRemoval::removesTreePastMaxPath()
{
    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    QVERIFY(makeEntry(deepFolder(maker) + QStringLiteral("/cover.jpg")));
    QVERIFY(makeEntry(maker + QStringLiteral("/settings.xml")));

    removeTree(maker, base.filePath(QStringLiteral("Tool")));

    QVERIFY(!QFileInfo::exists(maker));
}

void TestTreeRemoval::keptFolderStays_data()
{
    QTest::addColumn<QString>("keep");
    QTest::addColumn<QStringList>("left");

    const QStringList wholeTool
            = { QStringLiteral("Tool"), QStringLiteral("Tool/KormandRepairTool.exe"),
                QStringLiteral("Tool/data"), QStringLiteral("Tool/data/x.dll") };
    QTest::newRow("as given") << QStringLiteral("Tool") << wholeTool;
    QTest::newRow("spelled another way") << QStringLiteral("Backups/../Tool/.") << wholeTool;
    QTest::newRow("deeper down") << QStringLiteral("Tool/data")
                                 << QStringList{ QStringLiteral("Tool"),
                                                 QStringLiteral("Tool/data"),
                                                 QStringLiteral("Tool/data/x.dll") };
}

void TestTreeRemoval::keptFolderStays()
{
    QFETCH(QString, keep);
    QFETCH(QStringList, left);

    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    for (const char *entry :
         { "Tool/KormandRepairTool.exe", "Tool/data/x.dll", "Backups/a.vsb", "top.txt" })
        QVERIFY(makeEntry(maker + QLatin1Char('/') + QLatin1String(entry)));

    removeTree(maker, maker + QLatin1Char('/') + keep);

    QCOMPARE(entriesBelow(maker), left);
}

QTEST_GUILESS_MAIN(TestTreeRemoval)
#include "tst_treeremoval.moc"
