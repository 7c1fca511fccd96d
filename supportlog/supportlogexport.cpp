#include "supportlog/supportlogexport.h"

#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextStream>

namespace {

const QString fileName = QStringLiteral("velto.kormand_repair");
const QString noticeTitle = QStringLiteral("Velto Studio Log Datei");
const QString failureTitle = QStringLiteral("Velto Studio Log Datei Fehler");

// Writes the sealed lines to path; false unless the whole file is in place.
bool writeSealedLog(const QString &path, const QStringList &lines)
{
    RepairCipher cipher(SupportLogKey);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream stream(&file);
    for (const QString &line : lines)
        stream << cipher.encryptTextToBase64(line) << '\n';
    stream.flush();
    // QSaveFile remembers a failed write and then refuses to replace the old file.
    return stream.status() == QTextStream::Ok && file.commit();
}

} // namespace

void exportSupportLog(const QStringList &lines)
{
    const QMessageBox::StandardButton noticed = QMessageBox::warning(
            nullptr, noticeTitle,
            QStringLiteral(
                    "Hiermit wird eine Logdatei angelegt. Im folgenden Dialog wählst du bitte "
                    "die Zielposition auf deinem Rechner aus, wo die Datei gespeichert werden "
                    "soll. Dort wird dann eine 'velto.kormand_repair' Datei an, welche du an "
                    "uns verschicken kannst."),
            QMessageBox::StandardButtons(QMessageBox::Ok), QMessageBox::NoButton);
    if (noticed != QMessageBox::Ok)
        return;

    QFileDialog dialog(nullptr, QString(), QString(), QString());
    // Setting the file mode resets ShowDirsOnly, so the option comes second.
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() == 0)
        return;
    const QStringList selected = dialog.selectedFiles();
    if (selected.isEmpty())
        return;
    // Used as the dialog gives it: a root such as "C:/" yields a doubled slash.
    const QString directory = selected.first();

    if (writeSealedLog(QStringLiteral("%1/%2").arg(directory, fileName), lines)) {
        QMessageBox::information(
                nullptr, noticeTitle,
                QStringLiteral("Die Logdatei '%1' wurde erfolgreich unter '%2' gespeichert.")
                        .arg(fileName, directory),
                QMessageBox::StandardButtons(QMessageBox::Ok), QMessageBox::NoButton);
    } else {
        QMessageBox::warning(nullptr, failureTitle,
                             QStringLiteral("Beim speichern der Logdatei trat ein Fehler auf. "
                                            "Bitte wende dich an den Support."),
                             QMessageBox::StandardButtons(QMessageBox::Ok), QMessageBox::NoButton);
    }
}
