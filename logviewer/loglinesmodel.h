#ifndef LOGLINESMODEL_H
#define LOGLINESMODEL_H

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

struct ViewerLog;

// The lines of a log as the file holds them, row n - 1 for line n: an intact line's text, a
// damaged line marked with the reason, and the lines the check speaks of marked with what it says.
class LogLinesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { LineColumn, TextColumn, ColumnCount };
    enum Role {
        // What the check says of the line.
        FindingsRole = Qt::UserRole + 1,
        IntactRole,
    };

    explicit LogLinesModel(QObject *parent = nullptr);

    // Shows the lines of log; null shows none. The log must outlive its use here.
    void setLog(const ViewerLog *log);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const ViewerLog *log = nullptr;
    QHash<int, QStringList> findings;
};

#endif // LOGLINESMODEL_H
