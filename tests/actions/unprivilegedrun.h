#ifndef UNPRIVILEGEDRUN_H
#define UNPRIVILEGEDRUN_H

#include <QStringList>
#include <QTemporaryDir>

// Runs an action in a child process as the unprivileged user "nobody", so that file permissions
// bite even when the tests run as root (as CI does). Needs root and setpriv.
class UnprivilegedRun
{
public:
    UnprivilegedRun();

    // Empty when a child can be run; otherwise why not.
    QString unavailableReason() const { return reason; }

    // Hands path and everything below it to nobody.
    bool giveToNobody(const QString &path) const;
    // Sets the mode with chmod's octal notation ("1777" for a sticky folder).
    bool setMode(const QString &path, const QString &mode) const;

    // Runs the named action (its entry point's name) with every box answered Ok and returns the
    // boxes it showed, as describeBoxes has them; ok tells whether the child ran to its end.
    QStringList runAction(const QString &action, bool *ok) const;

private:
    QTemporaryDir runnerDir;
    QString runner;
    QString reason;
};

#endif // UNPRIVILEGEDRUN_H
