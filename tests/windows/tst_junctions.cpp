#include "junction.h"
#include "platform/files/folderremoval.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A junction inside a folder that the tool removes is taken away as itself: the folder it points
// to, outside the removed tree, keeps everything.
class TestJunctions : public QObject
{
    Q_OBJECT

private slots:
    void removalLeavesTheTargetAlone();
};

void TestJunctions::removalLeavesTheTargetAlone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString outside = dir.filePath(QStringLiteral("Outside"));
    const QString tree = dir.filePath(QStringLiteral("Kormand"));
    QVERIFY(QDir().mkpath(outside + QStringLiteral("/Covers")));
    QVERIFY(QDir().mkpath(tree + QStringLiteral("/Backups")));
    QFile kept(outside + QStringLiteral("/Covers/cover.png"));
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("png") == 3);
    kept.close();

    const QString junction = tree + QStringLiteral("/Backups/Linked");
    QString why;
    if (!makeJunction(junction, outside, &why))
        QSKIP(qPrintable(why));
    QVERIFY(QFile::exists(junction + QStringLiteral("/Covers/cover.png")));

    const FolderRemoval removal = removeFolder(tree, QString());
    QCOMPARE(removal.failedEntry, QString());
    QVERIFY(!entryExists(tree));
    QVERIFY(QFile::exists(kept.fileName()));
}

QTEST_GUILESS_MAIN(TestJunctions)
#include "tst_junctions.moc"
