#ifndef REGFILECHECK_H
#define REGFILECHECK_H

#include "platform/registry/registryvalue.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// What a Registry Editor file written from a log may hold, and the strict reading of the file
// that the writer does before it lets the file go.

// Whether the Registry Editor reads the name back as itself: no line break or other control
// character, no line or paragraph separator, and for a key no "\" and no empty name.
bool regFileHoldsKeyName(const QString &name);
bool regFileHoldsValueName(const QString &name);

// One section that the writer means to write: a key's full path and its values in order.
struct RegSection
{
    QString path;
    QVector<QPair<QString, RegistryValue>> values;
};

// Reads the file's text strictly: the header, comments, blank lines, and sections that each add
// one key with string values. Empty when every section lies in one of the trees below roots,
// nothing deletes, and the sections and values are exactly the intended ones; else says why not.
QString verifyRegFile(const QStringRef &text, const QVector<RegSection> &intended,
                      const QStringList &roots);

#endif // REGFILECHECK_H
