// Writes the toolkit's prefix, as QLibraryInfo reports it, into the file named by its argument.
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QFile prefix(application.arguments().value(1));
    if (!prefix.open(QIODevice::WriteOnly))
        return 2;
    prefix.write(QLibraryInfo::location(QLibraryInfo::PrefixPath).toUtf8());
    return 0;
}
