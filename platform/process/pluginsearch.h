#ifndef PLUGINSEARCH_H
#define PLUGINSEARCH_H

// Restricts the toolkit's plugins to the folder where an administrator installed the toolkit
// (the system's Qt); in a static Windows build, where every plugin the tool needs is linked in,
// to none on disk; in a Windows build against a shared toolkit, whose plugins come beside the
// program, to the program's folder alone. No folder named by QT_PLUGIN_PATH or
// QT_QPA_PLATFORM_PLUGIN_PATH is searched. Call it before the application object exists, and hand
// that object no argument but the program's name: the toolkit's own options name plugin folders
// too.
void restrictPluginSearch();

#endif // PLUGINSEARCH_H
