#ifndef FILECONTENTS_H
#define FILECONTENTS_H

#include <QByteArray>
#include <QString>

// Writes content to path, making its folders; false unless all of it was written.
bool writeFile(const QString &path, const QByteArray &content);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

#endif // FILECONTENTS_H
