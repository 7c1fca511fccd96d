#include "actions/actionsequence.h"

#include "platform/account/profileaccount.h"

#include <QMessageBox>

void runAction(const MaintenanceAction &action)
{
    const ProfileAccountScope scope;
    const QMessageBox::StandardButton answer
            = QMessageBox::warning(nullptr, action.title, action.confirmation,
                                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer != QMessageBox::Ok)
        return;

    // Whose data it would be is unknown: acting on anyone's would be a guess.
    const bool canAct = !action.perUser || ProfileAccount::current().isKnown();
    if (canAct)
        action.work();
    if (canAct && action.check())
        QMessageBox::information(nullptr, action.title, action.success, QMessageBox::Ok,
                                 QMessageBox::NoButton);
    else
        QMessageBox::critical(nullptr, action.title, action.failure, QMessageBox::Ok,
                              QMessageBox::NoButton);
}
