#ifndef ACTIONSEQUENCE_H
#define ACTIONSEQUENCE_H

#include <QString>

#include <functional>

// One maintenance action: its texts, all shown under its title, and its two steps.
struct MaintenanceAction
{
    QString title;
    QString confirmation;
    QString success;
    QString failure;
    // Makes the change; what its calls return is left to the check.
    std::function<void()> work;
    // Looks afresh at the registry or the file system: true when the change holds.
    std::function<bool()> check;
    // Acts on the data of the account at the desk (ProfileAccount): where that account cannot be
    // told, neither step runs and the failure is reported.
    bool perUser = false;
};

// Asks for confirmation; only on Ok does it run the work and the check and report the check's
// verdict. Both steps and whatever else runs meanwhile act for one account, found once
// (ProfileAccountScope). Returns when the last box is closed.
void runAction(const MaintenanceAction &action);

#endif // ACTIONSEQUENCE_H
