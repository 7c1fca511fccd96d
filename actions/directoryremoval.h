#ifndef DIRECTORYREMOVAL_H
#define DIRECTORYREMOVAL_H

// Removes the maker's folders in the user's roaming application data and in ProgramData with all
// their contents, after confirmation, and reports whether they are gone.
void deleteAllDirectories();

#endif // DIRECTORYREMOVAL_H
