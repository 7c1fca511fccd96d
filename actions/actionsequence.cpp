#include "actions/actionsequence.h"

#include <QMessageBox>

void runAction(const MaintenanceAction &action)
{
    const QMessageBox::StandardButton answer
            = QMessageBox::warning(nullptr, action.title, action.confirmation,
                                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer != QMessageBox::Ok)
        return;

    action.work();
    if (action.check())
        QMessageBox::information(nullptr, action.title, action.success, QMessageBox::Ok,
                                 QMessageBox::NoButton);
    else
        QMessageBox::critical(nullptr, action.title, action.failure, QMessageBox::Ok,
                              QMessageBox::NoButton);
}
