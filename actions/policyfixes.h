#ifndef POLICYFIXES_H
#define POLICYFIXES_H

// Turns the admin approval mode of user account control off for the whole machine
// ("EnableLUA" = 0), after confirmation, and reports whether the value reads back as set.
void changeUacConfig();

// Makes mapped network drives visible to elevated programs ("EnableLinkedConnections" = 1),
// after confirmation, and reports whether the value reads back as set.
void fixNetworkDeviceConnection();

#endif // POLICYFIXES_H
