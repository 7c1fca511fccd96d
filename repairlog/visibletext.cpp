#include "repairlog/visibletext.h"

#include <algorithm>

namespace {

// Characters a terminal or a text view would act on or not show: controls, the line and paragraph
// separators, and the format characters that reorder text or take no room (bidirectional
// overrides and isolates, zero-width characters, the byte-order mark).
bool isInvisible(uint code)
{
    const QChar::Category category = QChar::category(code);
    return category == QChar::Other_Control || category == QChar::Other_Format
            || code == QChar::LineSeparator || code == QChar::ParagraphSeparator;
}

// The code point at i and the UTF-16 units it takes.
uint codeAt(const QString &text, int i, int *units)
{
    const QChar c = text.at(i);
    *units = 1;
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text.at(i + 1));
    }
    return c.unicode();
}

} // namespace

QString visibleText(const QString &text)
{
    // Built only once the first character to show by code turns up.
    QString visible;
    bool changed = false;
    int units = 1;
    for (int i = 0; i < text.size(); i += units) {
        const uint code = codeAt(text, i, &units);
        if (!isInvisible(code)) {
            if (changed)
                visible += text.midRef(i, units);
            continue;
        }
        if (!changed)
            visible = text.left(i);
        changed = true;
        visible += QStringLiteral("<U+%1>").arg(
                QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return changed ? visible : text;
}
