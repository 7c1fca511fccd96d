#ifndef DLLSEARCH_H
#define DLLSEARCH_H

// Restricts the DLLs the process loads from here on to System32: never the program's own folder,
// the current folder or PATH, where whoever can write there could plant one. Call it first thing
// in main, before anything loads a DLL; the program delay-loads the system DLLs that are not
// among Windows' KnownDLLs so that they, too, load after it. Where Windows cannot restrict the
// search (Windows 7 without update KB2533623), those DLLs are loaded from System32 by full path
// right here; where one of them does not load, the program ends with a message. Does nothing off
// Windows.
void restrictDllSearch();

#endif // DLLSEARCH_H
