#ifndef SUPPORTLOGTESTING_H
#define SUPPORTLOGTESTING_H

#include "sealedlog.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class ModalAnswerer;

// The maker's two registry trees, removed when made and when destroyed: on Windows the registry
// outlives a suite. Make it only once a TemporaryRoot points the stand-in elsewhere.
class EmptyMakerTrees
{
public:
    EmptyMakerTrees();
    ~EmptyMakerTrees();

private:
    Q_DISABLE_COPY(EmptyMakerTrees)
};

// Small trees below both of the maker's roots, values up to three levels deep, no empty keys.
void seedSmallMakerTrees();

// Queues the answer to the export's directory dialog: the directory is typed into the dialog
// as a user would type it and the dialog is accepted; afterAccept runs before the export goes on.
void chooseDirectory(ModalAnswerer &answerer, const QString &directory,
                     const std::function<void()> &afterAccept = {});

// The lines of the export's input as the support side's reader prints them after opening the
// log file; a failed run of the reader gives its error output instead.
struct OpenedLog
{
    bool ok = false;
    QString text;
};
OpenedLog openWithReader(const QString &logFile);

// A run of the support side's reader as support runs it; its output in text mode.
struct ReaderRun
{
    int exitCode = -1;
    QString output;
    QString errors;
};
ReaderRun runReader(const QStringList &arguments);

// A sealed line whose last enciphered byte changed on the way: its integrity check fails.
QByteArray damagedSealedLine(const QByteArray &sealedLine);

#endif // SUPPORTLOGTESTING_H
