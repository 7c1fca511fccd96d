#ifndef LOGCHECK_H
#define LOGCHECK_H

#include "repairlog/loglines.h"
#include "repairlog/logtrees.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

// One line that the dump of the rebuilt trees writes.
struct ExpectedLine
{
    enum Source { Structure, KeyName, Value };

    QString text;
    // What the line stands for: its text, or for a key line the part before the value.
    QString id;
    Source source = Structure;
    // The key a path line names, or whose value a key line holds.
    const LogKey *key = nullptr;
    const LogValue *value = nullptr;
};

// Every line that the dump writes for the trees, in its order.
QVector<ExpectedLine> predictLog(const LogTrees &trees);

struct LogFinding
{
    // Where it shows in the file: findings are listed in file order.
    int line = 0;
    QString text;
    // Values may be lost: lines missing, the log cut off, a damaged line without a copy.
    bool losesValues = false;
    // The lines it speaks of are not in the file (missing, cut off): it stands after line.
    bool absent = false;
};

struct LogCheck
{
    int linesRead = 0;
    int linesExpected = 0;
    QVector<LogFinding> findings;
    // What the findings say about the lines of each value.
    QHash<const LogValue *, QStringList> valueNotes;
    // The values with a note other than a restoration from a copy: missing or differing lines.
    QSet<const LogValue *> doubtfulValues;

    bool intactAndComplete() const { return findings.isEmpty(); }
    // The findings, one per line, and a closing summary.
    QString report() const;
};

// Compares the log's lines with the lines the dump writes for the trees rebuilt from them:
// missing, damaged, reordered, unexpected and cut-off lines, and damaged lines restored from
// their copies.
LogCheck checkLog(const QVector<LogLine> &lines, const LogTrees &trees);

#endif // LOGCHECK_H
