#ifndef LOGLINESMODEL_H
#define LOGLINESMODEL_H

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

struct ViewerLog;

// The lines of a log as the file holds them: an intact line's text (control and format characters
// by their code), a damaged line marked with the reason, and the lines the check speaks of marked
// with what it says. Where lines are missing or the log was cut, a row of its own says so.
class LogLinesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { LineColumn, TextColumn, ColumnCount };
    enum Role {
        // What the check says of the line.
        FindingsRole = Qt::UserRole + 1,
        IntactRole,
        // The file's line number; 0 for a row that stands for lines the file lacks.
        LineNumberRole,
        // The line's text as the log holds it.
        RawTextRole,
    };

    explicit LogLinesModel(QObject *parent = nullptr);

    // Shows the lines of log; null shows none. The log must outlive its use here.
    void setLog(const ViewerLog *log);
    // The row of line n of the file, and of the check's finding k (a missing line's or the cut's
    // row of its own); -1 for none.
    int rowOfLine(int line) const;
    int rowOfFinding(int finding) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // A row: a line's index, or for lines the file lacks -1 - the finding's index.
    QVector<int> rows;
    QVector<int> lineRows;
    QHash<int, int> findingRows;
    const ViewerLog *log = nullptr;
    QHash<int, QStringList> findings;
};

#endif // LOGLINESMODEL_H
