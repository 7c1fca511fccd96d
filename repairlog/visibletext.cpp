#include "repairlog/visibletext.h"

#include <algorithm>

namespace {

bool isInvisible(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator;
}

} // namespace

QString visibleText(const QString &text)
{
    if (std::none_of(text.cbegin(), text.cend(), isInvisible))
        return text;
    QString visible;
    visible.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (isInvisible(c))
            visible += QStringLiteral("<U+%1>").arg(
                    QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        else
            visible += c;
    }
    return visible;
}
