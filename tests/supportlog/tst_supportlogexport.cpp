#include "filecontents.h"
#include "modalanswerer.h"
#include "supportlog/supportlogexport.h"
#include "supportlogtesting.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString logName = QStringLiteral("velto.kormand_repair");
const QString logTitle = QStringLiteral("Velto Studio Log Datei");
const QString noticeText = QStringLiteral(
        "Hiermit wird eine Logdatei angelegt. Im folgenden Dialog wählst du bitte die "
        "Zielposition auf deinem Rechner aus, wo die Datei gespeichert werden soll. Dort wird "
        "dann eine 'velto.kormand_repair' Datei an, welche du an uns verschicken kannst.");
const QString failureTitle = QStringLiteral("Velto Studio Log Datei Fehler");
const QString failureText = QStringLiteral(
        "Beim speichern der Logdatei trat ein Fehler auf. Bitte wende dich an den Support.");

QString successText(const QString &directory)
{
    return QStringLiteral("Die Logdatei 'velto.kormand_repair' wurde erfolgreich unter '")
            + directory + QStringLiteral("' gespeichert.");
}

// Lines as the dump writes them, with the awkward ones: a blank line, umlauts, a value with a
// line break and one long enough to be stored compressed.
QStringList sampleLines()
{
    return { QStringLiteral(" "),
             QStringLiteral("===================================="),
             QStringLiteral("Mein Entry: HKEY_CURRENT_USER\\Software\\Kormand"),
             QStringLiteral("[HKEY_CURRENT_USER\\Software\\Kormand] + [Größe/Maß]: Müller & Söhne"),
             QStringLiteral("[HKEY_CURRENT_USER\\Software\\Kormand] + [Notiz]: erste\nzweite"),
             QStringLiteral("[HKEY_CURRENT_USER\\Software\\Kormand] + [Liste]: ")
                     + QString(3000, QLatin1Char('a')) };
}

bool isBase64Line(const QByteArray &line)
{
    static const QByteArray alphabet(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=");
    if (line.isEmpty())
        return false;
    for (char c : line) {
        if (!alphabet.contains(c))
            return false;
    }
    return true;
}

QString boxLine(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    return QString::number(int(icon)) + QLatin1Char('\t') + title + QLatin1Char('\t') + text;
}

} // namespace

class TestSupportLogExport : public QObject
{
    Q_OBJECT

private slots:
    void noticeLeadsToDirectoryDialog_data();
    void noticeLeadsToDirectoryDialog();
    void writesOneSealedLinePerEntry_data();
    void writesOneSealedLinePerEntry();
    void failsWhenDirectoryIsGone_data();
    void failsWhenDirectoryIsGone();
    void failsForUnwritableDirectory();
    void keepsOldLogWhenWritingFails_data();
    void keepsOldLogWhenWritingFails();

private:
    // Runs the export in its own process behind wrapper (a command that runs its arguments).
    QStringList runExporter(const QStringList &wrapper, const QString &directory, int lineCount);
};

void TestSupportLogExport::noticeLeadsToDirectoryDialog_data()
{
    QTest::addColumn<int>("answer");

    // Ok is the notice's only button, so every way of closing it goes on.
    QTest::newRow("Ok") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("window closed") << 2;
}

