#ifndef CELLTEXT_H
#define CELLTEXT_H

#include <QString>

// A log's text as a cell of the viewer shows it: as the reader shows it (repairlog/visibletext.h),
// cut after its first few thousand characters with a word on how long it is, since laying out a
// text of megabytes would stall the window for seconds. Copying and the filter take the whole.
QString cellText(const QString &text);

#endif // CELLTEXT_H
