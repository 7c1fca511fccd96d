#include "logviewer/loglinesmodel.h"

#include "logviewer/celltext.h"
#include "logviewer/viewerlog.h"

#include <QColor>
#include <QFont>

namespace {

const QColor damagedColor(0xf7, 0xd4, 0xd4);
const QColor foundColor(0xfc, 0xe8, 0xb6);
const QColor absentColor(0xe0, 0xe0, 0xe0);

} // namespace

LogLinesModel::LogLinesModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void LogLinesModel::setLog(const ViewerLog *shown)
{
    beginResetModel();
    log = shown;
    findings.clear();
    rows.clear();
    lineRows.clear();
    findingRows.clear();
    if (log) {
        const QVector<LogFinding> &found = log->check.findings;
        // The findings stand in line order, one for the lines missing after line n after it.
        int next = 0;
        const auto placeAbsent = [&](int line) {
            for (; next < found.size() && found.at(next).line <= line; ++next) {
                if (!found.at(next).absent)
                    continue;
                findingRows.insert(next, rows.size());
                rows.append(-1 - next);
            }
        };
        rows.reserve(log->lines.size());
        lineRows.reserve(log->lines.size());
        placeAbsent(0);
        for (int i = 0; i < log->lines.size(); ++i) {
            lineRows.append(rows.size());
            rows.append(i);
            placeAbsent(log->lines.at(i).number);
        }
        placeAbsent(INT_MAX);
        for (int k = 0; k < found.size(); ++k) {
            if (!found.at(k).absent)
                findings[found.at(k).line].append(found.at(k).text);
            else if (!findingRows.contains(k))
                findingRows.insert(k, rows.size() - 1);
        }
    }
    endResetModel();
}

int LogLinesModel::rowOfLine(int line) const
{
    return line >= 1 && line <= lineRows.size() ? lineRows.at(line - 1) : -1;
}

int LogLinesModel::rowOfFinding(int finding) const
{
    if (findingRows.contains(finding))
        return findingRows.value(finding);
    return log && finding >= 0 && finding < log->check.findings.size()
            ? rowOfLine(log->check.findings.at(finding).line)
            : -1;
}

int LogLinesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !log ? 0 : rows.size();
}

int LogLinesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LogLinesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !log || index.row() >= rows.size())
        return {};
    const int at = rows.at(index.row());
    if (at < 0) {
        const LogFinding &finding = log->check.findings.at(-1 - at);
        switch (role) {
        case Qt::DisplayRole:
            return index.column() == TextColumn
                    ? QStringLiteral("\u2026 %1 \u2026").arg(finding.text)
                    : QVariant();
        case Qt::ToolTipRole:
        case FindingsRole:
            return role == FindingsRole ? QVariant(QStringList(finding.text))
                                        : QVariant(finding.text);
        case Qt::BackgroundRole:
            return absentColor;
        case Qt::FontRole: {
            QFont font;
            font.setItalic(true);
            return font;
        }
        case IntactRole:
            return false;
        case LineNumberRole:
            return 0;
        default:
            return {};
        }
    }
    const LogLine &line = log->lines.at(at);
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == LineColumn)
            return line.number;
        return line.intact ? cellText(line.text) : QStringLiteral("damaged: %1").arg(line.damage);
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
    case LineNumberRole:
        return line.number;
    case RawTextRole:
        return line.intact ? line.text : QString();
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
