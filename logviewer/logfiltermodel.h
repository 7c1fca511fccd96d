#ifndef LOGFILTERMODEL_H
#define LOGFILTERMODEL_H

#include <QSortFilterProxyModel>

// Narrows the trees to the keys and values whose name or text holds a pattern, whatever its case,
// and the keys above them.
class LogFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit LogFilterModel(QObject *parent = nullptr);

    void setPattern(const QString &pattern);
    QString pattern() const { return wanted; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString wanted;
};

#endif // LOGFILTERMODEL_H
