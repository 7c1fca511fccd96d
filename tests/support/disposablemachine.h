#ifndef DISPOSABLEMACHINE_H
#define DISPOSABLEMACHINE_H

#include <QString>

// On Windows the suites change the real registry and the real known folders, so they may run only
// where that harms nobody: under Wine, or on a machine declared disposable with
// REPAIRTOOL_DISPOSABLE_MACHINE=1. Elsewhere the stand-in keeps every change in a temporary folder.

// Whether this process runs under Wine.
bool runsUnderWine();

// Whether the suites may change this machine; reason says why or why not.
bool machineIsDisposable(QString *reason = nullptr);

// Ends the process with the reason unless the suites may change this machine.
void requireDisposableMachine();

#endif // DISPOSABLEMACHINE_H
