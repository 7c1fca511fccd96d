// Stands in for a toolkit plugin planted where the tool must not look and, once loaded, leaves the
// file named by PLANTED_PLUGIN_MARKER. Off Windows it carries the metadata of a platform plugin
// called "planted", which the toolkit reads without loading it; on Windows, where a toolkit that
// looks in folders loads every DLL there to read its metadata, it is a plain DLL, built without
// the toolkit.
#ifdef _WIN32
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    wchar_t marker[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"PLANTED_PLUGIN_MARKER", marker, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && length > 0 && length < MAX_PATH)
        CloseHandle(CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}
#else
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
#endif