void TestSupportLogExport::noticeLeadsToDirectoryDialog()
{
    QFETCH(int, answer);

    QTemporaryDir target;
    QVERIFY(target.isValid());
    const QByteArray oldLog("ein älteres Protokoll\n");
    QVERIFY(writeFile(target.filePath(logName), oldLog));

    ModalAnswerer answerer;
    if (answer == 0)
        answerer.pressButton(QMessageBox::Ok);
    else if (answer == 1)
        answerer.pressEscape();
    else
        answerer.closeWindow();
    bool sawDialog = false;
    bool parentless = false;
    bool dirsOnly = false;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    answerer.handleNext([&](QWidget *widget) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        if (!dialog) {
            widget->close();
            return;
        }
        sawDialog = true;
        parentless = !dialog->parentWidget();
        dirsOnly = dialog->testOption(QFileDialog::ShowDirsOnly);
        mode = dialog->fileMode();
        // Cancelled with a directory already picked: still nothing may be written.
        dialog->selectFile(target.path());
        dialog->reject();
    });
    exportSupportLog(sampleLines());

    QVERIFY(sawDialog);
    QVERIFY(parentless);
    QCOMPARE(mode, QFileDialog::Directory);
    QVERIFY(dirsOnly);
    QCOMPARE(answerer.pendingAnswers(), 0);
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 1);
    const ModalAnswerer::SeenBox notice = answerer.seenBoxes().first();
    QCOMPARE(notice.icon, QMessageBox::Warning);
    QCOMPARE(notice.title, logTitle);
    QCOMPARE(notice.text, noticeText);
    QCOMPARE(notice.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(QDir(target.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList(logName));
    QCOMPARE(readFile(target.filePath(logName)), oldLog);
}

void TestSupportLogExport::writesOneSealedLinePerEntry_data()
{
    QTest::addColumn<QString>("subdirectory");
    QTest::addColumn<bool>("trailingSlash");
    QTest::addColumn<QByteArray>("oldLog");

    QTest::newRow("fresh directory") << QString() << false << QByteArray();
    // Longer than the new log, so appending or a partial overwrite would show.
    QTest::newRow("old log replaced")
            << QString() << false << QByteArray("altes Protokoll\n").repeated(2000);
    // A root such as "C:/" comes with its slash; the path then carries two.
    QTest::newRow("directory ending in a slash") << QString() << true << QByteArray();
    QTest::newRow("markers and umlauts in the directory")
            << QStringLiteral("100%1 für den Support %2") << false << QByteArray();
}

void TestSupportLogExport::writesOneSealedLinePerEntry()
{
    QFETCH(QString, subdirectory);
    QFETCH(bool, trailingSlash);
    QFETCH(QByteArray, oldLog);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    QString target = base.path();
    if (!subdirectory.isEmpty()) {
        QVERIFY(QDir(base.path()).mkdir(subdirectory));
        target = base.filePath(subdirectory);
    }
    const QString logFile = target + QLatin1Char('/') + logName;
    if (!oldLog.isEmpty())
        QVERIFY(writeFile(logFile, oldLog));
    const QString chosen = trailingSlash ? target + QLatin1Char('/') : target;

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, chosen);
    answerer.pressButton(QMessageBox::Ok);
    const QStringList lines = sampleLines();
    exportSupportLog(lines);

    QCOMPARE(answerer.pendingAnswers(), 0);
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 2);
    const ModalAnswerer::SeenBox success = answerer.seenBoxes().at(1);
    QCOMPARE(success.icon, QMessageBox::Information);
    QCOMPARE(success.title, logTitle);
    QCOMPARE(success.text, successText(chosen));
    QCOMPARE(success.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    // Nothing but the log is left behind, no temporary file either.
    QCOMPARE(QDir(target).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList(logName));
    // Read as text: the log is written in text mode, so its lines end in CR LF on Windows.
    QFile log(logFile);
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QByteArray content = log.readAll();
    QVERIFY(content.endsWith('\n'));
    const QList<QByteArray> fileLines = content.left(content.size() - 1).split('\n');
    QCOMPARE(fileLines.size(), lines.size());
    for (const QByteArray &line : fileLines)
        QVERIFY2(isBase64Line(line), line.constData());

    // The reader shows a line break inside a line by its code, so each entry stays one line.
    const OpenedLog opened = openWithReader(logFile);
    QVERIFY2(opened.ok, qPrintable(opened.text));
    QCOMPARE(opened.text,
             QStringList(lines)
                             .replaceInStrings(QStringLiteral("\n"), QStringLiteral("<U+000A>"))
                             .join(QLatin1Char('\n'))
                     + QLatin1Char('\n'));
}

void TestSupportLogExport::failsWhenDirectoryIsGone_data()
{
    QTest::addColumn<bool>("replacedByFile");

    QTest::newRow("directory removed") << false;
    QTest::newRow("directory replaced by a file") << true;
}

