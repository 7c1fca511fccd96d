#ifndef LOGLOADER_H
#define LOGLOADER_H

#include "logviewer/viewerlog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <memory>

// Reads logs on a thread of their own, one at a time: a new load cancels the one before, whose
// result is never delivered.
class LogLoader : public QObject
{
    Q_OBJECT

public:
    explicit LogLoader(QObject *parent = nullptr);
    // Waits for the threads still running, after asking them to stop.
    ~LogLoader() override;

    // With later, the log read is compared with that one (ViewerLog::changesToLater).
    void load(const QString &path, const std::shared_ptr<const ViewerLog> &later = {});
    void cancel();
    bool isLoading() const { return loading; }

signals:
    // The share of the current load done, in thousandths.
    void progressed(int thousandths);
    // The log read, or why it could not be (ViewerLog::readError).
    void loaded(std::shared_ptr<const ViewerLog> log);

private:
    QList<QPointer<QThread>> threads;
    int generation = 0;
    bool loading = false;
};

Q_DECLARE_METATYPE(std::shared_ptr<const ViewerLog>)

#endif // LOGLOADER_H
