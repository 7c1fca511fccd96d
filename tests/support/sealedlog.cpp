#include "sealedlog.h"

#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

QByteArray sealedLog(const QStringList &lines)
{
    RepairCipher cipher(SupportLogKey);
    QByteArray content;
    for (const QString &line : lines)
        content += cipher.encryptTextToBase64(line).toLatin1() + '\n';
    return content;
}
