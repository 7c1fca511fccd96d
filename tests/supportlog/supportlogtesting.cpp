#include "supportlogtesting.h"

#include "modalanswerer.h"
#include "registryseed.h"

#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QSignalBlocker>

namespace {

void removeMakerTrees()
{
    removeRegistryTree(QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand"));
    removeRegistryTree(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand"));
}

} // namespace

EmptyMakerTrees::EmptyMakerTrees()
{
    removeMakerTrees();
}

EmptyMakerTrees::~EmptyMakerTrees()
{
    removeMakerTrees();
}

void seedSmallMakerTrees()
{
    const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
    const QString machineRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");
    seedRegistryValue(userRoot, QStringLiteral("Start"), QStringLiteral("1"));
    seedRegistryValue(userRoot, QStringLiteral("Player/Volume"), QStringLiteral("80"));
    seedRegistryValue(userRoot, QStringLiteral("Player/Decks/Count"), 4);
    seedRegistryValue(userRoot, QStringLiteral("Player/Decks/Name"), QStringLiteral("Links"));
    seedRegistryValue(userRoot, QStringLiteral("Updater/Letzte"), QStringLiteral("2026-11-30"));
    seedRegistryValue(machineRoot, QStringLiteral("Studio/Lizenz"), QStringLiteral("Profi"));
    seedRegistryValue(machineRoot, QStringLiteral("Studio/Module/Audio/Treiber"),
                      QStringLiteral("ASIO"));
}

void chooseDirectory(ModalAnswerer &answerer, const QString &directory,
                     const std::function<void()> &afterAccept)
{
    answerer.handleNext([directory, afterAccept](QWidget *widget) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        auto *edit
                = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!edit) {
            widget->close();
            return;
        }
        {
            // Without the completer the dialog reports the typed text unchanged; the completer
            // would select the folder and drop a trailing slash, which the dialog keeps only
            // on a root such as "C:/", where a test must not write.
            const QSignalBlocker blocker(edit);
            edit->setText(directory);
        }
        static_cast<QDialog *>(dialog)->accept();
        // The dialog refuses a directory that does not exist; do not leave it open.
        if (dialog->isVisible())
            dialog->reject();
        else if (afterAccept)
            afterAccept();
    });
}

OpenedLog openWithReader(const QString &logFile)
{
    const ReaderRun run = runReader({ QStringLiteral("open"), logFile });
    OpenedLog opened;
    opened.ok = run.exitCode == 0;
    opened.text = opened.ok ? run.output : run.errors;
    return opened;
}

ReaderRun runReader(const QStringList &arguments)
{
    QProcess reader;
    // Text mode: the reader's output lines end in CR LF on Windows.
    reader.start(QStringLiteral(REPAIRLOG_PATH), arguments, QIODevice::ReadOnly | QIODevice::Text);
    ReaderRun run;
    if (reader.waitForFinished(60000) && reader.exitStatus() == QProcess::NormalExit)
        run.exitCode = reader.exitCode();
    run.output = QString::fromUtf8(reader.readAllStandardOutput());
    run.errors = QString::fromUtf8(reader.readAllStandardError());
    return run;
}

QByteArray damagedSealedLine(const QByteArray &sealedLine)
{
    QByteArray record = QByteArray::fromBase64(sealedLine);
    record[record.size() - 1] = char(record.at(record.size() - 1) ^ 0x01);
    return record.toBase64();
}
