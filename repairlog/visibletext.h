#ifndef VISIBLETEXT_H
#define VISIBLETEXT_H

#include <QString>

// A text from a log as the reader shows it, on one line, with nothing a terminal would act on and
// nothing that makes one name pose as another: every control character (tab, line breaks,
// escape, ...), the Unicode line and paragraph separators, and every format character
// (bidirectional overrides and isolates such as U+202E, zero-width characters such as U+200B) is
// written as "<U+202E>", the character's code in hexadecimal.
QString visibleText(const QString &text);

#endif // VISIBLETEXT_H