void TestSupportLogExport::failsWhenDirectoryIsGone()
{
    QFETCH(bool, replacedByFile);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString target = base.filePath(QStringLiteral("Stick"));
    QVERIFY(QDir(base.path()).mkdir(QStringLiteral("Stick")));

    // The dialog checks that the directory exists; it goes away between that and the write,
    // as when a removable drive is pulled.
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, target, [&] {
        QDir(target).removeRecursively();
        if (replacedByFile)
            writeFile(target, "kein Ordner");
    });
    answerer.pressButton(QMessageBox::Ok);
    exportSupportLog(sampleLines());

    QCOMPARE(answerer.pendingAnswers(), 0);
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.seenBoxes().size(), 2);
    const ModalAnswerer::SeenBox failure = answerer.seenBoxes().at(1);
    QCOMPARE(failure.icon, QMessageBox::Warning);
    QCOMPARE(failure.title, failureTitle);
    QCOMPARE(failure.text, failureText);
    QCOMPARE(failure.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(QDir(base.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             replacedByFile ? QStringList(QStringLiteral("Stick")) : QStringList());
}

void TestSupportLogExport::failsForUnwritableDirectory()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        QSKIP("needs setpriv to run the export as another user");
    QTemporaryDir base;
    QVERIFY(base.isValid());
    QVERIFY(writeFile(base.filePath(QStringLiteral("probe")), "x"));
    if (QFileInfo(base.filePath(QStringLiteral("probe"))).ownerId() != 0)
        QSKIP("needs root to run the export as another user");
    QVERIFY(QFile::remove(base.filePath(QStringLiteral("probe"))));

    // Readable for everybody, writable only for root; the export runs as nobody.
    QVERIFY(QFile::setPermissions(base.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                          | QFile::ExeOther));
    const QStringList boxes
            = runExporter({ setpriv, QStringLiteral("--reuid=65534"),
                            QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups") },
                          base.path(), 10);

    QCOMPARE(boxes,
             QStringList({ boxLine(QMessageBox::Warning, logTitle, noticeText),
                           boxLine(QMessageBox::Warning, failureTitle, failureText) }));
    QCOMPARE(QDir(base.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestSupportLogExport::keepsOldLogWhenWritingFails_data()
{
    QTest::addColumn<bool>("sizeLimited");

    // The same run without the limit shows that the limit alone makes it fail.
    QTest::newRow("no limit") << false;
    QTest::newRow("file size limit") << true;
}

void TestSupportLogExport::keepsOldLogWhenWritingFails()
{
    QFETCH(bool, sizeLimited);

    const QString prlimit = QStandardPaths::findExecutable(QStringLiteral("prlimit"));
    if (prlimit.isEmpty())
        QSKIP("needs prlimit to limit the size of written files");
    QTemporaryDir target;
    QVERIFY(target.isValid());
    const QString logFile = target.filePath(logName);
    const QByteArray oldLog = QByteArray("altes Protokoll\n").repeated(100);
    QVERIFY(writeFile(logFile, oldLog));

    // 1000 sealed lines take about 40 KiB; the limit stops the writing after 8 KiB. A write
    // past the limit then fails with EFBIG instead of killing the process.
    const int lineCount = 1000;
    QStringList wrapper = { QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                            QStringLiteral("trap '' XFSZ; exec \"$@\""), QStringLiteral("sh") };
    if (sizeLimited)
        wrapper << prlimit << QStringLiteral("--fsize=8192");
    const QStringList boxes = runExporter(wrapper, target.path(), lineCount);

    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.first(), boxLine(QMessageBox::Warning, logTitle, noticeText));
    QCOMPARE(QDir(target.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList(logName));
    if (sizeLimited) {
        QCOMPARE(boxes.at(1), boxLine(QMessageBox::Warning, failureTitle, failureText));
        QCOMPARE(readFile(logFile), oldLog);
    } else {
        QCOMPARE(boxes.at(1),
                 boxLine(QMessageBox::Information, logTitle, successText(target.path())));
        QCOMPARE(readFile(logFile).count('\n'), lineCount);
    }
}

QStringList TestSupportLogExport::runExporter(const QStringList &wrapper, const QString &directory,
                                              int lineCount)
{
    QStringList command = wrapper;
    command << QStringLiteral(EXPORTER_PATH) << directory << QString::number(lineCount);
    QProcess exporter;
    exporter.start(command.takeFirst(), command);
    if (!exporter.waitForFinished(60000) || exporter.exitStatus() != QProcess::NormalExit
        || exporter.exitCode() != 0) {
        qWarning("exporter failed: %s", exporter.readAllStandardError().constData());
        return {};
    }
    QStringList boxes
            = QString::fromUtf8(exporter.readAllStandardOutput()).split(QLatin1Char('\n'));
    boxes.removeAll(QString());
    return boxes;
}

QTEST_MAIN(TestSupportLogExport)
#include "tst_supportlogexport.moc"
