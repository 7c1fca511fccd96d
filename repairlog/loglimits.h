#ifndef LOGLIMITS_H
#define LOGLIMITS_H

#include <QString>

// The most a genuine support log can hold, from the registry's own limits, so that a forged log
// cannot make the reader open, grow or descend further than a real one would.
namespace LogLimits {
// Levels of keys below a hive, and the longest key and value names, in UTF-16 code units.
const int MaxDepth = 512;
const int MaxKeyName = 255;
const int MaxValueName = 16383;
// The opened text of one line (UTF-8 bytes): a generous ceiling on one value's text.
const int MaxLineBytes = 8 * 1024 * 1024;
// The whole log: every line's opened text (in UTF-16 code units) or stored form, whichever is
// longer, and a few bytes for the line itself; a log of 400,000 lines takes about 40 MiB.
const qint64 MaxLogBytes = 64 * 1024 * 1024;
const int LineOverhead = 16;
} // namespace LogLimits

// What the reader says of a line beyond these limits.
QString tooLong();

// Tells, line by line, why an opened line cannot come from the registry ("deeper than the
// registry allows", "too long for a support log"); an empty text for a line that can. The lines of
// one block share their path, which is read once.
class RegistryLimitCheck
{
public:
    QString check(const QString &line);

private:
    QString lastPath;
    QString lastPathVerdict;
    int lastPathDepth = 0;
};

#endif // LOGLIMITS_H
