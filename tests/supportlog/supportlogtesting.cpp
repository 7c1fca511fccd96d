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
    QProcess reader;
    // Text mode: the reader's output lines end in CR LF on Windows.
    reader.start(QStringLiteral(REPAIRLOG_PATH), { QStringLiteral("open"), logFile },
                 QIODevice::ReadWrite | QIODevice::Text);
    OpenedLog opened;
    opened.ok = reader.waitForFinished(60000) && reader.exitStatus() == QProcess::NormalExit
            && reader.exitCode() == 0;
    opened.text = QString::fromUtf8(opened.ok ? reader.readAllStandardOutput()
                                              : reader.readAllStandardError());
    return opened;
}
