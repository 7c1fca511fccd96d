#include "logviewer/celltext.h"

#include "repairlog/visibletext.h"

namespace {

// Far more than a cell shows, and quickly laid out.
const int mostShown = 4000;

} // namespace

QString cellText(const QString &text)
{
    if (text.size() <= mostShown)
        return visibleText(text);
    return visibleText(text.left(mostShown))
            + QStringLiteral("\u2026 (%1 characters in all)").arg(text.size());
}
