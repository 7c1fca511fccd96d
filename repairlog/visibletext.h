#ifndef VISIBLETEXT_H
#define VISIBLETEXT_H

#include <QString>

// A text from a log as the reader shows it, on one line and with nothing a terminal would act
// on: every control character (tab, line breaks, escape, ...) and the Unicode line and paragraph
// separators are written as "<U+000A>", the character's code in hexadecimal.
QString visibleText(const QString &text);

#endif // VISIBLETEXT_H
