#ifndef TEMPORARYROOT_H
#define TEMPORARYROOT_H

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away stand-in system: points REPAIRTOOL_ROOT at a fresh temporary folder for the
// object's lifetime and restores the previous value afterwards. The tool runs there as the
// account at the desk: REPAIRTOOL_DESKTOP_USER is unset meanwhile.
// On Windows nothing is stood in for: it ends the process unless the machine may be changed
// (disposablemachine.h).
class TemporaryRoot
{
public:
    TemporaryRoot();
    ~TemporaryRoot();

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }
    // A path below the root, e.g. filePath("registry/HKEY_CURRENT_USER.reg").
    QString filePath(const QString &relative) const { return dir.filePath(relative); }

private:
    QTemporaryDir dir;
    QByteArray previous;
    bool hadPrevious;
    QByteArray previousDesktop;
    bool hadPreviousDesktop;
};

#endif // TEMPORARYROOT_H
