#include "unprivilegedrun.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

namespace {

const QStringList asNobody = { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups") };

bool succeeds(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
}

} // namespace

UnprivilegedRun::UnprivilegedRun()
    : runner(runnerDir.filePath(QStringLiteral("actionrunner")))
{
    // A copy that nobody can reach, wherever the build tree lies.
    const QFile::Permissions everyoneEnters = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
            | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/actionrunner"),
                     runner)
        || !QFile::setPermissions(runnerDir.path(), everyoneEnters))
        reason = QStringLiteral("the action runner could not be copied");
    else if (!succeeds(
                     QStringLiteral("setpriv"),
                     asNobody
                             + QStringList{ QStringLiteral("test"), QStringLiteral("-x"), runner }))
        reason = QStringLiteral("cannot start a process as nobody (needs root and setpriv)");
}

bool UnprivilegedRun::giveToNobody(const QString &path) const
{
    return succeeds(QStringLiteral("chown"),
                    { QStringLiteral("-R"), QStringLiteral("65534:65534"), path });
}

bool UnprivilegedRun::setMode(const QString &path, const QString &mode) const
{
    return succeeds(QStringLiteral("chmod"), { mode, path });
}

QStringList UnprivilegedRun::runAction(const QString &action, bool *ok) const
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral("setpriv"), asNobody + QStringList{ runner, action });
    *ok = child.waitForFinished(60000) && child.exitStatus() == QProcess::NormalExit
            && child.exitCode() == 0;
    QStringList boxes = QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
    boxes.removeAll(QString());
    return boxes;
}
