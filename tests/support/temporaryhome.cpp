// Linked into every suite: the toolkit and the libraries below it keep settings and caches in the
// home folder (the file dialog its history in ~/.config/QtProject.conf), so each suite gets a
// home of its own, made before main() and so before anything reads these variables. Processes
// that a suite starts inherit it.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class TemporaryHome
{
public:
    TemporaryHome()
        : dir(QDir::tempPath() + QLatin1String("/repairtool-home-XXXXXX"))
    {
        if (!dir.isValid())
            qFatal("Cannot make a temporary home folder: %s", qUtf8Printable(dir.errorString()));
        const QByteArray home = QFile::encodeName(dir.path());
        qputenv("HOME", home);
        // Set, not unset: a developer's own values may point into the real home.
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        qputenv("XDG_DATA_HOME", home + "/.local/share");
        qputenv("XDG_STATE_HOME", home + "/.local/state");
        qputenv("XDG_CACHE_HOME", home + "/.cache");
    }

private:
    QTemporaryDir dir;
};

const TemporaryHome temporaryHome;

} // namespace
