#ifndef SEALEDLOG_H
#define SEALEDLOG_H

#include <QByteArray>
#include <QStringList>

// The lines sealed as the tool seals them, one file line each.
QByteArray sealedLog(const QStringList &lines);

#endif // SEALEDLOG_H
