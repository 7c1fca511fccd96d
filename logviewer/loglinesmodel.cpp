#include "logviewer/loglinesmodel.h"

#include "logviewer/viewerlog.h"

#include <QColor>
#include <QFont>

namespace {

const QColor damagedColor(0xf7, 0xd4, 0xd4);
const QColor foundColor(0xfc, 0xe8, 0xb6);

} // namespace

LogLinesModel::LogLinesModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void LogLinesModel::setLog(const ViewerLog *shown)
{
    beginResetModel();
    log = shown;
    findings.clear();
    if (log) {
        for (const LogFinding &finding : log->check.findings)
            findings[finding.line].append(finding.text);
    }
    endResetModel();
}

int LogLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !log ? 0 : log->lines.size();
}

int LogLinesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LogLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !log || index.row() >= log->lines.size())
        return {};
    const LogLine &line = log->lines.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == LineColumn)
            return line.number;
        return line.intact ? line.text : QStringLiteral("damaged: %1").arg(line.damage);
    case Qt::TextAlignmentRole:
        return index.column() == LineColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                            : QVariant();
    case Qt::BackgroundRole:
        if (!line.intact)
            return damagedColor;
        return findings.contains(line.number) ? QVariant(foundColor) : QVariant();
    case Qt::FontRole:
        if (!line.intact && index.column() == TextColumn) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole:
    case FindingsRole: {
        const QStringList said = findings.value(line.number);
        if (role == FindingsRole)
            return said;
        return said.isEmpty() ? QVariant() : said.join(QLatin1Char('\n'));
    }
    case IntactRole:
        return line.intact;
    default:
        return {};
    }
}

QVariant LogLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == LineColumn ? QStringLiteral("Line") : QStringLiteral("Text");
}
