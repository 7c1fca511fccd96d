#ifndef REGISTRYCLEANUP_H
#define REGISTRYCLEANUP_H

// Empties the maker's registry trees for the user and for the machine, after confirmation, and
// reports whether both are empty.
void deleteAllRegistryData();

// Prepares a reinstallation after "Runtime Error 216": the registry clean-up, then the
// data-directory removal, each asking on its own whatever the user answered to the first.
void fixRuntimeError216();

#endif // REGISTRYCLEANUP_H
