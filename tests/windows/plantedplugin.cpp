// Stands in for a toolkit plugin planted where the tool must not look: it carries the metadata of
// a platform plugin called "planted" and, once loaded, leaves the file named by
// PLANTED_PLUGIN_MARKER.
#include <QFile>
#include <QObject>

class PlantedPlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "plantedplugin.json")
};

namespace {

const bool marked = QFile(qEnvironmentVariable("PLANTED_PLUGIN_MARKER")).open(QIODevice::WriteOnly);

} // namespace

#include "plantedplugin.moc"
